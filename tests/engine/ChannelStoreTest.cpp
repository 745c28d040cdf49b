#include "engine/ChannelStore.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/LockFile.h"
#include "support/ManualClock.h"
#include "util/ArchiveWriter.h"

namespace {

using Lines = std::vector<std::string>;

class ChannelStoreTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(folder_.isValid()); }

    std::string FilePath() const { return folder_.filePath("quorvtv.cnl").toStdString(); }

    void WriteFile(const std::string& bytes) const {
        QFile file(QString::fromStdString(FilePath()));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes.data(), static_cast<qint64>(bytes.size()));
    }

    void WriteLines(const Lines& lines) const {
        ArchiveWriter writer;
        writer.WriteUint32(static_cast<uint32_t>(lines.size()));
        for (const std::string& line : lines) {
            writer.WriteString(line);
        }
        WriteFile(writer.Bytes());
    }

    std::string FileBytes() const {
        QFile file(QString::fromStdString(FilePath()));
        return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : "<missing>";
    }

    static Lines Contents(const ChannelStore& store) {
        Lines lines;
        for (int i = 0; i < store.GetCount(); ++i) {
            lines.push_back(std::to_string(store.GetChannelFrequency(i)) + "|" +
                            store.GetChannelName(i));
        }
        return lines;
    }

    QTemporaryDir folder_;
};

TEST_F(ChannelStoreTest, SetChannelNormalisesHertzAndStoresEachFrequencyOnce) {
    ChannelStore store(FilePath());
    EXPECT_TRUE(store.SetChannel(471'250'000, "A"));
    EXPECT_EQ(Contents(store), Lines{"471|A"});
    EXPECT_FALSE(store.SetChannel(471, nullptr));
    EXPECT_EQ(Contents(store), Lines{"471|A"});
    EXPECT_TRUE(store.SetChannel(471, "B"));
    EXPECT_EQ(Contents(store), Lines{"471|B"});
    EXPECT_TRUE(store.SetChannel(1'000'001, nullptr));
    EXPECT_TRUE(store.SetChannel(0, nullptr));
    EXPECT_TRUE(store.SetChannel(48'000'000, ""));
    EXPECT_EQ(Contents(store), (Lines{"0|?", "1|?", "471|B", "48|"}));

    const std::pair<uint32_t, int> finds[] = {
        {471'000'000, 2}, {471, 2}, {471'999'999, 2}, {1'000'001, 1},
        {1, 1},           {48, 3},  {503, -1},        {0, 0},
    };
    for (const auto& [frequency, index] : finds) {
        EXPECT_EQ(store.FindChannel(frequency), index) << frequency;
    }
}

struct LineCase {
    std::string line;
    int frequency_mhz;
    const char* name;
    const char* frequencyText;
};

TEST_F(ChannelStoreTest, LinesAreReadAsFrequencyBeforeTheFirstTabAndNameAfterIt) {
    const LineCase cases[] = {
        {"471\tNews", 471, "News", "471,000,000"},
        {"  48\tB", 48, "B", "48,000,000"},
        {"+175\tC", 175, "C", "175,000,000"},
        {"2147\tTop", 2147, "Top", "2,147,000,000"},
        {"-0\tZero", 0, "Zero", "0"},
        {"12abc\tD", 12, "D", "12,000,000"},
        {"abc\tE", 0, "E", "0"},
        {"\t471", 0, "471", "0"},
        {"471", 471, "", "471,000,000"},
        {"471\tName\tExtra", 471, "Name", "471,000,000"},
        {"471\t", 471, "", "471,000,000"},
    };
    for (const LineCase& c : cases) {
        WriteLines({c.line});
        ChannelStore store(FilePath());
        ASSERT_TRUE(store.Load()) << c.line;
        EXPECT_EQ(store.GetChannelFrequency(0), c.frequency_mhz) << c.line;
        EXPECT_EQ(store.GetChannelName(0), c.name) << c.line;
        EXPECT_EQ(store.GetFrequencyText(0), c.frequencyText) << c.line;
    }
}

// Renaming with an index outside the list renames frequency 0, as the
// rename is defined through the index's frequency.
TEST_F(ChannelStoreTest, RenameAndIndexesOutsideTheList) {
    ChannelStore store(FilePath());
    store.SetChannel(175, "Zebra");
    store.RenameChannel(0, nullptr);
    EXPECT_EQ(Contents(store), Lines{"175|Zebra"});
    store.RenameChannel(0, "Y");
    EXPECT_EQ(Contents(store), Lines{"175|Y"});
    for (int index : {-1, 1, 1000}) {
        EXPECT_EQ(store.GetChannelFrequency(index), 0);
        EXPECT_EQ(store.GetChannelName(index), "");
        EXPECT_EQ(store.GetFrequencyText(index), "0");
    }
    store.RenameChannel(5, "X");
    EXPECT_EQ(Contents(store), (Lines{"0|X", "175|Y"}));
}

TEST_F(ChannelStoreTest, SaveWritesTheListAndLoadReadsItBackSorted) {
    ChannelStore store(FilePath());
    ASSERT_TRUE(store.Save());
    EXPECT_EQ(FileBytes(), std::string(4, '\0'));

    store.SetChannel(503, "C");
    store.SetChannel(48, "B");
    store.SetChannel(175, "A");
    ASSERT_TRUE(store.Save());
    EXPECT_EQ(FileBytes(), std::string("\3\0\0\0\5"
                                       "175\tA\4"
                                       "48\tB\5"
                                       "503\tC",
                                       21));

    WriteLines({"503\tC", "48\tB", "175\tA", "48\tB"});
    ChannelStore reloaded(FilePath());
    EXPECT_TRUE(reloaded.Load());
    EXPECT_TRUE(reloaded.Load());
    EXPECT_EQ(Contents(reloaded), (Lines{"175|A", "48|B", "503|C"}));
}

TEST_F(ChannelStoreTest, LoadReportsMissingAndDamagedFilesAndKeepsWhatItRead) {
    ChannelStore store(FilePath());
    store.SetChannel(471, "Old");
    EXPECT_FALSE(store.Load());
    EXPECT_EQ(store.GetCount(), 0);

    WriteFile(
        std::string("\3\0\0\0\5"
                    "503\tC\4"
                    "48\tB\7"
                    "175",
                    20));
    EXPECT_FALSE(store.Load());
    EXPECT_EQ(Contents(store), (Lines{"48|B", "503|C"}));
}

TEST_F(ChannelStoreTest, FailedSaveReportsItAndLeavesTheOldFileAlone) {
    ChannelStore store(FilePath());
    store.SetChannel(48, "New");
    ASSERT_TRUE(QDir(folder_.path()).mkdir("quorvtv.cnl"));
    EXPECT_FALSE(store.Save());
    EXPECT_TRUE(QFileInfo(QString::fromStdString(FilePath())).isDir());
    EXPECT_FALSE(store.Load());
    EXPECT_EQ(store.GetCount(), 0);

    ChannelStore nowhere(folder_.filePath("missing/quorvtv.cnl").toStdString());
    EXPECT_FALSE(nowhere.Save());
}

// The frame thread reads the list (overlay) while the user-interface thread
// changes it.
TEST_F(ChannelStoreTest, ConcurrentChangesAndReadsAreSerialised) {
    ChannelStore store(FilePath());
    std::atomic<bool> done{false};
    std::thread writer([&] {
        for (uint32_t frequency = 1; frequency <= 100; ++frequency) {
            store.SetChannel(frequency, "Station");
        }
        done = true;
    });
    while (!done) {
        const int count = store.GetCount();
        EXPECT_EQ(store.GetChannelName(count - 1), count > 0 ? "Station" : "");
        store.FindChannel(150);
    }
    writer.join();
    EXPECT_EQ(store.GetCount(), 100);
}

// A frequency the tuner's signed 32-bit hertz can't hold would read as 0 MHz,
// and a rename would then store a real 0 MHz line: such channels are refused
// on the way in, from the file (which makes the load incomplete, so the file
// is kept) and through SetChannel.
TEST_F(ChannelStoreTest, FrequenciesBeyondThirtyTwoBitHertzAreRefused) {
    const char* fileLines[] = {"2148\tAbove", "-5\tNegative", "4294967296\tWrapped",
                               "99999999999999999999999\tHuge", " +3000\tSigned"};
    for (const char* line : fileLines) {
        WriteLines({"471\tNews", line});
        ChannelStore store(FilePath());
        EXPECT_FALSE(store.Load()) << line;
        EXPECT_EQ(Contents(store), Lines{"471|News"}) << line;
    }

    const std::pair<uint32_t, bool> added[] = {
        {2'147'483'647, true},  {2'147'999'999, true}, {2'148'000'000, false},
        {4'294'967'295, false}, {2148, false},         {1'000'000, false},
        {2147, true},
    };
    for (const auto& [frequency, stored] : added) {
        ChannelStore store(FilePath());
        EXPECT_EQ(store.SetChannel(frequency, "X"), stored) << frequency;
        EXPECT_EQ(store.GetCount(), stored ? 1 : 0) << frequency;
    }
}

// What the store writes, it reads back whole: a line the reader would not
// take is refused when it is added (the list's own limits are tested with
// ChannelList).
TEST_F(ChannelStoreTest, ALineTooLongToReadBackIsRefused) {
    const std::string longName(ChannelList::kMaxLineBytes, 'n');
    ChannelStore store(FilePath());
    EXPECT_FALSE(store.SetChannel(100, longName.c_str()));
    ASSERT_TRUE(store.SetChannel(100, "Short"));
    store.RenameChannel(0, longName.c_str());
    EXPECT_EQ(Contents(store), Lines{"100|Short"});
    ASSERT_TRUE(store.Save());

    ChannelStore reloaded(FilePath());
    EXPECT_TRUE(reloaded.Load());
    EXPECT_EQ(Contents(reloaded), Lines{"100|Short"});
}

// Two copies of the program on one channel file: each store writes only the
// frequencies it changed into what the other saved meanwhile, and a store
// that changed nothing writes nothing.
TEST_F(ChannelStoreTest, ASaveKeepsWhatAnotherCopySavedMeanwhile) {
    using Change = std::function<void(ChannelStore&)>;
    struct Case {
        const char* what;
        Change theirs;
        Change ours;
        Lines saved;
        bool fileAsTheyLeftIt;
    };
    const Change nothing = [](ChannelStore&) {};
    const Case cases[] = {
        {"both add",
         [](ChannelStore& s) { s.SetChannel(600, "Theirs"); },
         [](ChannelStore& s) { s.SetChannel(700, "Ours"); },
         {"175|One", "471|News", "600|Theirs", "700|Ours"},
         false},
        {"they rename, we add",
         [](ChannelStore& s) { s.RenameChannel(1, "Renamed"); },
         [](ChannelStore& s) { s.SetChannel(700, "Ours"); },
         {"175|One", "471|Renamed", "700|Ours"},
         false},
        {"both rename one channel",
         [](ChannelStore& s) { s.RenameChannel(1, "Theirs"); },
         [](ChannelStore& s) { s.RenameChannel(1, "Ours"); },
         {"175|One", "471|Ours"},
         false},
        {"we change nothing",
         [](ChannelStore& s) { s.SetChannel(600, "Theirs"); },
         nothing,
         {"175|One", "471|News", "600|Theirs"},
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteLines({"175\tOne", "471\tNews"});
        ChannelStore ours(FilePath());
        ChannelStore theirs(FilePath());
        ASSERT_TRUE(ours.Load());
        ASSERT_TRUE(theirs.Load());
        c.theirs(theirs);
        ASSERT_TRUE(theirs.Save());
        const std::string savedByThem = FileBytes();
        c.ours(ours);

        EXPECT_TRUE(ours.Save());

        EXPECT_EQ(Contents(ours), c.saved);
        ChannelStore reloaded(FilePath());
        ASSERT_TRUE(reloaded.Load());
        EXPECT_EQ(Contents(reloaded), c.saved);
        EXPECT_FALSE(ours.HasChanges());
        if (c.fileAsTheyLeftIt) {
            EXPECT_EQ(FileBytes(), savedByThem);
        }
    }
}

// Another program left the file damaged after this store loaded it: the
// file is kept byte for byte, and the failure says why.
TEST_F(ChannelStoreTest, AFileDamagedMeanwhileIsKept) {
    WriteLines({"471\tNews"});
    ChannelStore store(FilePath());
    ASSERT_TRUE(store.Load());
    store.SetChannel(600, "Ours");
    const std::string damaged(
        "\x05\0\0\0\x03"
        "abc",
        8);
    WriteFile(damaged);

    EXPECT_FALSE(store.Save());

    EXPECT_EQ(FileBytes(), damaged);
    EXPECT_NE(store.SaveProblem().find("can't be read completely"), std::string::npos);
}

// Saves are serialised between processes by a lock beside the channel file.
// A process that holds it keeps a save waiting (on the test's clock) until
// the save gives up and leaves the file alone; once it lets go, the save
// goes through.
TEST_F(ChannelStoreTest, ASaveWaitsForAnotherProcessHoldingTheLock) {
    WriteLines({"471\tNews"});
    int toChild[2];
    int fromChild[2];
    ASSERT_EQ(pipe(toChild), 0);
    ASSERT_EQ(pipe(fromChild), 0);
    const std::string lockPath = FilePath() + ".lock";
    const pid_t child = fork();
    if (child == 0) {
        // Only system calls here: another thread may have held the
        // allocator's lock at the fork.
        close(toChild[1]);
        const LockFile lock(lockPath, 0);
        const char held = lock.IsHeld() ? 'L' : '-';
        char ignored = 0;
        if (write(fromChild[1], &held, 1) == 1) {
            (void)read(toChild[0], &ignored, 1);
        }
        _exit(0);
    }
    ASSERT_GT(child, 0);
    char held = 0;
    ASSERT_EQ(read(fromChild[0], &held, 1), 1);
    ASSERT_EQ(held, 'L');
    ManualClock clock;
    const ScopedClock scopedClock(clock);
    ChannelStore store(FilePath());
    ASSERT_TRUE(store.Load());
    store.SetChannel(600, "Ours");
    const uint32_t start_ms = clock.TickCount();

    EXPECT_FALSE(store.Save());

    EXPECT_GE(clock.TickCount() - start_ms, ChannelStore::kLockWait_ms);
    EXPECT_NE(store.SaveProblem().find("locked"), std::string::npos);
    ChannelStore onDisk(FilePath());
    onDisk.Load();
    EXPECT_EQ(Contents(onDisk), Lines{"471|News"});

    close(toChild[1]);
    ASSERT_EQ(waitpid(child, nullptr, 0), child);
    EXPECT_TRUE(store.Save());
    onDisk.Load();
    EXPECT_EQ(Contents(onDisk), (Lines{"471|News", "600|Ours"}));
}

// A link to the channel file stays a link, and the lock lies beside the file
// it names, where copies reaching it by other links find it too.
TEST_F(ChannelStoreTest, ALinkedChannelFileIsSavedThroughTheLink) {
    ASSERT_TRUE(QDir(folder_.path()).mkdir("kept"));
    const std::string target = folder_.filePath("kept/channels.cnl").toStdString();
    ASSERT_EQ(symlink("kept/channels.cnl", FilePath().c_str()), 0);
    ChannelStore store(FilePath());
    store.SetChannel(471, "News");
    ASSERT_TRUE(store.Save());

    struct stat info {};
    ASSERT_EQ(lstat(FilePath().c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    ChannelStore direct(target);
    EXPECT_TRUE(direct.Load());
    EXPECT_EQ(Contents(direct), Lines{"471|News"});
    EXPECT_TRUE(QFile::exists(QString::fromStdString(target + ".lock")));
}

}  // namespace

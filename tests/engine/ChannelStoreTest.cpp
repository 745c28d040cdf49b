#include "engine/ChannelStore.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

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
    // Megahertz, but beyond any tuner: the line reads as frequency 0.
    EXPECT_TRUE(store.SetChannel(1'000'000, nullptr));
    EXPECT_TRUE(store.SetChannel(48'000'000, ""));
    EXPECT_EQ(Contents(store), (Lines{"1|?", "0|?", "471|B", "48|"}));

    const std::pair<uint32_t, int> finds[] = {
        {471'000'000, 2}, {471, 2}, {471'999'999, 2}, {1'000'001, 0},
        {1, 0},           {48, 3},  {503, -1},        {0, 1},
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
        {"2148\tAbove", 0, "Above", "0"},
        {"-5\tNegative", 0, "Negative", "0"},
        {"99999999999999999999999\tHuge", 0, "Huge", "0"},
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

}  // namespace

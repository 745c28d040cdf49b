#include "platform/AtomicFile.h"

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class AtomicFileTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(folder_.isValid()); }

    std::string PathOf(const char* name) const { return folder_.filePath(name).toStdString(); }

    std::string Content(const std::string& path) const {
        QFile file(QString::fromStdString(path));
        return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : "<missing>";
    }

    QStringList Entries() const {
        return QDir(folder_.path())
            .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    }

    QTemporaryDir folder_;
};

TEST_F(AtomicFileTest, CreatesAndReplacesTheWholeFileKeepingItsMode) {
    const std::string path = PathOf("quorv.cnl");
    ASSERT_TRUE(WriteFileAtomically(path, std::string("first\0version", 13)));
    EXPECT_EQ(Content(path), std::string("first\0version", 13));

    ASSERT_EQ(chmod(path.c_str(), 0640), 0);
    ASSERT_TRUE(WriteFileAtomically(path, "2nd"));
    EXPECT_EQ(Content(path), "2nd");
    struct stat info {};
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);

    ASSERT_TRUE(WriteFileAtomically(path, ""));
    EXPECT_EQ(Content(path), "");
    EXPECT_EQ(Entries(), QStringList{"quorv.cnl"});
}

TEST_F(AtomicFileTest, FailsWithoutTraceWhenTheFolderIsMissing) {
    EXPECT_FALSE(WriteFileAtomically(PathOf("missing/quorv.cnl"), "data"));
    EXPECT_TRUE(Entries().isEmpty());
}

TEST_F(AtomicFileTest, FailedRenameLeavesTheTargetAndNoTemporary) {
    const std::string path = PathOf("quorv.cnl");
    ASSERT_TRUE(QDir(folder_.path()).mkdir("quorv.cnl"));
    EXPECT_FALSE(WriteFileAtomically(path, "data"));
    EXPECT_TRUE(QFileInfo(QString::fromStdString(path)).isDir());
    EXPECT_EQ(Entries(), QStringList{"quorv.cnl"});
}

// A real write failure: the file-size limit stops the write part-way (the
// signal it would raise is ignored, so write() reports EFBIG instead).
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        previousHandler_ = signal(SIGXFSZ, SIG_IGN);
        rlimit limited = saved_;
        limited.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        signal(SIGXFSZ, previousHandler_);
    }

private:
    rlimit saved_{};
    sighandler_t previousHandler_;
};

TEST_F(AtomicFileTest, FailedWriteLeavesTheOldFileIntactAndNoTemporary) {
    const std::string path = PathOf("quorv.cnl");
    ASSERT_TRUE(WriteFileAtomically(path, "old content"));
    bool saved = true;
    {
        FileSizeLimit limit(64);
        saved = WriteFileAtomically(path, std::string(4096, 'n'));
    }
    EXPECT_FALSE(saved);
    EXPECT_EQ(Content(path), "old content");
    EXPECT_EQ(Entries(), QStringList{"quorv.cnl"});
}

// Saving through a link replaces the file it names, so a channel file kept
// elsewhere and linked beside the program stays linked, whether the link is
// relative, absolute, or leads through a second link.
TEST_F(AtomicFileTest, SavesThroughSymbolicLinksAndKeepsThem) {
    ASSERT_TRUE(QDir(folder_.path()).mkdir("real"));
    const std::string target = PathOf("real/quorv.cnl");
    struct Case {
        const char* what;
        std::string linkTo;
        bool viaSecondLink;
    };
    const Case cases[] = {
        {"relative", "real/quorv.cnl", false},
        {"absolute", target, false},
        {"through a second link", "middle", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string link = PathOf("quorv.cnl");
        unlink(link.c_str());
        unlink(PathOf("middle").c_str());
        unlink(target.c_str());
        if (c.viaSecondLink) {
            ASSERT_EQ(symlink("real/quorv.cnl", PathOf("middle").c_str()), 0);
        }
        ASSERT_EQ(symlink(c.linkTo.c_str(), link.c_str()), 0);

        ASSERT_TRUE(WriteFileAtomically(link, "first"));
        ASSERT_TRUE(WriteFileAtomically(link, "second"));

        struct stat info {};
        ASSERT_EQ(lstat(link.c_str(), &info), 0);
        EXPECT_TRUE(S_ISLNK(info.st_mode));
        EXPECT_EQ(Content(target), "second");
        EXPECT_EQ(QDir(QString::fromStdString(PathOf("real"))).entryList(QDir::Files),
                  QStringList{"quorv.cnl"});
    }
}

// A save killed before its rename leaves "<file>.tmp.<pid>.<n>": the next
// save removes those whose process is gone, and leaves a live process's
// (which may be saving right now) and anything else alone.
TEST_F(AtomicFileTest, TheNextSaveRemovesTemporariesOfKilledSaves) {
    const pid_t child = fork();
    if (child == 0) {
        _exit(0);
    }
    ASSERT_GT(child, 0);
    ASSERT_EQ(waitpid(child, nullptr, 0), child);
    const std::string dead = std::to_string(child);
    const std::string self = std::to_string(getpid());
    const std::string live = std::to_string(getppid());
    const char* kept[] = {"quorv.cnl.tmp.%1.3", "quorv.cnl.tmp.%2.0", "quorv.cnl.tmp.%3",
                          "other.cnl.tmp.%3.0", "quorv.cnl.tmp.%3.x"};
    const char* removed[] = {"quorv.cnl.tmp.%3.0", "quorv.cnl.tmp.%3.12"};
    auto create = [&](const char* pattern) {
        QString name(pattern);
        name.replace("%1", live.c_str()).replace("%2", self.c_str()).replace("%3", dead.c_str());
        QFile file(folder_.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        return name;
    };
    QStringList expected{"quorv.cnl"};
    for (const char* pattern : kept) {
        expected << create(pattern);
    }
    for (const char* pattern : removed) {
        create(pattern);
    }

    ASSERT_TRUE(WriteFileAtomically(PathOf("quorv.cnl"), "data"));

    expected.sort();
    QStringList entries = Entries();
    entries.sort();
    EXPECT_EQ(entries, expected);
}

}  // namespace

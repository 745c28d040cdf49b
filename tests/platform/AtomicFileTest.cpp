#include "platform/AtomicFile.h"

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

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

}  // namespace

#include "platform/DataPaths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <filesystem>

#include <gtest/gtest.h>

namespace {

std::string AppDataFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation).toStdString() + '/';
}

class DataPathsTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(folder_.isValid()); }

    std::string Root() const { return folder_.path().toStdString(); }

    QTemporaryDir folder_;
};

TEST_F(DataPathsTest, FilesLieBesideTheProgramWhenItsFolderIsWritable) {
    const std::pair<std::string, std::string> cases[] = {
        {"/quorvtv", "/quorvtv"},
        {"/quorv.tv", "/quorv"},
        {"/quorv tv.bin", "/quorv tv"},
    };
    for (const auto& [program, stem] : cases) {
        const DataPaths paths(Root() + program);
        EXPECT_EQ(paths.ChannelFile(), Root() + stem + ".cnl") << program;
        EXPECT_EQ(paths.OptionsFile(), Root() + stem + ".avs") << program;
    }
    EXPECT_EQ(QDir(folder_.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size(), 0);
}

TEST_F(DataPathsTest, FilesGoToTheCreatedAppDataFolderWhenTheProgramFolderIsUnusable) {
    const std::string fileAsFolder = Root() + "/plain-file";
    QFile file(QString::fromStdString(fileAsFolder));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    const std::string programs[] = {
        Root() + "/missing/quorvtv",
        fileAsFolder + "/quorvtv",
        "quorvtv",
    };
    for (const std::string& program : programs) {
        ASSERT_TRUE(QDir(QString::fromStdString(AppDataFolder())).removeRecursively());
        const DataPaths paths(program);
        EXPECT_EQ(paths.DataFolder(), AppDataFolder()) << program;
        EXPECT_EQ(paths.ChannelFile(), AppDataFolder() + "quorvtv.cnl") << program;
        EXPECT_EQ(paths.OptionsFile(), AppDataFolder() + "quorvtv.avs") << program;
        EXPECT_TRUE(QDir(QString::fromStdString(AppDataFolder())).exists()) << program;
    }
}

// Permission bits do not bind the superuser, so this case only means something
// for an ordinary user.
TEST_F(DataPathsTest, AReadOnlyProgramFolderIsNotUsed) {
    if (geteuid() == 0) {
        GTEST_SKIP() << "the superuser may write to read-only folders";
    }
    const std::string programFolder = Root() + "/bin";
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(programFolder)));
    ASSERT_EQ(chmod(programFolder.c_str(), 0555), 0);
    const DataPaths paths(programFolder + "/quorvtv");
    chmod(programFolder.c_str(), 0755);
    EXPECT_EQ(paths.ChannelFile(), AppDataFolder() + "quorvtv.cnl");
}

TEST_F(DataPathsTest, ThisProgramIsTheRunningExecutable) {
    EXPECT_EQ(DataPaths::ForThisProgram().ProgramPath(),
              std::filesystem::read_symlink("/proc/self/exe").string());
}

}  // namespace

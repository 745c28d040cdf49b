#include "util/PathUtils.h"

#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <filesystem>

#include <gtest/gtest.h>

namespace {

TEST(PathUtilsTest, FileNameOfPathIsTheLastNonEmptyPiece) {
    const std::pair<const char*, const char*> cases[] = {
        {"/usr/bin/quorvtv", "quorvtv"},
        {"/usr/bin/", "bin"},
        {"quorvtv", "quorvtv"},
        {"", ""},
        {"/", ""},
        {"//srv//rec.avi", "rec.avi"},
        {"a/b c/d e.avi", "d e.avi"},
    };
    for (const auto& [path, expected] : cases) {
        EXPECT_EQ(FileNameOfPath(path), expected) << path;
    }
}

TEST(PathUtilsTest, ProgramPathIsTheQuotedPathOrTheWholeUnquotedLine) {
    const std::pair<const char*, const char*> cases[] = {
        {"\"/opt/quorv tv/quorvtv\" --emulate", "/opt/quorv tv/quorvtv"},
        {"\"/usr/bin/quorvtv\"", "/usr/bin/quorvtv"},
        {"  \"/usr/bin/quorvtv\"  ", "/usr/bin/quorvtv"},
        {"\"/usr/bin/quorvtv", "/usr/bin/quorvtv"},
        {"/usr/bin/quorvtv", "/usr/bin/quorvtv"},
        {"/usr/bin/quorvtv --emulate", "/usr/bin/quorvtv --emulate"},
        {"/usr/bin/quorv\"tv\"", "/usr/bin/quorvtv"},
        {"", ""},
        {" \t ", ""},
    };
    for (const auto& [commandLine, expected] : cases) {
        EXPECT_EQ(ProgramPathFromCommandLine(commandLine), expected) << commandLine;
    }
}

TEST(PathUtilsTest, GetProgramPathIsThisExecutable) {
    EXPECT_EQ(GetProgramPath(), std::filesystem::read_symlink("/proc/self/exe").string());
}

TEST(PathUtilsTest, ReplaceExtensionTouchesOnlyTheLastPiece) {
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"/opt/q.tv/quorvtv.exe", "cnl", "/opt/q.tv/quorvtv.cnl"},
        {"/opt/q.tv/quorvtv", ".cnl", "/opt/q.tv/quorvtv.cnl"},
        {"/opt/q.tv/quorvtv", "", "/opt/q.tv/quorvtv."},
        {"/opt/q.tv/quorvtv", "..avs", "/opt/q.tv/quorvtv..avs"},
        {"quorv.x.y", "avs", "quorv.x.avs"},
        {"/usr/bin/quorvtv --emulate=two.cards", "cnl", "/usr/bin/quorvtv --emulate=two.cnl"},
        {"", "cnl", ".cnl"},
    };
    for (const auto& [path, extension, expected] : cases) {
        std::string changed = path;
        ReplaceExtension(changed, extension);
        EXPECT_EQ(changed, expected) << path << " + " << extension;
    }
}

bool Exists(const std::string& path) {
    return access(path.c_str(), F_OK) == 0;
}

void Touch(const std::string& path) {
    QFile file(QString::fromStdString(path));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
}

TEST(PathUtilsTest, DeleteFileAtPathDeletesExactlyTheGivenPath) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const std::string root = folder.path().toStdString();
    Touch(root + "/Quorv.CNL");
    Touch(root + "/quorv.cnl");
    DeleteFileAtPath(root + "/Quorv.CNL");
    EXPECT_FALSE(Exists(root + "/Quorv.CNL"));
    EXPECT_TRUE(Exists(root + "/quorv.cnl"));

    // Far beyond the old 260-byte buffer.
    const std::string deep = root + "/" + std::string(200, 'd') + "/" + std::string(200, 'e');
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(deep)));
    Touch(deep + "/quorv.cnl");
    DeleteFileAtPath(deep + "/quorv.cnl");
    EXPECT_FALSE(Exists(deep + "/quorv.cnl"));

    DeleteFileAtPath(root + "/missing.cnl");
    DeleteFileAtPath(deep);
    EXPECT_TRUE(Exists(deep));
}

}  // namespace

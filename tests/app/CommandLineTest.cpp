#include "app/CommandLine.h"

#include <gtest/gtest.h>

#include <vector>

namespace {
CommandLine Parse(std::vector<const char*> args) {
    args.insert(args.begin(), "quorvtv");
    return ParseCommandLine(static_cast<int>(args.size()), args.data());
}
}  // namespace

TEST(CommandLineTest, AcceptsEveryValidForm) {
    using A = CommandLine::Action;
    EXPECT_EQ(Parse({}).action, A::RunPanel);
    EXPECT_EQ(Parse({"--help", "--bogus"}).action, A::ShowHelp);
    EXPECT_EQ(Parse({"--version"}).action, A::ShowVersion);

    const CommandLine emulated = Parse({"--emulate=camera,two"});
    EXPECT_TRUE(emulated.emulate);
    EXPECT_EQ(emulated.emulateOptions, "camera,two");

    const CommandLine record =
        Parse({"--emulate", "--record", "out.avi", "--seconds", "3", "--codec", "ffv1"});
    EXPECT_EQ(record.action, A::Record);
    EXPECT_EQ(record.outputFile, "out.avi");
    EXPECT_EQ(record.seconds, 3);
    EXPECT_EQ(record.codec, "ffv1");

    EXPECT_EQ(Parse({"--snapshot", "a.png"}).outputFile, "a.png");
}

TEST(CommandLineTest, RejectsBadInputWithOneLineReason) {
    const std::vector<std::vector<const char*>> bad = {
        {"--bogus"},
        {"--record"},
        {"--record", "x.avi"},
        {"--record", "x.avi", "--seconds", "0"},
        {"--record", "x.avi", "--seconds", "3s"},
        {"--seconds", "3"},
        {"--snapshot", "a.png", "--record", "x.avi", "--seconds", "1"},
        {"--codec", "raw"},
    };
    for (const auto& args : bad) {
        const CommandLine result = Parse(args);
        EXPECT_EQ(result.action, CommandLine::Action::Reject) << args.front();
        EXPECT_FALSE(result.error.empty());
        EXPECT_EQ(result.error.find('\n'), std::string::npos);
    }
}

TEST(CommandLineTest, DumpRawTakesAFolderAndSeconds) {
    const CommandLine dump = Parse({"--emulate", "--dump-raw", "capture", "--seconds", "2"});
    EXPECT_EQ(dump.action, CommandLine::Action::DumpRaw);
    EXPECT_EQ(dump.outputFile, "capture");
    EXPECT_EQ(dump.seconds, 2);
    EXPECT_EQ(Parse({"--seconds", "2", "--dump-raw", "c"}).action, CommandLine::Action::DumpRaw);
    struct Case {
        std::vector<const char*> args;
        const char* error;
    };
    const Case bad[] = {
        {{"--dump-raw"}, "'--dump-raw' needs a value"},
        {{"--dump-raw", "c"}, "--dump-raw needs --seconds N"},
        {{"--dump-raw", "c", "--seconds", "1", "--codec", "raw"}, "--codec goes with --record"},
        {{"--dump-raw", "c", "--seconds", "1", "--snapshot", "a.png"},
         "'--snapshot' can't be combined with --snapshot, --record or --dump-raw"},
        {{"--snapshot", "a.png", "--seconds", "1"}, "--seconds goes with --record or --dump-raw"},
    };
    for (const Case& c : bad) {
        const CommandLine result = Parse(c.args);
        EXPECT_EQ(result.action, CommandLine::Action::Reject) << c.error;
        EXPECT_EQ(result.error, c.error);
    }
}

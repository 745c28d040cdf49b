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

#include "app/CommandLine.h"

#include <gtest/gtest.h>

#include <utility>
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

    const CommandLine byIndex = Parse({"--snapshot", "a.png", "--channel", "2"});
    EXPECT_EQ(byIndex.channel, 2);
    EXPECT_FALSE(byIndex.frequency_hz);
    EXPECT_FALSE(Parse({"--snapshot", "a.png"}).channel);
}

TEST(CommandLineTest, FrequenciesAreMegahertzWithinTheTunersRange) {
    const std::pair<const char*, int32_t> cases[] = {
        {"41", 41'000'000},   {"471", 471'000'000},      {"471.25", 471'250'000},
        {"880", 880'000'000}, {"55.000001", 55'000'001}, {"0471.5", 471'500'000},
    };
    for (const auto& [text, hz] : cases) {
        const CommandLine result =
            Parse({"--record", "x.avi", "--seconds", "1", "--frequency", text});
        EXPECT_EQ(result.action, CommandLine::Action::Record) << text << ": " << result.error;
        EXPECT_EQ(result.frequency_hz, hz) << text;
    }
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
        {"--channel", "1"},
        {"--snapshot", "a.png", "--channel", "-1"},
        {"--snapshot", "a.png", "--channel", "two"},
        {"--snapshot", "a.png", "--channel"},
        {"--snapshot", "a.png", "--channel", "1", "--frequency", "471"},
        {"--frequency", "471"},
        {"--snapshot", "a.png", "--frequency", "40.999999"},
        {"--snapshot", "a.png", "--frequency", "880.000001"},
        {"--snapshot", "a.png", "--frequency", "471.1234567"},
        {"--snapshot", "a.png", "--frequency", "471."},
        {"--snapshot", "a.png", "--frequency", ".5"},
        {"--snapshot", "a.png", "--frequency", "471MHz"},
        {"--snapshot", "a.png", "--frequency", "99999999999"},
    };
    for (const auto& args : bad) {
        const CommandLine result = Parse(args);
        EXPECT_EQ(result.action, CommandLine::Action::Reject) << args.front();
        EXPECT_FALSE(result.error.empty());
        EXPECT_EQ(result.error.find('\n'), std::string::npos);
    }
}

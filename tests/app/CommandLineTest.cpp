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
    EXPECT_EQ(Parse({"--record", "x.avi", "--seconds", "107374182"}).seconds, 107'374'182);

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
        {"--record", "x.avi", "--seconds", "107374183"},
        {"--record", "x.avi", "--seconds", "99999999999999999999"},
        {"--record", "x.avi", "--seconds", "-5"},
        {"--record", "x.avi", "--seconds", "+5"},
        {"--record", "", "--seconds", "1"},
        {"--snapshot", ""},
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

TEST(CommandLineTest, DumpRawTakesAFolderAndSeconds) {
    const CommandLine dump = Parse({"--emulate", "--dump-raw", "capture", "--seconds", "2"});
    EXPECT_EQ(dump.action, CommandLine::Action::DumpRaw);
    EXPECT_EQ(dump.outputFile, "capture");
    EXPECT_EQ(dump.seconds, 2);
    EXPECT_EQ(Parse({"--seconds", "2", "--dump-raw", "c"}).action, CommandLine::Action::DumpRaw);
    EXPECT_EQ(Parse({"--dump-raw", "c", "--seconds", "1", "--channel", "3"}).channel, 3);
    struct Case {
        std::vector<const char*> args;
        const char* error;
    };
    const Case bad[] = {
        {{"--dump-raw"}, "'--dump-raw' needs a value"},
        {{"--dump-raw", "c"}, "--dump-raw needs --seconds N"},
        {{"--dump-raw", "", "--seconds", "1"}, "--dump-raw needs a folder name"},
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

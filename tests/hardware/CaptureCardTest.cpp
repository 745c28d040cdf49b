// Finding the card, mapping its registers, the physical buffers and every
// failure on the way, with the exact message each one shows.
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "hardware/FatalExit.h"
#include "support/FakeCaptureCardRig.h"
#include "support/FakeFatalHandler.h"

namespace {

using Strings = std::vector<std::string>;
using Request = FakePhysMemDriver::Request;

const char kNoCard[] = "Couldn't initialize Tv hardware";
const char kNoAccess[] = "NO TV HARDWARE FOUND !";
const char kNoDriver[] = "Couldn't load PHYSMEM VxD";
const char kNoBuffer[] = "Couldn't allocate physical memory buffer";

struct Function {
    uint8_t bus;
    uint8_t deviceFunction;
    uint32_t id;
    uint32_t bar0;
};

struct DiscoveryCase {
    const char* name;
    std::vector<Function> functions;
    std::optional<uint32_t> mapped;
};

class CaptureCardTest : public ::testing::Test {
protected:
    FakeCaptureCardRig rig;
    FakeFatalHandler fatal;
};

TEST(PciDiscoveryTest, FirstSupportedChipWithAMemoryWindowWins) {
    const DiscoveryCase cases[] = {
        {"Bt848", {{0, 0x08, 0x0350109E, 0xE0000000}}, 0xE0000000},
        {"Bt849", {{0, 0x08, 0x0351109E, 0xE0000000}}, 0xE0000000},
        {"Bt878", {{0, 0x08, 0x036E109E, 0xE0000000}}, 0xE0000000},
        {"Bt879", {{0, 0x08, 0x036F109E, 0xE0000000}}, 0xE0000000},
        {"flag bits of the base address are masked",
         {{4, 0x00, 0x036E109E, 0xE500000C}},
         0xE5000000},
        {"other chips are ignored",
         {{0, 0x08, 0x0352109E, 0xE0000000},
          {0, 0x10, 0x0350109F, 0xE1000000},
          {0, 0x18, 0x109E0350, 0xE2000000}},
         std::nullopt},
        {"lower bus wins",
         {{2, 0x08, 0x0350109E, 0xE2000000}, {1, 0x20, 0x036E109E, 0xE1000000}},
         0xE1000000},
        {"same bus, lower device/function wins",
         {{1, 0x20, 0x0350109E, 0xE2000000}, {1, 0x08, 0x036F109E, 0xE1000000}},
         0xE1000000},
        {"zero base address is skipped",
         {{0, 0x08, 0x0350109E, 0x0000000F}, {3, 0x00, 0x0351109E, 0xE3000000}},
         0xE3000000},
        {"I/O base address is skipped",
         {{0, 0x08, 0x0350109E, 0x0000E001}, {0, 0x10, 0x036E109E, 0xE4000008}},
         0xE4000000},
    };
    for (const DiscoveryCase& c : cases) {
        FakeCaptureCardRig rig;
        ScriptedConfigPorts ports;
        for (const Function& f : c.functions) {
            ports.AddFunction(f.bus, f.deviceFunction, f.id, f.bar0);
        }
        CaptureCard card(ports, rig.driver);
        EXPECT_EQ(card.IsPresent(), c.mapped.has_value()) << c.name;
        EXPECT_EQ(ports.DataWrites(), 0u) << c.name;
        if (c.mapped) {
            ASSERT_EQ(rig.driver.Calls().size(), 1u) << c.name;
            EXPECT_EQ(rig.driver.Calls()[0].request, Request::Map) << c.name;
            EXPECT_EQ(rig.driver.Calls()[0].physical, *c.mapped) << c.name;
            EXPECT_EQ(rig.driver.Calls()[0].size, 0x1000u) << c.name;
            EXPECT_EQ(registerWindow, &rig.window) << c.name;
            EXPECT_EQ(rig.warnings.Messages(), Strings{}) << c.name;
        } else {
            EXPECT_EQ(rig.driver.OpenCount(), 0) << c.name;
            EXPECT_EQ(rig.warnings.Messages(), Strings{kNoCard}) << c.name;
        }
    }
}

TEST_F(CaptureCardTest, ScanReadsEachFunctionInOrderUpToTheMatchThenItsBaseAddress) {
    rig.Build();
    std::vector<uint32_t> expected;
    const uint32_t match = FakeCaptureCardRig::kBus << 8 | FakeCaptureCardRig::kDeviceFunction;
    for (uint32_t i = 0; i <= match; ++i) {
        expected.push_back(0x80000000u | i << 8);
    }
    expected.push_back(0x80000000u | match << 8 | 0x10);
    EXPECT_EQ(rig.ports.AddressesRead(), expected);
    EXPECT_EQ(rig.ports.DataWrites(), 0u);
}

TEST_F(CaptureCardTest, NoChipReadsAllAddressesOnceAndReportsOnce) {
    ScriptedConfigPorts ports;
    CaptureCard card(ports, rig.driver);
    const auto& read = ports.AddressesRead();
    ASSERT_EQ(read.size(), 65'536u);
    for (uint32_t i = 0; i < read.size(); ++i) {
        ASSERT_EQ(read[i], 0x80000000u | i << 8);
    }
    EXPECT_FALSE(card.IsPresent());
    EXPECT_EQ(registerWindow, nullptr);
    EXPECT_EQ(rig.driver.OpenCount(), 0);
    EXPECT_EQ(rig.warnings.Messages(), Strings{kNoCard});
}

TEST(CaptureCardSetUpTest, RefusedPortAccessReportsNoHardwareOnce) {
    // Function 0x120 is read with accesses 576 and 577, its base address with 578 and 579.
    for (size_t refusedFrom : {size_t{0}, size_t{1}, size_t{300}, size_t{577}, size_t{579}}) {
        FakeCaptureCardRig rig;
        rig.ports.RefuseAccessFrom(refusedFrom);
        rig.Build();
        EXPECT_FALSE(rig.card->IsPresent()) << refusedFrom;
        EXPECT_EQ(rig.driver.OpenCount(), 0) << refusedFrom;
        EXPECT_EQ(rig.window.AccessCount(), 0u) << refusedFrom;
        EXPECT_EQ(rig.warnings.Messages(), Strings{kNoAccess}) << refusedFrom;
    }
}

TEST_F(CaptureCardTest, RefusedMappingReportsNoCardOnceAndClosesTheDriver) {
    rig.driver.RefuseMapping();
    rig.Build();
    EXPECT_FALSE(rig.card->IsPresent());
    EXPECT_EQ(rig.driver.OpenCount(), 1);
    EXPECT_EQ(rig.driver.CloseCount(), 1);
    EXPECT_EQ(rig.window.AccessCount(), 0u);
    EXPECT_EQ(rig.warnings.Messages(), Strings{kNoCard});
    EXPECT_TRUE(fatal.Messages().empty());
}

TEST_F(CaptureCardTest, MissingDriverWhileMappingIsFatal) {
    rig.driver.RefuseOpen();
    EXPECT_THROW(rig.Build(), FakeFatalHandler::Exit);
    EXPECT_EQ(fatal.Messages(), Strings{kNoDriver});
    EXPECT_EQ(rig.warnings.Messages(), Strings{});
    EXPECT_TRUE(rig.driver.Calls().empty());
    EXPECT_EQ(registerWindow, nullptr);
}

TEST_F(CaptureCardTest, SuccessfulSetUpResetsTheBusThenScalesWithoutWarning) {
    rig.Build();
    EXPECT_TRUE(rig.card->IsPresent());
    EXPECT_EQ(rig.warnings.Messages(), Strings{});
    EXPECT_EQ(rig.driver.OpenCount(), rig.driver.CloseCount());
    const auto& writes = rig.window.Writes();
    ASSERT_GE(writes.size(), 9u);
    for (size_t i = 0; i < 9; ++i) {
        EXPECT_EQ(writes[i].offset, 0x110u) << i;
    }
    const std::set<uint32_t> scaling = {0x00C, 0x018, 0x020, 0x024, 0x04C, 0x050,
                                        0x08C, 0x098, 0x0A0, 0x0A4, 0x0CC, 0x0D0};
    for (size_t i = 9; i < writes.size(); ++i) {
        EXPECT_TRUE(scaling.count(writes[i].offset)) << std::hex << writes[i].offset;
    }
    EXPECT_EQ(rig.tuner.Conditions(), "SP");
}

TEST(CaptureCardSetUpTest, DestroyingTheCardTouchesNoRegisterAndNoDriver) {
    for (bool withCard : {true, false}) {
        FakeCaptureCardRig rig;
        ScriptedConfigPorts noCard;
        rig.card = std::make_unique<CaptureCard>(withCard ? rig.ports : noCard, rig.driver);
        EXPECT_EQ(rig.card->IsPresent(), withCard);
        rig.window.ClearLog();
        const size_t calls = rig.driver.Calls().size();
        const int opens = rig.driver.OpenCount();
        rig.card.reset();
        EXPECT_EQ(rig.window.AccessCount(), 0u) << withCard;
        EXPECT_EQ(rig.driver.Calls().size(), calls) << withCard;
        EXPECT_EQ(rig.driver.OpenCount(), opens) << withCard;
    }
}

// A refused free is ignored; the descriptor is cleared all the same.
TEST_F(CaptureCardTest, BuffersAreAllocatedAndFreedWithTheDriverOpenOnlyForEachRequest) {
    CaptureCard& card = rig.Build();
    PhysBuffer buffer;
    buffer.size = 691'200;
    card.AllocateBuffer(buffer);
    EXPECT_NE(buffer.linear, nullptr);
    EXPECT_NE(buffer.physical, 0u);
    EXPECT_EQ(buffer.size, 691'200u);
    buffer.linear[buffer.size - 1] = 0x5A;

    card.FreeBuffer(buffer);
    EXPECT_EQ(buffer.linear, nullptr);
    EXPECT_EQ(buffer.physical, 0u);
    EXPECT_EQ(buffer.size, 0u);
    EXPECT_EQ(rig.driver.BuffersHeld(), 0u);

    card.FreeBuffer(buffer);
    EXPECT_EQ(rig.driver.Calls().back().request, Request::Free);
    EXPECT_EQ(rig.driver.Calls().back().linear, nullptr);
    EXPECT_EQ(buffer.linear, nullptr);

    buffer.size = 7'168;
    card.AllocateBuffer(buffer);
    rig.driver.RefuseFree();
    card.FreeBuffer(buffer);
    EXPECT_EQ(buffer.linear, nullptr);
    EXPECT_EQ(buffer.physical, 0u);
    EXPECT_EQ(buffer.size, 0u);

    EXPECT_EQ(rig.driver.RequestsWhileClosed(), 0);
    EXPECT_EQ(rig.driver.OpenCount(), rig.driver.CloseCount());
    EXPECT_TRUE(fatal.Messages().empty());
}

TEST(CaptureCardSetUpTest, DriverFailuresOnBuffersAreFatalWithTheirMessage) {
    struct Case {
        const char* name;
        void (FakePhysMemDriver::*refuse)();
        bool freeing;
        const char* message;
    };
    const Case cases[] = {
        {"allocation refused", &FakePhysMemDriver::RefuseAllocation, false, kNoBuffer},
        {"driver missing on allocation", &FakePhysMemDriver::RefuseOpen, false, kNoDriver},
        {"driver missing on free", &FakePhysMemDriver::RefuseOpen, true, kNoDriver},
    };
    for (const Case& c : cases) {
        FakeCaptureCardRig rig;
        FakeFatalHandler handler;
        CaptureCard& card = rig.Build();
        PhysBuffer buffer;
        buffer.size = 4'096;
        if (c.freeing) {
            card.AllocateBuffer(buffer);
        }
        (rig.driver.*c.refuse)();
        if (c.freeing) {
            EXPECT_THROW(card.FreeBuffer(buffer), FakeFatalHandler::Exit) << c.name;
        } else {
            EXPECT_THROW(card.AllocateBuffer(buffer), FakeFatalHandler::Exit) << c.name;
        }
        EXPECT_EQ(handler.Messages(), Strings{c.message}) << c.name;
        EXPECT_FALSE(rig.driver.IsOpen()) << c.name;
        EXPECT_EQ(rig.warnings.Messages(), Strings{}) << c.name;
    }
}

// The real fatal path, in a child process: the message is shown (on standard
// error without a warning box) and the process ends with status 1, never 0.
TEST(FatalExitDeathTest, DefaultHandlerShowsTheMessageAndExitsWithFailure) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    SetFatalHandler(nullptr);
    EXPECT_EXIT(FailFatally(kNoBuffer), ::testing::ExitedWithCode(1), kNoBuffer);
    EXPECT_EXIT(
        {
            SetFatalHandler([](const char*) {});
            FailFatally(kNoDriver);
        },
        ::testing::ExitedWithCode(1), "");
}

}  // namespace

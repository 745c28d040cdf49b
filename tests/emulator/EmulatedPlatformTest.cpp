#include <gtest/gtest.h>

#include <stdexcept>

#include "emulator/EmulatedCard.h"

namespace {

uint32_t ReadConfig(ConfigPorts& ports, uint32_t bus, uint32_t deviceFunction, uint32_t reg) {
    ports.out32(ConfigPorts::kAddressPort, 0x8000'0000u | bus << 16 | deviceFunction << 8 | reg);
    return ports.in32(ConfigPorts::kDataPort);
}

struct Found {
    uint32_t id;
    uint32_t bar0;
};

// The discovery scan's view: accepted chips with a non-zero BAR0, in scan order.
std::vector<Found> ScanForChips(ConfigPorts& ports) {
    std::vector<Found> found;
    for (uint32_t i = 0; i <= 0xFFFF; ++i) {
        uint32_t id = ReadConfig(ports, i >> 8, i & 0xFF, 0);
        if ((id & 0xFFFF) == 0x109E && (id >> 16) >= 0x0350 && (id >> 16) <= 0x036F) {
            found.push_back({id, ReadConfig(ports, i >> 8, i & 0xFF, 0x10) & 0xFFFF'FFF0u});
        }
    }
    return found;
}

TEST(EmulatedConfigSpaceTest, OptionsDecideWhichChipsTheScanFinds) {
    struct Case {
        const char* options;
        std::vector<uint32_t> ids;
    };
    const Case cases[] = {
        {"", {0x036E'109Eu}},
        {"bt848", {0x0350'109Eu}},
        {"bt849,camera", {0x0351'109Eu}},
        {"bt879", {0x036F'109Eu}},
        {"two", {0x036E'109Eu, 0x036E'109Eu}},
        {"none", {}},
    };
    for (const Case& c : cases) {
        EmulatedCard card(c.options);
        std::vector<Found> found = ScanForChips(card.Ports());
        ASSERT_EQ(found.size(), c.ids.size()) << c.options;
        for (size_t k = 0; k < found.size(); ++k) {
            EXPECT_EQ(found[k].id, c.ids[k]) << c.options;
            EXPECT_EQ(found[k].bar0, EmulatedCard::kFirstBar0 + k * EmulatedCard::kBarSpacing);
        }
    }
}

TEST(EmulatedConfigSpaceTest, AbsentFunctionsAndOtherPortsReadAllOnes) {
    EmulatedCard card;
    EXPECT_EQ(ReadConfig(card.Ports(), 0, 0, 0), 0x1237'8086u);     // the host bridge
    EXPECT_EQ(ReadConfig(card.Ports(), 1, 0x01, 0), 0x0878'109Eu);  // the audio function
    EXPECT_EQ(ReadConfig(card.Ports(), 7, 0x08, 0), 0xFFFF'FFFFu);
    card.Ports().out32(ConfigPorts::kAddressPort, 0x0000'0100u);  // enable bit clear
    EXPECT_EQ(card.Ports().in32(ConfigPorts::kDataPort), 0xFFFF'FFFFu);
    EXPECT_EQ(card.Ports().in32(0x80), 0xFFFF'FFFFu);
}

TEST(EmulatedCardTest, UnknownOptionIsRejectedByName) {
    try {
        EmulatedCard card("two,bt999");
        FAIL() << "no exception";
    } catch (const std::invalid_argument& error) {
        EXPECT_NE(std::string(error.what()).find("bt999"), std::string::npos);
    }
}

TEST(EmulatedPhysMemTest, BuffersAreAlignedSeparatedAndTranslated) {
    EmulatedCard card;
    PhysMemDriver& driver = card.Driver();
    ASSERT_TRUE(driver.Open());
    uint8_t* first = nullptr;
    uint8_t* second = nullptr;
    uint32_t firstPhysical = 0;
    uint32_t secondPhysical = 0;
    ASSERT_TRUE(driver.AllocateBuffer(691'200, &first, &firstPhysical));
    ASSERT_TRUE(driver.AllocateBuffer(7'168, &second, &secondPhysical));
    EXPECT_EQ(firstPhysical % 4096, 0u);
    EXPECT_EQ(secondPhysical % 4096, 0u);
    EXPECT_GE(secondPhysical, firstPhysical + 691'200 + 4096);  // a guard page between

    EmulatedPhysMem& memory = card.Memory();
    EXPECT_EQ(memory.Translate(firstPhysical + 10, 4), first + 10);
    EXPECT_EQ(memory.Translate(firstPhysical + 691'196, 4), first + 691'196);
    EXPECT_EQ(memory.Translate(firstPhysical + 691'197, 4), nullptr);
    EXPECT_EQ(memory.Translate(firstPhysical - 1, 1), nullptr);

    EXPECT_TRUE(driver.FreeBuffer(first));
    EXPECT_EQ(memory.Translate(firstPhysical, 1), nullptr);
    EXPECT_FALSE(driver.FreeBuffer(first));
    uint8_t* again = nullptr;
    uint32_t againPhysical = 0;
    ASSERT_TRUE(driver.AllocateBuffer(4096, &again, &againPhysical));
    EXPECT_EQ(againPhysical, firstPhysical);  // freed space is reused
    driver.Close();
}

TEST(EmulatedPhysMemTest, RefusedRequests) {
    EmulatedCard card;
    PhysMemDriver& driver = card.Driver();
    uint8_t* linear = nullptr;
    uint32_t physical = 0;
    EXPECT_FALSE(driver.AllocateBuffer(4096, &linear, &physical));  // not open
    EXPECT_EQ(card.Memory().RequestsWithoutOpen(), 1u);
    driver.Open();
    EXPECT_FALSE(driver.AllocateBuffer(0, &linear, &physical));
    EXPECT_FALSE(driver.AllocateBuffer(EmulatedPhysMem::kMaxBufferSize + 1, &linear, &physical));
    EXPECT_EQ(driver.MapRegisters(EmulatedCard::kFirstBar0, 0x1000), &card.Chip(0));
    EXPECT_EQ(driver.MapRegisters(EmulatedCard::kFirstBar0 + 0x1000, 0x1000), nullptr);
    EXPECT_EQ(driver.MapRegisters(EmulatedCard::kFirstBar0, 0x2000), nullptr);
    driver.Close();
}

}  // namespace

#include "platform/SysfsConfigPorts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "support/SysfsFakeTree.h"

namespace {

constexpr uint32_t kBt848 = 0x0350109E;
constexpr uint32_t kBt878 = 0x036E109E;
constexpr uint32_t kBt879 = 0x036F109E;
constexpr uint32_t kHostBridge = 0x12378086;
constexpr uint32_t kAudioFunction = 0x0878109E;

struct Found {
    uint16_t index;
    uint32_t bar0;
    bool operator==(const Found&) const = default;
};

// The card search as the hardware layer runs it over configuration mechanism 1:
// every bus, device and function in order, register 0 against the accepted
// words, then BAR0 of a match; the first non-zero BAR0 wins.
std::optional<Found> ScanForCard(ConfigPorts& ports) {
    const uint32_t accepted[] = {kBt848, 0x0351109E, kBt878, kBt879};
    for (uint32_t i = 0; i <= 0xFFFF; ++i) {
        const uint32_t address = 0x80000000u | i << 8;
        ports.out32(ConfigPorts::kAddressPort, address);
        const uint32_t word = ports.in32(ConfigPorts::kDataPort);
        if (std::find(std::begin(accepted), std::end(accepted), word) == std::end(accepted)) {
            continue;
        }
        ports.out32(ConfigPorts::kAddressPort, address | 0x10);
        const uint32_t bar0 = ports.in32(ConfigPorts::kDataPort) & 0xFFFFFFF0u;
        if (bar0 != 0) {
            return Found{static_cast<uint16_t>(i), bar0};
        }
    }
    return std::nullopt;
}

uint32_t Read(SysfsConfigPorts& ports, uint32_t address) {
    ports.out32(ConfigPorts::kAddressPort, address);
    return ports.in32(ConfigPorts::kDataPort);
}

}  // namespace

TEST(SysfsConfigPortsTest, ScanFindsTheFirstCardInScanOrder) {
    struct Case {
        const char* what;
        std::vector<SysfsFakeTree::Function> functions;
        std::optional<Found> expected;
    };
    const std::vector<Case> cases = {
        {"no card", {{"0000:00:00.0", kHostBridge}}, std::nullopt},
        {"one card",
         {{"0000:00:00.0", kHostBridge}, {"0000:03:07.0", kBt878, 0xE1000008}},
         Found{0x0338, 0xE1000000}},
        {"lower bus wins over lower device",
         {{"0000:04:00.0", kBt848, 0xE2000000}, {"0000:02:1f.0", kBt879, 0xE3000000}},
         Found{0x02F8, 0xE3000000}},
        {"lower function wins on the same device",
         {{"0000:01:05.1", kBt848, 0xE5000000}, {"0000:01:05.0", kBt878, 0xE4000000}},
         Found{0x0128, 0xE4000000}},
        {"zero BAR0 is skipped",
         {{"0000:01:00.0", kBt878, 0x0000000F}, {"0000:01:01.0", kBt878, 0xE6000000}},
         Found{0x0108, 0xE6000000}},
        {"the chip's audio function is not a card",
         {{"0000:01:00.1", kAudioFunction, 0xE7000000}},
         std::nullopt},
        {"other domains are not visible", {{"0001:00:01.0", kBt878, 0xE8000000}}, std::nullopt},
    };
    for (const Case& c : cases) {
        SysfsFakeTree tree;
        for (const auto& function : c.functions) {
            tree.Add(function);
        }
        SysfsConfigPorts ports(tree.Root());
        EXPECT_EQ(ScanForCard(ports), c.expected) << c.what;
    }
}

TEST(SysfsConfigPortsTest, AnswersTheLatchedRegisterOrNothing) {
    SysfsFakeTree tree;
    tree.Add({"0000:01:05.0", kBt878, 0xE1000008});
    tree.Add({"0000:00:02.0", kHostBridge, 0xF0000000, "", {}, 64});
    SysfsConfigPorts ports(tree.Root());
    struct Case {
        uint32_t address;
        uint32_t expected;
    };
    const Case cases[] = {
        {0x80012800, kBt878},     {0x80012810, 0xE1000008}, {0x80012813, 0xE1000008},
        {0x80012804, 0},          {0x80012900, 0xFFFFFFFF}, {0x80022800, 0xFFFFFFFF},
        {0x00012800, 0xFFFFFFFF}, {0x80001010, 0xF0000000}, {0x80001040, 0xFFFFFFFF},
        {0x8F012800, kBt878},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Read(ports, c.address), c.expected) << std::hex << c.address;
    }
    ports.out32(ConfigPorts::kAddressPort, 0x80012810);
    EXPECT_EQ(ports.in32(ConfigPorts::kAddressPort), 0x80012810u);
    EXPECT_EQ(ports.in32(0x80), 0xFFFFFFFFu);
}

TEST(SysfsConfigPortsTest, ListsTheFolderOncePerScan) {
    SysfsFakeTree tree;
    tree.Add({"0000:00:00.0", kHostBridge});
    SysfsConfigPorts ports(tree.Root());
    EXPECT_EQ(ScanForCard(ports), std::nullopt);

    tree.Add({"0000:02:00.0", kBt848, 0xE1000000});
    EXPECT_EQ(Read(ports, 0x80020000), 0xFFFFFFFFu) << "listing reused within a scan";
    EXPECT_EQ(ScanForCard(ports), (Found{0x0200, 0xE1000000})) << "a new scan lists again";

    tree.Add({"0000:01:00.0", kBt878, 0xE2000000});
    EXPECT_EQ(Read(ports, 0x80010000), 0xFFFFFFFFu);
    ports.Rescan();
    EXPECT_EQ(Read(ports, 0x80010000), kBt878);
}

TEST(SysfsConfigPortsTest, UnreadableSysfsRefusesPortAccess) {
    struct Case {
        const char* what;
        void (*breakTree)(SysfsFakeTree&);
    };
    const Case cases[] = {
        {"no PCI folder", [](SysfsFakeTree& tree) { tree.RemoveRoot(); }},
        {"PCI folder is a file", [](SysfsFakeTree& tree) { tree.ReplaceRootWithFile(); }},
        {"config cannot be read",
         [](SysfsFakeTree& tree) { tree.ReplaceConfigWithFolder("0000:00:00.0"); }},
    };
    for (const Case& c : cases) {
        SysfsFakeTree tree;
        tree.Add({"0000:00:00.0", kHostBridge});
        c.breakTree(tree);
        SysfsConfigPorts ports(tree.Root());
        EXPECT_THROW(ScanForCard(ports), PortAccessRefused) << c.what;
    }
}

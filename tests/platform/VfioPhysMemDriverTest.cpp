#include "platform/VfioPhysMemDriver.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "support/SysfsFakeTree.h"
#include "support/VfioFakeSystem.h"

namespace {

constexpr uint32_t kBt878 = 0x036E109E;
constexpr uint32_t kBar0 = 0xFEBFE000;
constexpr uint64_t k4GiB = uint64_t{1} << 32;
const char* const kCard = "0000:01:05.0";

// A machine with a host bridge and one Bt878 bound to vfio-pci in IOMMU group
// 12; each test bends it before the driver is built.
struct Machine {
    Machine() {
        sysfs.Add({"0000:00:00.0", 0x12378086, 0, "", 5});
        card = {kCard, kBt878, kBar0 | 0x8, "vfio-pci", 12};
        vfio.groups[5] = {};
        vfio.groups[12].devices = {kCard};
    }

    VfioPhysMemDriver& Driver() {
        if (!driver) {
            sysfs.Add(card);
            driver = std::make_unique<VfioPhysMemDriver>(
                vfio, sysfs.Root(), std::vector<uint32_t>{0x0350109E, kBt878}, errors);
        }
        return *driver;
    }

    std::vector<std::string> ErrorLines() const {
        std::vector<std::string> lines;
        std::istringstream text(errors.str());
        for (std::string line; std::getline(text, line);) {
            lines.push_back(line);
        }
        return lines;
    }

    SysfsFakeTree sysfs;
    SysfsFakeTree::Function card;
    VfioFakeSystem vfio;
    std::ostringstream errors;
    std::unique_ptr<VfioPhysMemDriver> driver;
};

}  // namespace

TEST(VfioPhysMemDriverTest, EachReasonTheDriverCannotOpenNamesItsCauseAndFix) {
    struct Case {
        const char* what;
        std::function<void(Machine&)> bend;
        const char* line;
    };
    const std::vector<Case> cases = {
        {"no VFIO", [](Machine& m) { m.vfio.containerOpenErrno = ENOENT; },
         "/dev/vfio/vfio is missing: load the vfio-pci module (modprobe vfio-pci)"},
        {"container refused", [](Machine& m) { m.vfio.containerOpenErrno = EACCES; },
         "cannot open /dev/vfio/vfio (Permission denied)"},
        {"no type 1 IOMMU", [](Machine& m) { m.vfio.type1Supported = false; },
         "the kernel offers VFIO no type 1 IOMMU: turn the IOMMU on"},
        {"bound to bttv", [](Machine& m) { m.card.driver = "bttv"; },
         "0000:01:05.0 is bound to bttv, not vfio-pci: run 'quorvtv-bind-vfio 0000:01:05.0' as "
         "root"},
        {"bound to nothing", [](Machine& m) { m.card.driver = ""; },
         "0000:01:05.0 is bound to no driver, not vfio-pci"},
        {"IOMMU off", [](Machine& m) { m.card.iommuGroup.reset(); },
         "0000:01:05.0 has no IOMMU group: turn the IOMMU on"},
        {"group not accessible", [](Machine& m) { m.vfio.groups[12].openErrno = EACCES; },
         "no access to /dev/vfio/12: install the udev rule 70-quorvtv-vfio.rules"},
        {"group busy", [](Machine& m) { m.vfio.groups[12].openErrno = EBUSY; },
         "/dev/vfio/12 is in use by another process"},
        {"group not viable", [](Machine& m) { m.vfio.groups[12].viable = false; },
         "IOMMU group 12 is not viable: bind every device listed in "
         "/sys/kernel/iommu_groups/12/devices to vfio-pci"},
        {"no card", [](Machine& m) { m.card.idWord = 0x0878109E; },
         "no supported capture card is listed in"},
    };
    for (const Case& c : cases) {
        Machine machine;
        c.bend(machine);
        EXPECT_FALSE(machine.Driver().Open()) << c.what;
        const auto lines = machine.ErrorLines();
        ASSERT_EQ(lines.size(), 1u) << c.what;
        EXPECT_NE(lines[0].find(std::string("quorvtv: ") + c.line), std::string::npos)
            << c.what << ": " << lines[0];
        EXPECT_EQ(machine.vfio.OpenDescriptors(), 0u) << c.what;
        EXPECT_EQ(machine.Driver().MapRegisters(kBar0, 0x1000), nullptr) << c.what;
    }
}

TEST(VfioPhysMemDriverTest, MapsTheCardAndTurnsOnMemoryDecodingAndBusMastering) {
    Machine machine;
    VfioPhysMemDriver& driver = machine.Driver();
    ASSERT_TRUE(driver.Open());
    RegisterWindow* window = driver.MapRegisters(kBar0, 0x1000);
    driver.Close();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(machine.vfio.Command(), 0x0406) << "memory and bus master on, the rest kept";
    EXPECT_EQ(machine.vfio.configWrites, 1);

    window->write32(0x10C, 0x12345678);
    window->write8(0x0FF, 0xAB);
    window->write32(0x1000, 0xDEADBEEF);
    window->write32(0x102, 0xDEADBEEF);
    EXPECT_EQ(machine.vfio.bar0[0x10C], 0x78);
    EXPECT_EQ(machine.vfio.bar0[0x10F], 0x12);
    EXPECT_EQ(machine.vfio.bar0[0x0FF], 0xAB);
    EXPECT_EQ(machine.vfio.bar0[0x102], 0x00);
    EXPECT_EQ(window->read32(0x10C), 0x12345678u);
    EXPECT_EQ(window->read32(0xFFC + 4), 0xFFFFFFFFu);

    ASSERT_TRUE(driver.Open());
    EXPECT_EQ(driver.MapRegisters(kBar0, 0x1000), window);
    EXPECT_EQ(machine.vfio.configWrites, 1);
    EXPECT_TRUE(machine.ErrorLines().empty());
}

TEST(VfioPhysMemDriverTest, SkipsAClaimedFunctionWithoutBar0AndRefusesForeignAddresses) {
    Machine machine;
    machine.sysfs.Add({"0000:00:09.0", kBt878, 0, "bttv", 7});
    machine.vfio.config[4] = 0x06;
    VfioPhysMemDriver& driver = machine.Driver();
    ASSERT_TRUE(driver.Open());
    EXPECT_EQ(driver.MapRegisters(0xE0000000, 0x1000), nullptr);
    ASSERT_EQ(machine.ErrorLines().size(), 1u);
    EXPECT_NE(machine.ErrorLines()[0].find("0xE0000000 is not the register window of "
                                           "0000:01:05.0 (its BAR0 is 0xFEBFE000)"),
              std::string::npos);
    EXPECT_NE(driver.MapRegisters(kBar0, 0x1000), nullptr);
    EXPECT_EQ(machine.vfio.configWrites, 0) << "both bits were already on";
}

TEST(VfioPhysMemDriverTest, BuffersAreLockedAndMappedBelow4GiBThenUnmappedAndFreed) {
    Machine machine;
    machine.vfio.reportedRanges = {{{0, 0xFEDFFFFF}, {0xFEF00000, 0xFFFFFFFFFFFF}}};
    VfioPhysMemDriver& driver = machine.Driver();
    ASSERT_TRUE(driver.Open());
    const uint32_t sizes[] = {691200, 7168};
    std::vector<std::pair<uint8_t*, uint32_t>> buffers;
    for (const uint32_t size : sizes) {
        uint8_t* linear = nullptr;
        uint32_t physical = 0;
        ASSERT_TRUE(driver.AllocateBuffer(size, &linear, &physical));
        EXPECT_EQ(reinterpret_cast<uintptr_t>(linear) % 4096, 0u);
        EXPECT_TRUE(machine.vfio.IsLocked(linear));
        EXPECT_NE(physical, 0u);
        EXPECT_LE(uint64_t{physical} + size, k4GiB);
        const auto& mapping = machine.vfio.dmaMappings.at(physical);
        EXPECT_EQ(mapping.vaddr, reinterpret_cast<uintptr_t>(linear));
        EXPECT_GE(mapping.size, size);
        linear[size - 1] = 1;
        buffers.emplace_back(linear, physical);
    }
    EXPECT_EQ(machine.vfio.dmaMappings.size(), 2u);

    for (const auto& [linear, physical] : buffers) {
        EXPECT_TRUE(driver.FreeBuffer(linear));
        EXPECT_EQ(machine.vfio.dmaMappings.count(physical), 0u);
    }
    EXPECT_EQ(machine.vfio.HostBlocks(), 0u);
    EXPECT_EQ(machine.vfio.LockedBlocks(), 0u);
    EXPECT_FALSE(driver.FreeBuffer(nullptr));
    EXPECT_TRUE(machine.ErrorLines().empty()) << "freeing an empty descriptor is quiet";
    EXPECT_FALSE(driver.FreeBuffer(buffers[0].first));
    EXPECT_EQ(machine.ErrorLines().size(), 1u);
}

TEST(VfioPhysMemDriverTest, AFailedAllocationLeavesNothingBehind) {
    struct Case {
        const char* what;
        std::function<void(VfioFakeSystem&)> bend;
        const char* line;
    };
    const std::vector<Case> cases = {
        {"locked-memory limit", [](VfioFakeSystem& v) { v.mlockErrno = ENOMEM; },
         "cannot lock 692224 bytes in memory (Cannot allocate memory): raise the locked-memory "
         "limit"},
        {"IOMMU pin limit", [](VfioFakeSystem& v) { v.mapDmaErrno = ENOMEM; },
         "the IOMMU refused to map 692224 bytes for DMA (Cannot allocate memory): raise"},
        {"usable space only above 4 GiB",
         [](VfioFakeSystem& v) {
             v.reportedRanges = {{{0, 0x7FFFF}, {k4GiB, 0xFFFFFFFFFFFF}}};
         },
         "no room for 692224 bytes of DMA addresses below 4 GiB"},
    };
    for (const Case& c : cases) {
        Machine machine;
        c.bend(machine.vfio);
        VfioPhysMemDriver& driver = machine.Driver();
        ASSERT_TRUE(driver.Open());
        uint8_t* linear = nullptr;
        uint32_t physical = 0;
        EXPECT_FALSE(driver.AllocateBuffer(691200, &linear, &physical)) << c.what;
        const auto lines = machine.ErrorLines();
        ASSERT_EQ(lines.size(), 1u) << c.what;
        EXPECT_NE(lines[0].find(c.line), std::string::npos) << c.what << ": " << lines[0];
        EXPECT_EQ(machine.vfio.HostBlocks(), 0u) << c.what;
        EXPECT_EQ(machine.vfio.LockedBlocks(), 0u) << c.what;
        EXPECT_TRUE(machine.vfio.dmaMappings.empty()) << c.what;
    }
}

TEST(VfioPhysMemDriverTest, MemoryTheIommuStillMapsIsNotFreedUntilTheDriverCloses) {
    Machine machine;
    VfioPhysMemDriver& driver = machine.Driver();
    ASSERT_TRUE(driver.Open());
    uint8_t* linear = nullptr;
    uint32_t physical = 0;
    ASSERT_TRUE(driver.AllocateBuffer(7168, &linear, &physical));
    machine.vfio.unmapDmaErrno = EIO;
    EXPECT_FALSE(driver.FreeBuffer(linear));
    EXPECT_EQ(machine.vfio.HostBlocks(), 1u);
    EXPECT_EQ(machine.vfio.dmaMappings.size(), 1u);

    machine.driver.reset();
    EXPECT_EQ(machine.vfio.HostBlocks(), 0u);
    EXPECT_TRUE(machine.vfio.dmaMappings.empty());
}

TEST(VfioPhysMemDriverTest, DestructionStopsTheCardAndReleasesEverything) {
    for (const bool resettable : {true, false}) {
        Machine machine;
        machine.vfio.deviceResets = resettable;
        VfioPhysMemDriver& driver = machine.Driver();
        ASSERT_TRUE(driver.Open());
        ASSERT_NE(driver.MapRegisters(kBar0, 0x1000), nullptr);
        uint8_t* linear = nullptr;
        uint32_t physical = 0;
        ASSERT_TRUE(driver.AllocateBuffer(691200, &linear, &physical));
        ASSERT_TRUE(driver.AllocateBuffer(7168, &linear, &physical));

        machine.driver.reset();
        EXPECT_EQ(machine.vfio.resets, resettable ? 1 : 0);
        EXPECT_TRUE(machine.vfio.dmaMappings.empty());
        EXPECT_EQ(machine.vfio.HostBlocks(), 0u);
        EXPECT_FALSE(machine.vfio.Bar0Mapped());
        EXPECT_EQ(machine.vfio.OpenDescriptors(), 0u);
    }
}

TEST(VfioPhysMemDriverTest, OlderKernelsAndLargeIommuPagesStillGetAlignedLowAddresses) {
    Machine machine;
    machine.vfio.reportedRanges.reset();
    machine.vfio.iovaPageSizes = 0x10000 | 0x200000;
    VfioPhysMemDriver& driver = machine.Driver();
    ASSERT_TRUE(driver.Open());
    uint8_t* linear = nullptr;
    uint32_t first = 0;
    uint32_t second = 0;
    ASSERT_TRUE(driver.AllocateBuffer(7168, &linear, &first));
    ASSERT_TRUE(driver.AllocateBuffer(7168, &linear, &second));
    EXPECT_EQ(first, 0x10000u) << "the first IOMMU page stays free";
    EXPECT_EQ(second, 0x20000u);
    EXPECT_EQ(machine.vfio.dmaMappings.at(first).size, 0x10000u);
}

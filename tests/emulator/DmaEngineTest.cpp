#include <gtest/gtest.h>

#include <algorithm>

#include "emulator/ChipRegisters.h"
#include "emulator/EmulatedCard.h"
#include "support/EmulatorCaptureRig.h"

using namespace ChipRegisters;

namespace {

using Rig = EmulatorCaptureRig;

size_t CountUntouched(const uint8_t* begin, const uint8_t* end) {
    return static_cast<size_t>(std::count(begin, end, Rig::kUntouched));
}

TEST(DmaEngineTest, EngineProgramFillsExactlyTheFirst690176BytesPerPass) {
    EmulatedCard card;
    Rig rig(card);
    rig.StartEngineCapture();
    rig.FinishPass();
    uint8_t* capture = rig.Capture();
    EXPECT_EQ(CountUntouched(capture, capture + Rig::kFilled), 0u);
    EXPECT_EQ(CountUntouched(capture + Rig::kFilled, capture + Rig::kCaptureSize), 1024u);
    EXPECT_EQ(card.Chip(0).DmaFault(), DmaEngine::Fault::None);

    for (int pass = 0; pass < 5; ++pass) {
        std::fill(capture, capture + Rig::kCaptureSize, Rig::kUntouched);
        rig.NextEvenField();
        rig.FinishPass();
        EXPECT_EQ(CountUntouched(capture, capture + Rig::kFilled), 0u);
        EXPECT_EQ(CountUntouched(capture + Rig::kFilled, capture + Rig::kCaptureSize), 1024u);
    }
    EXPECT_EQ(card.Chip(0).DmaState(), DmaEngine::State::WaitingEven);
    EXPECT_EQ(rig.Read(kIntStat) & kIntFaultBits, 0u);
}

// The pass proceeds with emulated time: a frame loop that looks early sees a
// buffer written up to the current sample and nothing beyond.
TEST(DmaEngineTest, SamplesArriveProgressively) {
    EmulatedCard card;
    Rig rig(card);
    rig.StartEngineCapture();
    rig.FinishPass();
    uint8_t* capture = rig.Capture();
    std::fill(capture, capture + Rig::kCaptureSize, Rig::kUntouched);
    rig.NextEvenField();
    size_t previous = Rig::kCaptureSize - CountUntouched(capture, capture + Rig::kCaptureSize);
    EXPECT_LT(previous, 3'600u);
    for (int step = 0; step < 4; ++step) {
        card.AdvanceUs(4'000);
        size_t written = Rig::kCaptureSize - CountUntouched(capture, capture + Rig::kCaptureSize);
        EXPECT_NEAR(static_cast<double>(written - previous), 141'754.0, 400.0);  // 4 ms of samples
        EXPECT_EQ(CountUntouched(capture, capture + written), 0u);               // a prefix
        previous = written;
    }
}

TEST(DmaEngineTest, FaultsStopTheEngineWithAStatus) {
    struct Case {
        const char* what;
        std::vector<uint32_t> (*program)(const Rig&);
        DmaEngine::Fault fault;
        uint32_t statusBit;
    };
    const Case cases[] = {
        {"unknown opcode",
         [](const Rig&) {
             return std::vector<uint32_t>{0x2000'0010u, 0};
         },
         DmaEngine::Fault::BadOpcode, kIntOcerr},
        {"write outside the buffer",
         [](const Rig& r) {
             return std::vector<uint32_t>{0x1C00'0400u,
                                          r.CapturePhysical() + Rig::kCaptureSize - 512};
         },
         DmaEngine::Fault::AddressFault, kIntPabort},
        {"write to unallocated memory",
         [](const Rig&) {
             return std::vector<uint32_t>{0x1C00'0400u, 0x0000'1000u};
         },
         DmaEngine::Fault::AddressFault, kIntPabort},
        {"jump outside memory",
         [](const Rig&) {
             return std::vector<uint32_t>{0x7000'0000u, 0xDEAD'0000u};
         },
         DmaEngine::Fault::AddressFault, kIntPabort},
        {"jump to itself",
         [](const Rig& r) {
             return std::vector<uint32_t>{0x7C00'0000u, r.ProgramPhysical()};
         },
         DmaEngine::Fault::Runaway, kIntRiperr},
        {"sync that never waits, in a loop",
         [](const Rig& r) {
             return std::vector<uint32_t>{0x8000'0006u, 0, 0x7000'0000u, r.ProgramPhysical()};
         },
         DmaEngine::Fault::Runaway, kIntRiperr},
    };
    for (const Case& c : cases) {
        EmulatedCard card;
        Rig rig(card);
        rig.StartClock();
        rig.WriteProgram(c.program(rig));
        rig.StartCapture();
        card.AdvanceUs(1'000);
        EXPECT_EQ(card.Chip(0).DmaFault(), c.fault) << c.what;
        EXPECT_EQ(card.Chip(0).DmaState(), DmaEngine::State::Faulted) << c.what;
        EXPECT_EQ(rig.Read(kIntStat) & (kIntFaultBits | kIntRiscEn), c.statusBit) << c.what;
        EXPECT_EQ(CountUntouched(rig.Capture(), rig.Capture() + Rig::kCaptureSize),
                  size_t{Rig::kCaptureSize})
            << c.what;
        rig.Write(kIntStat, c.statusBit);
        EXPECT_EQ(rig.Read(kIntStat) & kIntFaultBits, 0u) << c.what;
    }
}

TEST(DmaEngineTest, RestartAfterAFaultRunsTheNewProgram) {
    EmulatedCard card;
    Rig rig(card);
    rig.StartClock();
    rig.WriteProgram({0x7C00'0000u, rig.ProgramPhysical()});
    rig.StartCapture();
    card.AdvanceUs(1'000);
    ASSERT_EQ(card.Chip(0).DmaFault(), DmaEngine::Fault::Runaway);

    rig.Write(kCapCtl, 0);
    rig.WriteProgram(rig.EngineProgram());
    rig.Write(kCapCtl, 3);
    rig.NextEvenField();
    rig.FinishPass();
    EXPECT_EQ(card.Chip(0).DmaFault(), DmaEngine::Fault::None);
    EXPECT_EQ(CountUntouched(rig.Capture(), rig.Capture() + Rig::kFilled), 0u);
}

TEST(DmaEngineTest, EachEnableIsNeededToRun) {
    struct Case {
        uint32_t dmaCtl;
        uint32_t capCtl;
        bool runs;
    };
    const Case cases[] = {{3, 3, true},  {3, 1, true},  {3, 2, true},
                          {1, 3, false}, {2, 3, false}, {3, 0, false}};
    for (const Case& c : cases) {
        EmulatedCard card;
        Rig rig(card);
        rig.StartClock();
        rig.WriteProgram(rig.EngineProgram());
        rig.Write(kRiscStrtAdd, rig.ProgramPhysical());
        rig.Write(kGpioDmaCtl, c.dmaCtl);
        rig.Write(kCapCtl, c.capCtl);
        card.AdvanceUs(60'000);
        bool wrote = CountUntouched(rig.Capture(), rig.Capture() + Rig::kFilled) == 0;
        EXPECT_EQ(wrote, c.runs) << c.dmaCtl << " " << c.capCtl;
        EXPECT_EQ((rig.Read(kIntStat) & kIntRiscEn) != 0, c.runs);
    }
}

TEST(DmaEngineTest, FreeingABufferUnderARunningProgramFaultsInsteadOfWriting) {
    EmulatedCard card;
    Rig rig(card);
    rig.StartEngineCapture();
    card.AdvanceUs(2'000);
    card.Driver().Open();
    card.Driver().FreeBuffer(rig.Capture());
    card.Driver().Close();
    card.AdvanceUs(2'000);
    EXPECT_EQ(card.Chip(0).DmaFault(), DmaEngine::Fault::AddressFault);
}

}  // namespace

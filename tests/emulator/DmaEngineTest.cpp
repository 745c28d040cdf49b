#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "emulator/ChipRegisters.h"
#include "emulator/EmulatedCard.h"
#include "support/EmulatorCaptureRig.h"

using namespace ChipRegisters;

namespace {

using Rig = EmulatorCaptureRig;
using Words = std::vector<uint32_t>;

constexpr uint32_t kSyncVre = 0x8000'8004;
constexpr uint32_t kSyncFm1 = 0x8000'0006;
constexpr uint32_t kWriteLine = 0x1C00'0400;
constexpr uint32_t kJump = 0x7C00'0000;
// What the controller itself reports, apart from a FIFO that overflows meanwhile.
constexpr uint32_t kInstructionErrors = kIntDmaErrors & ~(kIntFbus | kIntFtrgt);

size_t CountUntouched(const uint8_t* begin, const uint8_t* end) {
    return static_cast<size_t>(std::count(begin, end, Rig::kUntouched));
}

size_t Written(Rig& rig) {
    return Rig::kCaptureSize - CountUntouched(rig.Capture(), rig.Capture() + Rig::kCaptureSize);
}

// The engine's program with every line write replaced by `write` at a stride
// of 1,024 bytes, `lines` of them.
Words LineProgram(const Rig& rig, uint32_t write, uint32_t lines = Rig::kWrites) {
    Words words = {kSyncVre, 0, kSyncFm1, 0};
    for (uint32_t k = 0; k < lines; ++k) {
        words.push_back(write);
        words.push_back(rig.CapturePhysical() + Rig::kWriteBytes * k);
    }
    words.push_back(kJump);
    words.push_back(rig.ProgramPhysical());
    return words;
}

// A card set up for raw capture with a locked clock, nothing started.
struct Card {
    Card() : rig(card) {
        rig.ConfigureRawCapture();
        rig.StartClock();
    }
    uint32_t Errors() { return rig.Read(kIntStat) & kIntDmaErrors; }
    EmulatedCard card;
    Rig rig;
};

TEST(DmaEngineTest, EngineProgramFillsExactlyTheFirst690176BytesPerPass) {
    Card c;
    c.rig.WriteProgram(c.rig.EngineProgram());
    c.rig.StartCapture();
    c.rig.NextEvenField();
    c.rig.NextEvenField();
    uint8_t* capture = c.rig.Capture();
    for (int pass = 0; pass < 5; ++pass) {
        EXPECT_EQ(CountUntouched(capture, capture + Rig::kFilled), 0u) << pass;
        EXPECT_EQ(CountUntouched(capture + Rig::kFilled, capture + Rig::kCaptureSize), 1024u);
        std::fill(capture, capture + Rig::kCaptureSize, Rig::kUntouched);
        c.rig.NextEvenField();
    }
    // Between passes the controller waits at its first SYNC for the even
    // field's end.
    EXPECT_EQ(c.rig.Read(kRiscCount), c.rig.ProgramPhysical() + 8);
    EXPECT_EQ(c.card.Chip(0).DmaState(), DmaEngine::State::Running);
    EXPECT_EQ(c.Errors(), 0u);
}

// The pass follows emulated time through the odd field: a frame loop that
// looks early sees a buffer written up to the current sample and no further.
TEST(DmaEngineTest, SamplesArriveProgressivelyDuringTheOddField) {
    Card c;
    c.rig.WriteProgram(c.rig.EngineProgram());
    c.rig.StartCapture();
    c.rig.NextEvenField();
    c.rig.NextEvenField();
    uint8_t* capture = c.rig.Capture();
    std::fill(capture, capture + Rig::kCaptureSize, Rig::kUntouched);
    c.card.AdvanceUs(21'000);  // the even field lasts 20.03 ms; the odd one's data starts a line in
    size_t previous = Written(c.rig);
    EXPECT_LT(previous, 40'000u);
    for (int step = 0; step < 4; ++step) {
        c.card.AdvanceUs(4'000);
        size_t written = Written(c.rig);
        EXPECT_NEAR(static_cast<double>(written - previous), 141'754.0, 1'100.0);  // 4 ms
        EXPECT_EQ(CountUntouched(capture, capture + written), 0u);                 // a prefix
        previous = written;
    }
}

TEST(DmaEngineTest, ErrorsHaltTheControllerWithTheChipsStatusBits) {
    struct Case {
        const char* what;
        Words (*program)(const Rig&);
        DmaEngine::Fault fault;
        uint32_t status;
        size_t mayWrite = 0;  // bytes written before the error
    };
    const Case cases[] = {
        {"opcode 0000",
         [](const Rig&) {
             return Words{0x0000'0000u, 0};
         },
         DmaEngine::Fault::ReservedOpcode, kIntOcerr},
        {"opcode 1111",
         [](const Rig&) {
             return Words{0xF000'0000u, 0};
         },
         DmaEngine::Fault::ReservedOpcode, kIntOcerr},
        {"SYNC with reserved status 0011",
         [](const Rig&) {
             return Words{0x8000'8003u, 0};
         },
         DmaEngine::Fault::ReservedStatus, kIntOcerr},
        {"SYNC FM3 where the raw stream has FM1",
         [](const Rig& r) {
             Words words = r.EngineProgram();
             words[2] = 0x8000'000E;
             return words;
         },
         DmaEngine::Fault::SyncError, kIntScerr},
        {"SYNC VRE without RESYNC",
         [](const Rig& r) {
             Words words = r.EngineProgram();
             words[0] = 0x8000'0004;
             return words;
         },
         DmaEngine::Fault::SyncError, kIntScerr, Rig::kFilled},
        {"write past the buffer's end",
         [](const Rig& r) {
             return Words{kSyncVre,   0,
                          kSyncFm1,   0,
                          kWriteLine, r.CapturePhysical() + Rig::kCaptureSize - 512,
                          kJump,      r.ProgramPhysical()};
         },
         DmaEngine::Fault::MasterAbort, kIntPabort},
        {"write to unallocated memory",
         [](const Rig& r) {
             return Words{kSyncVre,     0,     kSyncFm1,           0, kWriteLine,
                          0x0000'1000u, kJump, r.ProgramPhysical()};
         },
         DmaEngine::Fault::MasterAbort, kIntPabort},
        {"jump outside memory",
         [](const Rig&) {
             return Words{0x7000'0000u, 0xDEAD'0000u};
         },
         DmaEngine::Fault::MasterAbort, kIntPabort},
    };
    for (const Case& c : cases) {
        Card card;
        card.rig.WriteProgram(c.program(card.rig));
        card.rig.StartCapture();
        card.card.AdvanceUs(100'000);
        EXPECT_EQ(card.card.Chip(0).DmaFault(), c.fault) << c.what;
        EXPECT_EQ(card.card.Chip(0).DmaState(), DmaEngine::State::Halted) << c.what;
        // With nobody draining it, the FIFO then overflows.
        EXPECT_EQ(card.Errors(), c.status | kIntFbus) << c.what;
        EXPECT_EQ(card.rig.Read(kIntStat) & kIntRiscEn, 0u) << c.what;
        EXPECT_LE(Written(card.rig), c.mayWrite) << c.what;
        card.rig.Write(kIntStat, c.status | kIntFbus);
        EXPECT_EQ(card.Errors(), 0u) << c.what;
    }
}

// The model's limits and gaps are its own diagnostics, never chip status.
TEST(DmaEngineTest, BudgetAndUnmodelledInstructionsAreReportedApartFromChipErrors) {
    struct Case {
        const char* what;
        Words (*program)(const Rig&);
        DmaEngine::Fault fault;
        uint64_t modelFaults;
        std::string unmodelled;
    };
    const Case cases[] = {
        {"jump to itself",
         [](const Rig& r) {
             return Words{kJump, r.ProgramPhysical()};
         },
         DmaEngine::Fault::Runaway, 1, ""},
        {"WRITEC with SOL",
         [](const Rig&) {
             return Words{0x5800'0400u, 0};
         },
         DmaEngine::Fault::NotModelled, 0, "WRITEC with SOL"},
        {"planar write",
         [](const Rig&) {
             return Words{0x9C00'0400u, 0, 0, 0, 0};
         },
         DmaEngine::Fault::NotModelled, 0, "planar instructions"},
        {"SYNC on a line start",
         [](const Rig&) {
             return Words{0x8000'8002u, 0};
         },
         DmaEngine::Fault::NotModelled, 0, "SYNC on a line status"},
    };
    for (const Case& c : cases) {
        Card card;
        card.rig.WriteProgram(c.program(card.rig));
        card.rig.StartCapture();
        card.card.AdvanceUs(1'000);
        EXPECT_EQ(card.card.Chip(0).DmaFault(), c.fault) << c.what;
        EXPECT_EQ(card.rig.Read(kIntStat) & kInstructionErrors, 0u) << c.what;
        const EmulatedChip::Diagnostics diagnostics = card.card.Chip(0).GetDiagnostics();
        EXPECT_EQ(diagnostics.modelFaults, c.modelFaults) << c.what;
        EXPECT_EQ(diagnostics.lastUnmodelled, c.unmodelled) << c.what;
    }
}

// Raw-frame data comes in FIFO lines of 1,024 bytes; the program's line
// flags and byte enables decide what lands in memory.
TEST(DmaEngineTest, LineFlagsAndByteEnablesShapeWhatIsWritten) {
    struct Case {
        const char* what;
        uint32_t write;
        uint32_t lines;
        size_t written;
        bool resynchronised;
    };
    const Case cases[] = {
        {"SOL and EOL", kWriteLine, Rig::kWrites, Rig::kFilled, false},
        {"EOL without SOL", 0x1400'0400u, Rig::kWrites, Rig::kFilled, false},
        // The FIFO line ends with the first write, which doesn't end the
        // program's line: the writes up to the next EOL are dropped, and none has one.
        {"SOL without EOL", 0x1800'0400u, Rig::kWrites, 1'024, true},
        // The rest of each FIFO line is discarded.
        {"half lines", 0x1C00'0200u, Rig::kWrites, Rig::kWrites * 512u, true},
        {"byte lane 0 disabled", 0x1C00'1400u, Rig::kWrites, Rig::kFilled / 4 * 3, false},
        // The field ends while the 675th write waits for data.
        {"one write too many", kWriteLine, Rig::kWrites + 1, Rig::kFilled, true},
    };
    for (const Case& c : cases) {
        Card card;
        card.rig.WriteProgram(LineProgram(card.rig, c.write, c.lines));
        card.rig.StartCapture();
        card.rig.NextEvenField();
        card.rig.NextEvenField();
        EXPECT_EQ(Written(card.rig), c.written) << c.what;
        EXPECT_EQ((card.rig.Read(kIntStat) & kIntFdsr) != 0, c.resynchronised) << c.what;
        EXPECT_EQ(card.card.Chip(0).DmaState(), DmaEngine::State::Running) << c.what;
    }
}

// RISC_ENABLE's rising edge takes the start address; the FIFO enable and the
// capture bits decide whether data reaches the running controller.
TEST(DmaEngineTest, EnablesAndStartAddressFollowTheChipsRules) {
    struct Case {
        const char* what;
        std::vector<std::pair<uint32_t, uint32_t>> writes;  // offset, value
        bool written;
        bool running;
        uint32_t errors;
    };
    constexpr uint32_t kProgram = 0xFFFF'FFFF;  // stands for the program's address
    const Case cases[] = {
        {"start address, then RISC, FIFO, capture",
         {{kRiscStrtAdd, kProgram}, {kGpioDmaCtl, 2}, {kGpioDmaCtl, 3}, {kCapCtl, 3}},
         true,
         true,
         0},
        {"start address written after RISC_ENABLE",
         {{kGpioDmaCtl, 2}, {kRiscStrtAdd, kProgram}, {kGpioDmaCtl, 3}, {kCapCtl, 3}},
         false,
         false,
         kIntPabort | kIntFbus},
        {"... and taken once RISC_ENABLE rises again",
         {{kGpioDmaCtl, 2},
          {kRiscStrtAdd, kProgram},
          {kGpioDmaCtl, 0},
          {kGpioDmaCtl, 3},
          {kCapCtl, 3}},
         true,
         true,
         kIntPabort},
        {"FIFO left off",
         {{kRiscStrtAdd, kProgram}, {kGpioDmaCtl, 2}, {kCapCtl, 3}},
         false,
         true,
         0},
        {"capture left off", {{kRiscStrtAdd, kProgram}, {kGpioDmaCtl, 3}}, false, true, 0},
        {"DMA controller left off: the FIFO overflows",
         {{kRiscStrtAdd, kProgram}, {kGpioDmaCtl, 1}, {kCapCtl, 3}},
         false,
         false,
         kIntFbus},
        {"even field only: its data follows the even field's own end",
         {{kRiscStrtAdd, kProgram}, {kGpioDmaCtl, 3}, {kCapCtl, 1}},
         true,
         true,
         0},
        {"odd field only: the even field never ends a capture",
         {{kRiscStrtAdd, kProgram}, {kGpioDmaCtl, 3}, {kCapCtl, 2}},
         false,
         true,
         0},
    };
    for (const Case& c : cases) {
        Card card;
        card.rig.WriteProgram(card.rig.EngineProgram());
        for (const auto& [offset, value] : c.writes) {
            card.rig.Write(offset, value == kProgram ? card.rig.ProgramPhysical() : value);
        }
        card.card.AdvanceUs(120'000);
        EXPECT_EQ(CountUntouched(card.rig.Capture(), card.rig.Capture() + Rig::kFilled) == 0,
                  c.written)
            << c.what;
        EXPECT_EQ((card.rig.Read(kIntStat) & kIntRiscEn) != 0, c.running) << c.what;
        EXPECT_EQ(card.Errors(), c.errors) << c.what;
    }
}

// A halted controller stays halted whatever happens to capture; only a new
// rising edge of RISC_ENABLE starts it again.
TEST(DmaEngineTest, OnlyRiscEnableRestartsAHaltedController) {
    Card c;
    c.rig.WriteProgram({0x0000'0000u, 0});
    c.rig.StartCapture();
    c.card.AdvanceUs(1'000);
    ASSERT_EQ(c.card.Chip(0).DmaFault(), DmaEngine::Fault::ReservedOpcode);

    c.rig.WriteProgram(c.rig.EngineProgram());
    c.rig.Write(kCapCtl, 0);
    c.rig.Write(kCapCtl, 3);
    c.card.AdvanceUs(100'000);
    EXPECT_EQ(c.card.Chip(0).DmaState(), DmaEngine::State::Halted);
    EXPECT_EQ(Written(c.rig), 0u);

    c.rig.Write(kGpioDmaCtl, 1);
    c.rig.Write(kGpioDmaCtl, 3);
    c.card.AdvanceUs(100'000);
    EXPECT_EQ(c.card.Chip(0).DmaFault(), DmaEngine::Fault::None);
    EXPECT_EQ(CountUntouched(c.rig.Capture(), c.rig.Capture() + Rig::kFilled), 0u);
}

TEST(DmaEngineTest, InstructionsSetTheRiscStatusAndRaiseRisciWithIrq) {
    Card c;
    Words words = c.rig.EngineProgram();
    words[words.size() - 2] = kJump | kRiscIrq | 0x5u << kRiscSetStatusShift;
    c.rig.WriteProgram(words);
    c.rig.StartCapture();
    c.card.AdvanceUs(100'000);
    EXPECT_EQ(c.rig.Read(kIntStat) & kIntRisci, kIntRisci);
    EXPECT_EQ(c.rig.Read(kIntStat) >> kIntRiscsShift, 0x5u);
    c.rig.Write(kIntStat, kIntRisci);
    EXPECT_EQ(c.rig.Read(kIntStat) & kIntRisci, 0u);
}

TEST(DmaEngineTest, FreeingABufferUnderARunningProgramAbortsInsteadOfWriting) {
    EmulatedCard card;
    Rig rig(card);
    rig.StartEngineCapture();
    card.AdvanceUs(22'000);  // into the odd field's pass
    card.Driver().Open();
    card.Driver().FreeBuffer(rig.Capture());
    card.Driver().Close();
    card.AdvanceUs(2'000);
    EXPECT_EQ(card.Chip(0).DmaFault(), DmaEngine::Fault::MasterAbort);
}

}  // namespace

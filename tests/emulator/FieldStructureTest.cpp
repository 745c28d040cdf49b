#include <gtest/gtest.h>

#include <vector>

#include "emulator/ChipRegisters.h"
#include "emulator/EmulatedCard.h"
#include "emulator/FieldStructure.h"
#include "emulator/SignalLayout.h"
#include "support/EmulatorCaptureRig.h"

using namespace SignalLayout;

namespace {

struct Pulse {
    uint32_t start;
    uint32_t length;
    bool operator==(const Pulse&) const = default;
};

// Where a line sits at the sync tip.
std::vector<Pulse> SyncRuns(const uint8_t* line) {
    std::vector<Pulse> runs;
    for (uint32_t s = 0; s < kSamplesPerLine; ++s) {
        if (line[s] == kSyncLevel && (s == 0 || line[s - 1] != kSyncLevel)) {
            runs.push_back({s, 0});
        }
        if (line[s] == kSyncLevel) {
            ++runs.back().length;
        }
    }
    return runs;
}

// The broadcast 625-line structure, in 0-based frame lines: 4.7 us line
// syncs, 2.35 us equalising and 27.3 us broad pulses, at 0H and half a line.
TEST(FieldStructureTest, EveryLineCarriesTheBroadcastPulses) {
    const Pulse sync{0, 167}, eq{0, 83}, broad{0, 967}, eq2{1134, 83}, broad2{1134, 967};
    struct Case {
        uint32_t line;
        std::vector<Pulse> pulses;
    };
    const Case cases[] = {
        {0, {broad, broad2}}, {1, {broad, broad2}},   {2, {broad, eq2}},
        {3, {eq, eq2}},       {4, {eq, eq2}},         {5, {sync}},
        {21, {sync}},         {22, {sync}},           {200, {sync}},
        {309, {sync}},        {310, {eq, eq2}},       {311, {eq, eq2}},
        {312, {eq, broad2}},  {313, {broad, broad2}}, {314, {broad, broad2}},
        {315, {eq, eq2}},     {316, {eq, eq2}},       {317, {eq}},
        {318, {sync}},        {335, {sync}},          {621, {sync}},
        {622, {sync, eq2}},   {623, {eq, eq2}},       {624, {eq, eq2}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SyncRuns(FieldStructure::Template(c.line)), c.pulses) << "line " << c.line;
    }
}

TEST(FieldStructureTest, EachFieldShows288RowsWithAHalfLineAtOneEnd) {
    struct Case {
        uint32_t line;
        uint32_t row;
        uint32_t first;
        uint32_t end;
    };
    const Case cases[] = {
        {21, FieldStructure::kNoRow, 0, 0},   {22, 0, kHalfLine, kPictureEnd},  // second half only
        {23, 1, kPictureStart, kPictureEnd},  {309, 287, kPictureStart, kPictureEnd},
        {310, FieldStructure::kNoRow, 0, 0},  {334, FieldStructure::kNoRow, 0, 0},
        {335, 0, kPictureStart, kPictureEnd}, {621, 286, kPictureStart, kPictureEnd},
        {622, 287, kPictureStart, kHalfLine},  // first half only
        {623, FieldStructure::kNoRow, 0, 0},
    };
    for (const Case& c : cases) {
        FieldStructure::Span span = FieldStructure::PictureSpan(c.line);
        EXPECT_EQ(FieldStructure::PictureRow(c.line), c.row) << c.line;
        EXPECT_EQ(span.first, c.first) << c.line;
        EXPECT_EQ(span.end, c.end) << c.line;
    }
    uint32_t rows = 0;
    for (uint32_t line = 0; line < kLinesPerFrame; ++line) {
        rows += FieldStructure::PictureRow(line) != FieldStructure::kNoRow;
    }
    EXPECT_EQ(rows, 2 * kPictureHeight);
}

// In the captured field the decoder's lines come where it looks for them:
// the line syncs' trailing edges on its 2,268-sample grid from byte 2,248,
// the clamp window in the sync tip, and field 2's first broad pulse half a
// line off that grid, 295.5 lines after the first lock edge's line.
TEST(FieldStructureTest, CapturedFieldHasTheSyncsOnTheDecodersGrid) {
    EmulatedCard card;
    card.SetRateWalk(SourceTimebase::RateWalk::Off);
    card.SetMotion(SignalSynthesizer::Motion::Still);
    EmulatorCaptureRig rig(card);
    rig.TuneStation(0);
    rig.StartEngineCapture();
    const uint8_t* s = rig.Capture();
    for (uint32_t line = 0; line < 290; ++line) {
        uint32_t edge = 2248 + kSamplesPerLine * line;
        EXPECT_EQ(s[edge - 1], kSyncLevel) << line;
        EXPECT_EQ(s[edge], kBlankingLevel) << line;
        EXPECT_EQ(s[edge - 136], kSyncLevel) << line;  // the clamp window's ends
        EXPECT_EQ(s[edge - 105], kSyncLevel) << line;
    }
    // Frame line 17 is buffer line 0, so frame line 312's second half holds the
    // broad pulse that starts field 2's vertical sync.
    uint32_t broad = 2248 - kLineSync + kSamplesPerLine * (312 - 17) + kHalfLine;
    EXPECT_EQ(s[broad - 1], kBlankingLevel);
    for (uint32_t k = 0; k < kBroadPulse; k += 100) {
        EXPECT_EQ(s[broad + k], kSyncLevel) << k;
    }
    EXPECT_EQ(s[broad + kBroadPulse], kBlankingLevel);
}

}  // namespace

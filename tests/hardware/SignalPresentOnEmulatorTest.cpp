// The card's signal tests on the emulated chip, as the channel scan uses them
// with the engine running: the strict test wants PRES and HLOC; the loose one
// also takes a signal without line lock during an even field, once the chip
// has seen a 625-line signal (NUML) and its ADC has been overloaded (LOF), as
// an off-centre station's noise does.
#include <gtest/gtest.h>

#include "support/EngineRig.h"

namespace {

struct Reading {
    int strict = 0;
    int loose = 0;
    int evenLoose = 0;  // loose answers given during an even field
    int samples = 0;
};

// Both tests at every pass of a frame and a half.
Reading ReadOverAFrame(EngineRig& rig) {
    CaptureCard& card = *rig.card;
    Reading reading;
    for (int pass = 0; pass < EngineRig::kPassesPerFrame * 3 / 2; ++pass) {
        const int even = card.IsEvenField();
        const int loose = card.IsSignalPresent(0);
        reading.strict += card.IsSignalPresent(1);
        reading.loose += loose;
        reading.evenLoose += loose && even;
        ++reading.samples;
        rig.RunPasses(1);
    }
    return reading;
}

TEST(SignalPresentOnEmulatorTest, LooseTestTakesAnOffCentreStationDuringEvenFields) {
    EngineRig rig;
    rig.Start();
    rig.RunFrames(20);  // the first station for 40 fields: the chip knows the standard
    struct Case {
        const char* what;
        int32_t frequency_hz;
        bool strict;
        bool looseInEvenFields;
    };
    const Case cases[] = {
        {"on a station", 182'000'000, true, true},
        {"0.69 MHz off a station", 56'000'000, false, true},
        {"nothing there", 100'000'000, false, false},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(rig.card->Tune(c.frequency_hz), 1);
        rig.RunPasses(25);  // the tuner settles within 30 ms
        const Reading r = ReadOverAFrame(rig);
        EXPECT_EQ(r.strict, c.strict ? r.samples : 0) << c.what;
        if (c.strict) {
            EXPECT_EQ(r.loose, r.samples) << c.what;
        } else if (c.looseInEvenFields) {
            EXPECT_GT(r.evenLoose, 0) << c.what;
            EXPECT_EQ(r.loose, r.evenLoose) << c.what << ": only in even fields";
        } else {
            EXPECT_EQ(r.loose, 0) << c.what;
        }
    }
}

}  // namespace

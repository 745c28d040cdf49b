#pragma once

#include <QFont>
#include <QWidget>

#include <cstdint>
#include <vector>

class CaptureCard;
class DeviceContext;

// The graph of the Scan dialog, and the sweep step that feeds it. The graph
// is a black field over a 20-pixel label strip: a blue middle line, a green
// line for every found frequency, a red line at the frequency being probed,
// and that frequency as "<MHz> Mhz" in dark green in the strip. A frequency's
// column is its share of the band 41 ... 880 MHz in whole percent, times
// width / 100 pixels, so a control narrower than 100 pixels draws every line
// at its left edge.
//
// GUI thread only. The host dialog fills `foundFrequencies` with the stored
// channels before a sweep (they are drawn and suppress their stations) and
// sets `card` before the first ScanStep.
class ScanDisplay : public QWidget {
    Q_OBJECT

public:
    static constexpr uint32_t kBandStart_hz = 41'000'000;
    static constexpr uint32_t kBandEnd_hz = 880'000'000;
    static constexpr uint32_t kStep_hz = 1'000'000;
    static constexpr uint32_t kLooseProbeWait_ms = 100;
    static constexpr uint32_t kStrictProbeWait_ms = 250;
    static constexpr int kLabelStrip_px = 20;

    explicit ScanDisplay(QWidget* parent = nullptr);

    // One step of the sweep: dispatches waiting events, shows `frequency_hz`,
    // tunes the card to it, and after 100 ms and again after 250 ms asks
    // whether a signal is present (first the loose, then the strict test).
    // When both say yes and neither `frequency_hz` nor a frequency 1 MHz
    // beside it is in `foundFrequencies` yet, it is appended. A frequency the
    // tuner refuses is not probed. The waits sleep without dispatching
    // events, so nothing can close the dialog in the middle of a probe.
    void ScanStep(uint32_t frequency_hz);

    // The frequency of the last step; 0 before the first.
    uint32_t CurrentFrequency() const { return currentFrequency_; }

    // The x offset of `frequency_hz`'s line in a graph `width_px` wide.
    static int ColumnOffset(uint32_t frequency_hz, int width_px);

    // Frequencies in hertz, in the order they were added.
    std::vector<uint32_t> foundFrequencies;
    // Not owned; null leaves the steps without tuning and probing.
    CaptureCard* card = nullptr;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool Probe(uint32_t frequency_hz);
    bool IsKnown(uint32_t frequency_hz) const;
    void Draw(DeviceContext& dc, const QRect& client) const;
    void DrawLabel(DeviceContext& dc, const QRect& client) const;

    QFont labelFont_;
    uint32_t currentFrequency_ = 0;
};

#include "controls/ScanDisplay.h"

#include <QPainter>

#include <algorithm>
#include <limits>

#include "controls/MemoryDC.h"
#include "hardware/CaptureCard.h"
#include "platform/Clock.h"
#include "platform/FontMap.h"
#include "platform/MessagePump.h"
#include "util/ExtString.h"
#include "util/PercentOf.h"

namespace {

constexpr int kBandSteps =
    (ScanDisplay::kBandEnd_hz - ScanDisplay::kBandStart_hz) / ScanDisplay::kStep_hz;  // 839
constexpr int kFoundLineInset_px = 10;
const QColor kRed(255, 0, 0);
const QColor kGreen(0, 255, 0);
const QColor kBlue(0, 0, 255);
const QColor kDarkGreen(0, 128, 0);

}  // namespace

ScanDisplay::ScanDisplay(QWidget* parent)
    : QWidget(parent), labelFont_(MapFont({"Terminal", -11, 0})) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ScanDisplay::ScanStep(uint32_t frequency_hz) {
    PumpMessages();
    currentFrequency_ = frequency_hz;
    repaint();
    if (!Probe(frequency_hz) || IsKnown(frequency_hz)) {
        return;
    }
    foundFrequencies.push_back(frequency_hz);
    repaint();
}

// The waits deliberately don't dispatch events: a Close or Escape handled in
// the middle of a probe would end the dialog under the running sweep. The
// step pumps once at its start, which keeps the dialog painted. A frequency
// the tuner refuses leaves it on the previous one, whose signal must not be
// taken for a station here.
bool ScanDisplay::Probe(uint32_t frequency_hz) {
    if (card == nullptr ||
        frequency_hz > static_cast<uint32_t>(std::numeric_limits<int32_t>::max()) ||
        card->Tune(static_cast<int32_t>(frequency_hz)) == 0) {
        return false;
    }
    CurrentClock().SleepMs(kLooseProbeWait_ms);
    if (card->IsSignalPresent(0) == 0) {
        return false;
    }
    CurrentClock().SleepMs(kStrictProbeWait_ms);
    return card->IsSignalPresent(1) != 0;
}

// Only what the list holds is compared: a frequency the list holds, or one
// 1 MHz beside it, is known. So a signal found on several consecutive steps
// is recorded on every second one (the first hit, the step after it skipped
// as its neighbour, the one after that recorded again), and the stored
// channels the host lists before the sweep hide their own stations and the
// steps beside them.
bool ScanDisplay::IsKnown(uint32_t frequency_hz) const {
    return std::any_of(foundFrequencies.begin(), foundFrequencies.end(), [&](uint32_t found_hz) {
        const int64_t distance_hz = int64_t{frequency_hz} - int64_t{found_hz};
        return distance_hz == 0 || distance_hz == kStep_hz || distance_hz == -int64_t{kStep_hz};
    });
}

// Frequencies below the band wrap around in the unsigned offset and land far
// to the right, outside the control: the red line before the first step is
// not visible.
int ScanDisplay::ColumnOffset(uint32_t frequency_hz, int width_px) {
    const uint32_t offset_mhz = (frequency_hz - kBandStart_hz) / kStep_hz;
    return PercentOf(kBandSteps, static_cast<int>(offset_mhz)) * (width_px / 100);
}

void ScanDisplay::paintEvent(QPaintEvent*) {
    PaintScope paintScope;
    QPainter painter(this);
    MemoryDC dc(painter, rect());
    Draw(dc, rect());
}

void ScanDisplay::Draw(DeviceContext& dc, const QRect& client) const {
    const int left = client.left();
    const int top = client.top();
    const int right = left + client.width();
    const int graphBottom = top + client.height() - kLabelStrip_px;
    dc.FillSolidRect(client, Qt::black);
    const QPen previousPen = dc.SelectPen(QPen(kBlue, 1));
    const int yMid = top + (graphBottom - top) / 2;
    dc.MoveTo({left, yMid});
    dc.LineTo({right, yMid});
    dc.SelectPen(QPen(kGreen, 1));
    for (uint32_t found_hz : foundFrequencies) {
        const int x = left + ColumnOffset(found_hz, client.width());
        dc.MoveTo({x, top + kFoundLineInset_px});
        dc.LineTo({x, graphBottom - kFoundLineInset_px});
    }
    dc.SelectPen(QPen(kRed, 1));
    const int x = left + ColumnOffset(currentFrequency_, client.width());
    dc.MoveTo({x, top});
    dc.LineTo({x, graphBottom});
    dc.SelectPen(previousPen);
    DrawLabel(dc, client);
}

// Format 5 centres horizontally; without the single-line flag the vertical
// centring has no effect, so the text sits at the top of the strip.
void ScanDisplay::DrawLabel(DeviceContext& dc, const QRect& client) const {
    if (currentFrequency_ == 0) {
        return;
    }
    const QFont previousFont = dc.SelectFont(labelFont_);
    const BackgroundMode previousMode = dc.SetBkMode(BackgroundMode::Transparent);
    dc.SetTextColor(kDarkGreen);
    const std::string label =
        ExtString().FormatNumber(currentFrequency_ / kStep_hz).Text() + " Mhz";
    const QRect strip(client.left(), client.top() + client.height() - kLabelStrip_px,
                      client.width(), kLabelStrip_px);
    dc.DrawText(QString::fromLatin1(label), strip,
                DrawTextFormat::kCenter | DrawTextFormat::kVCenter);
    dc.SetBkMode(previousMode);
    dc.SelectFont(previousFont);
}

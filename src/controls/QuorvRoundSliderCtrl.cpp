#include "controls/QuorvRoundSliderCtrl.h"

#include "controls/IntegerFormat.h"
#include "controls/MemoryDC.h"
#include "util/Windows1252.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

constexpr double kPi = 3.141592653589793;
constexpr int kWheelNotch = 120;  // eighths of a degree
constexpr double kRadiansPerDegree = 0.005555555555555556 * kPi;

// The shading constants are kept as they were tuned, not as exact multiples
// of pi: they decide which pixel of a ring gets which blend.
double ShadeWeight(double theta) {
    double a = -2.356 - theta;
    if (a < -3.1415) {
        a += 6.293;
    } else if (a > 3.1415) {
        a = 6.293 - a;
    }
    return (1.0 + std::cos(a)) / 2.0;
}

QColor Blend(const QColor& first, const QColor& second, double weight) {
    const auto channel = [weight](int a, int b) {
        return static_cast<int>(a * weight + b * (1.0 - weight));
    };
    return QColor(channel(first.red(), second.red()), channel(first.green(), second.green()),
                  channel(first.blue(), second.blue()));
}

bool IsStepKey(int key) {
    switch (key) {
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
        case Qt::Key_Left:
        case Qt::Key_Up:
        case Qt::Key_Right:
        case Qt::Key_Down:
            return true;
        default:
            return false;
    }
}

}  // namespace

QuorvRoundSliderCtrl::QuorvRoundSliderCtrl(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    ReadColors();
    RecreateFont();
    RecalcGeometry();
}

void QuorvRoundSliderCtrl::SetRange(int minimum, int maximum) {
    rangeMin_ = minimum;
    rangeMax_ = maximum;
    SetPos(position_);
}

// The minimum is applied last, so an empty range (0 ... -1, no channels)
// leaves the position at its minimum, never below it.
void QuorvRoundSliderCtrl::SetPos(int position) {
    position = std::min(position, rangeMax_);
    position = std::max(position, rangeMin_);
    if (position != position_) {
        position_ = position;
        update();
    }
}

QString QuorvRoundSliderCtrl::GetDisplayText() const {
    return FromWindows1252(FormatInteger(textFormat_, position_));
}

void QuorvRoundSliderCtrl::SetFontSize(int size_px) {
    fontInfo_.height = -size_px;
    RecreateFont();
}

void QuorvRoundSliderCtrl::SetFontName(const std::string& faceName) {
    fontInfo_.faceName = faceName.substr(0, kMaxFaceNameLength);
    RecreateFont();
}

void QuorvRoundSliderCtrl::RecreateFont() {
    valueFont_ = MapFont(fontInfo_);
    update();
}

void QuorvRoundSliderCtrl::ReadColors() {
    textColor_ = palette().color(QPalette::WindowText);
    backgroundColor_ = palette().color(QPalette::Button);
    knobColor_ = palette().color(QPalette::Button);
}

void QuorvRoundSliderCtrl::UpdateGeometry() {
    const int side = std::min(width(), height());
    centerX_ = side / 2;
    centerY_ = side / 2;
    radius_ = dialStyle_ ? side / 2 - knobRadius_ - 1 : side / 2;
    hitRegion_ = QRegion(0, 0, side, side, QRegion::Ellipse);
}

void QuorvRoundSliderCtrl::RecalcGeometry() {
    UpdateGeometry();
    SetPos(0);
    update();
}

// Qt reports the first size of a widget when it is shown, with no old size;
// only a change from a size the control really had counts as a resize that
// starts the dial afresh, or the panel's stored channel would be lost at show.
void QuorvRoundSliderCtrl::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (event->oldSize().isValid() && event->oldSize() != event->size()) {
        RecalcGeometry();
    } else {
        UpdateGeometry();
    }
}

void QuorvRoundSliderCtrl::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) {
        ReadColors();
    }
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::EnabledChange) {
        update();
    }
}

int QuorvRoundSliderCtrl::ValueAngle_deg() const {
    const long long count = static_cast<long long>(rangeMax_) + 1 - rangeMin_;
    if (count == 0) {
        return 0;
    }
    const long long offset = static_cast<long long>(position_) - rangeMin_;
    const int angle = static_cast<int>(((offset * 360) / count + zeroAngle_ + 360) % 360);
    return inverted_ ? 360 - angle : angle;
}

QPoint QuorvRoundSliderCtrl::KnobCenter() const {
    const double angle_rad = ValueAngle_deg() * kRadiansPerDegree;
    const int distance = dialStyle_ ? radius_ - knobRadius_ : radius_ - 1;
    return {static_cast<int>(distance * std::sin(angle_rad) + centerX_),
            static_cast<int>(centerY_ - distance * std::cos(angle_rad))};
}

bool QuorvRoundSliderCtrl::SetPosFromPoint(const QPoint& point) {
    if (!hitRegion_.contains(point)) {
        return false;
    }
    const int dy = point.y() - centerY_;
    const int dx = inverted_ ? centerX_ - point.x() : point.x() - centerX_;
    double angle_deg = 0.0;
    if (dx != 0) {
        angle_deg = 90.0 - std::atan(-static_cast<double>(dy) / dx) * 180.0 / kPi;
        angle_deg += dx < 0 ? 180.0 : 0.0;
    } else {
        angle_deg = dy >= 0 ? 180.0 : 0.0;
    }
    angle_deg -= zeroAngle_;
    while (angle_deg < 0.0) {
        angle_deg += 360.0;
    }
    while (angle_deg >= 360.0) {
        angle_deg -= 360.0;
    }
    const double span = static_cast<double>(rangeMax_) + 1.0 - rangeMin_;
    const int newPosition =
        rangeMin_ - static_cast<int>(std::trunc(span * angle_deg * -0.002777777777777778));
    if (newPosition == position_) {
        return false;
    }
    SetPos(newPosition);
    return true;
}

void QuorvRoundSliderCtrl::NotifyParent(int code) {
    emit Scrolled(code, position_);
}

void QuorvRoundSliderCtrl::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || dragging_) {
        QWidget::mousePressEvent(event);
        return;
    }
    dragging_ = true;
    movedInDrag_ = false;
    setFocus(Qt::MouseFocusReason);
    if (SetPosFromPoint(event->position().toPoint())) {
        movedInDrag_ = true;
        NotifyParent(kThumbTrack);
    }
    update();
}

void QuorvRoundSliderCtrl::mouseMoveEvent(QMouseEvent* event) {
    if (!dragging_) {
        QWidget::mouseMoveEvent(event);
        return;
    }
    if (SetPosFromPoint(event->position().toPoint())) {
        movedInDrag_ = true;
        NotifyParent(kThumbTrack);
        update();
    }
}

void QuorvRoundSliderCtrl::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !dragging_) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    dragging_ = false;
    if (SetPosFromPoint(event->position().toPoint())) {
        NotifyParent(kThumbTrack);
        movedInDrag_ = true;
    }
    if (movedInDrag_) {
        NotifyParent(kThumbPosition);
        movedInDrag_ = false;
    }
    update();
}

// The dial turns round: one step below the minimum is the maximum. With an
// empty or inverted range there is nothing to turn to, and the key is
// ignored (wrapping would never end).
void QuorvRoundSliderCtrl::StepBy(int delta, int code) {
    const long long span = static_cast<long long>(rangeMax_) + 1 - rangeMin_;
    if (span <= 0) {
        return;
    }
    const long long offset = (static_cast<long long>(position_) + delta - rangeMin_) % span;
    SetPos(static_cast<int>(rangeMin_ + (offset < 0 ? offset + span : offset)));
    update();
    NotifyParent(code);
}

void QuorvRoundSliderCtrl::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_PageUp:
            StepBy(-pageSize_, kPageUp);
            break;
        case Qt::Key_PageDown:
            StepBy(pageSize_, kPageDown);
            break;
        case Qt::Key_Left:
        case Qt::Key_Up:
            StepBy(-lineSize_, kLineUp);
            break;
        case Qt::Key_Right:
        case Qt::Key_Down:
            StepBy(lineSize_, kLineDown);
            break;
        case Qt::Key_Home:
        case Qt::Key_End:
            break;
        default:
            QWidget::keyPressEvent(event);
    }
}

// One notch turns the dial one line, as the arrow keys do: away from the
// user like Up, towards the user like Down, each ended as a key release ends
// its scrolling. Finer wheels add up to whole notches.
void QuorvRoundSliderCtrl::wheelEvent(QWheelEvent* event) {
    wheelAngle_ += event->angleDelta().y();
    while (std::abs(wheelAngle_) >= kWheelNotch) {
        const bool away = wheelAngle_ > 0;
        wheelAngle_ -= away ? kWheelNotch : -kWheelNotch;
        StepBy(away ? -lineSize_ : lineSize_, away ? kLineUp : kLineDown);
        NotifyParent(kEndScroll);
    }
    event->accept();
}

// Qt reports a held key as pairs of press and release; only the real release
// ends the scrolling, as on the old platform.
void QuorvRoundSliderCtrl::keyReleaseEvent(QKeyEvent* event) {
    if (IsStepKey(event->key())) {
        if (!event->isAutoRepeat()) {
            NotifyParent(kEndScroll);
        }
    } else if (event->key() != Qt::Key_Home && event->key() != Qt::Key_End) {
        QWidget::keyReleaseEvent(event);
    }
}

// Midpoint circle, each pixel blended by its angle so that the ring looks lit
// from the upper left: `first` towards the upper left, `second` towards the
// lower right.
void QuorvRoundSliderCtrl::DrawShadedCircle(DeviceContext& dc, const QPoint& center, int radius,
                                            const QColor& first, const QColor& second) const {
    const auto plot = [&](int px, int py) {
        const double theta = std::atan2(py - center.y(), px - center.x());
        dc.SetPixel(QPoint(px, py), Blend(first, second, ShadeWeight(theta)));
    };
    int x = radius;
    int y = 0;
    int err = -radius;
    while (y <= x) {
        for (const QPoint& offset : {QPoint(x, y), QPoint(y, x)}) {
            plot(center.x() + offset.x(), center.y() + offset.y());
            plot(center.x() - offset.x(), center.y() + offset.y());
            plot(center.x() + offset.x(), center.y() - offset.y());
            plot(center.x() - offset.x(), center.y() - offset.y());
        }
        err += 2 * y + 1;
        ++y;
        if (err >= 0) {
            --x;
            err -= 2 * x;
        }
    }
}

void QuorvRoundSliderCtrl::DrawValueText(DeviceContext& dc) const {
    const QString text = GetDisplayText();
    if (text.isEmpty()) {
        return;
    }
    const QFont oldFont = dc.SelectFont(valueFont_);
    const QColor oldColor = dc.SetTextColor(textColor_);
    const BackgroundMode oldMode = dc.SetBkMode(BackgroundMode::Transparent);
    const QSize extent = dc.GetTextExtent(text);
    const QRect box(QPoint(centerX_ - extent.width() / 2, centerY_ - extent.height() / 2), extent);
    if (isEnabled()) {
        dc.DrawText(text, box, DrawTextFormat::kLeft | DrawTextFormat::kNoClip);
    } else {
        dc.DrawDisabledText(text, box, palette().color(QPalette::Light),
                            palette().color(QPalette::Dark));
    }
    dc.SetBkMode(oldMode);
    dc.SetTextColor(oldColor);
    dc.SelectFont(oldFont);
}

void QuorvRoundSliderCtrl::paintEvent(QPaintEvent*) {
    const QColor darkShadow = palette().color(QPalette::Shadow);
    const QColor highlight = palette().color(QPalette::Light);
    const QColor shadow = palette().color(QPalette::Dark);
    const QColor light = palette().color(QPalette::Midlight);
    const QPoint center(centerX_, centerY_);

    QPainter painter(this);
    MemoryDC dc(painter, rect());
    dc.FillSolidRect(rect(), backgroundColor_);
    if (!dialStyle_) {
        DrawShadedCircle(dc, center, radius_, darkShadow, highlight);
        DrawShadedCircle(dc, center, radius_ - 1, shadow, light);
    }
    const QPoint knob = KnobCenter();
    const int rim = dialStyle_ ? radius_ : radius_ - 1;
    DrawShadedCircle(dc, center, rim + 2, highlight, darkShadow);
    DrawShadedCircle(dc, center, rim + 1, light, shadow);

    const int knobSize = dialStyle_ ? static_cast<int>(knobRadius_ * 0.8) : knobRadius_;
    dc.FillEllipse(QRect(knob - QPoint(knobSize, knobSize), QSize(2 * knobSize, 2 * knobSize)),
                   knobColor_);
    if (dialStyle_ || dragging_) {
        DrawShadedCircle(dc, knob, knobSize - 1, darkShadow, highlight);
        DrawShadedCircle(dc, knob, knobSize - 2, shadow, light);
    } else {
        DrawShadedCircle(dc, knob, knobSize - 1, highlight, darkShadow);
        DrawShadedCircle(dc, knob, knobSize - 2, light, shadow);
    }
    DrawValueText(dc);
}

#include "controls/FlatButton.h"

#include "platform/DeviceContext.h"

#include <QCursor>
#include <QMouseEvent>
#include <QPainter>
#include <QTimerEvent>

namespace {
constexpr int kHoverPeriod_ms = 10;
}

FlatButton::FlatButton(const QString& text, QWidget* parent) : QPushButton(text, parent) {
    setMouseTracking(true);
    ReadColors();
}

void FlatButton::ReadColors() {
    const QPalette colors = palette();
    highlightColor_ = colors.color(QPalette::Active, QPalette::Light);
    shadowColor_ = colors.color(QPalette::Active, QPalette::Dark);
    faceColor_ = colors.color(QPalette::Active, QPalette::Button);
    grayTextColor_ = colors.color(QPalette::Disabled, QPalette::ButtonText);
    textColor_ = colors.color(QPalette::Active, QPalette::ButtonText);
}

void FlatButton::changeEvent(QEvent* event) {
    QPushButton::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) {
        ReadColors();
        update();
    }
}

// The old platform painted the hover edge straight onto the window; here the
// check only records the state and the paint handler draws it.
void FlatButton::HoverCheck() {
    const bool inside = rect().contains(mapFromGlobal(QCursor::pos()));
    if (!pressed_ && inside) {
        if (!hoverDrawn_) {
            hoverDrawn_ = true;
            update();
        }
        return;
    }
    hoverTimer_.stop();
    if (hoverDrawn_) {
        update();
    }
    hoverDrawn_ = false;
}

void FlatButton::mouseMoveEvent(QMouseEvent* event) {
    hoverTimer_.start(kHoverPeriod_ms, this);
    HoverCheck();
    QPushButton::mouseMoveEvent(event);
}

void FlatButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        pressed_ = true;
    }
    QPushButton::mousePressEvent(event);
}

void FlatButton::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        pressed_ = false;
    }
    QPushButton::mouseReleaseEvent(event);
}

// Every tick checks the hover; the button's own timers (animateClick, auto
// repeat) go on to it as well, or it would stay down and never click.
void FlatButton::timerEvent(QTimerEvent* event) {
    HoverCheck();
    if (event->timerId() != hoverTimer_.timerId()) {
        QPushButton::timerEvent(event);
    }
}

void FlatButton::DrawCaption(DeviceContext& dc, const QRect& itemRect) const {
    dc.SetTextColor(isEnabled() ? textColor_ : grayTextColor_);
    const QFont font = parentWidget() ? parentWidget()->font() : this->font();
    const QFont oldFont = dc.SelectFont(font);
    dc.DrawText(text(), itemRect,
                DrawTextFormat::kCenter | DrawTextFormat::kVCenter | DrawTextFormat::kSingleLine);
    dc.SelectFont(oldFont);
}

void FlatButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    DeviceContext dc(painter);
    const QRect itemRect = rect();
    dc.FillSolidRect(itemRect, faceColor_);
    if (isDown()) {
        dc.Draw3dRect(itemRect, shadowColor_, highlightColor_);
    } else if (hoverDrawn_) {
        dc.Draw3dRect(itemRect, highlightColor_, shadowColor_);
    }
    dc.SetBkMode(BackgroundMode::Transparent);
    DrawCaption(dc, itemRect);
}

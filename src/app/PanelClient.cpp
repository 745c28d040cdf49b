#include "app/PanelClient.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

#include "app/MainPanel.h"
#include "display/StatusOverlay.h"
#include "engine/CaptureEngine.h"
#include "platform/DeviceContext.h"
#include "platform/FontMap.h"
#include "platform/MessagePump.h"

namespace {
constexpr const char* kNoHardwareText =
    "QuorvTV CCD+VCR (Build 1763, Oct 24 1999)\n\n!!! No TV hardware found !!!";
}

PanelClient::PanelClient(MainPanel* panel) : QWidget(panel), panel_(panel) {
    setAutoFillBackground(false);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PanelClient::paintEvent(QPaintEvent* event) {
    PaintScope scope;
    QPainter painter(this);
    const QRect video = MainPanel::kVideoRect;
    const QRegion around = QRegion(rect()).subtracted(QRegion(video));
    for (const QRect& r : around.intersected(event->region())) {
        painter.fillRect(r, palette().color(QPalette::Window));
    }
    if (panel_->Engine() == nullptr) {
        PaintNoHardware(painter);
    } else if (event->region().intersects(video)) {
        panel_->Surface().PaintTo(painter);
    }
}

void PanelClient::PaintNoHardware(QPainter& painter) {
    const QRect video = MainPanel::kVideoRect;
    DeviceContext dc(painter);
    dc.FillSolidRect(video, QColor(0, 0, 0));
    const QFont font = MapFont({"Terminal", -11, 0});
    dc.SelectFont(font);
    dc.SetBkMode(BackgroundMode::Transparent);
    dc.SetTextColor(QColor(0, 255, 0));
    dc.DrawText(QString::fromLatin1(kNoHardwareText), video.adjusted(5, 5, -5, -5), 0);
}

void PanelClient::mousePressEvent(QMouseEvent* event) {
    QWidget::mousePressEvent(event);
    if (event->button() != Qt::LeftButton) {
        return;
    }
    if (panel_->Card() != nullptr && panel_->Engine() != nullptr) {
        panel_->Engine()->GetOverlay()->Show(1);
    }
    dragStart_ = event->globalPosition().toPoint();
    panelStart_ = panel_->pos();
    dragging_ = true;
    if (QWindow* window = panel_->windowHandle()) {
        window->startSystemMove();
    }
}

// While the window manager moves the window it has the mouse, and no motion
// arrives here. Motion that does arrive means the move request was refused or
// isn't supported: the panel follows the mouse itself.
void PanelClient::mouseMoveEvent(QMouseEvent* event) {
    QWidget::mouseMoveEvent(event);
    if (dragging_ && (event->buttons() & Qt::LeftButton)) {
        panel_->move(panelStart_ + event->globalPosition().toPoint() - dragStart_);
    }
}

void PanelClient::mouseReleaseEvent(QMouseEvent* event) {
    QWidget::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton) {
        dragging_ = false;
    }
}

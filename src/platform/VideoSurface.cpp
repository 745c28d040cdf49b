#include "platform/VideoSurface.h"

#include <QMetaObject>
#include <QObject>
#include <QPainter>

#include <utility>

VideoSurface::VideoSurface(QObject* receiver, std::function<void()> repaint, QPoint videoOrigin)
    : receiver_(receiver),
      repaint_(std::move(repaint)),
      videoRect_(videoOrigin, QSize(kWidth, kHeight)),
      repaintPending_(std::make_shared<std::atomic<bool>>(false)),
      backImage_(kWidth, kHeight, QImage::Format_RGB32),
      frontImage_(kWidth, kHeight, QImage::Format_RGB32) {
    backImage_.fill(Qt::black);
    frontImage_.fill(Qt::black);
}

void VideoSurface::Present(const uint8_t* bottomUpPixels, const PaintOver& paintOver) {
    CopyPicture(bottomUpPixels);
    if (paintOver) {
        QPainter painter(&backImage_);
        painter.translate(-videoRect_.topLeft());
        paintOver(painter, videoRect_);
    }
    {
        std::lock_guard lock(mutex_);
        std::swap(backImage_, frontImage_);
    }
    RequestRepaint();
}

// Every pixel is rewritten, so whatever the back image held before (the picture
// before last) doesn't matter. The back image is never shared (Latest hands out
// deep copies), so scanLine() doesn't detach and nothing is allocated.
void VideoSurface::CopyPicture(const uint8_t* bottomUpPixels) {
    for (int y = 0; y < kHeight; ++y) {
        const uint8_t* grey = bottomUpPixels + (kHeight - 1 - y) * kWidth;
        auto* rgb = reinterpret_cast<uint32_t*>(backImage_.scanLine(y));
        for (int x = 0; x < kWidth; ++x) {
            rgb[x] = 0xFF000000u | grey[x] * 0x010101u;
        }
    }
}

// The flag is cleared on the GUI side before the repaint is asked for, so a
// picture presented after that point posts a new request, and one presented
// before it is shown by the paint that follows.
void VideoSurface::RequestRepaint() {
    if (receiver_ == nullptr || repaintPending_->exchange(true)) {
        return;
    }
    QMetaObject::invokeMethod(
        receiver_,
        [pending = repaintPending_, repaint = repaint_] {
            pending->store(false);
            if (repaint) {
                repaint();
            }
        },
        Qt::QueuedConnection);
}

void VideoSurface::PaintTo(QPainter& painter) const {
    std::lock_guard lock(mutex_);
    painter.drawImage(videoRect_.topLeft(), frontImage_);
}

QImage VideoSurface::Latest() const {
    std::lock_guard lock(mutex_);
    return frontImage_.copy();
}

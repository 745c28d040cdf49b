#include "platform/VideoSurface.h"

#include <QPainter>
#include <QSocketNotifier>

#include <sys/eventfd.h>
#include <unistd.h>

#include <utility>

#include "platform/PerformanceLog.h"

// The repaint request travels through an eventfd watched by a socket notifier
// on the GUI thread rather than through a posted event: nothing is allocated
// per frame, a counter that is only read once coalesces any number of
// requests, and the write/read pair is a hand-off that ThreadSanitizer can see
// even though the Qt libraries aren't instrumented.
VideoSurface::VideoSurface(std::function<void()> repaint, QPoint videoOrigin)
    : repaint_(std::move(repaint)),
      videoRect_(videoOrigin, QSize(kWidth, kHeight)),
      backImage_(kWidth, kHeight, QImage::Format_RGB32),
      frontImage_(kWidth, kHeight, QImage::Format_RGB32) {
    backImage_.fill(Qt::black);
    frontImage_.fill(Qt::black);
    if (!repaint_) {
        return;
    }
    wakeFd_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (wakeFd_ >= 0) {
        wakeNotifier_ = std::make_unique<QSocketNotifier>(wakeFd_, QSocketNotifier::Read);
        QObject::connect(wakeNotifier_.get(), &QSocketNotifier::activated, wakeNotifier_.get(),
                         [this] { AnswerRepaintRequest(); });
    }
}

VideoSurface::~VideoSurface() {
    wakeNotifier_.reset();
    if (wakeFd_ >= 0) {
        close(wakeFd_);
    }
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
        hasPicture_ = true;
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

void VideoSurface::RequestRepaint() {
    if (wakeFd_ < 0 || repaintPending_.exchange(true)) {
        return;
    }
    const uint64_t one = 1;
    // Can only fail when the counter would overflow, which the pending flag rules out.
    [[maybe_unused]] const ssize_t written = write(wakeFd_, &one, sizeof one);
}

// The flag is cleared before the repaint is asked for, so a picture presented
// after that point sends a new request, and one presented before it is shown by
// the paint that follows.
void VideoSurface::AnswerRepaintRequest() {
    uint64_t requests = 0;
    if (read(wakeFd_, &requests, sizeof requests) != sizeof requests) {
        return;
    }
    repaintPending_.store(false);
    repaint_();
}

void VideoSurface::PaintTo(QPainter& painter) const {
    std::lock_guard lock(mutex_);
    painter.drawImage(videoRect_.topLeft(), frontImage_);
    if (hasPicture_) {
        PerformanceLog::FramePainted();
    }
}

QImage VideoSurface::Latest() const {
    std::lock_guard lock(mutex_);
    return frontImage_.copy();
}

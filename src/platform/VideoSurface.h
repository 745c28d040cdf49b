#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

class QPainter;
class QSocketNotifier;

// The hand-off of the live picture from the frame thread to the panel, standing
// in for painting into the panel window from the frame thread.
//
// The surface holds the picture as a 360 x 288 RGB32 image: just the video
// rectangle, not the whole panel. Present (frame thread) fills a back image with
// the grey picture, lets the caller paint over it (the status overlay), swaps it
// to the front under the surface's mutex and asks the GUI thread for a repaint.
// At most one repaint request is pending at a time; the paint that answers it
// shows the latest picture.
//
// Threads and locks: construct and destroy the surface on the GUI thread, whose
// event loop then runs `repaint`. Present is for one producer thread and never
// waits for the GUI thread. PaintTo and Latest may be called from any thread.
// The surface's mutex is innermost: it is held only for the swap and while
// copying or painting the front image, never while the overlay runs, and it
// never pumps events.
class VideoSurface {
public:
    static constexpr int kWidth = 360;
    static constexpr int kHeight = 288;

    // Paints over the picture. `painter` draws into the surface's image and is
    // translated so that it takes the panel's client coordinates; `videoRect` is
    // where the picture lies in them. The image is painter.device().
    using PaintOver = std::function<void(QPainter& painter, const QRect& videoRect)>;

    // `repaint` runs on the constructing (GUI) thread after pictures have been
    // presented, typically the panel's update(); empty (no window) asks for
    // nothing. `videoOrigin` is the picture's top-left corner in the panel's
    // client area. Requests still pending when the surface goes are dropped.
    VideoSurface(std::function<void()> repaint, QPoint videoOrigin);
    VideoSurface(const VideoSurface&) = delete;
    VideoSurface& operator=(const VideoSurface&) = delete;
    ~VideoSurface();

    // Frame thread. `bottomUpPixels`: kHeight rows of kWidth 8-bit grey pixels,
    // the bottom line first, as the frame record stores them. `paintOver` may be
    // empty. The images are allocated once, at construction; only the painter
    // given to `paintOver` allocates, inside Qt.
    void Present(const uint8_t* bottomUpPixels, const PaintOver& paintOver);

    // Paints the latest picture at the video rectangle. For the panel's paintEvent.
    void PaintTo(QPainter& painter) const;

    // A copy of the latest picture with what was painted over it; black before
    // the first Present.
    QImage Latest() const;

    QRect VideoRect() const { return videoRect_; }

private:
    void CopyPicture(const uint8_t* bottomUpPixels);
    void RequestRepaint();
    void AnswerRepaintRequest();

    std::function<void()> repaint_;
    const QRect videoRect_;
    int wakeFd_ = -1;
    std::unique_ptr<QSocketNotifier> wakeNotifier_;
    std::atomic<bool> repaintPending_{false};
    QImage backImage_;  // frame thread only

    mutable std::mutex mutex_;
    QImage frontImage_;
    bool hasPicture_ = false;  // a presented picture is in front
};

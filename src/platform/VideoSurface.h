#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

class QObject;
class QPainter;

// The hand-off of the live picture from the frame thread to the panel, standing
// in for painting into the panel window from the frame thread.
//
// The surface holds the picture as a 360 x 288 RGB32 image: just the video
// rectangle, not the whole panel. Present (frame thread) fills a back image with
// the grey picture, lets the caller paint over it (the status overlay), swaps it
// to the front under the surface's mutex and asks the GUI thread for a repaint
// through a queued call. At most one repaint request is pending at a time; the
// paint that answers it shows the latest picture.
//
// Threads and locks: Present is for one producer thread. PaintTo and Latest may
// be called from any thread. The surface's mutex is innermost: it is held only
// for the swap and while copying or painting the front image, never while the
// overlay runs, and never pumps events.
class VideoSurface {
public:
    static constexpr int kWidth = 360;
    static constexpr int kHeight = 288;

    // Paints over the picture. `painter` draws into the surface's image and is
    // translated so that it takes the panel's client coordinates; `videoRect` is
    // where the picture lies in them. The image is painter.device().
    using PaintOver = std::function<void(QPainter& painter, const QRect& videoRect)>;

    // `receiver` is the GUI-side object (the panel) in whose thread `repaint` runs
    // after each Present, by a queued call; nullptr (no window) asks for nothing.
    // The receiver must outlive the surface; queued calls still on their way
    // when the surface goes are harmless.
    // `videoOrigin` is the picture's top-left corner in the panel's client area.
    VideoSurface(QObject* receiver, std::function<void()> repaint, QPoint videoOrigin);
    VideoSurface(const VideoSurface&) = delete;
    VideoSurface& operator=(const VideoSurface&) = delete;

    // Frame thread. `bottomUpPixels`: kHeight rows of kWidth 8-bit grey pixels,
    // the bottom line first, as the frame record stores them. `paintOver` may be
    // empty. Allocates nothing in the steady state.
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

    QObject* receiver_;
    std::function<void()> repaint_;
    const QRect videoRect_;
    // Shared with queued calls, which may run after the surface is gone.
    std::shared_ptr<std::atomic<bool>> repaintPending_;
    QImage backImage_;  // frame thread only

    mutable std::mutex mutex_;
    QImage frontImage_;
};

#include "platform/VideoSurface.h"

#include <QCoreApplication>
#include <QFont>
#include <QPainter>

#include <algorithm>
#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

namespace {

constexpr int kW = VideoSurface::kWidth;
constexpr int kH = VideoSurface::kHeight;

std::vector<uint8_t> UniformPicture(uint8_t grey) {
    return std::vector<uint8_t>(kW * kH, grey);
}

bool IsUniformGrey(const QImage& image, int grey) {
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) != qRgb(grey, grey, grey)) {
                return false;
            }
        }
    }
    return true;
}

void DeliverRepaintRequests() {
    QCoreApplication::processEvents();
}

}  // namespace

TEST(VideoSurfaceTest, ShowsTheBottomUpPictureTheRightWayUp) {
    VideoSurface surface({}, QPoint(5, 5));
    EXPECT_TRUE(IsUniformGrey(surface.Latest(), 0));

    std::vector<uint8_t> pixels = UniformPicture(100);
    std::fill_n(pixels.begin(), kW, 10);      // first stored row: bottom line
    std::fill_n(pixels.end() - kW, kW, 200);  // last stored row: top line
    pixels[(kH - 1) * kW + 7] = 255;          // top line, x = 7
    surface.Present(pixels.data(), {});

    const QImage latest = surface.Latest();
    ASSERT_EQ(latest.size(), QSize(kW, kH));
    EXPECT_EQ(latest.pixel(0, 0), qRgb(200, 200, 200));
    EXPECT_EQ(latest.pixel(7, 0), qRgb(255, 255, 255));
    EXPECT_EQ(latest.pixel(0, kH - 1), qRgb(10, 10, 10));
    EXPECT_EQ(latest.pixel(kW - 1, kH / 2), qRgb(100, 100, 100));
}

TEST(VideoSurfaceTest, OverlayPaintsInPanelCoordinatesAndPaintToPlacesThePicture) {
    VideoSurface surface({}, QPoint(5, 5));
    QRect seenRect;
    const std::vector<uint8_t> pixels = UniformPicture(50);
    surface.Present(pixels.data(), [&](QPainter& painter, const QRect& videoRect) {
        seenRect = videoRect;
        painter.fillRect(QRect(videoRect.right() - 1, 5, 2, 2), Qt::red);
    });
    EXPECT_EQ(seenRect, QRect(5, 5, 360, 288));
    const QImage latest = surface.Latest();
    EXPECT_EQ(latest.pixel(kW - 1, 0), qRgb(255, 0, 0));
    EXPECT_EQ(latest.pixel(kW - 3, 0), qRgb(50, 50, 50));

    QImage panel(370, 298, QImage::Format_RGB32);
    panel.fill(Qt::blue);
    {
        QPainter painter(&panel);
        surface.PaintTo(painter);
    }
    EXPECT_EQ(panel.pixel(4, 4), qRgb(0, 0, 255));
    EXPECT_EQ(panel.pixel(5, 5), qRgb(50, 50, 50));
    EXPECT_EQ(panel.pixel(364, 5), qRgb(255, 0, 0));
    EXPECT_EQ(panel.pixel(364, 292), qRgb(50, 50, 50));
    EXPECT_EQ(panel.pixel(365, 293), qRgb(0, 0, 255));
}

TEST(VideoSurfaceTest, AtMostOneRepaintRequestIsPending) {
    int repaints = 0;
    VideoSurface surface([&] { ++repaints; }, QPoint(0, 0));
    const std::vector<uint8_t> pixels = UniformPicture(1);
    for (int i = 0; i < 5; ++i) {
        surface.Present(pixels.data(), {});
    }
    EXPECT_EQ(repaints, 0);  // asked for, not called from the presenting code
    DeliverRepaintRequests();
    EXPECT_EQ(repaints, 1);
    DeliverRepaintRequests();
    EXPECT_EQ(repaints, 1);
    surface.Present(pixels.data(), {});
    DeliverRepaintRequests();
    EXPECT_EQ(repaints, 2);
}

TEST(VideoSurfaceTest, RequestPendingWhenTheSurfaceGoesIsDropped) {
    int repaints = 0;
    auto surface = std::make_unique<VideoSurface>([&] { ++repaints; }, QPoint(0, 0));
    const std::vector<uint8_t> pixels = UniformPicture(1);
    surface->Present(pixels.data(), {});
    surface.reset();
    DeliverRepaintRequests();
    EXPECT_EQ(repaints, 0);
}

// A producer thread presents uniform pictures of rising grey levels, with an
// overlay stripe and text of the same level, while this thread answers the repaint
// requests. Every picture seen must be whole, the levels seen must rise, and the
// last picture must be seen. The producer waits for a repaint every tenth frame
// so that the two threads really interleave.
TEST(VideoSurfaceTest, FramesPresentedOnAnotherThreadArriveWholeAndInOrder) {
    constexpr int kFrames = 200;
    std::vector<int> seen;
    std::atomic<size_t> repaints{0};
    bool torn = false;
    std::unique_ptr<VideoSurface> surface;
    surface = std::make_unique<VideoSurface>(
        [&] {
            const QImage image = surface->Latest();
            const int grey = qRed(image.pixel(0, 0));
            torn = torn || !IsUniformGrey(image, grey);
            seen.push_back(grey);
            ++repaints;
        },
        QPoint(5, 5));

    std::atomic<bool> done{false};
    std::thread producer([&] {
        for (int frame = 1; frame <= kFrames; ++frame) {
            const auto grey = static_cast<uint8_t>(frame);
            const std::vector<uint8_t> pixels = UniformPicture(grey);
            surface->Present(pixels.data(), [grey](QPainter& painter, const QRect& videoRect) {
                painter.fillRect(videoRect.adjusted(0, 0, 0, -280), QColor(grey, grey, grey));
                QFont font = painter.font();
                font.setStyleStrategy(QFont::NoAntialias);  // blending could round
                painter.setFont(font);
                painter.setPen(QColor(grey, grey, grey));
                painter.drawText(videoRect, Qt::AlignCenter, "text from the frame thread");
            });
            while (frame % 10 == 0 && repaints < static_cast<size_t>(frame / 10)) {
                std::this_thread::yield();
            }
        }
        done = true;
    });
    while (!done) {
        DeliverRepaintRequests();
        std::this_thread::yield();
    }
    producer.join();
    DeliverRepaintRequests();

    EXPECT_FALSE(torn);
    ASSERT_GE(seen.size(), static_cast<size_t>(kFrames / 10));
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    EXPECT_EQ(seen.back(), kFrames);
    surface.reset();
}

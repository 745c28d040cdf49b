#include "controls/MemoryDC.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

TEST(MemoryDCTest, CopiesThePictureInOneBlockAtTheEnd) {
    QImage target(50, 40, QImage::Format_RGB32);
    target.fill(Qt::white);
    QPainter painter(&target);
    {
        MemoryDC dc(painter, QRect(10, 5, 20, 30));
        dc.FillSolidRect(QRect(10, 5, 20, 30), Qt::blue);
        dc.SetPixel({12, 7}, Qt::red);
        painter.end();
        EXPECT_EQ(target.pixelColor(12, 7), QColor(Qt::white));  // nothing shown yet
        painter.begin(&target);
    }
    painter.end();
    EXPECT_EQ(target.pixelColor(12, 7), QColor(Qt::red));  // client coordinates kept
    EXPECT_EQ(target.pixelColor(29, 34), QColor(Qt::blue));
    EXPECT_EQ(target.pixelColor(30, 34), QColor(Qt::white));  // outside the area
    EXPECT_EQ(target.pixelColor(9, 5), QColor(Qt::white));
}

TEST(MemoryDCTest, AZeroSizedAreaCopiesNothing) {
    QImage target(10, 10, QImage::Format_RGB32);
    target.fill(Qt::white);
    {
        QPainter painter(&target);
        MemoryDC dc(painter, QRect(0, 0, 0, 0));
        dc.FillSolidRect(QRect(0, 0, 5, 5), Qt::black);
    }
    EXPECT_EQ(target.pixelColor(0, 0), QColor(Qt::white));
}

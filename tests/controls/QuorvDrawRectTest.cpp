#include "controls/ObjectRegistry.h"
#include "controls/QuorvDrawRect.h"

#include <QBuffer>
#include <QDataStream>
#include <QGuiApplication>
#include <QPalette>

#include <gtest/gtest.h>

namespace {

QByteArray Archived(const ArchivableObject& object) {
    QByteArray bytes;
    QDataStream archive(&bytes, QIODevice::WriteOnly);
    object.Store(archive);
    return bytes;
}

std::vector<std::uint32_t> Words(const QByteArray& bytes) {
    std::vector<std::uint32_t> words;
    for (qsizetype i = 0; i + 4 <= bytes.size(); i += 4) {
        const auto byte = [&](int k) {
            return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i + k]));
        };
        words.push_back(byte(0) | byte(1) << 8 | byte(2) << 16 | byte(3) << 24);
    }
    return words;
}

std::uint32_t ColorRef(QPalette::ColorRole role) {
    const QColor color = QGuiApplication::palette().color(role);
    return static_cast<std::uint32_t>(color.red() | color.green() << 8 | color.blue() << 16);
}

}  // namespace

TEST(QuorvDrawRectTest, IsCreatedByItsClassName) {
    const auto object = CreateObjectByName("QuorvDrawRect");
    ASSERT_NE(object, nullptr);
    EXPECT_STREQ(object->ClassName(), "QuorvDrawRect");
    EXPECT_EQ(CreateObjectByName("QuorvDrawRectangle"), nullptr);
    EXPECT_EQ(CreateObjectByName(""), nullptr);
}

TEST(QuorvDrawRectTest, ArchivesSeventySixLittleEndianBytesInItsOrder) {
    const QByteArray bytes = Archived(QuorvDrawRect());
    ASSERT_EQ(bytes.size(), QuorvDrawRect::kArchiveSize_bytes);
    const std::uint32_t face = ColorRef(QPalette::Button);
    const std::uint32_t frame = ColorRef(QPalette::WindowText);
    const std::vector<std::uint32_t> expected = {
        0,    0,     0,     0, 0,  0, 0, 0,  // two empty rectangles
        face, frame, frame,                  // colours 1, 4, 3
        1,    9,     1,     4, 16, 0, 0, 1   // values 1, 3, 2, 4, 5, 6, 7, 8
    };
    EXPECT_EQ(Words(bytes), expected);
}

TEST(QuorvDrawRectTest, LoadsWhatItStoresAndRefusesAShortRecord) {
    QByteArray record(QuorvDrawRect::kArchiveSize_bytes, '\0');
    for (int i = 0; i < record.size(); ++i) {
        record[i] = static_cast<char>(i * 7 + 1);
    }
    QuorvDrawRect loaded;
    QDataStream in(record);
    ASSERT_TRUE(loaded.Load(in));
    EXPECT_EQ(Archived(loaded), record);

    QuorvDrawRect untouched;
    QDataStream shortIn(record.left(75));
    EXPECT_FALSE(untouched.Load(shortIn));
    EXPECT_EQ(Archived(untouched), Archived(QuorvDrawRect()));
}

#include "controls/QuorvDrawRect.h"

#include <QDataStream>
#include <QGuiApplication>
#include <QPalette>

namespace {

// Archive order of the colours and values (0-based indexes).
constexpr std::array<int, 3> kArchivedColors = {0, 3, 2};
constexpr std::array<int, 8> kArchivedValues = {0, 2, 1, 3, 4, 5, 6, 7};

std::uint32_t ColorRef(const QColor& color) {
    return static_cast<std::uint32_t>(color.red()) |
           static_cast<std::uint32_t>(color.green()) << 8 |
           static_cast<std::uint32_t>(color.blue()) << 16;
}

class LittleEndianScope {
public:
    explicit LittleEndianScope(QDataStream& stream) : stream_(stream), old_(stream.byteOrder()) {
        stream_.setByteOrder(QDataStream::LittleEndian);
    }
    ~LittleEndianScope() { stream_.setByteOrder(old_); }

private:
    QDataStream& stream_;
    QDataStream::ByteOrder old_;
};

}  // namespace

QuorvDrawRect::QuorvDrawRect() {
    const QPalette palette = QGuiApplication::palette();
    const std::uint32_t frame = ColorRef(palette.color(QPalette::WindowText));
    colors_ = {ColorRef(palette.color(QPalette::Button)), frame, frame, frame};
}

void QuorvDrawRect::Store(QDataStream& archive) const {
    LittleEndianScope order(archive);
    for (const Rectangle& rect : rects_) {
        archive << rect.left << rect.top << rect.right << rect.bottom;
    }
    for (int index : kArchivedColors) {
        archive << colors_[index];
    }
    for (int index : kArchivedValues) {
        archive << values_[index];
    }
}

bool QuorvDrawRect::Load(QDataStream& archive) {
    LittleEndianScope order(archive);
    QuorvDrawRect loaded = *this;
    for (Rectangle& rect : loaded.rects_) {
        archive >> rect.left >> rect.top >> rect.right >> rect.bottom;
    }
    for (int index : kArchivedColors) {
        archive >> loaded.colors_[index];
    }
    for (int index : kArchivedValues) {
        archive >> loaded.values_[index];
    }
    if (archive.status() != QDataStream::Ok) {
        return false;
    }
    *this = loaded;
    return true;
}

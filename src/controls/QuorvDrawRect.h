#pragma once

#include "controls/ArchivableObject.h"

#include <array>
#include <cstdint>

// A record of drawing attributes: two rectangles, four colours and nine
// numbers, kept for archives that name it. Its 76-byte archive record, all
// words 32-bit little-endian:
//   first rectangle (left, top, right, bottom), second rectangle,
//   colours 1, 4 and 3, values 1, 3, 2, 4, 5, 6, 7 and 8.
// Colour 2 and value 9 are not archived. Colours are 0x00BBGGRR words.
class QuorvDrawRect : public ArchivableObject {
public:
    static constexpr const char* kClassName = "QuorvDrawRect";
    static constexpr int kArchiveSize_bytes = 76;

    struct Rectangle {
        std::int32_t left = 0;
        std::int32_t top = 0;
        std::int32_t right = 0;
        std::int32_t bottom = 0;
    };

    // Rectangles 0; colours: the button face, then the window frame three
    // times, from the application palette; values 1, 1, 9, 4, 16, 0, 0, 1, 60.
    QuorvDrawRect();

    const char* ClassName() const override { return kClassName; }
    void Store(QDataStream& archive) const override;
    bool Load(QDataStream& archive) override;

private:
    std::array<Rectangle, 2> rects_{};
    std::array<std::uint32_t, 4> colors_{};
    std::array<std::int32_t, 9> values_{1, 1, 9, 4, 16, 0, 0, 1, 60};
};

#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A moving test picture in output pixels (360 x 288, top row first), held as
// raw signal levels from black (4) to white (62): a background pattern, the
// source's name in large letters, and a square that bounces around. Pixels
// left of kFirstPicturePixel are covered by the line's porch and edge and are
// not part of the picture.
class TestPicture {
public:
    enum class Pattern { VerticalBars, HorizontalBars, Checkerboard, Diagonal, Rings, Grid };

    struct Square {
        uint32_t x = 0;
        uint32_t y = 0;
    };

    static constexpr uint32_t kSquareSize = 32;

    TestPicture(std::string name, Pattern pattern, uint32_t speed);

    const std::string& Name() const { return name_; }

    // Levels of the still picture, row `y`.
    const uint8_t* BackgroundRow(uint32_t y) const;

    // The square's top-left corner in animation frame `frame`.
    Square SquareAt(uint32_t frame) const;
    uint8_t SquareLevel() const { return squareLevel_; }

    // Level of pixel (x, y) in animation frame `frame`.
    uint8_t LevelAt(uint32_t x, uint32_t y, uint32_t frame) const;

private:
    void DrawPattern(Pattern pattern);
    void DrawName();
    void DrawGlyph(char letter, uint32_t left, uint32_t top);

    std::string name_;
    uint32_t speed_;
    uint8_t squareLevel_;
    std::vector<uint8_t> levels_;
};

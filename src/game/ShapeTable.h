#pragma once

#include <array>
#include <cstdint>

namespace tessarin {

// One shape's geometry as the piece receives it: offsets indexed by
// direction 0 ... 4, square 0 ... 5 and coordinate 0 ... 2 (0 = dx, 1 = dy),
// 90 16-bit values with dx of (d, q) at 5q + d and dy at 30 + 5q + d.
// Directions 0 ... 3 and squares 0 ... 4 carry values; the rest stay 0.
struct ShapeBlock {
    static constexpr int kDirections = 5;
    static constexpr int kSquares = 6;
    static constexpr int kCoordinates = 3;
    static constexpr int kSize = kDirections * kSquares * kCoordinates; // 90

    std::array<int16_t, kSize> v{};

    static constexpr int index(int d, int q, int c) { return d + kDirections * q + 30 * c; }
    // Reads 0 for any index outside the block.
    int16_t at(int d, int q, int c) const;
    void set(int d, int q, int c, int16_t value);
    int16_t dx(int d, int q) const { return at(d, q, 0); }
    int16_t dy(int d, int q) const { return at(d, q, 1); }
    bool operator==(const ShapeBlock&) const = default;
};

// The whole table: 17 blocks (shapes 0 ... 16; 16 is never filled), stored
// one after another, the block of shape s starting at 90s.
struct ShapeInfoTable {
    static constexpr int kShapes = 17;
    std::array<int16_t, kShapes * ShapeBlock::kSize> v{};

    // The block of one shape; a shape outside 0 ... 16 gives an empty block.
    ShapeBlock block(int shape) const;
};

// The shapes that can become blinking special pieces (see SquareSet): the
// single square sinks, the vertical domino takes a square, the vertical
// straight three adds one.
inline constexpr int16_t kSingleSquareShape = 7;
inline constexpr int16_t kDominoShape = 8;
inline constexpr int16_t kStraightThreeShape = 9;
// The shapes that look the same turned, besides the single square: the
// 2 x 2 square and the cross.
inline constexpr int16_t kSquareShape = 4;
inline constexpr int16_t kCrossShape = 12;
// Whether a shape looks the same in every direction (its turns change nothing).
constexpr bool LooksTheSameTurned(int shape) {
    return shape == kSquareShape || shape == kSingleSquareShape || shape == kCrossShape;
}

// Number of squares of a shape: 4 for 0 ... 6, 1 for 7, 2 for 8, 3 for 9
// and 10, 5 for 11 ... 15; 0 for anything else.
int16_t ShapeSquareCount(int shape);

// Writes the geometry of the sixteen shapes into the table and nothing else.
void InitShapeInfo(ShapeInfoTable& table);

} // namespace tessarin

#include "game/ShapeTable.h"

#include <cstddef>

namespace tessarin {

namespace {

struct Offset {
    int16_t dx;
    int16_t dy;
};

// The squares of every shape in directions 0 ... 3, as offsets from the
// reference square; rows grow downward. Only the first ShapeSquareCount
// entries of a direction are squares of the shape.
constexpr int kShapeCount = 16;
constexpr Offset kShapes[kShapeCount][4][5] = {
    // 0: I
    {{{0, -1}, {0, 0}, {0, 1}, {0, 2}},
     {{-2, 0}, {-1, 0}, {0, 0}, {1, 0}},
     {{0, -1}, {0, 0}, {0, 1}, {0, 2}},
     {{-2, 0}, {-1, 0}, {0, 0}, {1, 0}}},
    // 1: L
    {{{0, -1}, {0, 0}, {0, 1}, {1, 1}},
     {{-1, 0}, {0, 0}, {1, 0}, {1, -1}},
     {{0, 0}, {-1, -1}, {0, 1}, {0, -1}},
     {{-1, 0}, {-1, 1}, {0, 0}, {1, 0}}},
    // 2: J
    {{{0, -1}, {0, 0}, {0, 1}, {1, -1}},
     {{-1, -1}, {-1, 0}, {0, 0}, {1, 0}},
     {{-1, 1}, {0, 1}, {0, 0}, {0, -1}},
     {{-1, 0}, {0, 0}, {1, 0}, {1, 1}}},
    // 3: T
    {{{0, -1}, {0, 0}, {0, 1}, {1, 0}},
     {{-1, 0}, {0, -1}, {0, 0}, {1, 0}},
     {{-1, 0}, {0, 1}, {0, 0}, {0, -1}},
     {{-1, 0}, {0, 1}, {0, 0}, {1, 0}}},
    // 4: O
    {{{-1, 0}, {0, 0}, {-1, -1}, {0, -1}},
     {{-1, 0}, {0, 0}, {-1, -1}, {0, -1}},
     {{-1, 0}, {0, 0}, {-1, -1}, {0, -1}},
     {{-1, 0}, {0, 0}, {-1, -1}, {0, -1}}},
    // 5: S
    {{{0, -1}, {0, 0}, {1, 1}, {1, 0}},
     {{0, -1}, {-1, 0}, {0, 0}, {1, -1}},
     {{0, -1}, {0, 0}, {1, 1}, {1, 0}},
     {{0, -1}, {-1, 0}, {0, 0}, {1, -1}}},
    // 6: Z
    {{{0, 0}, {0, 1}, {1, 0}, {1, -1}},
     {{-1, -1}, {0, 0}, {1, 0}, {0, -1}},
     {{0, 0}, {0, 1}, {1, 0}, {1, -1}},
     {{-1, -1}, {0, 0}, {1, 0}, {0, -1}}},
    // 7: single square
    {{{0, 0}}, {{0, 0}}, {{0, 0}}, {{0, 0}}},
    // 8: domino
    {{{0, 0}, {-1, 0}}, {{0, 1}, {0, 0}}, {{0, 0}, {-1, 0}}, {{0, 1}, {0, 0}}},
    // 9: straight three
    {{{-1, 0}, {0, 0}, {1, 0}},
     {{0, -1}, {0, 0}, {0, 1}},
     {{-1, 0}, {0, 0}, {1, 0}},
     {{0, -1}, {0, 0}, {0, 1}}},
    // 10: bent three
    {{{0, 0}, {-1, 0}, {0, 1}},
     {{0, 0}, {0, 1}, {1, 0}},
     {{1, 0}, {0, 0}, {0, -1}},
     {{0, -1}, {0, 0}, {-1, 0}}},
    // 11
    {{{-1, 0}, {-1, 1}, {0, 0}, {1, 1}, {1, 0}},
     {{0, -1}, {0, 0}, {0, 1}, {1, 1}, {1, -1}},
     {{-1, -1}, {-1, 0}, {0, 0}, {1, 0}, {1, -1}},
     {{-1, -1}, {-1, 1}, {0, 1}, {0, 0}, {0, -1}}},
    // 12: plus
    {{{-1, 0}, {0, 1}, {0, 0}, {1, 0}, {0, -1}},
     {{-1, 0}, {0, 1}, {0, 0}, {1, 0}, {0, -1}},
     {{-1, 0}, {0, 1}, {0, 0}, {1, 0}, {0, -1}},
     {{-1, 0}, {0, 1}, {0, 0}, {1, 0}, {0, -1}}},
    // 13
    {{{-1, -1}, {-1, 0}, {0, 0}, {1, 0}, {1, 1}},
     {{-1, 1}, {0, 1}, {0, 0}, {0, -1}, {1, -1}},
     {{-1, -1}, {-1, 0}, {0, 0}, {1, 0}, {1, 1}},
     {{-1, 1}, {0, 1}, {0, 0}, {0, -1}, {1, -1}}},
    // 14
    {{{-1, -1}, {-1, 0}, {-1, 1}, {0, 0}, {1, 0}},
     {{-1, 1}, {0, -1}, {0, 0}, {0, 1}, {1, 1}},
     {{-1, 0}, {0, 0}, {1, -1}, {1, 0}, {1, 1}},
     {{-1, -1}, {0, -1}, {0, 0}, {0, 1}, {1, -1}}},
    // 15
    {{{-1, -1}, {0, -1}, {0, 0}, {0, 1}, {1, 1}},
     {{-1, 1}, {-1, 0}, {0, 0}, {1, 0}, {1, -1}},
     {{-1, -1}, {0, -1}, {0, 0}, {0, 1}, {1, 1}},
     {{-1, 1}, {-1, 0}, {0, 0}, {1, 0}, {1, -1}}},
};

bool inBlock(int d, int q, int c) {
    return d >= 0 && d < ShapeBlock::kDirections && q >= 0 && q < ShapeBlock::kSquares && c >= 0 &&
           c < ShapeBlock::kCoordinates;
}

} // namespace

int16_t ShapeBlock::at(int d, int q, int c) const {
    return inBlock(d, q, c) ? v[static_cast<std::size_t>(index(d, q, c))] : int16_t{0};
}

void ShapeBlock::set(int d, int q, int c, int16_t value) {
    if (inBlock(d, q, c))
        v[static_cast<std::size_t>(index(d, q, c))] = value;
}

ShapeBlock ShapeInfoTable::block(int shape) const {
    ShapeBlock b;
    if (shape < 0 || shape >= kShapes)
        return b;
    const std::size_t start = static_cast<std::size_t>(shape) * ShapeBlock::kSize;
    for (std::size_t i = 0; i < ShapeBlock::kSize; ++i)
        b.v[i] = v[start + i];
    return b;
}

int16_t ShapeSquareCount(int shape) {
    if (shape >= 0 && shape <= 6)
        return 4;
    if (shape == kSingleSquareShape)
        return 1;
    if (shape == kDominoShape)
        return 2;
    if (shape == kStraightThreeShape || shape == 10)
        return 3;
    if (shape >= 11 && shape <= 15)
        return 5;
    return 0;
}

void InitShapeInfo(ShapeInfoTable& table) {
    for (int s = 0; s < kShapeCount; ++s) {
        const std::size_t start = static_cast<std::size_t>(s) * ShapeBlock::kSize;
        for (int d = 0; d < 4; ++d) {
            for (int q = 0; q < ShapeSquareCount(s); ++q) {
                const Offset o = kShapes[s][d][q];
                table.v[start + static_cast<std::size_t>(ShapeBlock::index(d, q, 0))] = o.dx;
                table.v[start + static_cast<std::size_t>(ShapeBlock::index(d, q, 1))] = o.dy;
            }
        }
    }
}

} // namespace tessarin

// x_latency's reading of a changed field: a fall is no answer, a move
// sideways is, a new piece or a cleared row is counted apart.
#include "latency/FieldChange.h"

#include <gtest/gtest.h>
#include <utility>
#include <vector>

namespace {

using tessarin::bench::Answer;
using tessarin::bench::Columns;
using tessarin::bench::compare;
using tessarin::bench::percentile;

constexpr int kColumns = 11, kRows = 18, kCell = 16;
constexpr int kWidth = kColumns * kCell;

// A field of cells, 0 empty, else a colour; drawn as the game draws it: an
// empty cell has a pattern of its own, a square a lighter top-left edge.
struct Field {
    std::vector<uint32_t> cells = std::vector<uint32_t>(kColumns * kRows, 0);
    uint32_t& at(int x, int y) { return cells[static_cast<std::size_t>(y * kColumns + x)]; }
    Field with(const std::vector<std::pair<int, int>>& squares, uint32_t colour) const {
        Field f = *this;
        for (auto [x, y] : squares)
            f.at(x, y) = colour;
        return f;
    }
    std::vector<uint32_t> picture() const {
        std::vector<uint32_t> p(static_cast<std::size_t>(kWidth * kRows * kCell));
        for (int y = 0; y < kRows * kCell; ++y)
            for (int x = 0; x < kWidth; ++x) {
                const uint32_t c =
                    cells[static_cast<std::size_t>(y / kCell * kColumns + x / kCell)];
                const int cx = x % kCell, cy = y % kCell;
                uint32_t pixel = 0;
                if (c == 0)
                    pixel = (cx == cy || cx == 15 - cy) ? 0x101010 : 0;
                else
                    pixel = (cx == 0 || cy == 0) ? (c | 0x404040) : c;
                p[static_cast<std::size_t>(y * kWidth + x)] = pixel;
            }
        return p;
    }
};

std::vector<std::pair<int, int>> shifted(std::vector<std::pair<int, int>> squares, int dx, int dy) {
    for (auto& [x, y] : squares) {
        x += dx;
        y += dy;
    }
    return squares;
}

Answer between(const Field& before, const Field& after) {
    return compare(Columns(before.picture(), kWidth), after.picture(), kWidth);
}

// A stack at the bottom, a square of a colour it also has beside the piece.
Field stack() {
    Field f;
    for (int x = 0; x < kColumns; ++x)
        if (x != 4)
            f.at(x, 17) = 0x00ff00;
    return f.with({{2, 16}, {3, 16}, {3, 15}}, 0xff0000);
}

const std::vector<std::vector<std::pair<int, int>>> kPieces = {
    {{4, 0}, {5, 0}, {6, 0}, {7, 0}}, // a bar, flat
    {{5, 0}, {5, 1}, {5, 2}, {5, 3}}, // a bar, upright
    {{4, 0}, {5, 0}, {4, 1}, {5, 1}}, // a square of four
    {{4, 1}, {5, 1}, {5, 0}, {6, 0}}, // a step
};

TEST(FieldChange, AFallIsNoAnswerAndAMoveSidewaysIs) {
    for (const auto& piece : kPieces)
        for (int row = 0; row < 10; ++row) {
            const auto at = shifted(piece, 0, row);
            const Field before = stack().with(at, 0xff0000);
            SCOPED_TRACE(row);
            EXPECT_EQ(between(before, before), Answer::Nothing);
            EXPECT_EQ(between(before, stack().with(shifted(at, 0, 1), 0xff0000)), Answer::Nothing);
            EXPECT_EQ(between(before, stack().with(shifted(at, -1, 0), 0xff0000)), Answer::Moved);
            EXPECT_EQ(between(before, stack().with(shifted(at, 1, 0), 0xff0000)), Answer::Moved);
            // Both in the picture read after the key.
            EXPECT_EQ(between(before, stack().with(shifted(at, 1, 1), 0xff0000)), Answer::Moved);
        }
}

TEST(FieldChange, ANewPieceOrAClearedRowIsCountedApart) {
    const auto piece = kPieces[2];
    const Field falling = stack().with(shifted(piece, 0, 14), 0x0000ff);
    // The piece landed and the next one came.
    const Field landed = stack().with(shifted(piece, 0, 15), 0x0000ff);
    EXPECT_EQ(between(falling, landed.with(kPieces[0], 0xffff00)), Answer::Other);
    // The bottom row full and gone, the rows above one lower.
    Field cleared;
    cleared.at(2, 17) = 0xff0000;
    cleared.at(3, 17) = 0xff0000;
    cleared.at(3, 16) = 0xff0000;
    EXPECT_EQ(between(stack().with({{4, 17}}, 0x0000ff), cleared), Answer::Other);
    // A curtain row over the bottom.
    Field curtain = stack();
    for (int x = 0; x < kColumns; ++x)
        curtain.at(x, 17) = 0xff0000;
    EXPECT_EQ(between(stack(), curtain), Answer::Other);
}

TEST(FieldChange, PercentilesAreNearestRank) {
    std::vector<double> hundred;
    for (int i = 1; i <= 100; ++i)
        hundred.push_back(i);
    EXPECT_EQ(percentile(hundred, 0.5), 50);
    EXPECT_EQ(percentile(hundred, 0.99), 99);
    EXPECT_EQ(percentile(hundred, 1.0), 100);
    EXPECT_EQ(percentile(hundred, 0.0), 1);
    EXPECT_EQ(percentile({7.0}, 0.99), 7);
    EXPECT_EQ(percentile({1, 2, 3}, 0.5), 2);
}

} // namespace

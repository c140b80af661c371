#include "game/ShapeTable.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

using namespace tessarin;

namespace {

using Squares = std::vector<std::pair<int, int>>;

// The sixteen shapes, every direction written out, squares in order.
const char* const kExpected[16][4] = {
    {"(0,-1) (0,0) (0,1) (0,2)", "(-2,0) (-1,0) (0,0) (1,0)", "(0,-1) (0,0) (0,1) (0,2)",
     "(-2,0) (-1,0) (0,0) (1,0)"},
    {"(0,-1) (0,0) (0,1) (1,1)", "(-1,0) (0,0) (1,0) (1,-1)", "(0,0) (-1,-1) (0,1) (0,-1)",
     "(-1,0) (-1,1) (0,0) (1,0)"},
    {"(0,-1) (0,0) (0,1) (1,-1)", "(-1,-1) (-1,0) (0,0) (1,0)", "(-1,1) (0,1) (0,0) (0,-1)",
     "(-1,0) (0,0) (1,0) (1,1)"},
    {"(0,-1) (0,0) (0,1) (1,0)", "(-1,0) (0,-1) (0,0) (1,0)", "(-1,0) (0,1) (0,0) (0,-1)",
     "(-1,0) (0,1) (0,0) (1,0)"},
    {"(-1,0) (0,0) (-1,-1) (0,-1)", "(-1,0) (0,0) (-1,-1) (0,-1)", "(-1,0) (0,0) (-1,-1) (0,-1)",
     "(-1,0) (0,0) (-1,-1) (0,-1)"},
    {"(0,-1) (0,0) (1,1) (1,0)", "(0,-1) (-1,0) (0,0) (1,-1)", "(0,-1) (0,0) (1,1) (1,0)",
     "(0,-1) (-1,0) (0,0) (1,-1)"},
    {"(0,0) (0,1) (1,0) (1,-1)", "(-1,-1) (0,0) (1,0) (0,-1)", "(0,0) (0,1) (1,0) (1,-1)",
     "(-1,-1) (0,0) (1,0) (0,-1)"},
    {"(0,0)", "(0,0)", "(0,0)", "(0,0)"},
    {"(0,0) (-1,0)", "(0,1) (0,0)", "(0,0) (-1,0)", "(0,1) (0,0)"},
    {"(-1,0) (0,0) (1,0)", "(0,-1) (0,0) (0,1)", "(-1,0) (0,0) (1,0)", "(0,-1) (0,0) (0,1)"},
    {"(0,0) (-1,0) (0,1)", "(0,0) (0,1) (1,0)", "(1,0) (0,0) (0,-1)", "(0,-1) (0,0) (-1,0)"},
    {"(-1,0) (-1,1) (0,0) (1,1) (1,0)", "(0,-1) (0,0) (0,1) (1,1) (1,-1)",
     "(-1,-1) (-1,0) (0,0) (1,0) (1,-1)", "(-1,-1) (-1,1) (0,1) (0,0) (0,-1)"},
    {"(-1,0) (0,1) (0,0) (1,0) (0,-1)", "(-1,0) (0,1) (0,0) (1,0) (0,-1)",
     "(-1,0) (0,1) (0,0) (1,0) (0,-1)", "(-1,0) (0,1) (0,0) (1,0) (0,-1)"},
    {"(-1,-1) (-1,0) (0,0) (1,0) (1,1)", "(-1,1) (0,1) (0,0) (0,-1) (1,-1)",
     "(-1,-1) (-1,0) (0,0) (1,0) (1,1)", "(-1,1) (0,1) (0,0) (0,-1) (1,-1)"},
    {"(-1,-1) (-1,0) (-1,1) (0,0) (1,0)", "(-1,1) (0,-1) (0,0) (0,1) (1,1)",
     "(-1,0) (0,0) (1,-1) (1,0) (1,1)", "(-1,-1) (0,-1) (0,0) (0,1) (1,-1)"},
    {"(-1,-1) (0,-1) (0,0) (0,1) (1,1)", "(-1,1) (-1,0) (0,0) (1,0) (1,-1)",
     "(-1,-1) (0,-1) (0,0) (0,1) (1,1)", "(-1,1) (-1,0) (0,0) (1,0) (1,-1)"},
};

Squares parse(const std::string& text) {
    Squares out;
    std::istringstream in(text);
    char open, comma, close;
    int dx, dy;
    while (in >> open >> dx >> comma >> dy >> close)
        out.push_back({dx, dy});
    return out;
}

} // namespace

TEST(ShapeTable, InitShapeInfoWritesExactlyTheShapeTable) {
    constexpr int16_t kUntouched = -99;
    ShapeInfoTable table;
    table.v.fill(kUntouched);
    InitShapeInfo(table);

    // Every entry of the table is either a listed offset, at dx = 5q + d and
    // dy = 30 + 5q + d of the shape's block at 90s, or left as it was.
    std::vector<int16_t> want(table.v.size(), kUntouched);
    for (int s = 0; s < 16; ++s)
        for (int d = 0; d < 4; ++d) {
            const Squares sq = parse(kExpected[s][d]);
            ASSERT_EQ(static_cast<int>(sq.size()), ShapeSquareCount(s)) << "shape " << s;
            for (int q = 0; q < static_cast<int>(sq.size()); ++q) {
                want[90 * s + 5 * q + d] = static_cast<int16_t>(sq[q].first);
                want[90 * s + 30 + 5 * q + d] = static_cast<int16_t>(sq[q].second);
            }
        }
    for (std::size_t i = 0; i < want.size(); ++i)
        EXPECT_EQ(table.v[i], want[i]) << "shape " << i / 90 << " entry " << i % 90;

    // A shape's block reads the same through the accessors.
    ShapeInfoTable clean;
    InitShapeInfo(clean);
    for (int s = 0; s < 16; ++s) {
        const ShapeBlock b = clean.block(s);
        for (int d = 0; d < 4; ++d) {
            const Squares sq = parse(kExpected[s][d]);
            for (int q = 0; q < 6; ++q) {
                const bool listed = q < static_cast<int>(sq.size());
                EXPECT_EQ(b.dx(d, q), listed ? sq[q].first : 0) << s << "/" << d << "/" << q;
                EXPECT_EQ(b.dy(d, q), listed ? sq[q].second : 0) << s << "/" << d << "/" << q;
            }
        }
        for (int q = 0; q < 6; ++q)
            EXPECT_EQ(b.dx(4, q) | b.dy(4, q) | b.at(0, q, 2), 0);
    }
    EXPECT_EQ(clean.block(16), ShapeBlock{});
    EXPECT_EQ(clean.block(-1), ShapeBlock{});
    EXPECT_EQ(clean.block(17), ShapeBlock{});
}

TEST(ShapeTable, TopSquareRowAndSquareCounts) {
    ShapeInfoTable table;
    InitShapeInfo(table);

    // (shape, direction) pairs whose top square lies in the reference row;
    // every other pair has a square one row above it.
    std::set<std::pair<int, int>> topAtZero{{0, 1}, {0, 3}, {1, 3},  {2, 3},  {3, 3},
                                            {9, 0}, {9, 2}, {10, 0}, {10, 1}, {11, 0}};
    for (int d = 0; d < 4; ++d) {
        topAtZero.insert({7, d});
        topAtZero.insert({8, d});
    }
    for (int s = 0; s < 16; ++s) {
        const ShapeBlock b = table.block(s);
        for (int d = 0; d < 4; ++d) {
            int top = 99;
            std::set<std::pair<int, int>> distinct;
            for (int q = 0; q < ShapeSquareCount(s); ++q) {
                top = std::min<int>(top, b.dy(d, q));
                distinct.insert({b.dx(d, q), b.dy(d, q)});
            }
            EXPECT_EQ(top, topAtZero.count({s, d}) ? 0 : -1) << "shape " << s << " dir " << d;
            EXPECT_EQ(static_cast<int>(distinct.size()), ShapeSquareCount(s)) << s << "/" << d;
        }
    }

    const int counts[16] = {4, 4, 4, 4, 4, 4, 4, 1, 2, 3, 3, 5, 5, 5, 5, 5};
    for (int s = 0; s < 16; ++s)
        EXPECT_EQ(ShapeSquareCount(s), counts[s]) << s;
    EXPECT_EQ(ShapeSquareCount(-1), 0);
    EXPECT_EQ(ShapeSquareCount(16), 0);
}

TEST(ShapeTable, BlockAccessIsBoundsSafe) {
    ShapeBlock b;
    b.set(3, 4, 1, 7);
    EXPECT_EQ(b.v[30 + 5 * 4 + 3], 7);
    b.set(4, 5, 2, 9); // the last entry of the block
    EXPECT_EQ(b.v[89], 9);
    EXPECT_EQ(b.at(4, 5, 2), 9);

    const ShapeBlock before = b;
    for (auto [d, q, c] : {std::tuple{-1, 0, 0},
                           {5, 0, 0},
                           {0, -1, 0},
                           {0, 6, 0},
                           {0, 0, -1},
                           {0, 0, 3},
                           {99, 99, 99}}) {
        EXPECT_EQ(b.at(d, q, c), 0) << d << "/" << q << "/" << c;
        b.set(d, q, c, 5);
    }
    EXPECT_EQ(b, before);
    // (5, 0, 0) would be index 5, which belongs to square 1: not aliased.
    EXPECT_EQ(b.at(5, 0, 0), 0);
}

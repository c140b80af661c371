#include "game/ShapeTable.h"

#include "support/PieceFixtures.h"

#include <algorithm>
#include <gtest/gtest.h>

using namespace tessarin;

TEST(ShapeTable, EveryShapeAndDirectionAsListed) {
    // The directions whose top square is in the reference row; others have one above.
    const std::string topInRow0[16] = {"13", "3",    "3",    "3",  "",   "",
                                       "",   "0123", "0123", "02", "01", "0"};
    const gametest::Offsets shapes = gametest::parse(gametest::kShapes);
    const gametest::Field f; // its table is filled by InitShapeInfo
    for (int s = 0; s <= 16; ++s) {
        ShapeBlock want; // nothing else is written, shape 16 included
        for (int d = 0; d < 4 && s < 16; ++d) {
            const auto& squares = shapes[s][d];
            int top = 9;
            for (int q = 0; q < int(squares.size()); ++q) {
                want.set(d, q, 0, int16_t(squares[q].first));
                want.set(d, q, 1, int16_t(squares[q].second));
                top = std::min(top, squares[q].second);
            }
            EXPECT_EQ(top, topInRow0[s].find(char('0' + d)) == std::string::npos ? -1 : 0)
                << s << "/" << d;
        }
        EXPECT_EQ(f.table.block(s), want) << "shape " << s;
    }
}

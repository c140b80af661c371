#include "game/Canvas.h"

#include "support/PieceFixtures.h"

#include <algorithm>
#include <gtest/gtest.h>

using namespace tessarin;
using namespace tessarin::gametest;

TEST(Canvas, MapOccupancyDrawingAndRepaint) {
    Field f;
    const std::string empty = repeat("............", 19); // spare column and row included
    EXPECT_EQ(f.text(), empty);
    for (int16_t x = -1; x <= 11; ++x)
        for (int16_t y = -1; y <= 18; ++y)
            ASSERT_EQ(f.canvas.isOccupied(x, y), x < 0 || x > 10 || y < 0 || y > 17) << x << y;
    for (auto [x, y] : {std::pair<int16_t, int16_t>{-1, 0}, {12, 0}, {0, -1}, {0, 19}, {-9, 999}}) {
        EXPECT_EQ(f.canvas.GetMapUnit(x, y), 7) << x << "," << y;
        f.canvas.SetMapUnit(x, y, 3); // writes nothing
    }
    for (int16_t code : {4, 7, 9})
        f.canvas.SetSquare(2, 3, code);
    f.canvas.SetSquare(2, 4, 8);
    f.canvas.SetMapUnit(10, 17, 0);
    std::string screen = repeat(std::string(12, ' '), 19);
    screen[3 * 13 + 2] = '4', screen[4 * 13 + 2] = '.';
    std::string map = empty;
    map[17 * 13 + 10] = '0';
    EXPECT_EQ(f.text(true) + f.text(), screen + map);
    f.canvas.Repaint();
    EXPECT_EQ(f.rows(0, true), f.rows());
    f.canvas.setRows(18); // empties the map; the picture stays until the next Repaint
    EXPECT_EQ(f.text() + f.rows(17, true), empty + kNone.substr(1) + "0/");
    f.canvas.Repaint();
    EXPECT_EQ(f.rows(0, true), repeat(kNone, 18));
}

// Rows 17 and 15 full, a partly filled row between, a full row 13 above an empty
// row; the rows sent lack the squares of the piece that completed them.
TEST(Canvas, MarkDeliverAndRemoveFullRows) {
    Field f;
    f.put(0, 13, kFull + "/" + kNone + "/666.6666666/2.2.2.2.2.2/012.4560123");
    f.place(9, 1, 3, 16); // (3,15) (3,16) (3,17)
    const std::string before = f.text() + f.text(true);
    ASSERT_TRUE(f.canvas.MarkFullLines());
    EXPECT_FALSE(f.canvas.MarkFullLines()); // a clear is pending
    f.canvas.StartDeleteTimer();
    EXPECT_EQ(f.state(), "0 0 0 DT 17 15");
    RowArray sent;
    sent.redim(11, 2);
    {
        const LiftedPiece lifted(&f.piece);
        f.canvas.GetSquareToBeDelivered(sent);
    }
    EXPECT_EQ(f.text() + f.text(true), before);
    f.canvas.DeleteFullLines(); // the partly filled row drops into row 17
    const std::string after = kFull + "/" + repeat(kNone, 3) + "2.222.2.2.2/";
    EXPECT_EQ(f.rows(13) + f.rows(13, true) + f.state(), after + after + "400 2 0 -- 17 15");

    // The receiver's stack from row 1 down loses row 1; its marks follow their rows.
    Field g;
    std::string stack;
    for (int y = 1; y < 15; ++y)
        stack += kNone.substr(0, y % 11) + char('0' + y % 7) + kNone.substr(y % 11 + 1) + '/';
    g.put(0, 1, stack + kFull + "/4.4.4.4.4.4/55555555555");
    ASSERT_TRUE(g.canvas.MarkFullLines());
    g.canvas.AddLines(sent, 2);
    const std::string want = stack.substr(12) + kFull + "/4.4.4.4.4.4/55555555555/666.6666666/";
    EXPECT_EQ(g.rows() + g.rows(0, true) + g.state(),
              want + "012.4560123/" + want + "012.4560123/0 0 0 D- 15 13");
    g.canvas.DeleteHide();
    EXPECT_EQ(g.rows(13, true).substr(0, 36), kNone + "/4.4.4.4.4.4/" + kNone + "/");
    g.canvas.DeleteFullLines();
    EXPECT_EQ(g.rows(15) + g.state(), "4.4.4.4.4.4/666.6666666/012.4560123/400 2 0 -- 15 13");
}

TEST(Canvas, ScoreTableSpeedAndCounterLimits) {
    Field f;
    const auto clear = [&](int n) {
        f.put(0, 18 - n, repeat(kFull, n));
        f.canvas.MarkFullLines();
        f.canvas.DeleteFullLines();
        EXPECT_EQ(f.text(), repeat("............", 19));
        return f.state();
    };
    std::string got;
    for (int n = 0; n <= 5; ++n) // at most four rows are marked, yet all are removed
        got += clear(n) + "|";
    EXPECT_EQ(got, "0 0 0 --|100 1 0 -- 17|500 3 0 -- 17 16|1300 6 0 -- 17 16 15|"
                   "2800 10 0 -- 17 16 15 14|2800 15 0 -- 17 16 15 14|");
    f.canvas.setLines(19);
    EXPECT_EQ(clear(1), "2900 20 1 -- 17");
    f.canvas.setLines(38);
    f.canvas.setSpeed(9); // recomputed from Lines, not counted on
    EXPECT_EQ(clear(1), "3000 39 1 -- 17");
    EXPECT_EQ(clear(1), "3100 40 2 -- 17");
    f.canvas.setLines(32766);
    f.canvas.setScore(2147483647 - 50);
    EXPECT_EQ(clear(2), "2147483647 32767 1638 -- 17 16");
    EXPECT_EQ(clear(1), "2147483647 32767 1638 -- 17");
}

TEST(Canvas, CreateLevel) {
    Field f;
    f.canvas.CreateLevel(0);
    EXPECT_EQ(f.random.drawn(), 0);
    DefaultRandom seeded(12345);
    f.random.fallBackTo(&seeded);
    f.random.push({.9, .9, .9, .9, .9, .9, .9, .9, .9, .9, .9}); // an empty first try at row 17
    f.canvas.CreateLevel(11);
    std::string map = f.rows(), screen = f.rows(0, true);
    for (int y = 0; y < 18; ++y)
        EXPECT_EQ(map.substr(12 * y, 11) == kNone, y < 7) << y;
    std::replace(map.begin(), map.end(), '.', ' ');
    EXPECT_EQ(screen, map); // cells not chosen are not drawn
    EXPECT_NEAR(18 * 11 - std::count(map.begin(), map.end(), ' '), 121 / 4.0, 8); // a quarter
    EXPECT_EQ(std::set<char>(map.begin(), map.end()).size(), 9u); // in all seven colours
}

// Calls the window never makes stay inside the map: a mark pushed above the
// top is delivered as an empty row and ends the blink walk; a field without
// a map, a negative size or count, or a level taller than the field touch
// nothing outside it and never hang.
TEST(Canvas, OutOfRangeRowsAndSizesStayInsideTheMap) {
    Field f;
    f.put(0, 16, kFull + "/" + kFull);
    ASSERT_TRUE(f.canvas.MarkFullLines()); // rows 17 and 16
    RowArray up;
    up.redim(11, 17);
    for (int k = 0; k < 17; ++k)
        for (int x = 0; x < 11; ++x)
            up.set(x, k, 3);
    f.canvas.AddLines(up, 17); // the marks move to 0 and -1
    EXPECT_EQ(f.state(), "0 0 0 D- 0 -1");
    RowArray sent;
    sent.redim(11, 2);
    f.canvas.GetSquareToBeDelivered(sent);
    EXPECT_EQ(std::string(1, Field::letter(sent.get(0, 0))) + Field::letter(sent.get(0, 1)) +
                  Field::letter(sent.get(12, 0)),
              "0..");
    f.canvas.DeleteHide(); // row 0 erased, the walk ends at -1
    EXPECT_EQ(f.rows(0, true).substr(0, 12) + f.rows(1, true).substr(0, 11),
              ".........../33333333333");
    f.canvas.AddLines(up, -2); // nothing moves
    EXPECT_EQ(f.at(0, 17), '3');

    Canvas bare(f.random);
    EXPECT_FALSE(bare.MarkFullLines());
    bare.DeleteFullLines();
    bare.setColumns(-3);
    bare.setRows(-2);
    bare.CreateLevel(11);
    EXPECT_EQ(bare.GetMapUnit(0, 0), 8);
    EXPECT_EQ(bare.GetMapUnit(1, 0), 7);

    Field g;
    DefaultRandom seeded(7);
    g.random.fallBackTo(&seeded);
    g.canvas.CreateLevel(30); // fills the whole field, row 0 included, and stops
    for (int y = 0; y < 18; ++y)
        EXPECT_NE(g.rows(y).substr(0, 11), kNone) << y;
    EXPECT_EQ(g.text().substr(18 * 13), "............/");
}

#include "game/SquareSet.h"

#include "support/PieceFixtures.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <set>
#include <string>
#include <utility>
#include <vector>

using namespace tessarin;
using namespace tessarin::piecetest;

namespace {

using Cells = std::set<std::pair<int, int>>;
using Sounds = std::vector<std::string>;

Cells cellsOf(const SquareSet& p) {
    Cells c;
    for (int q = 0; q < p.Number(); ++q)
        c.insert({p.cellX(q), p.cellY(q)});
    return c;
}

// Cells a turn sweeps through, relative to the reference square, by shape
// and current direction; empty for shapes that sweep nothing.
Cells sweepCells(int shape, int dir) {
    const std::vector<std::vector<Cells>> t = {
        /* 0 */ {{{-2, 1}, {-1, 1}, {-1, 2}}},
        /* 1 */ {{{-1, -1}}, {{-1, 1}}, {{1, 1}}, {{1, -1}}},
        /* 2 */ {{{1, 1}}, {{1, -1}}, {{-1, -1}}, {{-1, 1}}},
        /* 3 */
        {{{-1, -1}, {1, 1}, {1, -1}},
         {{-1, 1}, {1, -1}, {-1, -1}},
         {{-1, 1}, {1, 1}, {-1, -1}},
         {{-1, 1}, {1, -1}, {1, 1}}},
        /* 4 */ {{}},
        /* 5 */ {{{-1, -1}}},
        /* 6 */ {{{1, 1}}},
        /* 7 */ {{}},
        /* 8 */ {{{-1, 1}}},
        /* 9 */ {{{-1, 1}, {1, -1}}, {{-1, -1}, {1, 1}}, {{-1, 1}, {1, -1}}, {{-1, -1}, {1, 1}}},
        /* 10 */
        {{{-1, 1}, {1, 1}}, {{1, 1}, {1, -1}}, {{1, -1}, {-1, -1}}, {{-1, -1}, {-1, 1}}},
        /* 11 */ {{}},
        /* 12 */ {{}},
        /* 13 */ {{}},
        /* 14 */ {{{1, -1}}, {{-1, -1}}, {{-1, 1}}, {{1, 1}}},
        /* 15 */ {{}},
    };
    const auto& row = t[static_cast<std::size_t>(shape)];
    return row.size() == 1 ? row[0] : row[static_cast<std::size_t>(dir)];
}

} // namespace

// ---------------------------------------------------------------- properties

TEST(SquareSetProperties, ShapeSetsNumberAndClearsBlinkButNotTheTimer) {
    PieceField f;
    const int16_t counts[16] = {4, 4, 4, 4, 4, 4, 4, 1, 2, 3, 3, 5, 5, 5, 5, 5};
    for (int16_t s = 0; s < 16; ++s) {
        f.piece.setShape(s);
        EXPECT_EQ(f.piece.Number(), counts[s]) << s;
    }
    f.piece.setShape(7);
    f.piece.setShape(16);
    EXPECT_EQ(f.piece.Number(), 1); // unknown shapes leave Number as it was
    f.piece.setShape(-3);
    EXPECT_EQ(f.piece.Number(), 1);

    f.piece.setBlink(true);
    EXPECT_TRUE(f.blinkTimer.Enabled());
    f.piece.setShape(3);
    EXPECT_FALSE(f.piece.Blink());
    EXPECT_TRUE(f.blinkTimer.Enabled());
    f.piece.setBlink(false);
    EXPECT_FALSE(f.blinkTimer.Enabled());
    EXPECT_EQ(f.random.drawn(), 0);
}

TEST(SquareSetProperties, DirectionDecidesBlinkWithOneDrawForShapes7To9) {
    PieceField f;
    // Shape 7: a draw below one half makes the sinking square.
    f.piece.setShape(7);
    f.random.push({0.4999});
    f.piece.setDirection(2);
    EXPECT_EQ(f.random.drawn(), 1);
    EXPECT_TRUE(f.piece.Blink());
    EXPECT_TRUE(f.blinkTimer.Enabled());
    EXPECT_EQ(f.piece.Direction(), 2);
    // A draw of one half or more changes nothing, whatever the state was.
    f.random.push({0.5});
    f.piece.setDirection(0);
    EXPECT_TRUE(f.piece.Blink());
    EXPECT_TRUE(f.blinkTimer.Enabled());
    f.piece.setShape(7);
    f.blinkTimer.setEnabled(false);
    f.random.push({0.9});
    f.piece.setDirection(1);
    EXPECT_FALSE(f.piece.Blink());
    EXPECT_FALSE(f.blinkTimer.Enabled());
    EXPECT_EQ(f.random.drawn(), 3);

    // The blinking square forgets the cell it covered when it is set up anew.
    f.random.push({0.1});
    f.place(7, 0, 4, 5);
    f.fill(4, 6, 3);
    f.piece.DoDown();
    EXPECT_EQ(f.piece.SavedCell(), 3);
    f.random.push({0.1});
    f.piece.setDirection(0);
    EXPECT_EQ(f.piece.SavedCell(), Canvas::kEmpty);

    // Shapes 8 and 9 become tools only upright (directions 1 and 3).
    for (int16_t shape : {8, 9})
        for (int16_t d = 0; d < 4; ++d) {
            for (double u : {0.0, 0.25, 0.75}) {
                f.piece.setShape(shape);
                f.blinkTimer.setEnabled(false);
                const int before = f.random.drawn();
                f.random.push({u});
                f.piece.setDirection(d);
                const bool tool = u < 0.5 && (d == 1 || d == 3);
                EXPECT_EQ(f.piece.Blink(), tool) << shape << "/" << d << "/" << u;
                EXPECT_EQ(f.blinkTimer.Enabled(), tool) << shape << "/" << d << "/" << u;
                EXPECT_EQ(f.random.drawn(), before + 1);
            }
        }

    // Every other shape stops blinking and the timer, without drawing.
    for (int16_t shape : {0, 1, 2, 3, 4, 5, 6, 10, 11, 12, 13, 14, 15}) {
        f.piece.setShape(shape);
        f.piece.setBlink(true);
        const int before = f.random.drawn();
        f.random.push({0.0});
        f.piece.setDirection(1);
        EXPECT_FALSE(f.piece.Blink()) << shape;
        EXPECT_FALSE(f.blinkTimer.Enabled()) << shape;
        EXPECT_EQ(f.random.drawn(), before) << shape;
        f.random.clear();
    }
}

TEST(SquareSetProperties, AssignSetInfoCopiesOnlyFourDirectionsFiveSquaresTwoCoordinates) {
    PieceField f;
    ShapeBlock all;
    for (int i = 0; i < ShapeBlock::kSize; ++i)
        all.v[static_cast<std::size_t>(i)] = static_cast<int16_t>(i + 1);
    f.piece.AssignSetInfo(all);
    for (int d = 0; d < 5; ++d)
        for (int q = 0; q < 6; ++q)
            for (int c = 0; c < 3; ++c) {
                const bool copied = d <= 3 && q <= 4 && c <= 1;
                EXPECT_EQ(f.piece.SetInfo().at(d, q, c), copied ? all.at(d, q, c) : 0)
                    << d << "/" << q << "/" << c;
            }
}

// ------------------------------------------------------------------- drawing

TEST(SquareSetDrawing, ShowAndHideWriteTheMapAndDrawOnlyWhenAsked) {
    PieceField f;
    f.place(3, 0, 5, 5, false); // T: (5,4) (5,5) (5,6) (6,5), green
    const Cells cells = cellsOf(f.piece);
    ASSERT_EQ(cells, (Cells{{5, 4}, {5, 5}, {5, 6}, {6, 5}}));
    const auto check = [&](int16_t code, uint32_t pixel, const char* what) {
        for (auto [x, y] : cells) {
            EXPECT_EQ(f.at(x, y), code) << what << " " << x << "," << y;
            EXPECT_EQ(f.pixelAt(x, y), pixel) << what << " " << x << "," << y;
        }
    };

    f.piece.Show(false);
    check(3, kUndrawn, "Show(false)");
    EXPECT_TRUE(f.piece.Visible());
    f.piece.Hide(false);
    check(8, kUndrawn, "Hide(false)");
    EXPECT_FALSE(f.piece.Visible());
    f.piece.Show(true);
    check(3, codeColour(3), "Show(true)");
    f.piece.Hide(true);
    check(8, codeColour(8), "Hide(true)");

    // Visible draws and erases, as the blink timer uses it.
    f.piece.setVisible(true);
    check(3, codeColour(3), "Visible = True");
    EXPECT_TRUE(f.piece.Visible());
    f.piece.setVisible(false);
    check(8, codeColour(8), "Visible = False");
    EXPECT_FALSE(f.piece.Visible());
    // Nothing outside the piece was drawn.
    EXPECT_EQ(f.pixelAt(4, 5), kUndrawn);
    EXPECT_EQ(f.pixelAt(6, 4), kUndrawn);
}

// --------------------------------------------------------------------- moves

TEST(SquareSetMoves, CanAppearLooksAtTheCellsOnly) {
    PieceField f;
    f.place(0, 0, 5, 1, false);
    const auto before = f.snapshot();
    EXPECT_TRUE(f.piece.CanAppear());
    EXPECT_EQ(f.snapshot(), before);
    f.fill(5, 3, 6);
    EXPECT_FALSE(f.piece.CanAppear());
    f.fill(5, 3, 8);
    f.piece.setActive(false);
    EXPECT_FALSE(f.piece.CanAppear());
}

TEST(SquareSetMoves, LeftAndRightStopAtWallsAndSettledSquares) {
    PieceField f;
    f.place(3, 0, 0, 5); // T at the left wall: (0,4) (0,5) (0,6) (1,5)
    EXPECT_FALSE(f.piece.CanLeft());
    EXPECT_TRUE(f.piece.CanRight());

    f.piece.Hide(true);
    f.place(3, 0, 9, 5); // touching the right wall: (9,4) (9,5) (9,6) (10,5)
    const auto before = f.snapshot();
    EXPECT_FALSE(f.piece.CanRight()); // the spare column is empty and still refuses
    EXPECT_TRUE(f.piece.CanLeft());
    EXPECT_EQ(f.snapshot(), before); // lifted and put back
    for (int16_t y = 0; y <= 18; ++y)
        EXPECT_EQ(f.at(11, y), 8) << y;

    // Settled squares block, next to any square of the piece.
    f.piece.Hide(true);
    f.place(0, 0, 5, 5); // vertical I: (5,4) ... (5,7)
    f.fill(6, 7, 2);
    EXPECT_FALSE(f.piece.CanRight());
    EXPECT_TRUE(f.piece.CanLeft());
    f.fill(4, 4, 2);
    EXPECT_FALSE(f.piece.CanLeft());
    f.fill(6, 7, 8);
    f.fill(4, 4, 8);
    f.fill(6, 8, 2); // diagonal, not beside: no effect
    EXPECT_TRUE(f.piece.CanRight());

    f.sound.clear();
    f.piece.DoRight();
    EXPECT_EQ(cellsOf(f.piece), (Cells{{6, 4}, {6, 5}, {6, 6}, {6, 7}}));
    for (int16_t y = 4; y <= 7; ++y) {
        EXPECT_EQ(f.at(5, y), 8);
        EXPECT_EQ(f.pixelAt(5, y), codeColour(8));
        EXPECT_EQ(f.at(6, y), 0);
        EXPECT_EQ(f.pixelAt(6, y), codeColour(0));
    }
    f.piece.DoLeft();
    EXPECT_EQ(f.piece.x(), 5);
    EXPECT_EQ(f.sound.played, (Sounds{"move.wav", "move.wav"}));
}

TEST(SquareSetMoves, DownStopsOnTheFloorAndOnSettledSquaresSilently) {
    PieceField f;
    f.place(0, 0, 3, 1); // vertical I, rows 0 ... 3
    int moves = 0;
    while (f.piece.CanDown()) {
        f.piece.DoDown();
        ++moves;
    }
    EXPECT_EQ(moves, 14);
    EXPECT_EQ(f.piece.y(), 15); // bottom square in row 17
    for (int16_t y = 14; y <= 17; ++y) {
        EXPECT_EQ(f.at(3, y), 0);
        EXPECT_EQ(f.pixelAt(3, y), codeColour(0));
    }
    EXPECT_EQ(f.at(3, 18), 8); // the spare row is read, never written
    EXPECT_EQ(f.pixelAt(3, 13), codeColour(8));
    EXPECT_TRUE(f.sound.played.empty());

    // An overhanging square rests on a settled square below it; a landing
    // leaves an ordinary piece in the map and stops the blink timer.
    f.place(1, 0, 6, 1); // L: (6,0) (6,1) (6,2) (7,2)
    f.fill(7, 6, 4);
    f.blinkTimer.setEnabled(true);
    while (f.piece.CanDown())
        f.piece.DoDown();
    EXPECT_EQ(f.piece.y(), 4); // (7,5) rests on (7,6)
    EXPECT_EQ(cellsOf(f.piece), (Cells{{6, 3}, {6, 4}, {6, 5}, {7, 5}}));
    for (auto [x, y] : cellsOf(f.piece))
        EXPECT_EQ(f.at(x, y), 1);
    EXPECT_EQ(f.at(7, 6), 4);
    EXPECT_FALSE(f.blinkTimer.Enabled());
}

TEST(SquareSetMoves, InactivePieceAnswersFalseWithoutTouchingAnything) {
    PieceField f;
    f.place(3, 0, 5, 5);
    f.piece.Hide(false); // out of the map: any put-back would show
    f.piece.setActive(false);
    f.blinkTimer.setEnabled(true);
    const auto before = f.snapshot();
    EXPECT_FALSE(f.piece.CanAppear());
    EXPECT_FALSE(f.piece.CanLeft());
    EXPECT_FALSE(f.piece.CanRight());
    EXPECT_FALSE(f.piece.CanDown());
    EXPECT_FALSE(f.piece.CanRotate(0));
    EXPECT_FALSE(f.piece.CanRotate(1));
    EXPECT_EQ(f.snapshot(), before);
    EXPECT_TRUE(f.blinkTimer.Enabled());
}

// ------------------------------------------------------------------ rotation

// Every shape that turns, in every direction and both turning directions,
// at (5, 8) of an empty field: a settled square in the 7 x 7 cells around
// the piece blocks the turn exactly when it lies on a cell of the new
// direction or on a sweep cell of the current one.
TEST(SquareSetRotation, BlockedExactlyByTargetAndSweepCells) {
    for (int16_t shape = 0; shape < 16; ++shape) {
        if (shape == 4 || shape == 7 || shape == 12)
            continue;
        for (int16_t dir = 0; dir < 4; ++dir)
            for (int16_t rd : {0, 1}) {
                PieceField f;
                const int16_t next = static_cast<int16_t>(rd == 0 ? (dir + 1) % 4 : (dir + 3) % 4);
                f.place(shape, next, 5, 8, false);
                const Cells target = cellsOf(f.piece);
                f.place(shape, dir, 5, 8);
                const Cells own = cellsOf(f.piece);
                ASSERT_FALSE(f.piece.Blink());
                EXPECT_TRUE(f.piece.CanRotate(rd)) << shape << "/" << dir << "/" << rd;
                Cells blocked = target;
                for (auto [dx, dy] : sweepCells(shape, dir))
                    blocked.insert({5 + dx, 8 + dy});
                for (int16_t x = 2; x <= 8; ++x)
                    for (int16_t y = 5; y <= 11; ++y) {
                        if (own.count({x, y}))
                            continue;
                        f.fill(x, y, 6);
                        const auto before = f.snapshot();
                        EXPECT_EQ(f.piece.CanRotate(rd), !blocked.count({x, y}))
                            << "shape " << shape << " dir " << dir << " rd " << rd << " square at "
                            << x << "," << y;
                        EXPECT_EQ(f.snapshot(), before);
                        f.fill(x, y, 8);
                    }
                EXPECT_TRUE(f.sound.played.empty());
            }
    }
}

TEST(SquareSetRotation, FieldBoundsBlockTurnsAndSweeps) {
    PieceField f;
    // The vertical I is blocked by its sweep cells even when the four cells
    // of the horizontal direction are free.
    for (auto [sx, sy] : {std::pair{3, 6}, {4, 6}, {4, 7}}) {
        f.place(0, 0, 5, 5);
        f.fill(static_cast<int16_t>(sx), static_cast<int16_t>(sy), 2);
        EXPECT_FALSE(f.piece.CanRotate(0)) << sx << "," << sy;
        EXPECT_FALSE(f.piece.CanRotate(1)) << sx << "," << sy;
        f.fill(static_cast<int16_t>(sx), static_cast<int16_t>(sy), 8);
        EXPECT_TRUE(f.piece.CanRotate(0));
        f.piece.Hide(true);
    }

    // Bent three at (10, 5) of an 11-wide field: the three cells of
    // direction 3 are inside and free, but the sweep cell (11, 6) is not.
    f.place(10, 0, 10, 5);
    EXPECT_FALSE(f.piece.CanRotate(1));
    f.piece.Hide(true);
    f.place(10, 0, 9, 5);
    EXPECT_TRUE(f.piece.CanRotate(1));
    f.piece.Hide(true);

    // Turns that would leave the field at the left, top or bottom.
    const struct {
        int16_t shape, dir, x, y;
        bool ok;
    } cases[] = {
        {0, 0, 1, 5, false},  {0, 0, 2, 5, true},  // horizontal I needs x - 2
        {0, 1, 5, 0, false},  {0, 1, 5, 1, true},  // vertical I needs y - 1
        {0, 1, 5, 16, false}, {0, 1, 5, 15, true}, // ... and y + 2
        {9, 0, 5, 0, false},  {9, 0, 5, 1, true},  // upright straight needs y - 1
    };
    for (const auto& c : cases) {
        f.place(c.shape, c.dir, c.x, c.y);
        const auto before = f.snapshot();
        EXPECT_EQ(f.piece.CanRotate(0) && f.piece.CanRotate(1), c.ok)
            << c.shape << "/" << c.dir << " at " << c.x << "," << c.y;
        EXPECT_EQ(f.snapshot(), before);
        f.piece.Hide(true);
    }
}

TEST(SquareSetRotation, SquarePlusSingleAndToolsNeverTurn) {
    PieceField f;
    const auto empty = f.snapshot();
    for (int16_t shape : {4, 7, 12})
        for (int16_t d = 0; d < 4; ++d) {
            f.place(shape, d, 5, 5, false); // not in the map
            EXPECT_FALSE(f.piece.CanRotate(0)) << shape;
            EXPECT_FALSE(f.piece.CanRotate(1)) << shape;
            EXPECT_EQ(f.snapshot(), empty) << shape;
        }
    f.random.push({0.0});
    f.place(7, 0, 5, 5, false);
    ASSERT_TRUE(f.piece.Blink());
    EXPECT_FALSE(f.piece.CanRotate(0));

    // Upright tools refuse; the same shapes not blinking turn.
    for (int16_t shape : {8, 9}) {
        f.random.push({0.0});
        f.place(shape, 1, 5, 5, false);
        ASSERT_TRUE(f.piece.Blink());
        EXPECT_FALSE(f.piece.CanRotate(0));
        EXPECT_FALSE(f.piece.CanRotate(1));
        EXPECT_EQ(f.snapshot(), empty);
        f.place(shape, 1, 5, 5, false);
        ASSERT_FALSE(f.piece.Blink());
        EXPECT_TRUE(f.piece.CanRotate(0));
        f.piece.Hide(false);
    }
}

TEST(SquareSetRotation, DoRotateTurnsDrawsAndPlaysWithoutDecidingBlink) {
    PieceField f;
    f.place(1, 0, 5, 5); // L: (5,4) (5,5) (5,6) (6,6)
    const int draws = f.random.drawn();
    f.piece.DoRotate(0); // counterclockwise: (4,5) (5,5) (6,5) (6,4)
    EXPECT_EQ(f.piece.Direction(), 1);
    EXPECT_EQ(cellsOf(f.piece), (Cells{{4, 5}, {5, 5}, {6, 5}, {6, 4}}));
    for (auto [x, y] : cellsOf(f.piece))
        EXPECT_EQ(f.pixelAt(x, y), codeColour(1));
    for (auto [x, y] : {std::pair{5, 4}, {5, 6}, {6, 6}}) {
        EXPECT_EQ(f.at(static_cast<int16_t>(x), static_cast<int16_t>(y)), 8);
        EXPECT_EQ(f.pixelAt(x, y), codeColour(8));
    }
    f.piece.DoRotate(1);
    f.piece.DoRotate(1); // clockwise twice: 1 -> 0 -> 3
    EXPECT_EQ(f.piece.Direction(), 3);
    f.piece.DoRotate(0);
    EXPECT_EQ(f.piece.Direction(), 0);
    EXPECT_EQ(f.sound.played, Sounds(4, "rotate.wav"));

    // An upright domino turned by DoRotate keeps its Blink: no new draw.
    f.piece.Hide(true);
    f.place(8, 0, 5, 5);
    f.piece.DoRotate(0);
    EXPECT_EQ(f.piece.Direction(), 1);
    EXPECT_FALSE(f.piece.Blink());
    EXPECT_EQ(f.random.drawn(), draws + 1); // only the draw of placing it

    // A turning direction other than 0 or 1 is refused.
    f.sound.clear();
    const auto before = f.snapshot();
    for (int16_t rd : {2, -1, 100}) {
        EXPECT_FALSE(f.piece.CanRotate(rd)) << rd;
        f.piece.DoRotate(rd);
        EXPECT_EQ(f.piece.Direction(), 1);
    }
    EXPECT_EQ(f.snapshot(), before);
    EXPECT_TRUE(f.sound.played.empty());
}

// ----------------------------------------------------------- sinking square

TEST(SinkingSquare, SettlesInTheLowestHoleLeavingPassedSquares) {
    PieceField f;
    for (int16_t y = 13; y <= 17; ++y)
        f.fill(4, y, 5);
    f.fill(4, 11, 2); // row 12 stays empty
    f.random.push({0.2});
    f.place(7, 0, 4, 0);
    ASSERT_TRUE(f.piece.Blink());
    ASSERT_TRUE(f.blinkTimer.Enabled());

    for (int i = 0; i < 11; ++i) {
        ASSERT_TRUE(f.piece.CanDown());
        f.piece.DoDown();
    }
    // Over the settled square of row 11: drawn over it, which it remembers.
    EXPECT_EQ(f.piece.y(), 11);
    EXPECT_EQ(f.at(4, 11), 0);
    EXPECT_EQ(f.pixelAt(4, 11), codeColour(0));
    EXPECT_EQ(f.piece.SavedCell(), 2);
    EXPECT_EQ(f.at(4, 10), 8);
    EXPECT_EQ(f.pixelAt(4, 10), codeColour(8));

    ASSERT_TRUE(f.piece.CanDown());
    f.piece.DoDown();
    EXPECT_EQ(f.at(4, 11), 2); // given back, in the map and on screen
    EXPECT_EQ(f.pixelAt(4, 11), codeColour(2));
    EXPECT_FALSE(f.piece.CanDown()); // settles in row 12
    EXPECT_EQ(f.piece.y(), 12);
    EXPECT_EQ(f.at(4, 12), 0);
    EXPECT_EQ(f.pixelAt(4, 12), codeColour(0));
    for (int16_t y = 13; y <= 17; ++y) {
        EXPECT_EQ(f.at(4, y), 5);
        EXPECT_EQ(f.pixelAt(4, y), codeColour(5));
    }
    EXPECT_FALSE(f.blinkTimer.Enabled());
    EXPECT_TRUE(f.sound.played.empty());
}

TEST(SinkingSquare, LandsOnTopOfASolidColumn) {
    PieceField f;
    for (int16_t y = 10; y <= 17; ++y)
        f.fill(4, y, 5);
    f.random.push({0.2});
    f.place(7, 0, 4, 0);
    ASSERT_TRUE(f.piece.Blink());
    int moves = 0;
    while (f.piece.CanDown()) {
        f.piece.DoDown();
        ++moves;
    }
    EXPECT_EQ(moves, 9);
    EXPECT_EQ(f.piece.y(), 9);
    EXPECT_EQ(f.at(4, 9), 0);
    EXPECT_EQ(f.pixelAt(4, 9), codeColour(0));
    for (int16_t y = 10; y <= 17; ++y)
        EXPECT_EQ(f.at(4, y), 5);
    EXPECT_FALSE(f.blinkTimer.Enabled());

    // Landing while blinked off, it is drawn where it stays.
    PieceField g;
    g.fillRow(17, 3);
    g.random.push({0.2});
    g.place(7, 0, 4, 16);
    g.piece.setVisible(false);
    EXPECT_EQ(g.pixelAt(4, 16), codeColour(8));
    EXPECT_FALSE(g.piece.CanDown());
    EXPECT_EQ(g.at(4, 16), 0);
    EXPECT_EQ(g.pixelAt(4, 16), codeColour(0));
}

// --------------------------------------------------------------------- tools

TEST(PieceTools, TakeToolRemovesTheFirstSquareBelowIt) {
    PieceField f;
    f.random.push({0.0});
    f.place(8, 1, 3, 1); // upright domino at (3,1) and (3,2)
    ASSERT_TRUE(f.piece.Blink());
    const auto empty = f.snapshot();
    f.piece.DoTake();
    EXPECT_EQ(f.snapshot(), empty);
    EXPECT_TRUE(f.sound.played.empty());

    f.fill(2, 5, 4); // beside the column: never taken
    f.fill(3, 9, 4);
    f.fill(3, 12, 6);
    f.piece.DoTake();
    EXPECT_EQ(f.at(3, 9), 8);
    EXPECT_EQ(f.pixelAt(3, 9), codeColour(8));
    EXPECT_EQ(f.at(3, 12), 6);
    EXPECT_EQ(f.sound.played, Sounds{"take.wav"});
    f.fill(3, 3, 1); // right below the tool
    f.piece.DoTake();
    EXPECT_EQ(f.at(3, 3), 8);
    EXPECT_EQ(f.at(3, 12), 6);
    EXPECT_EQ(f.at(2, 5), 4);
    EXPECT_EQ(f.at(3, 1), 1); // the tool itself stays
    EXPECT_EQ(f.at(3, 2), 1);
}

TEST(PieceTools, AddToolDropsASquareDownItsColumn) {
    PieceField f;
    f.random.push({0.0});
    f.place(9, 3, 6, 1); // upright straight at (6,0) ... (6,2), yellow
    ASSERT_TRUE(f.piece.Blink());
    f.piece.DoAdd();
    EXPECT_EQ(f.at(6, 17), 2);
    EXPECT_EQ(f.pixelAt(6, 17), codeColour(2));
    f.piece.DoAdd();
    EXPECT_EQ(f.at(6, 16), 2);
    EXPECT_EQ(f.sound.played, (Sounds{"add.wav", "add.wav"}));
    EXPECT_EQ(f.at(6, 18), 8); // never into the spare row

    f.fill(6, 10, 5);
    f.piece.DoAdd(); // onto the highest square, not under it
    EXPECT_EQ(f.at(6, 9), 2);
    EXPECT_EQ(f.at(6, 11), 8);

    f.sound.clear();
    f.fill(6, 3, 5); // directly below the tool: no room
    const auto before = f.snapshot();
    f.piece.DoAdd();
    EXPECT_EQ(f.snapshot(), before);
    EXPECT_TRUE(f.sound.played.empty());
}

TEST(PieceTools, DoSpeedDropsLandsAndPlaysOnlyAfterAMove) {
    PieceField f;
    f.place(3, 3, 5, 0); // T pointing down: (4,0) (5,1) (5,0) (6,0)
    f.blinkTimer.setEnabled(true);
    f.piece.DoSpeed();
    EXPECT_EQ(f.piece.y(), 16);
    EXPECT_EQ(cellsOf(f.piece), (Cells{{4, 16}, {5, 17}, {5, 16}, {6, 16}}));
    EXPECT_EQ(f.at(5, 0), 8);
    EXPECT_EQ(f.pixelAt(5, 0), codeColour(8));
    EXPECT_EQ(f.pixelAt(5, 17), codeColour(3));
    EXPECT_EQ(f.sound.played, Sounds{"speed.wav"});
    EXPECT_FALSE(f.blinkTimer.Enabled());

    // A piece that cannot move lands silently.
    f.sound.clear();
    f.blinkTimer.setEnabled(true);
    f.piece.DoSpeed();
    EXPECT_EQ(f.piece.y(), 16);
    EXPECT_TRUE(f.sound.played.empty());
    EXPECT_FALSE(f.blinkTimer.Enabled());
    EXPECT_EQ(f.at(5, 17), 3);

    // A stuck add tool vanishes from map and screen; a dropped take tool too.
    f.random.push({0.0});
    f.place(9, 1, 8, 16); // (8,15) (8,16) (8,17)
    ASSERT_TRUE(f.blinkTimer.Enabled());
    f.piece.DoSpeed();
    for (int16_t y = 15; y <= 17; ++y) {
        EXPECT_EQ(f.at(8, y), 8);
        EXPECT_EQ(f.pixelAt(8, y), codeColour(8));
    }
    EXPECT_FALSE(f.blinkTimer.Enabled());
    EXPECT_TRUE(f.sound.played.empty());

    f.random.push({0.0});
    f.place(8, 3, 1, 0);
    f.piece.DoSpeed();
    EXPECT_EQ(f.piece.y(), 16);
    EXPECT_EQ(f.at(1, 16), 8);
    EXPECT_EQ(f.at(1, 17), 8);
    EXPECT_EQ(f.pixelAt(1, 17), codeColour(8));
    EXPECT_EQ(f.sound.played, Sounds{"speed.wav"});
}

// -------------------------------------------------------------------- sounds

TEST(PieceSounds, PlayOnlyWhileSoundIsOn) {
    for (bool on : {true, false}) {
        PieceField f;
        f.piece.setSound(on);
        f.place(1, 0, 5, 5);
        f.piece.DoLeft();
        f.piece.DoRight();
        f.piece.DoRotate(0);
        f.piece.DoDown();
        f.piece.DoSpeed();
        f.piece.Hide(true);
        f.random.push({0.0});
        f.place(9, 1, 2, 1);
        f.piece.DoAdd();
        f.piece.Hide(true);
        f.random.push({0.0});
        f.place(8, 1, 2, 1);
        f.piece.DoTake();
        EXPECT_EQ(f.at(2, 17), 8); // the actions happen either way
        const Sounds all{"move.wav", "move.wav", "rotate.wav", "speed.wav", "add.wav", "take.wav"};
        EXPECT_EQ(f.sound.played, on ? all : Sounds{});
    }
}

// ---------------------------------------------------------------- robustness

TEST(SquareSetRobustness, NoCanvasOrTimerAnswersFalseAndDoesNothing) {
    test::ScriptedRandom random(0.75);
    RecordingSound sound;
    ShapeInfoTable table;
    InitShapeInfo(table);
    SquareSet p(random, sound);
    p.setShape(7);
    random.push({0.0});
    p.setDirection(0); // no timer to switch
    EXPECT_TRUE(p.Blink());
    p.setShape(3);
    p.setDirection(1);
    p.setBlink(true);
    p.setBlink(false);
    p.setx(5);
    p.sety(5);
    p.AssignSetInfo(table.block(3));
    p.Show(true);
    p.setVisible(false);
    EXPECT_FALSE(p.CanAppear());
    EXPECT_FALSE(p.CanLeft());
    EXPECT_FALSE(p.CanRight());
    EXPECT_FALSE(p.CanDown());
    EXPECT_FALSE(p.CanRotate(0));
    p.DoLeft();
    p.DoRight();
    p.DoDown();
    p.DoRotate(0);
    p.DoSpeed();
    p.DoAdd();
    p.DoTake();
    EXPECT_EQ(p.x(), 5);
    EXPECT_EQ(p.y(), 5);
    EXPECT_EQ(p.Direction(), 1);
    EXPECT_TRUE(sound.played.empty());
}

TEST(SquareSetRobustness, OutOfRangeValuesStayInsideTheArrays) {
    PieceField f;
    // A Direction outside 0 ... 3 has no offsets: every square is the
    // reference square. A turn brings it back into 0 ... 3.
    f.place(3, 0, 5, 5, false);
    for (int16_t d : {4, 7, -1, 32767, -32768}) {
        f.piece.setDirection(d);
        f.piece.Show(true);
        EXPECT_EQ(f.at(5, 5), 3);
        EXPECT_EQ(cellsOf(f.piece), (Cells{{5, 5}}));
        EXPECT_TRUE(f.piece.CanRotate(1));
        f.piece.DoRotate(1);
        EXPECT_GE(f.piece.Direction(), 0);
        EXPECT_LE(f.piece.Direction(), 3);
        f.piece.Hide(true);
    }
    f.piece.setDirection(-1);
    f.piece.DoRotate(0);
    EXPECT_EQ(f.piece.Direction(), 0);

    // A Shape outside 0 ... 15 keeps the squares it has, turns with no sweep.
    f.place(3, 0, 5, 5);
    f.piece.setShape(40);
    EXPECT_EQ(f.piece.Number(), 4);
    EXPECT_TRUE(f.piece.CanRotate(0));
    EXPECT_TRUE(f.piece.CanDown());
    f.piece.Hide(true);

    // A Number beyond the offsets reads only the block's six squares.
    f.piece.setNumber(1000);
    f.piece.Show(true);
    EXPECT_TRUE(f.piece.CanLeft());
    f.piece.setNumber(-5);
    EXPECT_TRUE(f.piece.CanDown());

    // A piece without squares can always move down, yet a drop ends.
    PieceField g;
    g.piece.setx(3);
    g.piece.DoSpeed();
    EXPECT_LE(g.piece.y(), g.canvas.Rows() + 1);
    EXPECT_EQ(g.snapshot(), PieceField().snapshot());
}

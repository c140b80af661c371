#include "game/SquareSet.h"

#include "support/PieceFixtures.h"

#include <algorithm>
#include <gtest/gtest.h>

using namespace tessarin;
using namespace tessarin::gametest;

// Shape clears Blink, not the timer. Direction draws once for shapes 7, 8 and 9:
// under 0.5 gives the blinking form (tools only upright). Others stop the blink.
TEST(SquareSet, DirectionDecidesBlink) {
    Field f;
    for (int shape = 0; shape < 16; ++shape)
        for (int i = 0; i < 24; ++i) {
            const int d = i % 4, on = i / 12;
            const double u = i / 4 % 3 * 0.25;
            const bool special = shape >= 7 && shape <= 9,
                       blink = special && u < 0.5 && (shape == 7 || d % 2);
            f.piece.setBlink(true);
            f.blinkTimer.setEnabled(on);
            f.piece.setShape(int16_t(shape));
            std::string got = f.flags().substr(0, 2);
            f.random = test::ScriptedRandom({u}, 0.75);
            f.piece.setDirection(int16_t(d));
            got += f.flags().substr(0, 2) + "01"[f.random.pending()];
            const std::string want = std::string("-") + "-T"[on] + "-B"[blink] +
                                     "-T"[blink || (special && on)] + "10"[special];
            EXPECT_EQ(got, want) << shape << "/" << i;
        }
}

// Every shape and direction at every place by one settled square: a test says yes
// when the cells it needs (for a turn also the cells swept, by shape and direction
// before it) are free and inside; 4, 7 and 12 never turn. Map and screen are kept.
TEST(SquareSet, MoveAndTurnTests) {
    const Offsets shapes = parse(kShapes),
                  sweeps = parse("-21 -11 -12|-1-1/-11/11/1-1|11/1-1/-1-1/-11|-1-1 11 1-1/-11 1-1 "
                                 "-1-1/-11 11 -1-1/-11 1-1 11||-1-1|11||-11|-11 1-1/-1-1 11|-11 11/"
                                 "11 1-1/1-1 -1-1/-1-1 -11||||1-1/-1-1/-11/11|");
    for (int shape = 0; shape < 16; ++shape)
        for (int dir = 0; dir < 4; ++dir) {
            Field f;
            f.put(5, 8, "6");
            for (int x = 0; x < 11; ++x)
                for (int y = 0; y < 18; ++y) {
                    const Cells own = cellsAt(shapes, shape, dir, x, y);
                    const auto yes = [&](Cells c, const Cells& lifted) {
                        return "nY"[std::all_of(c.begin(), c.end(), [&](auto p) {
                            return lifted.count(p) || !f.canvas.isOccupied(p.first, p.second);
                        })];
                    };
                    if (yes(own, {}) == 'n')
                        continue;
                    f.place(shape, dir, x, y);
                    std::string want{yes(cellsAt(shapes, shape, dir, x - 1, y), own),
                                     yes(cellsAt(shapes, shape, dir, x + 1, y), own),
                                     yes(cellsAt(shapes, shape, dir, x, y + 1), own)};
                    for (int turn : {1, 3}) {
                        Cells c = cellsAt(shapes, shape, (dir + turn) % 4, x, y);
                        c.merge(cellsAt(sweeps, shape, dir, x, y));
                        want += shape == 4 || shape == 7 || shape == 12 ? 'n' : yes(c, own);
                    }
                    const std::string map = f.text();
                    f.out.clearDirty();
                    const std::string got = {"nY"[f.piece.CanLeft()], "nY"[f.piece.CanRight()],
                                             "nY"[f.piece.CanDown()], "nY"[f.piece.CanRotate(0)],
                                             "nY"[f.piece.CanRotate(1)]};
                    EXPECT_EQ(got + f.text() + "-D"[!f.out.DirtyRect().empty()], want + map + "-")
                        << shape << "/" << dir << " at " << x << "," << y;
                    f.piece.Hide(false);
                }
        }
}

// Moves and tools draw and play, while Sound is on; the single square sinks.
TEST(SquareSet, MovesToolsAndTheSinkingSquare) {
    for (bool sound : {true, false}) {
        Field f;
        f.piece.setSound(sound);
        f.place(1, 0, 5, 5); // (5,4) (5,5) (5,6) (6,6)
        f.piece.DoRotate(0); // counterclockwise
        EXPECT_EQ(f.look({{4, 5}, {5, 5}, {6, 5}, {6, 4}}) + f.look({{5, 4}, {5, 6}, {6, 6}}),
                  "11111111......");
        f.piece.DoRotate(1);
        f.piece.DoRotate(1); // clockwise twice: direction 3
        f.piece.DoRight();
        EXPECT_EQ(f.look({{5, 5}, {5, 6}, {6, 5}, {7, 5}}) + f.look({{4, 5}}), "11111111..");
        f.piece.setVisible(false); // blinked off
        EXPECT_EQ(f.look({{5, 5}, {5, 6}, {6, 5}, {7, 5}}) + f.flags(), "........---");
        f.piece.DoLeft();
        f.piece.DoDown();
        f.piece.DoSpeed();
        EXPECT_EQ(f.rows(15) + f.look({{4, 16}, {4, 17}, {5, 16}, {6, 16}}) + f.look({{4, 6}}),
                  kNone + "/....111..../....1....../11111111..");
        f.blinkTimer.setEnabled(true);
        f.piece.DoSpeed(); // cannot move: lands silently
        EXPECT_EQ(f.flags(), "--V");

        f.random.push({0.0, 0.0, 0.0});
        f.put(8, 0, "...........2.55555", true);
        f.place(7, 0, 8, 0);
        while (f.piece.CanDown()) {
            f.piece.DoDown();
            f.piece.setVisible(false); // passed squares are given back, in the map and on screen
        }
        EXPECT_EQ(f.col(8) + f.col(8, true) + f.flags(), "...........2055555...........2055555B-V");

        f.place(8, 1, 1, 1); // upright domino (1,1) (1,2)
        f.piece.DoTake();    // nothing below: nothing happens
        f.put(1, 3, "1.....4..6", true);
        f.put(2, 9, "4");
        for (int i = 0; i < 3; ++i)
            f.piece.DoTake();
        EXPECT_EQ(f.col(1) + f.at(2, 9) + f.col(1, true).substr(3, 10),
                  ".11...............4..........");
        f.piece.DoSpeed();
        EXPECT_EQ(f.col(1) + f.col(1, true).substr(15), std::string(18, '.') + "...");
        f.place(9, 3, 9, 1); // upright straight (9,0) ... (9,2), yellow
        f.piece.DoAdd();
        f.piece.DoAdd();
        f.put(9, 10, "5");
        f.piece.DoAdd();  // onto the highest square
        f.put(9, 3, "5"); // right below the tool: no room
        f.piece.DoAdd();
        EXPECT_EQ(f.col(9) + f.at(9, 18) + f.col(9, true), "2225.....25.....22.2225     25     22");
        f.blinkTimer.setEnabled(true);
        f.piece.DoSpeed(); // cannot move
        EXPECT_EQ(f.col(9).substr(0, 4) + f.col(9, true).substr(0, 4) + f.flags(), "...5...5B--");
        f.piece.setActive(false); // out of the map: a put-back would show
        EXPECT_FALSE(f.piece.CanAppear() || f.piece.CanLeft() || f.piece.CanRight() ||
                     f.piece.CanDown() || f.piece.CanRotate(0) || f.piece.CanRotate(1));
        EXPECT_EQ(f.col(9).substr(0, 3), "...");

        std::string heard;
        for (const std::string& name : f.sound.played)
            heard += name + " ";
        EXPECT_EQ(heard,
                  sound ? "rotate.wav rotate.wav rotate.wav move.wav move.wav speed.wav take.wav "
                          "take.wav take.wav speed.wav add.wav add.wav add.wav "
                        : "");
    }
}

// Values the window never passes stay harmless: no canvas, a turn other
// than 0 or 1, a direction or shape outside the table, a piece without
// squares, a tool outside the field.
TEST(SquareSet, OutOfRangeValuesStayHarmless) {
    Field f;
    SquareSet lone(f.random, f.sound);
    EXPECT_FALSE(lone.CanDown() || lone.CanLeft() || lone.CanRight() || lone.CanRotate(0));
    lone.DoSpeed(); // no canvas: nothing to do, and it ends

    f.place(1, 0, 5, 5);
    const std::string before = f.text();
    EXPECT_FALSE(f.piece.CanRotate(2) || f.piece.CanRotate(-1));
    f.piece.DoRotate(2);
    EXPECT_EQ(f.piece.Direction(), 0);
    EXPECT_EQ(f.text(), before);

    f.piece.Hide(true);
    f.piece.setDirection(9); // squares fall back to the reference square
    f.piece.setShape(40);
    for (int q = 0; q < 6; ++q)
        EXPECT_TRUE(f.piece.cellX(q) == 5 && f.piece.cellY(q) == 5) << q;

    SquareSet empty(f.random, f.sound); // Number 0: every cell is free
    empty.setTheCanvas(&f.canvas);
    empty.DoSpeed(); // ends after at most Rows + 1 moves
    EXPECT_LE(empty.y(), 19);

    f.place(9, 1, 11, 3); // an add tool in the spare column adds nothing there
    f.piece.setBlink(true);
    f.piece.DoAdd();
    EXPECT_EQ(f.at(11, 17), '.');
}

#include "game/SquareSet.h"

#include "support/PieceFixtures.h"

#include <algorithm>
#include <gtest/gtest.h>

using namespace tessarin;
using namespace tessarin::gametest;
using Sounds = std::vector<std::string>;

// Shape clears Blink, not the timer. Direction draws once for shapes 7, 8
// and 9: below one half gives the blinking form (the tools only upright),
// else nothing changes. Other shapes stop blinking and the timer.
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
            std::string got = std::string() + "-B"[f.piece.Blink()] + "-T"[f.blinkTimer.Enabled()];
            f.random.clear();
            f.random.push(u);
            f.piece.setDirection(int16_t(d));
            got += std::to_string(f.piece.Direction()) + "-B"[f.piece.Blink()] +
                   "-T"[f.blinkTimer.Enabled()] + "01"[f.random.pending()];
            EXPECT_EQ(got, std::string("-") + "-T"[on] + std::to_string(d) + "-B"[blink] +
                               "-T"[blink || (special && on)] + "10"[special])
                << shape << "/" << i;
        }
}

// Every shape and direction, at every place in an empty field and at (5, 8)
// beside a settled square anywhere in the 7 x 7 cells around: each test
// says yes exactly when the cells it needs are free and inside the field,
// for a turn also the cells it sweeps through (by shape and the direction
// before it); 4, 7 and 12 never turn. Map and screen stay as they were.
TEST(SquareSet, MoveAndTurnTests) {
    const Offsets shapes = parse(kShapes),
                  sweeps = parse("-21 -11 -12|-1-1/-11/11/1-1|11/1-1/-1-1/-11|-1-1 11 1-1/-11 1-1 "
                                 "-1-1/-11 11 -1-1/-11 1-1 11||-1-1|11||-11|-11 1-1/-1-1 11|-11 11/"
                                 "11 1-1/1-1 -1-1/-1-1 -11||||1-1/-1-1/-11/11|");
    for (int shape = 0; shape < 16; ++shape)
        for (int dir = 0; dir < 4; ++dir) {
            Field f;
            const auto check = [&](int x, int y) {
                const Cells own = cellsAt(shapes, shape, dir, x, y);
                const auto yes = [&](Cells c) {
                    return "nY"[std::all_of(c.begin(), c.end(), [&](auto p) {
                        return own.count(p) || !f.canvas.isOccupied(p.first, p.second);
                    })];
                };
                std::string want{yes(cellsAt(shapes, shape, dir, x - 1, y)),
                                 yes(cellsAt(shapes, shape, dir, x + 1, y)),
                                 yes(cellsAt(shapes, shape, dir, x, y + 1))};
                for (int turn : {1, 3}) {
                    Cells c = cellsAt(shapes, shape, (dir + turn) % 4, x, y);
                    c.merge(cellsAt(sweeps, shape, dir, x, y));
                    want += shape == 4 || shape == 7 || shape == 12 ? 'n' : yes(c);
                }
                const std::string map = f.text();
                f.out.clearDirty();
                const std::string got = {"nY"[f.piece.CanLeft()], "nY"[f.piece.CanRight()],
                                         "nY"[f.piece.CanDown()], "nY"[f.piece.CanRotate(0)],
                                         "nY"[f.piece.CanRotate(1)]};
                EXPECT_EQ(got + f.text(), want + map)
                    << shape << "/" << dir << " at " << x << "," << y;
                EXPECT_TRUE(f.out.DirtyRect().empty());
            };
            for (int x = 0; x < 11; ++x)
                for (int y = 0; y < 18; ++y)
                    if (const Cells own = cellsAt(shapes, shape, dir, x, y);
                        std::none_of(own.begin(), own.end(), [&](auto p) {
                            return f.canvas.isOccupied(p.first, p.second);
                        })) {
                        f.place(shape, dir, x, y, false);
                        f.piece.Show(false);
                        check(x, y);
                        f.piece.Hide(false);
                    }
            f.place(shape, dir, 5, 8);
            for (int x = 2; x <= 8; ++x)
                for (int y = 5; y <= 11; ++y)
                    if (!cellsAt(shapes, shape, dir, 5, 8).count({x, y})) {
                        f.put(x, y, "6");
                        check(5, 8);
                        f.put(x, y, ".");
                    }
        }
}

TEST(SquareSet, MovesDrawPlayAndLand) {
    for (bool sound : {true, false}) {
        Field f;
        f.piece.setSound(sound);
        f.place(1, 0, 5, 5, false); // (5,4) (5,5) (5,6) (6,6), not yet in the map
        f.canvas.SetMapUnit(6, 6, 6);
        EXPECT_FALSE(f.piece.CanAppear());
        f.canvas.SetMapUnit(6, 6, 8);
        EXPECT_TRUE(f.piece.CanAppear());
        f.piece.setVisible(true);
        f.piece.DoRotate(0); // counterclockwise
        EXPECT_EQ(f.look({{4, 5}, {5, 5}, {6, 5}, {6, 4}}) + f.look({{5, 4}, {5, 6}, {6, 6}}),
                  "11111111......");
        f.piece.DoRotate(1);
        f.piece.DoRotate(1); // clockwise twice: direction 3
        f.piece.DoRight();
        EXPECT_EQ(f.look({{5, 5}, {5, 6}, {6, 5}, {7, 5}}) + f.look({{4, 5}}), "11111111..");
        f.piece.setVisible(false); // blinked off
        EXPECT_EQ(f.look({{5, 5}, {5, 6}, {6, 5}, {7, 5}}) + "-V"[f.piece.Visible()], "........-");
        f.piece.DoLeft();
        f.piece.DoDown();
        f.blinkTimer.setEnabled(true);
        f.piece.DoSpeed();
        EXPECT_EQ(f.rows(15) + f.look({{4, 16}, {4, 17}, {5, 16}, {6, 16}}) + f.look({{4, 6}}),
                  kNone + "/....111..../....1....../11111111..");
        EXPECT_FALSE(f.blinkTimer.Enabled()); // landing stops it
        f.blinkTimer.setEnabled(true);
        f.piece.DoSpeed(); // cannot move: lands silently
        EXPECT_FALSE(f.blinkTimer.Enabled());
        const Sounds all{"rotate.wav", "rotate.wav", "rotate.wav",
                         "move.wav",   "move.wav",   "speed.wav"};
        EXPECT_EQ(f.sound.played, sound ? all : Sounds{});
        f.random.push({0.9, 0.0});
        f.place(8, 0, 2, 2);
        f.piece.DoRotate(0); // upright now, yet no tool: no draw
        EXPECT_FALSE(f.piece.Blink() || f.random.pending() == 0);
        f.piece.Hide(false); // out of the map: a put-back would show
        f.piece.setActive(false);
        const std::string map = f.text();
        EXPECT_FALSE(f.piece.CanAppear() || f.piece.CanLeft() || f.piece.CanRight() ||
                     f.piece.CanDown() || f.piece.CanRotate(0) || f.piece.CanRotate(1));
        EXPECT_EQ(f.text(), map);
    }
}

// The blinking single square sinks through settled squares to the lowest
// empty cell of its column, or lands on a column without holes; blinked off
// on the way, it is drawn where it settles.
TEST(SquareSet, SinkingSquare) {
    for (auto [before, after] : {std::pair{"...........2.55555", "...........2055555"},
                                 {"..........55555555", ".........055555555"}}) {
        Field f;
        f.put(4, 0, before, true);
        f.random.push(0.2);
        f.place(7, 0, 4, 0);
        while (f.piece.CanDown()) {
            f.piece.DoDown();
            f.piece.setVisible(false);
        }
        EXPECT_EQ(f.col(4) + "|" + f.col(4, true), std::string(after) + "|" + after);
        EXPECT_TRUE(f.sound.played.empty() && !f.blinkTimer.Enabled() && f.piece.Blink());
    }
}

// The tools act on their column from two rows below the reference square.
TEST(SquareSet, TakeAndAddTools) {
    for (bool sound : {true, false}) {
        Field f;
        f.piece.setSound(sound);
        f.random.push({0.0, 0.0});
        f.place(8, 1, 3, 1); // upright domino (3,1) (3,2)
        f.piece.DoTake();    // nothing below: nothing happens
        f.put(3, 3, "1");
        f.put(3, 9, "44");
        f.put(3, 12, "6");
        for (int i = 0; i < 3; ++i)
            f.piece.DoTake();
        EXPECT_EQ(f.col(3) + f.at(4, 9) + f.col(3, true).substr(3, 10),
                  ".11...............4.     .  .");
        f.piece.DoSpeed(); // lands and vanishes
        EXPECT_EQ(f.col(3) + f.col(3, true).substr(15), std::string(18, '.') + "...");
        f.place(9, 3, 6, 1); // upright straight (6,0) ... (6,2), yellow
        f.piece.DoAdd();
        f.piece.DoAdd();
        f.put(6, 10, "5");
        f.piece.DoAdd();  // onto the highest square
        f.put(6, 3, "5"); // right below the tool: no room
        f.piece.DoAdd();
        EXPECT_EQ(f.col(6) + f.at(6, 18) + f.col(6, true), "2225.....25.....22.2225     25     22");
        f.piece.DoSpeed(); // cannot move: vanishes silently
        EXPECT_EQ(f.col(6).substr(0, 4) + f.col(6, true).substr(0, 4) +
                      "-T"[f.blinkTimer.Enabled()],
                  "...5...5-");
        const Sounds all{"take.wav", "take.wav", "take.wav", "speed.wav",
                         "add.wav",  "add.wav",  "add.wav"};
        EXPECT_EQ(f.sound.played, sound ? all : Sounds{});
    }
}

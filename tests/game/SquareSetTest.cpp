#include "game/SquareSet.h"

#include "support/PieceFixtures.h"

#include <algorithm>
#include <gtest/gtest.h>

using namespace tessarin;
using namespace tessarin::gametest;
using Sounds = std::vector<std::string>;

TEST(SquareSet, ShapeSetsNumberAndDirectionDecidesBlink) {
    Field f;
    for (int s = 0; s <= 16; ++s) {
        f.piece.setShape(int16_t(s));
        EXPECT_EQ(f.piece.Number(), "44444441233555555"[s] - '0') << s; // 16 leaves it
    }
    // Shape clears Blink, not the timer. Direction draws once for shapes 7,
    // 8 and 9: below one half gives the blinking form (the tools only
    // upright), else nothing changes. Other shapes stop blinking and the timer.
    for (int shape = 0; shape < 16; ++shape)
        for (int d = 0; d < 4; ++d)
            for (double u : {0.0, 0.4999, 0.5})
                for (bool timerOn : {false, true}) {
                    f.piece.setBlink(true);
                    f.blinkTimer.setEnabled(timerOn);
                    f.piece.setShape(int16_t(shape));
                    std::string got =
                        std::string() + "-B"[f.piece.Blink()] + "-T"[f.blinkTimer.Enabled()];
                    f.random.clear();
                    f.random.push(u);
                    f.piece.setDirection(int16_t(d));
                    got += std::to_string(f.piece.Direction()) + "-B"[f.piece.Blink()] +
                           "-T"[f.blinkTimer.Enabled()] + std::to_string(f.random.pending());
                    const bool special = shape >= 7 && shape <= 9;
                    const bool blink = special && u < 0.5 && (shape == 7 || d % 2 == 1);
                    EXPECT_EQ(got, std::string("-") + "-T"[timerOn] + std::to_string(d) +
                                       "-B"[blink] + "-T"[blink || (special && timerOn)] +
                                       (special ? "0" : "1"))
                        << shape << "/" << d << "/" << u << "/" << timerOn;
                }
}

TEST(SquareSet, VisibleCanAppearAndTheInactivePiece) {
    Field f;
    f.place(3, 0, 5, 5, false); // (5,4) (5,5) (5,6) (6,5), not in the map
    f.canvas.SetMapUnit(6, 5, 6);
    EXPECT_FALSE(f.piece.CanAppear());
    f.canvas.SetMapUnit(6, 5, 8);
    EXPECT_TRUE(f.piece.CanAppear());
    f.piece.setVisible(true);
    EXPECT_EQ(f.look(f.cells()) + "-V"[f.piece.Visible()], "33333333V");
    f.piece.setVisible(false);
    EXPECT_EQ(f.look(f.cells()) + "-V"[f.piece.Visible()], "........-");
    const std::string screen = f.rows(0, true);
    EXPECT_EQ(std::count(screen.begin(), screen.end(), ' '), 11 * 18 - 4); // nothing else drawn
    f.piece.setActive(false);
    EXPECT_FALSE(f.piece.CanAppear() || f.piece.CanLeft() || f.piece.CanRight() ||
                 f.piece.CanDown() || f.piece.CanRotate(0) || f.piece.CanRotate(1));
    EXPECT_EQ(f.text(), repeat(kNone + ".", 19)); // nothing put back
}

// Every shape and direction, at every place in an empty field and at (5, 8)
// beside a settled square anywhere in the 7 x 7 cells around: each test
// says yes exactly when the cells it needs are inside the field and free,
// for a turn also the cells it sweeps through (by shape and the direction
// before it); 4, 7 and 12 never turn. Map and screen stay as they were.
TEST(SquareSet, MoveAndTurnTests) {
    const Offsets shapes = parse(kShapes),
                  sweeps =
                      parse("-21 -11 -12|-1-1/-11/11/1-1|11/1-1/-1-1/-11|"
                            "-1-1 11 1-1/-11 1-1 -1-1/-11 11 -1-1/-11 1-1 11||-1-1|11||-11|"
                            "-11 1-1/-1-1 11|-11 11/11 1-1/1-1 -1-1/-1-1 -11||||1-1/-1-1/-11/11|");
    for (int shape = 0; shape < 16; ++shape)
        for (int dir = 0; dir < 4; ++dir) {
            Field f;
            const auto inside = [](auto p) {
                return p.first >= 0 && p.first < 11 && p.second >= 0 && p.second < 18;
            };
            const auto check = [&](int x, int y, const Cells& settled) {
                const auto free = [&](Cells c) {
                    return std::all_of(c.begin(), c.end(),
                                       [&](auto p) { return inside(p) && !settled.count(p); });
                };
                std::string want;
                for (auto [dx, dy] : {std::pair{-1, 0}, {1, 0}, {0, 1}})
                    want += "nY"[free(cellsAt(shapes, shape, dir, x + dx, y + dy))];
                for (int turn : {1, 3}) {
                    Cells c = cellsAt(shapes, shape, (dir + turn) % 4, x, y);
                    c.merge(cellsAt(sweeps, shape, dir, x, y));
                    want += "nY"[free(c) && shape != 4 && shape != 7 && shape != 12];
                }
                const std::string map = f.text();
                f.out.clearDirty();
                const std::string got = std::string() + "nY"[f.piece.CanLeft()] +
                                        "nY"[f.piece.CanRight()] + "nY"[f.piece.CanDown()] +
                                        "nY"[f.piece.CanRotate(0)] + "nY"[f.piece.CanRotate(1)];
                EXPECT_EQ(got + f.text(), want + map)
                    << shape << "/" << dir << " at " << x << "," << y;
                EXPECT_TRUE(f.out.DirtyRect().empty());
            };
            for (int x = 0; x < 11; ++x)
                for (int y = 0; y < 18; ++y) {
                    const Cells own = cellsAt(shapes, shape, dir, x, y);
                    if (std::all_of(own.begin(), own.end(), inside)) {
                        f.place(shape, dir, x, y, false);
                        f.piece.Show(false);
                        check(x, y, {});
                        f.piece.Hide(false);
                    }
                }
            f.place(shape, dir, 5, 8);
            for (int x = 2; x <= 8; ++x)
                for (int y = 5; y <= 11; ++y)
                    if (!f.cells().count({x, y})) {
                        f.put(x, y, "6");
                        check(5, 8, {{x, y}});
                        f.put(x, y, ".");
                    }
        }
}

TEST(SquareSet, MovesDrawPlayAndLand) {
    Field f;
    f.place(1, 0, 5, 5); // (5,4) (5,5) (5,6) (6,6)
    f.piece.DoRotate(0); // counterclockwise
    EXPECT_EQ(f.cells(), (Cells{{4, 5}, {5, 5}, {6, 5}, {6, 4}}));
    EXPECT_EQ(f.look(f.cells()) + f.look({{5, 4}, {5, 6}, {6, 6}}), "11111111......");
    f.piece.DoRotate(1);
    f.piece.DoRotate(1);
    EXPECT_EQ(f.piece.Direction(), 3);
    f.piece.DoRight();
    EXPECT_EQ(f.cells(), (Cells{{5, 5}, {5, 6}, {6, 5}, {7, 5}}));
    EXPECT_EQ(f.look(f.cells()) + f.look({{4, 5}}), "11111111..");
    f.piece.DoLeft();
    f.piece.DoDown();
    EXPECT_EQ(f.cells(), (Cells{{4, 6}, {4, 7}, {5, 6}, {6, 6}}));
    f.blinkTimer.setEnabled(true);
    f.piece.DoSpeed();
    EXPECT_EQ(f.rows(15) + f.look(f.cells()) + f.look({{4, 6}, {5, 15}}),
              kNone + "/....111..../....1....../11111111....");
    EXPECT_FALSE(f.blinkTimer.Enabled()); // landing stops it
    f.blinkTimer.setEnabled(true);
    f.piece.DoSpeed(); // cannot move: lands silently
    EXPECT_FALSE(f.blinkTimer.Enabled());
    EXPECT_EQ(f.sound.played, (Sounds{"rotate.wav", "rotate.wav", "rotate.wav", "move.wav",
                                      "move.wav", "speed.wav"}));
    f.place(8, 0, 2, 2);
    f.random.push(0.0);
    f.piece.DoRotate(0); // upright now, yet no tool: no draw
    EXPECT_FALSE(f.piece.Blink() || f.random.pending() == 0);
}

// The blinking single square sinks through settled squares to the lowest
// empty cell of its column, or lands on a column without holes; blinked
// off on the way, it is drawn where it settles.
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
    Field f; // a new sinking square does not give back what the last one covered
    f.put(4, 6, "3");
    f.random.push({0.2, 0.2});
    f.place(7, 0, 4, 5);
    f.piece.DoDown();
    f.place(7, 0, 4, 2);
    f.piece.DoDown();
    EXPECT_EQ(f.at(4, 2), '.');
}

// The tools work on their column from two rows below the reference square.
TEST(SquareSet, TakeAndAddToolsAndTheirLanding) {
    Field f;
    f.random.push({0.0, 0.0, 0.0});
    f.place(8, 1, 3, 1); // upright domino (3,1) (3,2)
    f.piece.DoTake();    // nothing below: nothing happens
    EXPECT_TRUE(f.sound.played.empty());
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
    f.piece.DoAdd(); // onto the highest square
    EXPECT_EQ(f.col(6) + f.at(6, 18) + f.col(6, true), "222......25.....22.222      25     22");
    f.put(6, 3, "5"); // right below the tool: no room
    const std::string map = f.text();
    f.piece.DoAdd();
    EXPECT_EQ(f.text(), map);
    f.blinkTimer.setEnabled(true);
    f.piece.DoSpeed(); // cannot move: vanishes silently
    EXPECT_EQ(f.col(6).substr(0, 4) + f.col(6, true).substr(0, 4) + "-T"[f.blinkTimer.Enabled()],
              "...5...5-");
    EXPECT_EQ(f.sound.played, (Sounds{"take.wav", "take.wav", "take.wav", "speed.wav", "add.wav",
                                      "add.wav", "add.wav"}));
}

TEST(SquareSet, SoundsOnlyWhileSoundIsOn) {
    std::string maps[2];
    for (bool on : {true, false}) {
        Field f;
        f.piece.setSound(on);
        f.place(1, 0, 5, 5);
        f.piece.DoLeft();
        f.piece.DoRight();
        f.piece.DoRotate(0);
        f.piece.DoSpeed();
        f.random.push({0.0, 0.0});
        f.place(9, 1, 2, 1);
        f.piece.DoAdd();
        maps[on] = f.text();
        f.place(8, 1, 6, 1);
        f.piece.DoTake();
        maps[on] += f.text();
        EXPECT_EQ(f.sound.played.size(), on ? 6u : 0u);
    }
    EXPECT_EQ(maps[0], maps[1]);
}

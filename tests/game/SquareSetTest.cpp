#include "game/SquareSet.h"

#include "support/PieceFixtures.h"

#include <algorithm>
#include <gtest/gtest.h>

using namespace tessarin;
using namespace tessarin::gametest;
using Sounds = std::vector<std::string>;

// Shape clears Blink, not the timer. Direction draws once for shapes 7, 8 and 9:
// below one half gives the blinking form (the tools only upright), else nothing
// changes. Other shapes stop blinking and the timer.
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
            f.random.clear();
            f.random.push(u);
            f.piece.setDirection(int16_t(d));
            got += f.flags().substr(0, 2) + std::to_string(f.piece.Direction()) +
                   "01"[f.random.pending()];
            const std::string want{'-',           "-T"[on],
                                   "-B"[blink],   "-T"[blink || (special && on)],
                                   char('0' + d), "10"[special]};
            EXPECT_EQ(got, want) << shape << "/" << i;
        }
}

// Every shape and direction at every place of a field with one settled square:
// a test says yes exactly when the cells it needs, for a turn also the cells
// swept (by shape and direction before the turn), are free and inside; 4, 7 and
// 12 never turn. Map and screen stay as they were.
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
                    const auto yes = [&](Cells c) {
                        return "nY"[std::all_of(c.begin(), c.end(), [&](auto p) {
                            return own.count(p) || !f.canvas.isOccupied(p.first, p.second);
                        })];
                    };
                    if (std::any_of(own.begin(), own.end(),
                                    [&](auto p) { return f.canvas.isOccupied(p.first, p.second); }))
                        continue;
                    f.place(shape, dir, x, y, false);
                    f.piece.Show(false);
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
                    f.piece.Hide(false);
                }
        }
}

// Moves, blink and tools draw and play (while Sound is on); a landing stops the
// blink timer. Tools act on their column from two rows below the reference square.
TEST(SquareSet, MovesAndToolsDrawPlayAndLand) {
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
        f.blinkTimer.setEnabled(true);
        f.piece.DoSpeed();
        EXPECT_EQ(f.rows(15) + f.look({{4, 16}, {4, 17}, {5, 16}, {6, 16}}) + f.look({{4, 6}}),
                  kNone + "/....111..../....1....../11111111..");
        f.blinkTimer.setEnabled(true);
        f.piece.DoSpeed(); // cannot move: lands silently
        EXPECT_EQ(f.flags(), "--V");

        f.random.push({0.0, 0.0});
        f.place(8, 1, 1, 1); // upright domino (1,1) (1,2)
        f.piece.DoTake();    // nothing below: nothing happens
        f.put(1, 3, "1");
        f.put(1, 9, "44");
        f.put(1, 12, "6");
        for (int i = 0; i < 3; ++i)
            f.piece.DoTake();
        EXPECT_EQ(f.col(1) + f.at(2, 9) + f.col(1, true).substr(3, 10),
                  ".11...............4.     .  .");
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
        const Sounds all{"rotate.wav", "rotate.wav", "rotate.wav", "move.wav", "move.wav",
                         "speed.wav",  "take.wav",   "take.wav",   "take.wav", "speed.wav",
                         "add.wav",    "add.wav",    "add.wav"};
        EXPECT_EQ(f.sound.played, sound ? all : Sounds{});

        f.piece.setActive(false); // out of the map: a put-back would show
        EXPECT_FALSE(f.piece.CanAppear() || f.piece.CanLeft() || f.piece.CanRight() ||
                     f.piece.CanDown() || f.piece.CanRotate(0) || f.piece.CanRotate(1));
        EXPECT_EQ(f.col(9).substr(0, 3), "...");
    }
}

// The blinking single square sinks through settled squares to the lowest empty
// cell of its column; blinked off on the way, it is drawn where it settles.
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
        EXPECT_EQ(f.flags() + std::to_string(f.sound.played.size()), "B-V0");
    }
}

// New Game, the choice of the next piece, the hand-over and the fall tick.
#include "support/GameFixture.h"

#include <set>
#include <vector>

using namespace tessarin;

namespace {

class NewGame : public GameFixture {};

const char* modeName(int16_t mode) {
    return mode == Tessarin::kStandard ? "Standard"
                                       : (mode == Tessarin::kDuel ? "Duel" : "Cooperation");
}

} // namespace

TEST_F(NewGame, EachModeStartsItsPiecesCountersAndTimers) {
    struct Case {
        int16_t mode;
        int16_t speed;
        std::vector<int16_t> entry; // entry column of each player
    };
    for (const Case& c : {Case{Tessarin::kStandard, 0, {5}}, Case{Tessarin::kDuel, 3, {5, 5}},
                          Case{Tessarin::kCooperation, 9, {3, 11}}}) {
        SCOPED_TRACE(modeName(c.mode));
        restart();
        choose(c.mode);
        game->mnuSpeed_Click(c.speed);
        const int players = static_cast<int>(c.entry.size());
        // Player 1: a draw of shape 0 is refused for the first piece (a fresh
        // piece has shape 0), so it is a T in direction 3 (top row 0); the
        // real next piece may then be shape 0, an I lying (row 0).
        // Player 2: an L in direction 0 (row 1), then an upright I (row 1).
        random.push({0.25 / kTime, 3.25 / kTime, 3.5 / 4, 3.25 / kTime, 0.25 / kTime, 1.5 / 4});
        if (players == 2)
            random.push({0.25 / kTime, 1.25 / kTime, 0.5 / 4, 1.25 / kTime, 0.25 / kTime, 0.5 / 4});
        const int before = random.drawn();
        sound.clear();
        newGame();
        EXPECT_EQ(random.drawn() - before, 6 * players);
        EXPECT_EQ(sound.played, std::vector<std::string>(2 * players, "appear.wav"));

        const int f1 = c.mode == Tessarin::kDuel ? 1 : 0;
        const SquareSet& p1 = *game->Squares[0];
        EXPECT_EQ(p1.Shape(), 3);
        EXPECT_EQ(p1.Direction(), 3);
        EXPECT_EQ(p1.x(), c.entry[0]);
        EXPECT_EQ(p1.y(), 0);
        EXPECT_TRUE(p1.Active());
        const int x = c.entry[0];
        for (int dx = -1; dx <= 1; ++dx) {
            EXPECT_EQ(at(0, x + dx, 0), 3);
            EXPECT_EQ(drawnOn(0, x + dx, 0), 3);
        }
        EXPECT_EQ(at(0, x, 1), 3);
        EXPECT_EQ(game->Previews[0]->Shape(), 0);
        EXPECT_EQ(game->Previews[0]->x(), 2);
        EXPECT_EQ(game->Previews[0]->y(), 0);
        for (int px = 0; px < 4; ++px)
            EXPECT_EQ(drawn(*game->picPreviewer[0], px, 0), 0);
        if (players == 2) {
            const SquareSet& p2 = *game->Squares[1];
            EXPECT_EQ(p2.Shape(), 1);
            EXPECT_EQ(p2.x(), c.entry[1]);
            EXPECT_EQ(p2.y(), 1);
            EXPECT_EQ(at(f1, c.entry[1], 0), 1);
            EXPECT_EQ(at(f1, c.entry[1] + 1, 2), 1);
            EXPECT_EQ(game->Previews[1]->Shape(), 0);
            EXPECT_EQ(game->Previews[1]->y(), 1);
            for (int py = 0; py < 4; ++py)
                EXPECT_EQ(drawn(*game->picPreviewer[1], 2, py), 0);
        }

        for (int i = 0; i < 2; ++i) {
            EXPECT_EQ(game->tmrMain[i]->Enabled(), i < players);
            if (i < players) {
                EXPECT_EQ(game->tmrMain[i]->Interval(), game->SpeedTable[c.speed]);
            }
        }
        const int labelled = c.mode == Tessarin::kDuel ? 2 : 1;
        for (int i = 0; i < labelled; ++i) {
            EXPECT_EQ(speedLabel(i), " " + std::to_string(c.speed));
            EXPECT_EQ(linesLabel(i), "0");
            EXPECT_EQ(scoreLabel(i), "0");
        }
        EXPECT_TRUE(game->Playing);
        EXPECT_TRUE(menu("mnuPause").Enabled && menu("mnuStop").Enabled);
        for (const char* name :
             {"mnuOnePlayer", "mnuTwoPlayers", "mnuNewGame", "mnuBestScore", "mnuChangeName",
              "mnuLevel0", "mnuSpeed0", "mnuPreview", "mnuGameA", "mnuGameB", "mnuCustom"})
            EXPECT_FALSE(menu(name).Enabled) << name;
        if (c.mode == Tessarin::kDuel) {
            EXPECT_EQ(game->Winner, 2);
        }
    }

    // A starting level builds each Duel field with rows of its own.
    restart();
    choose(Tessarin::kDuel);
    game->mnuLevel_Click(4);
    newGame();
    std::string bottom[2];
    for (int f = 0; f < 2; ++f) {
        for (int y = 14; y < 18; ++y) {
            EXPECT_NE(row(f, y), "...........") << f << "," << y;
            bottom[f] += row(f, y);
        }
        for (int y = 4; y < 14; ++y)
            EXPECT_EQ(row(f, y), "...........") << f << "," << y;
    }
    EXPECT_NE(bottom[0], bottom[1]);
}

TEST_F(NewGame, PreviewRowPutsTheTopSquareInRowZero) {
    // The pairs that start in row 0; every other starts in row 1.
    const std::set<std::pair<int, int>> rowZero{{0, 1}, {0, 3}, {1, 3},  {2, 3},  {3, 3},
                                                {9, 0}, {9, 2}, {10, 0}, {10, 1}, {11, 0}};
    for (int shape = 0; shape < 16; ++shape)
        for (int d = 0; d < 4; ++d) {
            const bool zero = rowZero.count({shape, d}) > 0 || shape == 7 || shape == 8;
            EXPECT_EQ(TessarinTestAccess::PreviewRow(static_cast<int16_t>(shape),
                                                     static_cast<int16_t>(d)),
                      zero ? 0 : 1)
                << shape << "/" << d;
        }
}

TEST_F(NewGame, MakeShapeRoundsHalfToEvenAndNeverGivesTheExcludedShape) {
    // t * r exactly halfway: the even neighbour.
    clock.set(5.0);
    random.push(0.5);
    EXPECT_EQ(game->MakeShape(16, 15), 2); // 2.5
    clock.set(7.0);
    random.push(0.5);
    EXPECT_EQ(game->MakeShape(16, 15), 4); // 3.5
    clock.set(41.0);
    random.push({0.5, 0.5});
    EXPECT_EQ(game->MakeShape(16, 15), 4); // 20.5 -> 20, mod 16
    EXPECT_EQ(game->MakeShape(7, 0), 6);   // 20 mod 7

    // The excluded shape is drawn again, as often as it comes.
    clock.set(kTime);
    queueShape(5);
    queueShape(5);
    queueShape(2);
    const int before = random.drawn();
    EXPECT_EQ(game->MakeShape(16, 5), 2);
    EXPECT_EQ(random.drawn() - before, 3);

    // Game A gives exactly 0 ... 6, Game B exactly 0 ... 15.
    std::set<int> a, b;
    for (int k = 0; k < 4000; ++k) {
        clock.set(kTime + 0.37 * k);
        const int shapeA = game->MakeShape(7, static_cast<int16_t>(k % 7));
        const int shapeB = game->MakeShape(16, static_cast<int16_t>(k % 16));
        EXPECT_NE(shapeA, k % 7);
        EXPECT_NE(shapeB, k % 16);
        a.insert(shapeA);
        b.insert(shapeB);
    }
    EXPECT_EQ(a, (std::set<int>{0, 1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(b.size(), 16u);
    EXPECT_EQ(*b.begin(), 0);
    EXPECT_EQ(*b.rbegin(), 15);
}

TEST_F(NewGame, FallTickMovesOneRowPerIntervalThenHandsOver) {
    choose(Tessarin::kStandard);
    newGame();
    setPiece(0, 4, 0, 5, 1); // an O in rows 0 and 1
    const int16_t nextShape = game->Previews[0]->Shape();
    advance(699);
    EXPECT_EQ(game->Squares[0]->y(), 1);
    advance(1);
    EXPECT_EQ(game->Squares[0]->y(), 2);
    EXPECT_EQ(row(0, 0), "...........");
    EXPECT_EQ(row(0, 2), "....44.....");
    EXPECT_EQ(drawnRow(0, 0), "...........");
    EXPECT_EQ(drawnRow(0, 2), "....44.....");

    advance(15 * 700); // on the floor, not yet landed
    EXPECT_EQ(game->Squares[0]->y(), 17);
    EXPECT_EQ(game->Previews[0]->Shape(), nextShape);
    advance(700); // lands; no full row: the next piece comes at once
    EXPECT_EQ(row(0, 16), "....44.....");
    EXPECT_EQ(row(0, 17), "....44.....");
    EXPECT_EQ(game->Squares[0]->Shape(), nextShape);
    EXPECT_LE(game->Squares[0]->y(), 1);
    EXPECT_NE(game->Previews[0]->Shape(), nextShape);
}

TEST_F(NewGame, CooperationPieceWaitsOnItsPartnerThenLandsOnIt) {
    choose(Tessarin::kCooperation);
    newGame();
    setPiece(1, 4, 0, 5, 10); // player 2's O in rows 9 and 10
    setPiece(0, 4, 0, 5, 8);  // player 1's O right on top of it
    advance(700);
    // Player 1 moves first: it rests on the falling partner and waits.
    EXPECT_EQ(game->Squares[0]->y(), 8);
    EXPECT_TRUE(game->Squares[0]->Active());
    EXPECT_EQ(game->Squares[1]->y(), 11);
    advance(700);
    EXPECT_EQ(game->Squares[0]->y(), 9);
    // Player 2 lands on the floor; player 1 lands on it, both handed over.
    advance(7 * 700);
    for (int y = 14; y < 18; ++y)
        EXPECT_EQ(row(0, y), "....44.........") << y;
    EXPECT_LE(game->Squares[0]->y(), 1); // just handed over
    EXPECT_LE(game->Squares[1]->y(), 2); // handed over a tick earlier
}

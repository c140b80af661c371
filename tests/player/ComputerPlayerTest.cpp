#include "player/ComputerPlayer.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <map>
#include <string>

using namespace tessarin;

namespace {

// One piece on a field, moved the way the game moves it (each key a test,
// then the move; the turn's sweep cells left out), falling a row every
// fallMs; the player asked whenever it wants to be.
struct Play {
    ShapeInfoTable shapes;
    PlayerView view;
    int64_t now = 0;
    std::map<KeyAction, int> presses;
    std::vector<int64_t> times;      // of every key
    std::vector<int64_t> steerTimes; // of every key but Down

    Play() { InitShapeInfo(shapes); }

    void start(PieceState piece, int fallMs = 0) {
        view.piece = piece;
        view.falling = true;
        view.fallMs = fallMs;
        presses.clear();
        times.clear();
        steerTimes.clear();
        fallNext_ = now + fallMs;
    }
    bool fits(const PieceState& p) const {
        for (const auto& [x, y] : cells(p))
            if (view.field.taken(x, y) || std::count(view.partner.begin(), view.partner.end(),
                                                     std::pair<int16_t, int16_t>(x, y)))
                return false;
        return true;
    }
    bool moved(PieceState p) {
        const bool ok = fits(p);
        if (ok)
            view.piece = p;
        return ok;
    }
    void key(KeyAction a) {
        PieceState p = view.piece;
        ++presses[a];
        times.push_back(now);
        if (a != KeyAction::Down)
            steerTimes.push_back(now);
        p.x += a == KeyAction::Right ? 1 : a == KeyAction::Left ? -1 : 0;
        if (a == KeyAction::Rotate)
            p.direction = Turned(p.direction, view.rotateMode);
        if (a != KeyAction::Down)
            moved(p);
        else
            do
                ++p.y;
            while (moved(p) && view.dropAtOnce);
    }
    // Asks the player until `until` or until `done` holds.
    template <class Done> void run(ComputerPlayer& player, int64_t until, Done done) {
        while (now < until && !done()) {
            const Decision d = player.decide(view, now);
            ASSERT_GT(d.nextAt, now);
            if (d.action != KeyAction::None)
                key(d.action);
            for (; view.fallMs > 0 && fallNext_ <= d.nextAt; fallNext_ += view.fallMs)
                moved(below());
            now = d.nextAt;
        }
    }
    PieceState below() const {
        PieceState p = view.piece;
        ++p.y;
        return p;
    }
    bool resting() const { return !fits(below()); }
    std::vector<std::pair<int, int>> cells(const PieceState& p) const {
        std::vector<std::pair<int, int>> c;
        const ShapeBlock b = shapes.block(p.shape);
        for (int q = 0; q < ShapeSquareCount(p.shape); ++q)
            c.emplace_back(p.x + b.dx(p.direction, q), p.y + b.dy(p.direction, q));
        std::sort(c.begin(), c.end());
        return c;
    }

private:
    int64_t fallNext_ = 0;
};

Board stack(uint64_t seed) {
    Board b(11, 18);
    PlayerRandom r(seed);
    for (int y = 12; y < 18; ++y)
        for (int x = 0; x < 11; ++x)
            b.set(x, y, r.chance(0.6));
    b.clearFullRows();
    return b;
}

} // namespace

// Every shape from every direction, both turning senses: the piece ends
// where the player meant it to, turned with as few presses as that sense
// allows, moved over one press a column, and let down once.
TEST(ComputerPlayer, SteersEachPieceToItsPlanWithTheFewestKeys) {
    for (int16_t shape = 0; shape < 16; ++shape)
        for (int16_t direction = 0; direction < 4; ++direction)
            for (int16_t rotateMode = 0; rotateMode < 2; ++rotateMode) {
                SCOPED_TRACE(std::to_string(shape) + "/" + std::to_string(direction) + " sense " +
                             std::to_string(rotateMode));
                Play play;
                play.view.field = stack(shape * 8 + direction * 2 + rotateMode);
                play.view.rotateMode = rotateMode;
                ComputerPlayer player(Strength::Hard, 5);
                play.start({shape, direction, 5, 1, false});
                play.run(player, 20000, [&] { return play.presses[KeyAction::Down] > 0; });
                ASSERT_EQ(play.presses[KeyAction::Down], 1);
                const Placement& plan = player.plan();
                EXPECT_EQ(play.presses[KeyAction::Rotate], plan.turns);
                EXPECT_LE(plan.turns, CanTurn(shape, false) ? 3 : 0);
                EXPECT_EQ(play.presses[KeyAction::Left] + play.presses[KeyAction::Right],
                          std::abs(plan.x - 5));
                PieceState meant = play.view.piece;
                meant.direction = plan.direction;
                EXPECT_EQ(play.cells(play.view.piece), play.cells(meant));
                EXPECT_TRUE(play.resting());
                // As many rows as it meant to complete.
                Board after = play.view.field;
                for (auto [x, y] : play.cells(play.view.piece))
                    after.set(x, y, true);
                EXPECT_EQ(after.clearFullRows(), plan.cleared);
            }
}

// Keys a second (those that steer the piece: once it is over its place,
// the down key is held and repeats faster) and the wait before the first
// key, over pieces let down one row a press; and how often a piece goes
// other than where the best placement would have it.
TEST(ComputerPlayer, PaceAndSlipsFitTheStrength) {
    struct Seen {
        double keysPerSecond, reactionMs, slips, downsPerSecond;
    };
    const auto measure = [](Strength strength) {
        Play play;
        play.view.dropAtOnce = false;
        ComputerPlayer player(strength, 9);
        int64_t keyTime = 0, firstKeys = 0, downTime = 0;
        int keys = 0, slips = 0, downs = 0;
        constexpr int kPieces = 200;
        for (int n = 0; n < kPieces; ++n) {
            play.view.field = stack(n);
            play.start({static_cast<int16_t>(n % 7), 0, 5, 1, false});
            const int64_t appeared = play.now;
            play.run(player, play.now + 60000, [&] { return play.resting(); });
            EXPECT_TRUE(play.resting());
            firstKeys += play.times.front() - appeared;
            if (play.steerTimes.size() > 1) {
                keyTime += play.steerTimes.back() - play.steerTimes.front();
                keys += static_cast<int>(play.steerTimes.size()) - 1;
            }
            // The down key, held from the last steering key on.
            const int64_t held =
                play.steerTimes.empty() ? play.times.front() : play.steerTimes.back();
            downTime += play.times.back() - held;
            downs += play.presses[KeyAction::Down] - (play.steerTimes.empty() ? 1 : 0);
            PlanOptions options;
            options.maxColumn = 10;
            const Placement best =
                ChoosePlacement(play.view.field, play.shapes,
                                {static_cast<int16_t>(n % 7), 0, 5, 1, false}, options);
            slips += best.x != player.plan().x || best.turns != player.plan().turns;
            play.view.falling = false; // the piece has landed: nothing to do
            const Decision idle = player.decide(play.view, play.now);
            EXPECT_EQ(idle.action, KeyAction::None);
            play.now = idle.nextAt;
        }
        return Seen{1000.0 * keys / keyTime, static_cast<double>(firstKeys) / kPieces,
                    static_cast<double>(slips) / kPieces, 1000.0 * downs / downTime};
    };
    const Seen easy = measure(Strength::Easy), normal = measure(Strength::Normal),
               hard = measure(Strength::Hard);
    EXPECT_GT(easy.keysPerSecond, 1.5);
    EXPECT_LT(easy.keysPerSecond, 3);
    EXPECT_GT(normal.keysPerSecond, 3);
    EXPECT_LT(normal.keysPerSecond, 6);
    EXPECT_GT(hard.keysPerSecond, 7);
    for (const Seen& s : {easy, normal, hard})
        EXPECT_GT(s.downsPerSecond, 1.8 * s.keysPerSecond);
    EXPECT_GT(easy.reactionMs, normal.reactionMs);
    EXPECT_GT(normal.reactionMs, hard.reactionMs);
    EXPECT_GT(hard.reactionMs, 80);
    // The odd misplaced piece at Easy, fewer at Normal, none at Hard but
    // where looking at the next piece changes its mind.
    EXPECT_GT(easy.slips, 0.05);
    EXPECT_LT(easy.slips, 0.35);
    EXPECT_LT(normal.slips, easy.slips);
    EXPECT_EQ(hard.slips, 0) << "no next piece was shown";
}

// A turn refused at the top of the field (the upright straight piece
// reaches a row above the horizontal one) is tried again a row lower,
// after moving over meanwhile.
TEST(ComputerPlayer, TriesARefusedTurnAgainARowLower) {
    Play play;
    for (int y = 14; y < 18; ++y) // full but for column 10
        for (int x = 0; x < 10; ++x)
            play.view.field.set(x, y, true);
    ComputerPlayer player(Strength::Hard, 3);
    play.start({0, 1, 2, 0, false}, 400);
    play.run(player, 20000, [&] { return play.resting(); });
    EXPECT_GE(play.presses[KeyAction::Rotate], 2);
    EXPECT_EQ(play.view.piece.x, 10);
    EXPECT_EQ(play.view.piece.direction % 2, 0); // upright
}

// Cooperation: let down onto the partner's falling piece, it waits there
// and lets the piece down again once the partner has moved away; and it
// never presses a key for a piece that is not falling.
TEST(ComputerPlayer, WaitsOnThePartnerAndForItsPiece) {
    Play play;
    play.view.field = Board(15, 18);
    play.view.minColumn = 6;
    play.view.maxColumn = 14;
    for (int x = 6; x < 15; ++x)
        play.view.partner.emplace_back(x, 9);
    ComputerPlayer player(Strength::Normal, 4);
    play.start({4, 0, 11, 1, false});
    play.run(player, 20000, [&] { return play.presses[KeyAction::Down] > 0; });
    ASSERT_EQ(play.view.piece.y, 8);
    play.run(player, play.now + 5000, [] { return false; });
    EXPECT_EQ(play.presses[KeyAction::Down], 1) << "pressed down while resting on the partner";
    play.view.partner.clear();
    play.run(player, play.now + 5000, [&] { return play.resting(); });
    EXPECT_EQ(play.view.piece.y, 17);

    play.view.falling = false;
    for (int k = 0; k < 50; ++k) {
        const Decision d = player.decide(play.view, play.now);
        ASSERT_EQ(d.action, KeyAction::None);
        ASSERT_GT(d.nextAt, play.now);
        play.now = d.nextAt;
    }
}

// On a shared field, beside a partner whose square piece falls over
// columns 3 and 4: the computer passes above the partner's piece to the
// far side, never below it, and lets its piece down at once where that
// clears rows; while the partner's side lies low and nothing clears, it
// lets its piece fall at the game's pace instead.
TEST(ComputerPlayer, PlaysAroundItsPartnerAndKeepsTheTeamsPace) {
    const auto shared = [](int partnerTop) {
        Play play;
        play.view.field = Board(15, 18);
        play.view.team = true;
        play.view.partnerEntry = 3;
        play.view.minColumn = 6;
        play.view.maxColumn = 14;
        for (int y = 14; y < 18; ++y) // full but for column 0
            for (int x = 1; x < 15; ++x)
                play.view.field.set(x, y, true);
        for (int y : {partnerTop, partnerTop + 1})
            for (int16_t x : {3, 4})
                play.view.partner.emplace_back(x, static_cast<int16_t>(y));
        return play;
    };
    // The partner's piece is low enough to pass over: the straight piece
    // goes upright into column 0, at once, and clears four rows.
    Play low = shared(8);
    ComputerPlayer player(Strength::Normal, 6);
    low.start({0, 1, 11, 0, false}, 700);
    low.run(player, 30000, [&] { return low.presses[KeyAction::Down] > 0; });
    EXPECT_EQ(player.plan().cleared, 4);
    EXPECT_EQ(low.view.piece.x, 0);
    EXPECT_LT(low.now, 4000) << "not let down at once";

    // The partner's piece has just come in: there is no way past it but
    // below, so the piece stays on its side.
    Play high = shared(0);
    ComputerPlayer other(Strength::Normal, 6);
    high.start({0, 1, 11, 0, false}, 700);
    high.run(other, 3000, [] { return false; });
    EXPECT_GT(other.plan().x, 5);

    // Nothing to clear, its own side stacked far above the partner's, and
    // the partner's upright straight piece just come in beside it: no Down
    // key, the piece falls on its own until it rests.
    Play ahead;
    ahead.view.field = Board(15, 18);
    ahead.view.team = true;
    ahead.view.partnerEntry = 3;
    for (int y = 6; y < 18; ++y)
        for (int x = 1; x < 15; ++x)
            ahead.view.field.set(x, y, y >= 14 || (x > 7 && (x < 14 || y < 12)));
    for (int16_t y = 0; y < 4; ++y)
        ahead.view.partner.emplace_back(7, y);
    ComputerPlayer pacer(Strength::Hard, 8);
    ahead.start({4, 0, 11, 0, false}, 400);
    ahead.run(pacer, 60000, [&] { return ahead.resting(); });
    ASSERT_TRUE(ahead.resting());
    EXPECT_EQ(ahead.presses[KeyAction::Down], 0);
    // Alone on its field it lets the same piece down at once.
    ahead.view.team = false;
    ComputerPlayer alone(Strength::Hard, 8);
    ahead.start({4, 0, 11, 0, false}, 400);
    ahead.run(alone, 60000, [&] { return ahead.resting(); });
    EXPECT_EQ(ahead.presses[KeyAction::Down], 1);
}

// Two falling pieces hooked into each other, each resting on the other,
// would both wait for ever: the computer steps aside and lets its piece
// down.
TEST(ComputerPlayer, StepsAsideFromAPartnerHookedIntoItsPiece) {
    Play play;
    play.view.field = Board(15, 18);
    play.view.team = true;
    play.view.partnerEntry = 3;
    play.view.partner = {{5, 7}, {6, 7}, {5, 8}, {4, 9}, {5, 9}};
    const PieceState hooked{11, 3, 7, 7, false};
    const auto cells = play.cells(hooked);
    ASSERT_EQ(cells, (std::vector<std::pair<int, int>>{{6, 6}, {6, 8}, {7, 6}, {7, 7}, {7, 8}}));
    ComputerPlayer player(Strength::Normal, 2);
    play.start(hooked, 500);
    play.run(player, 20000, [&] { return play.resting() && play.view.piece.y > 7; });
    ASSERT_FALSE(play.times.empty());
    EXPECT_EQ(play.presses[KeyAction::Right], 1);
    EXPECT_EQ(play.view.piece.x, 8);
    EXPECT_EQ(play.view.piece.y, 16);
}

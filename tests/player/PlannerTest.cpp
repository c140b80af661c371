#include "player/Planner.h"

#include "game/Canvas.h"
#include "platform/Random.h"

#include <gtest/gtest.h>
#include <string>

using namespace tessarin;

namespace {

const ShapeInfoTable& shapes() {
    static const ShapeInfoTable table = [] {
        ShapeInfoTable t;
        InitShapeInfo(t);
        return t;
    }();
    return table;
}

// Rows from row y down, '#' taken, '.' empty, '/' between rows.
Board board(int columns, int rows, int y, const std::string& text) {
    Board b(columns, rows);
    int x = 0;
    for (char c : text) {
        if (c == '/') {
            ++y, x = 0;
            continue;
        }
        b.set(x++, y, c == '#');
    }
    return b;
}

// The columns the placement's squares end in.
std::pair<int, int> span(const Placement& p, int16_t shape) {
    const ShapeBlock b = shapes().block(shape);
    int lo = 99, hi = -99;
    for (int q = 0; q < ShapeSquareCount(shape); ++q) {
        lo = std::min(lo, p.x + b.dx(p.direction, q));
        hi = std::max(hi, p.x + b.dx(p.direction, q));
    }
    return {lo, hi};
}

} // namespace

// The planner's board must remove rows exactly as the field does, rows above
// an empty row staying where they are; and its bit-wise rating must agree
// with the rating counted cell by cell.
TEST(Board, RemovesRowsLikeTheFieldAndRatesLikeCountingCells) {
    DefaultRandom gameRandom;
    PlayerRandom r(11);
    for (int trial = 0; trial < 300; ++trial) {
        const int columns = trial % 2 ? 15 : 11;
        Canvas field(gameRandom);
        field.setColumns(static_cast<int16_t>(columns));
        field.setRows(18);
        Board b(columns, 18);
        for (int16_t y = 6; y < 18; ++y) {
            const int kind = r.below(10); // 3 in 10 full, 1 in 10 empty
            for (int16_t x = 0; x < columns; ++x) {
                const bool on = kind < 3 || (kind > 3 && r.chance(0.7));
                field.SetMapUnit(x, y, on ? 2 : Canvas::kEmpty);
                b.set(x, y, on);
            }
        }
        const int from = r.below(columns), to = from + r.below(columns - from);
        // Cell by cell: row and column transitions, holes, wells.
        const auto at = [&](int x, int y) { return x < from || x > to || b.taken(x, y); };
        int rowT = 0, colT = 0, holes = 0, wells = 0;
        for (int y = 0; y < 18; ++y)
            for (int x = from; x <= to + 1; ++x)
                rowT += at(x - 1, y) != at(x, y);
        for (int x = from; x <= to; ++x) {
            bool last = false, covered = false;
            int depth = 0;
            for (int y = 0; y < 18; ++y) {
                const bool t = b.taken(x, y);
                colT += t != last;
                last = t;
                holes += covered && !t;
                covered = covered || t;
                if (!t && at(x - 1, y) && at(x + 1, y))
                    wells += ++depth;
                else if (t)
                    depth = 0;
            }
            colT += !last;
        }
        ASSERT_EQ(b.score(from, to), -rowT - colT - 4.0 * holes - wells) << trial;

        field.DeleteFullLines();
        ASSERT_EQ(b.clearFullRows(), field.Lines()) << trial;
        for (int16_t y = 0; y < 18; ++y)
            for (int16_t x = 0; x < columns; ++x)
                ASSERT_EQ(b.taken(x, y), field.GetMapUnit(x, y) != Canvas::kEmpty)
                    << trial << ": " << x << "," << y;
    }
    EXPECT_TRUE(Board(11, 18).taken(-1, 0) && Board(11, 18).taken(11, 0) &&
                Board(11, 18).taken(0, 18));
    EXPECT_EQ(Board(40, 99).columns(), 16); // cut to what a row holds
}

TEST(Planner, ClearsRowsWhereThePieceCanGetAndNoWhereElse) {
    const std::string full4 = "##########./##########./##########./##########.";
    // A horizontal straight piece goes upright into the well: four rows.
    const PieceState straight{0, 1, 5, 0, false};
    const Board well = board(11, 18, 14, full4);
    Placement p = ChoosePlacement(well, shapes(), straight, {});
    EXPECT_EQ(p.kind, Placement::Kind::Drop);
    EXPECT_EQ(p.x, 10);
    EXPECT_EQ(p.cleared, 4);
    EXPECT_EQ(p.turns, 1);
    // Turning the other way, it takes the same single press (the straight
    // piece looks alike in opposite directions).
    PlanOptions clockwise;
    clockwise.rotateMode = 1;
    EXPECT_EQ(ChoosePlacement(well, shapes(), straight, clockwise).turns, 1);

    // A wall up to the top in column 7 bars the way to the well: the piece
    // stays left of it.
    Board walled = well;
    for (int y = 0; y < 14; ++y)
        walled.set(7, y, true);
    for (const Placement& q : RankPlacements(walled, shapes(), straight, {}))
        ASSERT_LE(span(q, 0).second, 6) << q.x << "/" << q.direction;

    // Cooperation: the piece keeps to its part of the field, and the
    // partner's falling piece (rows 0 to 5 of column 9) bars its way left.
    PlanOptions right;
    right.minColumn = 6;
    right.maxColumn = 14;
    Board partner(15, 18);
    for (int y = 0; y < 6; ++y)
        partner.set(9, y, true);
    right.obstacles = &partner;
    const PieceState t{3, 0, 11, 1, false};
    const std::vector<Placement> ranked = RankPlacements(Board(15, 18), shapes(), t, right);
    ASSERT_FALSE(ranked.empty());
    for (const Placement& q : ranked) {
        ASSERT_GE(span(q, 3).first, 10) << q.x;
        ASSERT_LE(span(q, 3).second, 14) << q.x;
    }
    EXPECT_TRUE(std::is_sorted(ranked.begin(), ranked.end(),
                               [](auto& a, auto& b) { return a.value > b.value; }));
}

TEST(Planner, SpecialPiecesTakeAddAndSink) {
    // The take tool uncovers the hole in column 3 with one press.
    const Board covered = board(11, 18, 16, "...#......./###.#######");
    Placement p = ChoosePlacement(covered, shapes(), {8, 1, 5, 0, true}, {});
    EXPECT_EQ(p.kind, Placement::Kind::Take);
    EXPECT_EQ(p.x, 3);
    EXPECT_EQ(p.uses, 1);

    // The add tool fills the gap of the bottom row: one press, one row.
    const Board gap = board(11, 18, 17, "###.#######");
    p = ChoosePlacement(gap, shapes(), {9, 1, 5, 1, true}, {});
    EXPECT_EQ(p.kind, Placement::Kind::Add);
    EXPECT_EQ(p.x, 3);
    EXPECT_EQ(p.uses, 1);
    EXPECT_EQ(p.cleared, 1);

    // The sinking square goes down through the squares above the hole.
    const Board hole = board(11, 18, 15, "######...../######...../####.######");
    p = ChoosePlacement(hole, shapes(), {7, 0, 5, 0, true}, {});
    EXPECT_EQ(p.kind, Placement::Kind::Sink);
    EXPECT_EQ(p.x, 4);
    EXPECT_EQ(p.cleared, 1);

    // Tools and the single square never turn.
    for (int16_t shape : {4, 7, 12})
        EXPECT_FALSE(CanTurn(shape, false)) << shape;
    EXPECT_FALSE(CanTurn(8, true));
    EXPECT_TRUE(CanTurn(8, false));
    EXPECT_EQ(Turned(3, 0), 0);
    EXPECT_EQ(Turned(0, 1), 3);
}

// A piece with no room anywhere stays as it is; a shape that is no shape
// has no placement.
TEST(Planner, HopelessAndMeaninglessPieces) {
    Board full(11, 18);
    for (int y = 0; y < 18; ++y)
        for (int x = 0; x < 11; ++x)
            full.set(x, y, true);
    const Placement stuck = ChoosePlacement(full, shapes(), {2, 3, 5, 0, false}, {});
    EXPECT_EQ(stuck.x, 5);
    EXPECT_EQ(stuck.direction, 3);
    EXPECT_EQ(stuck.turns + stuck.uses, 0);
    EXPECT_TRUE(RankPlacements(Board(11, 18), shapes(), {16, 0, 5, 1, false}, {}).empty());
    EXPECT_TRUE(RankPlacements(Board(11, 18), shapes(), {-1, 0, 5, 1, false}, {}).empty());
}

// On a shared field: no placement passes or ends in the partner's way (here
// the way down of a square piece over columns 3 and 4), though filling the
// gap there would clear two rows; the partner's likely cells count as
// taken, so the piece goes where it completes the rows with them. With no
// way clear of the partner's, it still has a placement.
TEST(Planner, KeepsClearOfThePartnersWay) {
    const Board gaps = board(15, 18, 16, "###..#########./###..#########.");
    const PieceState straight{0, 1, 11, 0, false};
    PlanOptions free;
    free.maxColumn = 14;
    ASSERT_EQ(span(ChoosePlacement(gaps, shapes(), {4, 0, 11, 1, false}, free), 4).first, 3);

    Board way(15, 18), likely(15, 18);
    for (int y = 2; y < 18; ++y)
        for (int x : {3, 4})
            way.set(x, y, true);
    for (int y : {16, 17})
        for (int x : {3, 4})
            likely.set(x, y, true);
    PlanOptions team = free;
    team.reserved = &way;
    team.likely = &likely;
    const std::vector<Placement> ranked = RankPlacements(gaps, shapes(), straight, team);
    ASSERT_FALSE(ranked.empty());
    for (const Placement& q : ranked) {
        const auto [lo, hi] = span(q, 0);
        ASSERT_TRUE(hi < 3 || lo > 4) << q.x << "/" << q.direction;
    }
    // Upright into column 14: its two rows complete with the partner's
    // square piece.
    EXPECT_EQ(ranked.front().x, 14);
    EXPECT_EQ(ranked.front().direction % 2, 0);

    Board everywhere(15, 18);
    for (int y = 2; y < 18; ++y)
        for (int x = 0; x < 15; ++x)
            everywhere.set(x, y, true);
    team.reserved = &everywhere;
    EXPECT_FALSE(RankPlacements(gaps, shapes(), straight, team).empty());
}

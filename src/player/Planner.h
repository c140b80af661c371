#pragma once

// Where to put a piece: the playing field as a player sees it, and the
// placements of one piece on it, rated. Pure logic, no game objects.

#include "game/ShapeTable.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace tessarin {

// A player's own choices (which mistake, how long to wait), seeded, kept
// apart from the game's random source so that nothing a player decides
// changes which pieces come.
class PlayerRandom {
public:
    explicit PlayerRandom(uint64_t seed) : state_(seed) {}
    uint64_t next();
    int below(int n); // 0 ... n - 1
    double unit();    // [0, 1)
    bool chance(double p) { return unit() < p; }

private:
    uint64_t state_;
};

// A playing field as the planner sees it: which cells are taken. One bit a
// cell; at most 16 columns and 32 rows (larger sizes are cut to those).
class Board {
public:
    static constexpr int kMaxColumns = 16;
    static constexpr int kMaxRows = 32;

    Board(int columns, int rows);

    int columns() const { return columns_; }
    int rows() const { return rows_; }
    // Cells outside the field count as taken.
    bool taken(int x, int y) const;
    void set(int x, int y, bool on);
    // The taken cells of row y, bit x for column x (0 outside the field).
    uint32_t row(int y) const;
    // The highest taken row of a column at or below row `from`; rows() when
    // there is none.
    int top(int x, int from = 0) const;
    // Removes full rows the way the field does (from the bottom up to the
    // first empty row, the unbroken block above dropping) and answers how
    // many.
    int clearFullRows();
    // How good a position is over columns from ... to, higher is better:
    // few row and column transitions, holes and wells (the walls, the floor
    // and the columns beyond count as taken).
    double score(int from, int to) const;
    bool operator==(const Board&) const = default;

private:
    bool rowFull(int y) const { return (cells_[static_cast<size_t>(y)] & full_) == full_; }
    bool rowEmpty(int y) const { return (cells_[static_cast<size_t>(y)] & full_) == 0; }

    int columns_;
    int rows_;
    uint32_t full_;
    std::array<uint32_t, kMaxRows> cells_{};
};

// A piece as it stands: shape, direction, reference square and whether it
// is a blinking special piece (the sinking square, the take or add tool).
struct PieceState {
    int16_t shape = -1;
    int16_t direction = 0;
    int16_t x = 0;
    int16_t y = 0;
    bool blink = false;

    bool sinking() const { return blink && shape == kSingleSquareShape; }
    bool takeTool() const { return blink && shape == kDominoShape; }
    bool addTool() const { return blink && shape == kStraightThreeShape; }
    bool tool() const { return takeTool() || addTool(); }
};

// What to do with a piece: turn it `turns` times with the turn key and
// bring its reference square to column x (turned first, or moved over
// first), press the turn key `uses` more times for a tool, then let it
// down.
struct Placement {
    enum class Kind { Drop, Sink, Take, Add };
    Kind kind = Kind::Drop;
    int16_t x = 0;
    int16_t direction = 0; // after the turns
    int turns = 0;
    bool turnFirst = true;
    int uses = 0;
    int cleared = 0;     // rows the placement clears
    double value = -1e9; // the planner's rating, higher is better
    int16_t bottom = -1; // the lowest row of its squares once it has landed
};

// How to plan.
struct PlanOptions {
    // The part of the field the player keeps to: the squares of a placement
    // lie within it, and only its columns are rated.
    int minColumn = 0;
    int maxColumn = Board::kMaxColumns - 1;
    // The turn key's sense (0 counterclockwise, 1 clockwise).
    int16_t rotateMode = 0;
    // Cells the piece cannot pass on its way, besides the settled squares
    // (the partner's falling piece); nullptr for none.
    const Board* obstacles = nullptr;
    // Playing with a partner on one field: cells the piece may neither
    // pass nor end in (where the partner's falling piece goes: its way down
    // from where it is to where it is likely to land), and the cells it is
    // likely to land in, rated as taken; nullptr for none. A placement
    // that keeps clear of them is chosen whenever there is one.
    const Board* reserved = nullptr;
    const Board* likely = nullptr;
    // The columns rated (from > to: those the player keeps to).
    int rateFrom = 0;
    int rateTo = -1;
    // Columns where room is left (near where the partner's pieces come
    // in): each square put there costs this much a row of its height.
    int roomFrom = 0;
    int roomTo = -1;
    double roomWeight = 0;
    // Columns that are rather the partner's: each square put there costs
    // this much.
    int sideFrom = 0;
    int sideTo = -1;
    double sideWeight = 0;
    // The next piece, rated one step ahead when its shape is 0 ... 15 and
    // it is not a special piece; -1: not looked at.
    int16_t nextShape = -1;
    int16_t nextDirection = 0;
    bool nextBlink = false;
    // Rows the piece falls from one key to the next, for the way it takes.
    double rowsPerKey = 0;
    // How many of the best placements are looked at one step ahead.
    int lookaheadWidth = 6;
};

// Every placement of the piece that it can reach, best first: rows cleared
// count first, then a low, even stack with few holes. With a next piece,
// the best few are rated again by where the next piece can then go.
std::vector<Placement> RankPlacements(const Board& board, const ShapeInfoTable& shapes,
                                      const PieceState& piece, const PlanOptions& options);

// The best of them; a plain drop where the piece stands when there is none.
Placement ChoosePlacement(const Board& board, const ShapeInfoTable& shapes, const PieceState& piece,
                          const PlanOptions& options);

// Whether a shape turns at all (the square, the single square and the plus
// never do; neither do the tools, which the turn key works instead).
bool CanTurn(int16_t shape, bool blink);

// The direction after one press of the turn key.
int16_t Turned(int16_t direction, int16_t rotateMode);

} // namespace tessarin

#include "player/Planner.h"

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <tuple>
#include <utility>

namespace tessarin {

namespace {
// What a field's shape costs, per unit: a change between a filled and an
// empty cell along a row or down a column (the walls and the floor count
// as filled), a covered empty cell, and each cell of a well's depth.
constexpr double kRowTransitionCost = 1.0;
constexpr double kColumnTransitionCost = 1.0;
constexpr double kHoleCost = 4.0;
constexpr double kWellCost = 1.0;
} // namespace

// ---- PlayerRandom

uint64_t PlayerRandom::next() {
    // splitmix64
    uint64_t z = (state_ += 0x9e3779b97f4a7c15ULL);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
}

int PlayerRandom::below(int n) {
    return n <= 1 ? 0 : static_cast<int>(next() % static_cast<uint64_t>(n));
}

double PlayerRandom::unit() {
    return static_cast<double>(next() >> 11) * 0x1.0p-53;
}

// ---- Board

Board::Board(int columns, int rows)
    : columns_(std::clamp(columns, 1, kMaxColumns)), rows_(std::clamp(rows, 1, kMaxRows)),
      full_((1u << columns_) - 1) {}

bool Board::taken(int x, int y) const {
    if (x < 0 || x >= columns_ || y < 0 || y >= rows_)
        return true;
    return (cells_[static_cast<size_t>(y)] >> x & 1u) != 0;
}

void Board::set(int x, int y, bool on) {
    if (x < 0 || x >= columns_ || y < 0 || y >= rows_)
        return;
    uint32_t& r = cells_[static_cast<size_t>(y)];
    r = on ? r | (1u << x) : r & ~(1u << x);
}

uint32_t Board::row(int y) const {
    return y < 0 || y >= rows_ ? 0 : cells_[static_cast<size_t>(y)];
}

int Board::top(int x, int from) const {
    if (x < 0 || x >= columns_)
        return rows_;
    for (int y = std::max(from, 0); y < rows_; ++y)
        if (cells_[static_cast<size_t>(y)] >> x & 1u)
            return y;
    return rows_;
}

int Board::clearFullRows() {
    int count = 0;
    int y = rows_ - 1;
    while (y >= 0) {
        if (rowEmpty(y))
            break;
        if (!rowFull(y)) {
            --y;
            continue;
        }
        int j = y;
        for (; j >= 1 && !rowEmpty(j - 1); --j)
            cells_[static_cast<size_t>(j)] = cells_[static_cast<size_t>(j - 1)];
        cells_[static_cast<size_t>(j)] = 0;
        ++count;
    }
    return count;
}

namespace {

// Set bits of a row (the library's popcount is a call where the processor
// has no instruction for it).
inline int bits(uint32_t v) {
    v = v - ((v >> 1) & 0x55555555u);
    v = (v & 0x33333333u) + ((v >> 2) & 0x33333333u);
    return static_cast<int>((((v + (v >> 4)) & 0x0f0f0f0fu) * 0x01010101u) >> 24);
}

} // namespace

// Row and column transitions, holes and wells over columns from ... to,
// weighted as in the classic one-piece evaluation; a row at a time, one bit
// a column.
double Board::score(int from, int to) const {
    from = std::max(from, 0);
    to = std::min(to, columns_ - 1);
    if (from > to)
        return 0;
    const uint32_t inside = ((2u << to) - 1) & ~((1u << from) - 1);
    // Pairs of neighbours (x, x + 1) for x = from - 1 ... to, as bits from
    // ... to + 1 of a row shifted one column right.
    const uint32_t pairs = ((4u << to) - 1) & ~((1u << from) - 1);
    int rowTransitions = 0;
    int columnTransitions = 0;
    int holes = 0;
    int wells = 0;
    std::array<int, kMaxColumns> depth{};
    uint32_t above = 0;   // the row above, within the columns (the top is open)
    uint32_t covered = 0; // columns with a square higher up
    int y = 0;
    if (to > from) {
        // Empty rows on top: the two walls, and nothing else.
        for (; y < rows_ && (cells_[static_cast<size_t>(y)] & inside) == 0; ++y)
            rowTransitions += 2;
    }
    for (; y < rows_; ++y) {
        const uint32_t cells = cells_[static_cast<size_t>(y)] & inside;
        const uint32_t walled = cells | ~inside; // outside the columns is taken
        const uint32_t shifted = (walled << 1) | 1u;
        rowTransitions += bits((shifted ^ (shifted >> 1)) & pairs);
        columnTransitions += bits(above ^ cells);
        above = cells;
        holes += bits(covered & ~cells & inside);
        covered |= cells;
        // An empty cell between two taken ones (or walls) is a well cell;
        // a well deepens down to the next square of its column.
        const uint32_t wellCells = ~cells & inside & ((walled << 1) | 1u) & (walled >> 1);
        for (uint32_t m = cells; m; m &= m - 1)
            depth[static_cast<size_t>(std::countr_zero(m))] = 0;
        for (uint32_t m = wellCells; m; m &= m - 1) {
            int& d = depth[static_cast<size_t>(std::countr_zero(m))];
            wells += ++d;
        }
    }
    columnTransitions += bits(above ^ inside); // the floor is taken
    return -kRowTransitionCost * rowTransitions - kColumnTransitionCost * columnTransitions -
           kHoleCost * holes - kWellCost * wells;
}

// ---- Planning

bool CanTurn(int16_t shape, bool blink) {
    if (blink && (shape == kDominoShape || shape == kStraightThreeShape))
        return false;
    return !LooksTheSameTurned(shape);
}

int16_t Turned(int16_t direction, int16_t rotateMode) {
    return static_cast<int16_t>((direction + (rotateMode == 1 ? 3 : 1)) % 4);
}

namespace {

// A cleared row weighs more than a new hole: clearing comes first, then a
// low and even stack.
constexpr double kClearWeight = 10.0;
// Each press of a tool costs a little, so that a press that changes
// nothing for the better is not made.
constexpr double kToolPress = 0.5;

struct Cells {
    int n = 0;
    std::array<int, 5> dx{}, dy{};
    bool operator==(const Cells&) const = default;
};

Cells cellsOf(const ShapeBlock& block, int16_t shape, int direction) {
    Cells c;
    c.n = std::clamp<int>(ShapeSquareCount(shape), 0, 5);
    for (int q = 0; q < c.n; ++q) {
        c.dx[static_cast<size_t>(q)] = block.dx(direction, q);
        c.dy[static_cast<size_t>(q)] = block.dy(direction, q);
    }
    return c;
}

bool fits(const Board& b, const Cells& c, int x, int y) {
    for (int q = 0; q < c.n; ++q)
        if (b.taken(x + c.dx[static_cast<size_t>(q)], y + c.dy[static_cast<size_t>(q)]))
            return false;
    return true;
}

bool within(const Cells& c, int x, int minColumn, int maxColumn) {
    for (int q = 0; q < c.n; ++q) {
        const int px = x + c.dx[static_cast<size_t>(q)];
        if (px < minColumn || px > maxColumn)
            return false;
    }
    return true;
}

// Can the piece slide along row y from column `from` to column `to`?
bool slides(const Board& way, const Cells& c, int from, int to, int y) {
    const int step = to > from ? 1 : -1;
    for (int x = from; x != to; x += step)
        if (!fits(way, c, x + step, y))
            return false;
    return true;
}

// A placement together with what it leaves behind, for looking ahead.
struct Option {
    Placement placement;
    double bonus = 0; // rows cleared and the height of the landing
    Board after{1, 1};
};

class Planner {
public:
    Planner(const Board& board, const ShapeInfoTable& shapes, const PieceState& piece,
            const PlanOptions& options)
        : board_(board), way_(board), shapes_(shapes), piece_(piece), options_(options),
          minColumn_(std::max(options.minColumn, 0)),
          maxColumn_(std::min(options.maxColumn, board.columns() - 1)),
          rateFrom_(options.rateFrom <= options.rateTo ? options.rateFrom : minColumn_),
          rateTo_(options.rateFrom <= options.rateTo ? options.rateTo : maxColumn_) {
        for (const Board* extra : {options.obstacles, options.reserved})
            if (extra)
                for (int y = 0; y < board.rows(); ++y)
                    for (int x = 0; x < board.columns(); ++x)
                        if (extra->taken(x, y))
                            way_.set(x, y, true);
        keepClear_ = options.reserved != nullptr;
    }

    // Lets the piece pass and end in the partner's way (when it cannot keep
    // clear of it).
    void ignoreReserved() {
        keepClear_ = false;
        way_ = board_;
        if (options_.obstacles)
            for (int y = 0; y < board_.rows(); ++y)
                for (int x = 0; x < board_.columns(); ++x)
                    if (options_.obstacles->taken(x, y))
                        way_.set(x, y, true);
    }

    std::vector<Option> options(bool checkWay) {
        std::vector<Option> out;
        if (piece_.shape < 0 || piece_.shape > 15 || minColumn_ > maxColumn_)
            return out;
        if (piece_.sinking())
            sinks(out, checkWay);
        else if (piece_.tool())
            tools(out, checkWay);
        else
            drops(out, checkWay);
        return out;
    }

    double rate(const Board& b, double bonus) const { return bonus + b.score(rateFrom_, rateTo_); }

    // The board a placement leaves, as rated: the partner's likely cells
    // taken too, and the rows that completes removed.
    Board withPartner(const Board& after) const {
        if (!options_.likely)
            return after;
        Board b = after;
        for (int y = 0; y < b.rows(); ++y)
            for (int x = 0; x < b.columns(); ++x)
                if (options_.likely->taken(x, y))
                    b.set(x, y, true);
        b.clearFullRows();
        return b;
    }

    // What a square left at row y of column x costs in room by the partner.
    double roomCost(int x, int y) const {
        double cost = 0;
        if (x >= options_.roomFrom && x <= options_.roomTo)
            cost += options_.roomWeight * (board_.rows() - y);
        if (x >= options_.sideFrom && x <= options_.sideTo)
            cost += options_.sideWeight;
        return cost;
    }

    // Whether a piece with cells c at column x passes or ends in the
    // partner's way on its drop from row `from` to row `to`.
    bool crossesPartner(const Cells& c, int x, int from, int to) const {
        if (!keepClear_)
            return false;
        for (int y = from; y <= to; ++y)
            if (!fits(*options_.reserved, c, x, y))
                return true;
        return false;
    }

private:
    // Where the piece ends when let down from row y at column x.
    int landing(const Cells& c, int x, int y) const {
        while (fits(board_, c, x, y + 1))
            ++y;
        return y;
    }

    // Where the piece, turned `turns` times, stands over column x: the row
    // from which it is let down, and whether it was turned before it was
    // moved over or after; -1 when it cannot get there. It is walked key by
    // key (turned where it is, then moved over; or moved, then turned),
    // falling meanwhile as fast as it falls, from its row or, should the
    // first key be refused there, a row or two lower.
    std::pair<int, bool> reach(int turns, int x) const {
        const ShapeBlock block = shapes_.block(piece_.shape);
        std::array<Cells, 4> turnsOf;
        int16_t d = piece_.direction;
        for (int k = 0; k <= turns; ++k) {
            turnsOf[static_cast<size_t>(k)] = cellsOf(block, piece_.shape, d);
            d = Turned(d, options_.rotateMode);
        }
        const int moves = std::abs(x - piece_.x);
        const int step = x > piece_.x ? 1 : -1;
        const auto walk = [&](int y0, bool turnFirst) {
            int cx = piece_.x;
            int k = 0;
            int y = y0;
            double fallen = 0;
            for (int key = 0; key < turns + moves; ++key) {
                // The piece falls between one key and the next.
                if (key > 0)
                    fallen += options_.rowsPerKey;
                for (; y < y0 + static_cast<int>(fallen); ++y)
                    if (!fits(way_, turnsOf[static_cast<size_t>(k)], cx, y + 1))
                        return -1;
                const bool turnNow = turnFirst ? key < turns : key >= moves;
                if (turnNow)
                    ++k;
                else
                    cx += step;
                if (!fits(way_, turnsOf[static_cast<size_t>(k)], cx, y))
                    return -1;
            }
            return y;
        };
        const Cells& now = turnsOf[0];
        for (int y = piece_.y; y <= piece_.y + 2; ++y) {
            if (y > piece_.y && !fits(way_, now, piece_.x, y))
                break;
            for (const bool turnFirst : {true, false})
                if (const int from = walk(y, turnFirst); from >= 0)
                    return {from, turnFirst};
        }
        return {-1, true};
    }

    void drops(std::vector<Option>& out, bool checkWay) const {
        const ShapeBlock block = shapes_.block(piece_.shape);
        const int maxTurns = CanTurn(piece_.shape, piece_.blink) ? 3 : 0;
        std::array<Cells, 4> seen;
        int16_t d = piece_.direction;
        for (int turns = 0; turns <= maxTurns; ++turns, d = Turned(d, options_.rotateMode)) {
            const Cells c = cellsOf(block, piece_.shape, d);
            // Directions that look alike are one placement: the one with
            // the fewest presses.
            if (std::find(seen.begin(), seen.begin() + turns, c) != seen.begin() + turns)
                continue;
            seen[static_cast<size_t>(turns)] = c;
            for (int cx = minColumn_ - 2; cx <= maxColumn_ + 2; ++cx) {
                if (!within(c, cx, minColumn_, maxColumn_))
                    continue;
                int from = -1;
                bool turnFirst = true;
                if (checkWay) {
                    std::tie(from, turnFirst) = reach(turns, cx);
                } else {
                    // Anywhere it fits, from its row or the first row below
                    // the top.
                    int lift = 0;
                    for (int q = 0; q < c.n; ++q)
                        lift = std::max(lift, -(piece_.y + c.dy[static_cast<size_t>(q)]));
                    if (fits(board_, c, cx, piece_.y + lift))
                        from = piece_.y + lift;
                }
                if (from < 0)
                    continue;
                const int py = landing(c, cx, from);
                if (crossesPartner(c, cx, from, py))
                    continue;
                Option o;
                o.after = board_;
                int lowest = 0;
                double room = 0;
                for (int q = 0; q < c.n; ++q) {
                    const int sx = cx + c.dx[static_cast<size_t>(q)];
                    const int sy = py + c.dy[static_cast<size_t>(q)];
                    o.after.set(sx, sy, true);
                    lowest = std::max(lowest, sy);
                    room += roomCost(sx, sy);
                }
                // Squares of the piece in the rows it completes.
                int eroded = 0;
                const uint32_t full = (1u << board_.columns()) - 1;
                for (int q = 0; q < c.n; ++q)
                    eroded += (o.after.row(py + c.dy[static_cast<size_t>(q)]) & full) == full;
                const int cleared = o.after.clearFullRows();
                o.bonus =
                    kClearWeight * cleared + cleared * eroded - (board_.rows() - lowest) - room;
                o.after = withPartner(o.after);
                o.placement = {Placement::Kind::Drop,
                               static_cast<int16_t>(cx),
                               d,
                               turns,
                               turnFirst,
                               0,
                               cleared,
                               rate(o.after, o.bonus)};
                o.placement.bottom = static_cast<int16_t>(lowest);
                out.push_back(std::move(o));
            }
        }
    }

    // The sinking square ends in the lowest empty cell of its column below
    // it.
    void sinks(std::vector<Option>& out, bool checkWay) const {
        const Cells c =
            cellsOf(shapes_.block(kSingleSquareShape), kSingleSquareShape, piece_.direction);
        for (int cx = minColumn_; cx <= maxColumn_; ++cx) {
            if (checkWay && !slides(way_, c, piece_.x, cx, piece_.y))
                continue;
            int r = piece_.y;
            for (int row = board_.rows() - 1; row > piece_.y; --row)
                if (!board_.taken(cx, row)) {
                    r = row;
                    break;
                }
            if (crossesPartner(c, cx, piece_.y, r))
                continue;
            Option o;
            o.after = board_;
            o.after.set(cx, r, true);
            const int cleared = o.after.clearFullRows();
            o.bonus = kClearWeight * cleared + cleared - (board_.rows() - r) - roomCost(cx, r);
            o.after = withPartner(o.after);
            o.placement = {Placement::Kind::Sink,
                           static_cast<int16_t>(cx),
                           piece_.direction,
                           0,
                           true,
                           0,
                           cleared,
                           rate(o.after, o.bonus)};
            o.placement.bottom = static_cast<int16_t>(r);
            out.push_back(std::move(o));
        }
    }

    // A tool: take the first squares below it, or add squares on top of its
    // column, up to three presses; or leave the column as it is.
    void tools(std::vector<Option>& out, bool checkWay) const {
        const bool take = piece_.takeTool();
        const Cells c = cellsOf(shapes_.block(piece_.shape), piece_.shape, piece_.direction);
        const int rows = board_.rows();
        for (int cx = minColumn_; cx <= maxColumn_; ++cx) {
            if (checkWay && !slides(way_, c, piece_.x, cx, piece_.y))
                continue;
            if (keepClear_) { // the column it works must be clear of the partner's way
                bool clear = true;
                for (int y = std::max<int>(piece_.y, 0); y < rows && clear; ++y)
                    clear = !options_.reserved->taken(cx, y);
                if (!clear)
                    continue;
            }
            Board b = board_;
            int cleared = 0;
            for (int uses = 0; uses <= 3; ++uses) {
                if (uses > 0) {
                    const int t = b.top(cx, piece_.y + 2);
                    if (take) {
                        if (t >= rows)
                            break;
                        b.set(cx, t, false);
                    } else {
                        if (t - 1 < piece_.y + 2)
                            break;
                        b.set(cx, t - 1, true);
                        cleared += b.clearFullRows();
                    }
                }
                Option o;
                o.after = withPartner(b);
                o.bonus = kClearWeight * cleared + cleared - kToolPress * uses;
                o.placement = {take ? Placement::Kind::Take : Placement::Kind::Add,
                               static_cast<int16_t>(cx),
                               piece_.direction,
                               0,
                               true,
                               uses,
                               cleared,
                               rate(o.after, o.bonus)};
                out.push_back(std::move(o));
            }
        }
    }

    const Board& board_;
    Board way_;
    const ShapeInfoTable& shapes_;
    PieceState piece_;
    const PlanOptions& options_;
    int minColumn_;
    int maxColumn_;
    int rateFrom_;
    int rateTo_;
    bool keepClear_ = false;
};

bool byValue(const Option& a, const Option& b) {
    return a.placement.value > b.placement.value;
}

} // namespace

std::vector<Placement> RankPlacements(const Board& board, const ShapeInfoTable& shapes,
                                      const PieceState& piece, const PlanOptions& options) {
    Planner planner(board, shapes, piece, options);
    std::vector<Option> found = planner.options(true);
    if (found.empty() && options.reserved) { // no way clear of the partner's
        planner.ignoreReserved();
        found = planner.options(true);
    }
    if (found.empty()) // nothing reachable: anywhere the piece fits
        found = planner.options(false);
    std::stable_sort(found.begin(), found.end(), byValue);

    PieceState next;
    next.shape = options.nextShape;
    next.blink = options.nextBlink;
    const bool ahead = next.shape >= 0 && next.shape <= 15 && !next.sinking() && !next.tool();
    if (ahead && !found.empty()) {
        // The next piece comes in where this one did, top square in row 0.
        const int width =
            std::min<int>(std::max(options.lookaheadWidth, 1), static_cast<int>(found.size()));
        next.direction = static_cast<int16_t>(options.nextDirection & 3);
        next.x = piece.x;
        PlanOptions nextOptions = options;
        nextOptions.obstacles = nullptr;
        nextOptions.reserved = nullptr; // by then the partner's piece has gone on
        nextOptions.likely = nullptr;   // (and the cells it took are in o.after)
        nextOptions.nextShape = -1;
        for (int i = 0; i < width; ++i) {
            Option& o = found[static_cast<size_t>(i)];
            const ShapeBlock block = shapes.block(next.shape);
            int lift = 0;
            for (int q = 0; q < ShapeSquareCount(next.shape); ++q)
                lift = std::max(lift, -static_cast<int>(block.dy(next.direction, q)));
            next.y = static_cast<int16_t>(lift);
            Planner second(o.after, shapes, next, nextOptions);
            double best = -1e9;
            for (const Option& n : second.options(true))
                best = std::max(best, planner.rate(n.after, o.bonus + n.bonus));
            if (best > -1e9)
                o.placement.value = best;
        }
        std::stable_sort(found.begin(), found.begin() + width, byValue);
    }

    std::vector<Placement> ranked;
    ranked.reserve(found.size());
    for (const Option& o : found)
        ranked.push_back(o.placement);
    return ranked;
}

Placement ChoosePlacement(const Board& board, const ShapeInfoTable& shapes, const PieceState& piece,
                          const PlanOptions& options) {
    const std::vector<Placement> ranked = RankPlacements(board, shapes, piece, options);
    if (!ranked.empty())
        return ranked.front();
    Placement stay;
    stay.x = piece.x;
    stay.direction = piece.direction;
    return stay;
}

} // namespace tessarin

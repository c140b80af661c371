#include "game/SquareSet.h"

#include <algorithm>

namespace tessarin {

namespace {

constexpr int16_t kEmpty = Canvas::kEmpty;

struct Cell {
    int8_t dx;
    int8_t dy;
};

// Cells a turn sweeps through, relative to the reference square, by shape
// and by the direction the piece has before the turn. A turn is refused
// when any of them is occupied or lies outside the field.
struct Sweep {
    int8_t count;
    Cell cells[3];
};

constexpr Sweep kNoSweep{0, {}};

constexpr Sweep sweepFor(int shape, int direction) {
    if (direction < 0 || direction > 3)
        return kNoSweep;
    switch (shape) {
    case 0:
        return {3, {{-2, 1}, {-1, 1}, {-1, 2}}};
    case 1: {
        constexpr Sweep t[4] = {{1, {{-1, -1}}}, {1, {{-1, 1}}}, {1, {{1, 1}}}, {1, {{1, -1}}}};
        return t[direction];
    }
    case 2: {
        constexpr Sweep t[4] = {{1, {{1, 1}}}, {1, {{1, -1}}}, {1, {{-1, -1}}}, {1, {{-1, 1}}}};
        return t[direction];
    }
    case 3: {
        constexpr Sweep t[4] = {{3, {{-1, -1}, {1, 1}, {1, -1}}},
                                {3, {{-1, 1}, {1, -1}, {-1, -1}}},
                                {3, {{-1, 1}, {1, 1}, {-1, -1}}},
                                {3, {{-1, 1}, {1, -1}, {1, 1}}}};
        return t[direction];
    }
    case 5:
        return {1, {{-1, -1}}};
    case 6:
        return {1, {{1, 1}}};
    case 8:
        return {1, {{-1, 1}}};
    case 9: {
        constexpr Sweep t[4] = {{2, {{-1, 1}, {1, -1}}},
                                {2, {{-1, -1}, {1, 1}}},
                                {2, {{-1, 1}, {1, -1}}},
                                {2, {{-1, -1}, {1, 1}}}};
        return t[direction];
    }
    case 10: {
        constexpr Sweep t[4] = {{2, {{-1, 1}, {1, 1}}},
                                {2, {{1, 1}, {1, -1}}},
                                {2, {{1, -1}, {-1, -1}}},
                                {2, {{-1, -1}, {-1, 1}}}};
        return t[direction];
    }
    case 14: {
        constexpr Sweep t[4] = {{1, {{1, -1}}}, {1, {{-1, -1}}}, {1, {{-1, 1}}}, {1, {{1, 1}}}};
        return t[direction];
    }
    default: // 11, 13 and 15 sweep nothing; 4, 7 and 12 never turn
        return kNoSweep;
    }
}

} // namespace

SquareSet::SquareSet(RandomSource& random, tessarin::Sound& sound)
    : random_(random), player_(sound) {}

// ---- properties ----

void SquareSet::setShape(int16_t v) {
    shape_ = v;
    if (const int16_t n = ShapeSquareCount(v); n > 0)
        number_ = n;
    blink_ = false; // the blink timer is left as it is
    // A new piece covers nothing yet: the cell a sinking square of the piece
    // before was passing over is not carried over, whether or not this one's
    // own direction draw makes it blink.
    savedCell_ = kEmpty;
}

void SquareSet::setDirection(int16_t v) {
    direction_ = v;
    if (shape_ == kSingleSquareShape) {
        const int r = static_cast<int>(2 * random_.next());
        if (r == 0) {
            blink_ = true;
            setBlinkTimerEnabled(true);
            savedCell_ = kEmpty;
        }
    } else if (shape_ == kDominoShape || shape_ == kStraightThreeShape) {
        const int r = static_cast<int>(2 * random_.next());
        if (r == 0 && (v == 1 || v == 3)) {
            blink_ = true;
            setBlinkTimerEnabled(true);
        }
    } else {
        blink_ = false;
        setBlinkTimerEnabled(false);
    }
}

void SquareSet::setVisible(bool v) {
    if (v)
        Show(true);
    else
        Hide(true);
}

void SquareSet::setBlink(bool v) {
    blink_ = v;
    setBlinkTimerEnabled(v);
}

void SquareSet::AssignSetInfo(const ShapeBlock& NewArray) {
    for (int d = 0; d <= 3; ++d)
        for (int q = 0; q <= 4; ++q)
            for (int c = 0; c <= 1; ++c)
                setInfo_.set(d, q, c, NewArray.at(d, q, c));
}

// ---- helpers ----

// The offsets are read through ShapeBlock::at, which answers 0 outside the
// block, so a Direction outside 0 ... 3 never reads beyond SetInfo.
int16_t SquareSet::cellX(int q) const {
    return static_cast<int16_t>(x_ + setInfo_.dx(direction_, q));
}

int16_t SquareSet::cellY(int q) const {
    return static_cast<int16_t>(y_ + setInfo_.dy(direction_, q));
}

// The squares taken from SetInfo: Number, kept within the block's room for
// squares so that a stray Number neither reads past it nor loops for long.
int SquareSet::squareCount() const {
    return std::clamp<int>(number_, 0, ShapeBlock::kSquares);
}

void SquareSet::setBlinkTimerEnabled(bool on) {
    if (blinkTimer_)
        blinkTimer_->setEnabled(on);
}

void SquareSet::play(const char* name) {
    if (sound_)
        player_.PlayWave(name);
}

// The direction a turn gives: RotateDirection 0 turns counterclockwise to
// (d + 1) mod 4, 1 clockwise to (d + 3) mod 4. Any other RotateDirection is
// refused: the answer is -1, CanRotate says False and DoRotate does nothing.
// The result is always 0 ... 3, even from a Direction outside that range.
int16_t SquareSet::turned(int16_t RotateDirection) const {
    int step;
    if (RotateDirection == 0)
        step = 1;
    else if (RotateDirection == 1)
        step = 3;
    else
        return -1;
    return static_cast<int16_t>(((direction_ + step) % 4 + 4) % 4);
}

// ---- showing ----

// A sinking square lies over a settled square (or an empty cell) that stays
// part of the field: hidden or lifted, it gives that cell back, and shown
// again it covers whatever the cell holds then (rows may have dropped into
// it meanwhile).
void SquareSet::Show(bool ShowImage) {
    if (canvas_ && IsSinkingSquare() && !visible_)
        savedCell_ = canvas_->GetMapUnit(x_, y_);
    if (canvas_) {
        for (int q = 0; q < squareCount(); ++q) {
            if (ShowImage)
                canvas_->SetSquare(cellX(q), cellY(q), color_);
            canvas_->SetMapUnit(cellX(q), cellY(q), color_);
        }
    }
    visible_ = true;
}

void SquareSet::Hide(bool HideImage) {
    if (canvas_ && IsSinkingSquare()) {
        // (Hidden already, its cell is the field's: nothing to give back.)
        if (visible_) {
            if (HideImage)
                canvas_->SetSquare(x_, y_, savedCell_);
            canvas_->SetMapUnit(x_, y_, savedCell_);
        }
        visible_ = false;
        return;
    }
    if (canvas_) {
        for (int q = 0; q < squareCount(); ++q) {
            if (HideImage)
                canvas_->ClearSquare(cellX(q), cellY(q));
            canvas_->SetMapUnit(cellX(q), cellY(q), kEmpty);
        }
    }
    visible_ = false;
}

// ---- tests ----
//
// A shown piece is lifted out of the map while a test looks and put back
// after it. A blinking piece in its off phase is not in the map: it is
// looked at as it is, and stays off (putting it back would mark it shown
// without drawing it, and its blink would lose a phase).

bool SquareSet::CanAppear() {
    if (!active_ || !canvas_)
        return false;
    for (int q = 0; q < squareCount(); ++q)
        if (canvas_->GetMapUnit(cellX(q), cellY(q)) != kEmpty)
            return false;
    return true;
}

bool SquareSet::CanLeft() {
    if (!active_ || !canvas_)
        return false;
    const LiftedPiece lifted(this);
    for (int q = 0; q < squareCount(); ++q) {
        const int nx = cellX(q) - 1;
        const int16_t ny = cellY(q);
        if (nx < 0 || canvas_->GetMapUnit(static_cast<int16_t>(nx), ny) != kEmpty)
            return false;
    }
    return true;
}

bool SquareSet::CanRight() {
    if (!active_ || !canvas_)
        return false;
    const LiftedPiece lifted(this);
    for (int q = 0; q < squareCount(); ++q) {
        const int nx = cellX(q) + 1;
        const int16_t ny = cellY(q);
        // Reads the cell first: one column right of the field is the spare
        // column, which is empty, so the bound decides there.
        const int16_t unit = canvas_->GetMapUnit(static_cast<int16_t>(nx), ny);
        if (!(unit == kEmpty && nx <= canvas_->Columns() - 1))
            return false;
    }
    return true;
}

bool SquareSet::CanDown() {
    if (!active_ || !canvas_)
        return false;

    // The sinking single square goes on as long as any cell below it in its
    // column is empty, passing through settled squares.
    if (IsSinkingSquare()) {
        for (int row = canvas_->Rows() - 1; row >= y_ + 1; --row)
            if (canvas_->GetMapUnit(x_, static_cast<int16_t>(row)) == kEmpty)
                return true;
    }

    LiftedPiece lifted(this);
    bool fits = true;
    for (int q = 0; q < squareCount() && fits; ++q) {
        const int16_t nx = cellX(q);
        const int ny = cellY(q) + 1;
        // One row below the field is the spare row, which is empty.
        const int16_t unit = canvas_->GetMapUnit(nx, static_cast<int16_t>(ny));
        fits = unit == kEmpty && ny <= canvas_->Rows() - 1;
    }
    if (fits)
        return true;

    // Landed. A tool vanishes, and is done with: nothing may move it,
    // trigger it or show it again until the next piece takes the object
    // over.
    lifted.keepOut();
    if (IsTool()) {
        Hide(true);
        active_ = false;
    } else if (IsSinkingSquare())
        Show(true); // the sinking square settles over whatever it covered
    else
        Show(false);
    setBlinkTimerEnabled(false);
    return false;
}

bool SquareSet::CanRotate(int16_t RotateDirection) {
    if (!active_ || !canvas_)
        return false;
    if (IsTool())
        return false;
    if (LooksTheSameTurned(shape_))
        return false;
    const int16_t next = turned(RotateDirection);
    if (next < 0)
        return false;

    {
        const LiftedPiece lifted(this);
        for (int q = 0; q < squareCount(); ++q) {
            const int nx = x_ + setInfo_.dx(next, q);
            const int ny = y_ + setInfo_.dy(next, q);
            if (nx < 0 || nx > canvas_->Columns() - 1 || ny < 0 || ny > canvas_->Rows() - 1 ||
                canvas_->GetMapUnit(static_cast<int16_t>(nx), static_cast<int16_t>(ny)) != kEmpty)
                return false;
        }
    }

    const Sweep sweep = sweepFor(shape_, direction_);
    for (int i = 0; i < sweep.count; ++i) {
        const int sx = x_ + sweep.cells[i].dx;
        const int sy = y_ + sweep.cells[i].dy;
        if (canvas_->isOccupied(static_cast<int16_t>(sx), static_cast<int16_t>(sy)))
            return false;
    }
    return true;
}

// ---- moves ----

void SquareSet::FitDown() {
    if (!canvas_ || IsSinkingSquare())
        return;
    const auto fits = [this] {
        for (int q = 0; q < squareCount(); ++q) {
            const int cx = cellX(q), cy = cellY(q);
            if (cx < 0 || cx > canvas_->Columns() - 1 || cy < 0 || cy > canvas_->Rows() - 1 ||
                canvas_->GetMapUnit(static_cast<int16_t>(cx), static_cast<int16_t>(cy)) != kEmpty)
                return false;
        }
        return true;
    };
    const int16_t from = y_;
    for (; y_ <= canvas_->Rows(); ++y_)
        if (fits())
            return;
    y_ = from;
}

void SquareSet::move(int16_t dx, int16_t dy) {
    if (!canvas_)
        return;
    if (!IsSinkingSquare()) {
        Hide(true);
    } else {
        // The sinking square gives back the cell it leaves (unless it is
        // hidden: then the cell is the field's already, and may have
        // changed) and remembers the one it enters.
        if (visible_) {
            canvas_->SetSquare(x_, y_, savedCell_);
            canvas_->SetMapUnit(x_, y_, savedCell_);
        }
        savedCell_ =
            canvas_->GetMapUnit(static_cast<int16_t>(x_ + dx), static_cast<int16_t>(y_ + dy));
    }
    x_ = static_cast<int16_t>(x_ + dx);
    y_ = static_cast<int16_t>(y_ + dy);
    Show(true);
}

void SquareSet::DoDown() {
    move(0, 1);
}

void SquareSet::DoLeft() {
    if (!canvas_)
        return;
    move(-1, 0);
    play("move.wav");
}

void SquareSet::DoRight() {
    if (!canvas_)
        return;
    move(1, 0);
    play("move.wav");
}

void SquareSet::DoRotate(int16_t RotateDirection) {
    const int16_t next = turned(RotateDirection);
    if (!canvas_ || next < 0)
        return;
    Hide(true);
    direction_ = next; // written directly: Blink is not decided again
    Show(true);
    play("rotate.wav");
}

// ---- actions ----

void SquareSet::DoSpeed(const std::function<bool()>& waits) {
    // A piece cannot fall further than the height of its field; the limit
    // only matters for a piece without squares, which would never land.
    const int limit = canvas_ ? canvas_->Rows() + 1 : 0;
    int moves = 0;
    while (!(waits && waits()) && CanDown()) {
        if (moves >= limit)
            break;
        DoDown();
        ++moves;
    }
    if (moves > 0)
        play("speed.wav");
}

// The tools act on their own column inside the field only, from the row
// below their lowest square (dy = 1 in directions 1 and 3) downward; rows
// above the field and the spare column are never read or written.
void SquareSet::DoAdd(const std::function<bool(int16_t x, int16_t y)>& refused) {
    if (!canvas_ || x_ < 0 || x_ > canvas_->Columns() - 1)
        return;
    const int rows = canvas_->Rows();
    const int top = std::max(y_ + 2, 0);
    int r = top;
    while (r <= rows - 1 && canvas_->GetMapUnit(x_, static_cast<int16_t>(r)) == kEmpty)
        ++r;
    if (r - 1 >= top && !(refused && refused(x_, static_cast<int16_t>(r - 1)))) {
        const auto row = static_cast<int16_t>(r - 1);
        canvas_->SetSquare(x_, row, color_);
        canvas_->SetMapUnit(x_, row, color_);
        play("add.wav");
    }
}

void SquareSet::DoTake() {
    if (!canvas_ || x_ < 0 || x_ > canvas_->Columns() - 1)
        return;
    const int rows = canvas_->Rows();
    for (int r = std::max(y_ + 2, 0); r <= rows - 1; ++r) {
        const auto row = static_cast<int16_t>(r);
        if (canvas_->GetMapUnit(x_, row) != kEmpty) {
            canvas_->ClearSquare(x_, row);
            canvas_->SetMapUnit(x_, row, kEmpty);
            play("take.wav");
            return;
        }
    }
}

} // namespace tessarin

#include "game/Canvas.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace tessarin {

namespace {

constexpr int kMaxMarked = 4;

int16_t clampTo16(long v) {
    return static_cast<int16_t>(std::clamp<long>(v, std::numeric_limits<int16_t>::min(),
                                                 std::numeric_limits<int16_t>::max()));
}

// The integer part of n * u for a uniform u in [0, 1), kept within
// 0 ... n - 1 even if a random source strays outside its range.
int scaled(double u, int n) {
    const double v = std::floor(u * n);
    if (!(v >= 0.0))
        return 0;
    if (v >= n - 1)
        return n - 1;
    return static_cast<int>(v);
}

} // namespace

// ---- RowArray -------------------------------------------------------------

void RowArray::redim(int maxColumn, int maxRow) {
    columns_ = std::max(0, maxColumn + 1);
    rows_ = std::max(0, maxRow + 1);
    cells_.assign(static_cast<size_t>(columns_) * static_cast<size_t>(rows_), Canvas::kEmpty);
}

int16_t RowArray::get(int x, int k) const {
    if (x < 0 || k < 0 || x >= columns_ || k >= rows_)
        return Canvas::kEmpty;
    return cells_[static_cast<size_t>(x) * rows_ + k];
}

void RowArray::set(int x, int k, int16_t code) {
    if (x < 0 || k < 0 || x >= columns_ || k >= rows_)
        return;
    cells_[static_cast<size_t>(x) * rows_ + k] = code;
}

// ---- Canvas: the grid and its drawing -------------------------------------

Canvas::Canvas(RandomSource& random) : random_(random) {}

void Canvas::ClearSquare(int16_t dstX, int16_t dstY) {
    if (picOutput_ == nullptr || picBlack_ == nullptr)
        return;
    picOutput_->blitCell(*picBlack_, kCell * dstX, kCell * dstY);
}

void Canvas::SetSquare(int16_t dstX, int16_t dstY, int16_t Color) {
    if (Color >= 0 && Color <= 6) {
        const Surface* image = sourcePics_[static_cast<size_t>(Color)];
        if (picOutput_ != nullptr && image != nullptr)
            picOutput_->blitCell(*image, kCell * dstX, kCell * dstY);
    } else if (Color == kEmpty) {
        ClearSquare(dstX, dstY);
    }
    // 7 and every other code draw nothing.
}

void Canvas::setColumns(int16_t v) {
    columns_ = v;
    rebuildMap();
}

void Canvas::setRows(int16_t v) {
    rows_ = v;
    rebuildMap();
}

// The map covers columns 0 ... Columns and rows 0 ... Rows: the field plus
// one spare column and one spare row, all empty. A negative width or
// height counts as 0, which leaves just the spare column or row.
void Canvas::rebuildMap() {
    const size_t width = static_cast<size_t>(std::max<int>(0, columns_)) + 1;
    const size_t height = static_cast<size_t>(std::max<int>(0, rows_)) + 1;
    map_.assign(width * height, kEmpty);
    hasMap_ = true;
}

bool Canvas::inMap(int x, int y) const {
    return hasMap_ && x >= 0 && y >= 0 && x <= std::max<int>(0, columns_) &&
           y <= std::max<int>(0, rows_);
}

int16_t Canvas::GetMapUnit(int16_t x, int16_t y) const {
    if (!inMap(x, y))
        return kOutside;
    const size_t height = static_cast<size_t>(std::max<int>(0, rows_)) + 1;
    return map_[static_cast<size_t>(x) * height + static_cast<size_t>(y)];
}

void Canvas::SetMapUnit(int16_t x, int16_t y, int16_t iNewValue) {
    if (!inMap(x, y))
        return;
    const size_t height = static_cast<size_t>(std::max<int>(0, rows_)) + 1;
    map_[static_cast<size_t>(x) * height + static_cast<size_t>(y)] = iNewValue;
}

bool Canvas::isOccupied(int16_t x, int16_t y) const {
    if (x < 0 || x > columns_ - 1 || y < 0 || y > rows_ - 1)
        return true;
    return GetMapUnit(x, y) != kEmpty;
}

void Canvas::Repaint() {
    for (int x = 0; x <= columns_ - 1; ++x)
        for (int y = 0; y <= rows_ - 1; ++y)
            SetSquare(static_cast<int16_t>(x), static_cast<int16_t>(y),
                      GetMapUnit(static_cast<int16_t>(x), static_cast<int16_t>(y)));
}

void Canvas::setPicSource(const Surface* objPic0, const Surface* objPic1, const Surface* objPic2,
                          const Surface* objPic3, const Surface* objPic4, const Surface* objPic5,
                          const Surface* objPic6) {
    sourcePics_ = {objPic0, objPic1, objPic2, objPic3, objPic4, objPic5, objPic6, nullptr};
}

// ---- Row operations --------------------------------------------------------

// Before the first Columns or Rows there is no map, and the row operations
// see a field without squares.
bool Canvas::IsRowFull(int16_t y) const {
    if (!hasMap_ || y < 0 || y > rows_ - 1)
        return false;
    for (int x = 0; x <= columns_ - 1; ++x)
        if (GetMapUnit(static_cast<int16_t>(x), y) == kEmpty)
            return false;
    return true;
}

bool Canvas::IsRowEmpty(int16_t y) const {
    if (y < 0 || y > rows_ - 1)
        return false;
    if (!hasMap_)
        return true;
    for (int x = 0; x <= columns_ - 1; ++x)
        if (GetMapUnit(static_cast<int16_t>(x), y) != kEmpty)
            return false;
    return true;
}

// Copies row src onto row dst, in the map and on screen. A destination
// outside the field is left alone: above the top the row is lost, and the
// spare row below the field stays empty.
void Canvas::CopyRow(int16_t src, int16_t dst) {
    if (dst < 0 || dst > rows_ - 1)
        return;
    for (int x = 0; x <= columns_ - 1; ++x) {
        const auto cx = static_cast<int16_t>(x);
        const int16_t code = GetMapUnit(cx, src);
        SetMapUnit(cx, dst, code);
        if (code != kEmpty)
            SetSquare(cx, dst, code);
        else
            ClearSquare(cx, dst);
    }
}

bool Canvas::MarkFullLines() {
    if (delete_)
        return false;
    fullLinesCount_ = 0;
    int k = 0;
    for (int y = rows_ - 1; y >= 0; --y) {
        const auto row = static_cast<int16_t>(y);
        if (IsRowEmpty(row) || k >= kMaxMarked)
            break;
        if (IsRowFull(row)) {
            fullLineRows_[static_cast<size_t>(k)] = row;
            ++k;
        }
    }
    if (k > 0) {
        fullLinesCount_ = static_cast<int16_t>(k);
        delete_ = true;
        return true;
    }
    return false;
}

void Canvas::StartDeleteTimer() {
    if (deleteTimer_ != nullptr)
        deleteTimer_->setEnabled(true);
}

void Canvas::DeleteHide() {
    for (int k = 0; k < fullLinesCount_; ++k) {
        const int16_t y = fullLineRows_[static_cast<size_t>(k)];
        if (y < 0 || y > rows_ - 1)
            break;
        for (int x = 0; x <= columns_ - 1; ++x)
            ClearSquare(static_cast<int16_t>(x), y);
    }
}

void Canvas::DeleteShow() {
    for (int k = 0; k < fullLinesCount_; ++k) {
        const int16_t y = fullLineRows_[static_cast<size_t>(k)];
        if (y < 0 || y > rows_ - 1)
            break;
        for (int x = 0; x <= columns_ - 1; ++x) {
            const auto cx = static_cast<int16_t>(x);
            SetSquare(cx, y, GetMapUnit(cx, y));
        }
    }
}

int32_t Canvas::PointsFor(int n) {
    switch (n) {
    case 1:
        return 100;
    case 2:
        return 400;
    case 3:
        return 800;
    case 4:
        return 1500;
    default:
        return 0;
    }
}

void Canvas::DeleteFullLines() {
    int count = 0;
    int y = rows_ - 1;
    while (y >= 0) {
        const auto row = static_cast<int16_t>(y);
        if (IsRowEmpty(row))
            break;
        if (!IsRowFull(row)) {
            --y;
            continue;
        }
        // Row y is full: the unbroken block of rows above it drops by one,
        // and the row the block leaves behind is emptied. Row y is looked at
        // again, since another row has just dropped into it.
        int j = y;
        while (j >= 1 && !IsRowEmpty(static_cast<int16_t>(j - 1))) {
            CopyRow(static_cast<int16_t>(j - 1), static_cast<int16_t>(j));
            --j;
        }
        for (int x = 0; x <= columns_ - 1; ++x) {
            ClearSquare(static_cast<int16_t>(x), static_cast<int16_t>(j));
            SetMapUnit(static_cast<int16_t>(x), static_cast<int16_t>(j), kEmpty);
        }
        ++count;
    }

    // The counters stop at the largest value their width holds.
    const int64_t score = static_cast<int64_t>(score_) + PointsFor(count);
    score_ = static_cast<int32_t>(std::min<int64_t>(score, std::numeric_limits<int32_t>::max()));
    lines_ = clampTo16(static_cast<long>(lines_) + count);
    speed_ = static_cast<int16_t>(lines_ / 20);

    if (deleteTimer_ != nullptr)
        deleteTimer_->setEnabled(false);
    delete_ = false;
}

void Canvas::CreateLevel(int16_t level) {
    if (level == 0)
        return;
    // Without a map or without columns no row can ever receive a square.
    if (!hasMap_ || columns_ <= 0)
        return;
    // A level higher than the field fills the whole field and no more.
    const int lowest = std::max(0, rows_ - static_cast<int>(level));
    for (int y = rows_ - 1; y >= lowest; --y) {
        const auto row = static_cast<int16_t>(y);
        do {
            for (int x = 0; x <= columns_ - 1; ++x) {
                if (scaled(random_.next(), 4) != 2)
                    continue;
                const auto colour = static_cast<int16_t>(scaled(random_.next(), 7));
                SetMapUnit(static_cast<int16_t>(x), row, colour);
                SetSquare(static_cast<int16_t>(x), row, colour);
            }
        } while (IsRowEmpty(row));
    }
}

void Canvas::GetSquareToBeDelivered(RowArray& rows) const {
    for (int k = 0; k < fullLinesCount_; ++k) {
        const int16_t y = fullLineRows_[static_cast<size_t>(k)];
        // A mark that no longer lies in the field (pushed above the top by
        // received rows) has no squares left to send: it goes as empty.
        const bool inField = y >= 0 && y <= rows_ - 1;
        for (int x = 0; x <= columns_ - 1; ++x)
            rows.set(x, k, inField ? GetMapUnit(static_cast<int16_t>(x), y) : kEmpty);
    }
}

void Canvas::AddLines(const RowArray& rows, int16_t count) {
    if (!hasMap_ || count < 0)
        return;
    // The lowest empty row; -1 when every row holds a square.
    int y = rows_ - 1;
    while (y >= 0 && !IsRowEmpty(static_cast<int16_t>(y)))
        --y;
    // The rows below it move up by count; those pushed above row 0 are lost.
    for (int j = y + 1; j <= rows_ - 1; ++j)
        CopyRow(static_cast<int16_t>(j), clampTo16(static_cast<long>(j) - count));
    // The received rows fill the bottom, the first of them lowest.
    for (int k = 0; k < count; ++k) {
        const int dst = rows_ - 1 - k;
        if (dst < 0)
            break;
        for (int x = 0; x <= columns_ - 1; ++x) {
            const int16_t code = rows.get(x, k);
            SetMapUnit(static_cast<int16_t>(x), static_cast<int16_t>(dst), code);
            SetSquare(static_cast<int16_t>(x), static_cast<int16_t>(dst), code);
        }
    }
    // Marks on this field follow their squares up.
    for (int k = 0; k < kMaxMarked; ++k) {
        auto& mark = fullLineRows_[static_cast<size_t>(k)];
        mark = clampTo16(static_cast<long>(mark) - count);
    }
}

} // namespace tessarin

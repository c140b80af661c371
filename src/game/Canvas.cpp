// Temporary field for building and testing the falling piece: the map with
// its spare column and row, occupancy and cell drawing. Row clearing, levels
// and delivered rows are stubs.
#include "game/Canvas.h"

#include <cstddef>

namespace tessarin {

Canvas::Canvas(RandomSource& random) : random_(random) {}

void Canvas::ClearSquare(int16_t dstX, int16_t dstY) {
    if (picOutput_ && picBlack_)
        picOutput_->blitCell(*picBlack_, kCell * dstX, kCell * dstY);
}

void Canvas::SetSquare(int16_t dstX, int16_t dstY, int16_t Color) {
    if (Color >= 0 && Color <= 6) {
        const Surface* src = sourcePics_[static_cast<std::size_t>(Color)];
        if (picOutput_ && src)
            picOutput_->blitCell(*src, kCell * dstX, kCell * dstY);
    } else if (Color == kEmpty) {
        ClearSquare(dstX, dstY);
    }
}

void Canvas::setColumns(int16_t v) {
    columns_ = v;
    rebuildMap();
}

void Canvas::setRows(int16_t v) {
    rows_ = v;
    rebuildMap();
}

void Canvas::rebuildMap() {
    const int w = columns_ < 0 ? 0 : columns_ + 1;
    const int h = rows_ < 0 ? 0 : rows_ + 1;
    map_.assign(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), kEmpty);
    hasMap_ = true;
}

bool Canvas::inMap(int x, int y) const {
    return hasMap_ && x >= 0 && x <= columns_ && y >= 0 && y <= rows_;
}

int16_t Canvas::GetMapUnit(int16_t x, int16_t y) const {
    if (!inMap(x, y))
        return kOutside;
    return map_[static_cast<std::size_t>(x) * static_cast<std::size_t>(rows_ + 1) +
                static_cast<std::size_t>(y)];
}

void Canvas::SetMapUnit(int16_t x, int16_t y, int16_t iNewValue) {
    if (!inMap(x, y))
        return;
    map_[static_cast<std::size_t>(x) * static_cast<std::size_t>(rows_ + 1) +
         static_cast<std::size_t>(y)] = iNewValue;
}

bool Canvas::isOccupied(int16_t x, int16_t y) const {
    if (x < 0 || x > columns_ - 1 || y < 0 || y > rows_ - 1)
        return true;
    return GetMapUnit(x, y) != kEmpty;
}

void Canvas::setPicSource(const Surface* objPic0, const Surface* objPic1, const Surface* objPic2,
                          const Surface* objPic3, const Surface* objPic4, const Surface* objPic5,
                          const Surface* objPic6) {
    sourcePics_ = {objPic0, objPic1, objPic2, objPic3, objPic4, objPic5, objPic6, nullptr};
}

void Canvas::Repaint() {
    for (int16_t x = 0; x < columns_; ++x)
        for (int16_t y = 0; y < rows_; ++y)
            SetSquare(x, y, GetMapUnit(x, y));
}

void Canvas::CreateLevel(int16_t) {}
void Canvas::DeleteFullLines() {}
bool Canvas::MarkFullLines() {
    return false;
}
void Canvas::GetSquareToBeDelivered(RowArray&) const {}
void Canvas::AddLines(const RowArray&, int16_t) {}
void Canvas::StartDeleteTimer() {}
void Canvas::DeleteShow() {}
void Canvas::DeleteHide() {}
int32_t Canvas::PointsFor(int) {
    return 0;
}

} // namespace tessarin

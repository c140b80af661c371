// Placeholder bodies so the program links while the field and the piece
// are written.
#include "game/Canvas.h"
#include "game/CellImages.h"
#include "game/ShapeTable.h"
#include "game/SquareSet.h"

namespace tessarin {

void RowArray::redim(int, int) {}
int16_t RowArray::get(int, int) const {
    return 8;
}
void RowArray::set(int, int, int16_t) {}
Canvas::Canvas(RandomSource& r) : random_(r) {}
void Canvas::ClearSquare(int16_t, int16_t) {}
void Canvas::SetSquare(int16_t, int16_t, int16_t) {}
void Canvas::setColumns(int16_t v) {
    columns_ = v;
}
void Canvas::setRows(int16_t v) {
    rows_ = v;
}
int16_t Canvas::GetMapUnit(int16_t, int16_t) const {
    return 8;
}
void Canvas::SetMapUnit(int16_t, int16_t, int16_t) {}
bool Canvas::isOccupied(int16_t, int16_t) const {
    return false;
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
void Canvas::Repaint() {}
void Canvas::setPicSource(const Surface*, const Surface*, const Surface*, const Surface*,
                          const Surface*, const Surface*, const Surface*) {}
CellImages::CellImages() {}
int16_t ShapeBlock::at(int, int, int) const {
    return 0;
}
void ShapeBlock::set(int, int, int, int16_t) {}
ShapeBlock ShapeInfoTable::block(int) const {
    return {};
}
int16_t ShapeSquareCount(int) {
    return 0;
}
void InitShapeInfo(ShapeInfoTable&) {}
SquareSet::SquareSet(RandomSource& r, tessarin::Sound& s) : random_(r), player_(s) {}
bool SquareSet::CanRight() {
    return false;
}
void SquareSet::setShape(int16_t v) {
    shape_ = v;
}
void SquareSet::setDirection(int16_t v) {
    direction_ = v;
}
void SquareSet::setVisible(bool v) {
    visible_ = v;
}
void SquareSet::setBlink(bool v) {
    blink_ = v;
}
void SquareSet::DoDown() {}
void SquareSet::DoLeft() {}
void SquareSet::DoRight() {}
void SquareSet::Show(bool) {}
void SquareSet::Hide(bool) {}
void SquareSet::DoRotate(int16_t) {}
bool SquareSet::CanRotate(int16_t) {
    return false;
}
bool SquareSet::CanDown() {
    return false;
}
bool SquareSet::CanLeft() {
    return false;
}
void SquareSet::AssignSetInfo(const ShapeBlock&) {}
void SquareSet::DoAdd() {}
void SquareSet::DoTake() {}
void SquareSet::DoSpeed() {}
bool SquareSet::CanAppear() {
    return false;
}

} // namespace tessarin

// Placeholder bodies so the program links while the field and the piece
// are written.
#include "game/Canvas.h"
#include "game/CellImages.h"
#include "game/ShapeTable.h"
#include "game/SquareSet.h"

namespace tessarin {

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

#pragma once

// Pieces as the tests set them up and look at them.

#include "game/ShapeTable.h"
#include "game/SquareSet.h"

namespace tessarin::test {

// Puts `p` on its canvas as its owner does (the direction may make a
// special piece blink, so the blink wanted comes after it).
inline SquareSet& PutPiece(SquareSet& p, const ShapeInfoTable& shapes, int16_t shape,
                           int16_t direction, int16_t x, int16_t y, bool blink) {
    if (p.Active())
        p.Hide(true);
    p.setShape(shape);
    p.setDirection(direction);
    p.setBlink(blink);
    p.setx(x);
    p.sety(y);
    p.setColor(static_cast<int16_t>(shape % 7));
    p.setActive(true);
    p.AssignSetInfo(shapes.block(shape));
    p.Show(true);
    return p;
}

// A piece between two looks: the same object, where and how it lies.
struct PieceSeen {
    const SquareSet* object = nullptr;
    int16_t shape = 0, direction = 0, x = 0, y = 0;
    bool active = false;
    bool operator==(const PieceSeen&) const = default;
};
inline PieceSeen Seen(const SquareSet* s) {
    return s ? PieceSeen{s, s->Shape(), s->Direction(), s->x(), s->y(), s->Active()} : PieceSeen{};
}

} // namespace tessarin::test

#pragma once

#include "game/ShapeTable.h"
#include "game/SquareSet.h"

namespace tessarin {

// In Cooperation a piece over the partner's falling piece waits on it. For
// the blinking pieces the fall tick and the Down key ask this before any
// test of the fall, whose refusal would land them: the sinking single
// square passes through settled squares but not through the partner's
// falling piece (it would leave its colour in the partner's cell and, once
// the partner moved on, the partner's colour behind as a square of
// nobody's), and a tool that landed there would vanish, or act on the
// partner, instead of waiting until the partner has moved or landed.
inline bool WaitsOnPartner(const SquareSet& s, const SquareSet* partner) {
    if (!partner || !partner->Active() || partner->TheCanvas() != s.TheCanvas() ||
        !(s.IsSinkingSquare() || s.IsTool()))
        return false;
    for (int p = 0; p < ShapeSquareCount(partner->Shape()); ++p)
        for (int q = 0; q < ShapeSquareCount(s.Shape()); ++q)
            if (partner->cellX(p) == s.cellX(q) && partner->cellY(p) == s.cellY(q) + 1)
                return true;
    return false;
}

// Whether a cell is one of the partner's falling piece's own (a sinking
// square only lies over its cell, which stays the field's).
inline bool PartnerCovers(const SquareSet* partner, int16_t x, int16_t y) {
    if (!partner || !partner->Active() || partner->IsSinkingSquare())
        return false;
    for (int q = 0; q < ShapeSquareCount(partner->Shape()); ++q)
        if (partner->cellX(q) == x && partner->cellY(q) == y)
            return true;
    return false;
}

} // namespace tessarin

#pragma once

#include "game/ShapeTable.h"
#include "game/SquareSet.h"

namespace tessarin {

// In Cooperation the sinking single square passes through settled squares
// but not through the partner's falling piece: with one of the partner's
// squares right below it, it waits there. (Passing into a falling piece
// would leave the square's colour in the partner's cell and, once the
// partner moved on, the partner's colour behind as a square of nobody's.)
inline bool SinksIntoPartner(const SquareSet& s, const SquareSet* partner) {
    if (!partner || !partner->Active() || partner->TheCanvas() != s.TheCanvas() ||
        !s.IsSinkingSquare())
        return false;
    for (int q = 0; q < ShapeSquareCount(partner->Shape()); ++q)
        if (partner->cellX(q) == s.x() && partner->cellY(q) == s.y() + 1)
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

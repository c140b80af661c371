#pragma once

#include "platform/Surface.h"

#include <array>
#include <cstdint>

namespace tessarin {

// The eight 16 x 16 cell images the fields are drawn with: seven bevelled
// colour squares (cell codes 0 ... 6) and the empty black cell (code 8).
class CellImages {
public:
    static constexpr int kSize = 16;

    CellImages();

    Surface picRed, picOrange, picYellow, picGreen, picCyan, picBlue, picPurple, picBlack;

    // The colour image for a cell code 0 ... 6 (picRed ... picPurple).
    Surface& colour(int code);
    const Surface& colour(int code) const;

    // Draws one bevelled square: face, highlight along the top two rows and
    // left two columns, shadow along the bottom two rows and right two
    // columns, the corners cut diagonally. A dithered highlight is white
    // where x + y is odd and the face colour where it is even.
    static void drawBevel(Surface& s, uint32_t face, uint32_t highlight, uint32_t shadow,
                          bool ditheredHighlight);
};

} // namespace tessarin

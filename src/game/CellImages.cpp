#include "game/CellImages.h"

namespace tessarin {

namespace {

constexpr uint32_t kOpaque = 0xFF000000u;
constexpr uint32_t kWhite = 0xFFFFFFFFu;

enum class Part { Highlight, Face, Shadow };

// Which part of the bevel pixel (x, y) of a 16 x 16 cell belongs to.
//
// The bevel is two pixels wide. The top two rows and the left two columns
// are highlight, the bottom two rows and the right two columns shadow, the
// 12 x 12 square in between is the face. Where highlight and shadow meet,
// the top-right and bottom-left 2 x 2 corners are cut on a diagonal:
//
//   top row     (y = 0):  x = 0 ... 14 highlight, only x = 15 shadow
//   second row  (y = 1):  x = 0 ... 13 highlight, x = 14 and 15 shadow
//   row y = 14:           x = 0 and 1 highlight, x = 2 ... 15 shadow
//   bottom row  (y = 15): only x = 0 highlight, x = 1 ... 15 shadow
//
// So in the top-right corner (14, 0) is highlight and (15, 0), (14, 1),
// (15, 1) are shadow; in the bottom-left corner (0, 14), (1, 14), (0, 15)
// are highlight and (1, 15) is shadow. Each colour thus covers 56 pixels
// of the edge, and the face 144.
Part bevelPart(int x, int y) {
    const int last = CellImages::kSize - 1;
    if (y == 0)
        return x < last ? Part::Highlight : Part::Shadow;
    if (y == 1)
        return x < last - 1 ? Part::Highlight : Part::Shadow;
    if (y == last - 1)
        return x <= 1 ? Part::Highlight : Part::Shadow;
    if (y == last)
        return x == 0 ? Part::Highlight : Part::Shadow;
    if (x <= 1)
        return Part::Highlight;
    if (x >= last - 1)
        return Part::Shadow;
    return Part::Face;
}

} // namespace

CellImages::CellImages()
    : picRed(kSize, kSize), picOrange(kSize, kSize), picYellow(kSize, kSize),
      picGreen(kSize, kSize), picCyan(kSize, kSize), picBlue(kSize, kSize), picPurple(kSize, kSize),
      picBlack(kSize, kSize) {
    drawBevel(picRed, 0xFF0000, 0xFF6040, 0x800000, false);
    drawBevel(picOrange, 0xFF8040, 0xFFC080, 0xC04000, false);
    drawBevel(picYellow, 0xFFFF00, 0, 0x808000, true);
    drawBevel(picGreen, 0x00FF00, 0, 0x008000, true);
    drawBevel(picCyan, 0x00FFFF, 0, 0x008080, true);
    drawBevel(picBlue, 0x0000FF, 0x0060FF, 0x000080, false);
    drawBevel(picPurple, 0xFF00FF, 0xFF80FF, 0x800080, false);
    picBlack.fill(Surface::kBlack);
}

Surface& CellImages::colour(int code) {
    switch (code) {
    case 0:
        return picRed;
    case 1:
        return picOrange;
    case 2:
        return picYellow;
    case 3:
        return picGreen;
    case 4:
        return picCyan;
    case 5:
        return picBlue;
    case 6:
        return picPurple;
    default:
        // Not a colour code: the empty cell is the only harmless answer.
        return picBlack;
    }
}

const Surface& CellImages::colour(int code) const {
    return const_cast<CellImages*>(this)->colour(code);
}

void CellImages::drawBevel(Surface& s, uint32_t face, uint32_t highlight, uint32_t shadow,
                           bool ditheredHighlight) {
    // Colours may be given as 0xRRGGBB; the surface holds them opaque.
    face |= kOpaque;
    highlight |= kOpaque;
    shadow |= kOpaque;
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            uint32_t rgb = face;
            switch (bevelPart(x, y)) {
            case Part::Highlight:
                if (ditheredHighlight)
                    rgb = (x + y) % 2 == 1 ? kWhite : face;
                else
                    rgb = highlight;
                break;
            case Part::Shadow:
                rgb = shadow;
                break;
            case Part::Face:
                break;
            }
            s.setPixel(x, y, rgb);
        }
    }
}

} // namespace tessarin

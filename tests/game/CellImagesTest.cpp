#include "game/CellImages.h"

#include "game/Canvas.h"
#include "support/ScriptedRandom.h"

#include <gtest/gtest.h>

using namespace tessarin;

namespace {

// H highlight, S shadow, F face. The top-right corner is cut so that only
// (14, 0) of its 2 x 2 pixels is highlight; the bottom-left so that only
// (1, 15) of its 2 x 2 pixels is shadow.
const char* const kBevel[16] = {
    "HHHHHHHHHHHHHHHS", "HHHHHHHHHHHHHHSS", "HHFFFFFFFFFFFFSS", "HHFFFFFFFFFFFFSS",
    "HHFFFFFFFFFFFFSS", "HHFFFFFFFFFFFFSS", "HHFFFFFFFFFFFFSS", "HHFFFFFFFFFFFFSS",
    "HHFFFFFFFFFFFFSS", "HHFFFFFFFFFFFFSS", "HHFFFFFFFFFFFFSS", "HHFFFFFFFFFFFFSS",
    "HHFFFFFFFFFFFFSS", "HHFFFFFFFFFFFFSS", "HHSSSSSSSSSSSSSS", "HSSSSSSSSSSSSSSS",
};

struct Look {
    const char* name;
    Surface CellImages::*image;
    int code;
    uint32_t face, highlight, shadow; // highlight 0: dithered with white
};

const Look kLooks[] = {
    {"red", &CellImages::picRed, 0, 0xFFFF0000, 0xFFFF6040, 0xFF800000},
    {"orange", &CellImages::picOrange, 1, 0xFFFF8040, 0xFFFFC080, 0xFFC04000},
    {"yellow", &CellImages::picYellow, 2, 0xFFFFFF00, 0, 0xFF808000},
    {"green", &CellImages::picGreen, 3, 0xFF00FF00, 0, 0xFF008000},
    {"cyan", &CellImages::picCyan, 4, 0xFF00FFFF, 0, 0xFF008080},
    {"blue", &CellImages::picBlue, 5, 0xFF0000FF, 0xFF0060FF, 0xFF000080},
    {"purple", &CellImages::picPurple, 6, 0xFFFF00FF, 0xFFFF80FF, 0xFF800080},
};

} // namespace

TEST(CellImages, EveryColourImageIsTheBevelledSquarePixelForPixel) {
    const CellImages images;
    for (const Look& look : kLooks) {
        SCOPED_TRACE(look.name);
        const Surface& s = images.*look.image;
        EXPECT_EQ(&images.colour(look.code), &s);
        ASSERT_EQ(s.PixelWidth(), 16);
        ASSERT_EQ(s.PixelHeight(), 16);
        for (int y = 0; y < 16; ++y) {
            for (int x = 0; x < 16; ++x) {
                uint32_t want = look.face;
                if (kBevel[y][x] == 'S')
                    want = look.shadow;
                else if (kBevel[y][x] == 'H')
                    want = look.highlight != 0 ? look.highlight
                                               : ((x + y) % 2 == 1 ? 0xFFFFFFFFu : look.face);
                ASSERT_EQ(s.pixel(x, y), want) << "pixel (" << x << ", " << y << ")";
            }
        }
    }
}

TEST(CellImages, BlackIsPlainAndAnyOtherCodeGivesIt) {
    const CellImages images;
    ASSERT_EQ(images.picBlack.PixelWidth(), 16);
    ASSERT_EQ(images.picBlack.PixelHeight(), 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            ASSERT_EQ(images.picBlack.pixel(x, y), 0xFF000000u);

    EXPECT_EQ(&images.colour(7), &images.picBlack);
}

TEST(CellImages, DrawnCellLandsAtSixteenTimesItsPlace) {
    const CellImages images;
    test::ScriptedRandom random;
    Canvas field(random);
    field.setColumns(11);
    field.setRows(18);
    Surface out(11 * 16, 18 * 16);
    constexpr uint32_t kBefore = 0xFF123456u;
    out.fill(kBefore);
    out.clearDirty();
    field.setPicOutput(&out);
    field.setPicSource(&images.picRed, &images.picOrange, &images.picYellow, &images.picGreen,
                       &images.picCyan, &images.picBlue, &images.picPurple);
    field.setpicBlack(&images.picBlack);

    field.SetSquare(3, 5, 2);
    EXPECT_EQ(out.DirtyRect(), (PixelRect{48, 80, 16, 16}));
    for (int py = 0; py < out.PixelHeight(); ++py) {
        for (int px = 0; px < out.PixelWidth(); ++px) {
            const bool inCell = px >= 48 && px < 64 && py >= 80 && py < 96;
            const uint32_t want = inCell ? images.picYellow.pixel(px - 48, py - 80) : kBefore;
            ASSERT_EQ(out.pixel(px, py), want) << "pixel (" << px << ", " << py << ")";
        }
    }

    // The bottom-right cell of the field, and the empty image over it.
    field.SetSquare(10, 17, 5);
    EXPECT_EQ(out.pixel(160, 272), images.picBlue.pixel(0, 0));
    EXPECT_EQ(out.pixel(175, 287), images.picBlue.pixel(15, 15));
    field.ClearSquare(10, 17);
    EXPECT_EQ(out.pixel(160, 272), 0xFF000000u);
    EXPECT_EQ(out.pixel(175, 287), 0xFF000000u);
    EXPECT_EQ(out.pixel(159, 271), kBefore);
}

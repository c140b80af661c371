#include "game/CellImages.h"

#include <gtest/gtest.h>

using namespace tessarin;

// H highlight, S shadow, F face; the corners are cut diagonally.
const char* const kBevel[16] = {
    "HHHHHHHHHHHHHHHS", "HHHHHHHHHHHHHHSS", "HHFFFFFFFFFFFFSS", "HHFFFFFFFFFFFFSS",
    "HHFFFFFFFFFFFFSS", "HHFFFFFFFFFFFFSS", "HHFFFFFFFFFFFFSS", "HHFFFFFFFFFFFFSS",
    "HHFFFFFFFFFFFFSS", "HHFFFFFFFFFFFFSS", "HHFFFFFFFFFFFFSS", "HHFFFFFFFFFFFFSS",
    "HHFFFFFFFFFFFFSS", "HHFFFFFFFFFFFFSS", "HHSSSSSSSSSSSSSS", "HSSSSSSSSSSSSSSS",
};

TEST(CellImages, EightImagesPixelForPixel) {
    const CellImages im;
    const struct {
        const Surface* image;
        uint32_t face, highlight, shadow; // highlight 0: white where x + y is odd, else face
    } looks[8] = {
        {&im.picRed, 0xFFFF0000, 0xFFFF6040, 0xFF800000},
        {&im.picOrange, 0xFFFF8040, 0xFFFFC080, 0xFFC04000},
        {&im.picYellow, 0xFFFFFF00, 0, 0xFF808000},
        {&im.picGreen, 0xFF00FF00, 0, 0xFF008000},
        {&im.picCyan, 0xFF00FFFF, 0, 0xFF008080},
        {&im.picBlue, 0xFF0000FF, 0xFF0060FF, 0xFF000080},
        {&im.picPurple, 0xFFFF00FF, 0xFFFF80FF, 0xFF800080},
        {&im.picBlack, 0xFF000000, 0xFF000000, 0xFF000000},
    };
    for (int i = 0; i < 8; ++i) {
        const auto& l = looks[i];
        EXPECT_TRUE(i == 7 || &im.colour(i) == l.image) << i;
        ASSERT_EQ(l.image->PixelWidth() * 100 + l.image->PixelHeight(), 1616);
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                const uint32_t dithered = (x + y) % 2 ? 0xFFFFFFFFu : l.face;
                const char k = kBevel[y][x];
                ASSERT_EQ(l.image->pixel(x, y), k == 'F'      ? l.face
                                                : k == 'S'    ? l.shadow
                                                : l.highlight ? l.highlight
                                                              : dithered)
                    << i << " at " << x << "," << y;
            }
    }
}

#include "game/CellImages.h"

#include <gtest/gtest.h>

using namespace tessarin;

TEST(CellImages, EightImagesPixelForPixel) {
    const char* const bevel[16] = {
        // H highlight, S shadow, F face; corners cut diagonally
        "HHHHHHHHHHHHHHHS", "HHHHHHHHHHHHHHSS", "HHFFFFFFFFFFFFSS", "HHFFFFFFFFFFFFSS",
        "HHFFFFFFFFFFFFSS", "HHFFFFFFFFFFFFSS", "HHFFFFFFFFFFFFSS", "HHFFFFFFFFFFFFSS",
        "HHFFFFFFFFFFFFSS", "HHFFFFFFFFFFFFSS", "HHFFFFFFFFFFFFSS", "HHFFFFFFFFFFFFSS",
        "HHFFFFFFFFFFFFSS", "HHFFFFFFFFFFFFSS", "HHSSSSSSSSSSSSSS", "HSSSSSSSSSSSSSSS"};
    const CellImages im;
    const Surface* images[8] = {&im.picRed,  &im.picOrange, &im.picYellow, &im.picGreen,
                                &im.picCyan, &im.picBlue,   &im.picPurple, &im.picBlack};
    const uint32_t colours[8][3] = {// face, highlight (0: white where x + y is odd), shadow
                                    {0xFF0000, 0xFF6040, 0x800000}, {0xFF8040, 0xFFC080, 0xC04000},
                                    {0xFFFF00, 0, 0x808000},        {0x00FF00, 0, 0x008000},
                                    {0x00FFFF, 0, 0x008080},        {0x0000FF, 0x0060FF, 0x000080},
                                    {0xFF00FF, 0xFF80FF, 0x800080}, {0, 0, 0}};
    for (int i = 0; i < 8; ++i) {
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                const auto [face, high, shadow] = colours[i];
                const uint32_t want = bevel[y][x] == 'F'   ? face
                                      : bevel[y][x] == 'S' ? shadow
                                      : high || i == 7     ? high
                                                           : ((x + y) % 2 ? 0xFFFFFF : face);
                ASSERT_EQ(images[i]->pixel(x, y), 0xFF000000 | want)
                    << i << " at " << x << "," << y;
            }
    }
}

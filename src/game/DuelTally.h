#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace tessarin {

// One player's duel results over a series, kept for the run of the program.
struct DuelTallyEntry {
    std::string Name;
    int16_t Wins = 0;
    int32_t TotalScore = 0;
    int16_t TotalLines = 0;
};

// Index 0 is player 1, 1 is player 2.
using DuelTallyTable = std::array<DuelTallyEntry, 2>;

} // namespace tessarin

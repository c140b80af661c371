#pragma once

#include <array>
#include <string>

namespace tessarin {

// The best results: 4 rows x 5 fields of text, slot = 5*row + field. Slot
// order is also the order of the lines in the score file.
struct Records {
    enum Row : int { StandardA = 0, StandardB = 1, CooperationA = 2, CooperationB = 3 };
    enum Field : int {
        Player1Name = 0,
        Player2Name = 1,
        FinalScore = 2,
        FinalLines = 3,
        FinalSpeed = 4
    };
    static constexpr int kRows = 4;
    static constexpr int kFields = 5;
    static constexpr int kSlots = kRows * kFields;

    std::array<std::string, kSlots> Values; // all empty at program start

    // A row or field outside the table gives an empty dummy text (writes to
    // it are dropped at the next such call), never a slot.
    std::string& at(int row, int field);
    const std::string& at(int row, int field) const;
};

} // namespace tessarin

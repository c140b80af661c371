#pragma once

#include <array>
#include <string>

namespace tessarin {

// The best results: 4 rows x 5 fields of text, slot = 5 * row + field,
// which is also the order of the lines in the score file.
struct Records {
    enum Row : int { StandardA = 0, StandardB = 1, CooperationA = 2, CooperationB = 3 };
    enum Field : int {
        Player1Name = 0,
        Player2Name = 1,
        FinalScore = 2,
        FinalLines = 3,
        FinalSpeed = 4
    };
    std::array<std::string, 20> slots; // all empty at program start

    // Outside 0 ... 3 x 0 ... 4 these give a spare slot, never memory
    // outside the table.
    std::string& at(int row, int field);
    const std::string& at(int row, int field) const;

private:
    std::string spare_;
};

} // namespace tessarin

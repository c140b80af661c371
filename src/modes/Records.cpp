#include "modes/Records.h"

namespace tessarin {

std::string& Records::at(int row, int field) {
    if (row < 0 || row > 3 || field < 0 || field > 4) {
        spare_.clear();
        return spare_;
    }
    return slots[static_cast<size_t>(5 * row + field)];
}

const std::string& Records::at(int row, int field) const {
    static const std::string empty;
    if (row < 0 || row > 3 || field < 0 || field > 4)
        return empty;
    return slots[static_cast<size_t>(5 * row + field)];
}

} // namespace tessarin

#include "game/Records.h"

#include <cstddef>

namespace tessarin {

std::string& Records::at(int row, int field) {
    if (row < 0 || row >= kRows || field < 0 || field >= kFields) {
        thread_local std::string dummy;
        dummy.clear();
        return dummy;
    }
    return Values[static_cast<std::size_t>(5 * row + field)];
}

const std::string& Records::at(int row, int field) const {
    if (row < 0 || row >= kRows || field < 0 || field >= kFields) {
        static const std::string empty;
        return empty;
    }
    return Values[static_cast<std::size_t>(5 * row + field)];
}

} // namespace tessarin

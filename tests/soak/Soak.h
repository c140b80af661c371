#pragma once

// What the soaks share: their sizes from the environment, the texts of
// their failures, and the check that a map holds only what it may.

#include "game/Canvas.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

namespace tessarin::soak {

inline int64_t fromEnv(const char* name, int64_t fallback, int64_t least = 0) {
    const char* env = std::getenv(name);
    return env ? std::max<int64_t>(least, std::strtoll(env, nullptr, 10)) : fallback;
}

template <class... Parts> std::string str(const Parts&... parts) {
    std::ostringstream o;
    (o << ... << parts);
    return o.str();
}

// The first cell of the map that holds other than a colour (0 ... 6) or
// the empty code, or the spare column and row not empty; "" if none.
inline std::string badCell(const Canvas* c) {
    for (int16_t x = 0; c && x <= c->Columns(); ++x)
        for (int16_t y = 0; y <= c->Rows(); ++y) {
            const int16_t v = c->GetMapUnit(x, y);
            const bool spare = x == c->Columns() || y == c->Rows();
            if (spare ? v != Canvas::kEmpty : !((v >= 0 && v <= 6) || v == Canvas::kEmpty))
                return str("cell (", x, ",", y, ") holds code ", v);
        }
    return {};
}

} // namespace tessarin::soak

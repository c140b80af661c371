#pragma once

#include <array>
#include <cstdint>

namespace tessarin {

// One player's control keys, virtual-key codes.
struct PlayerKeys {
    int16_t Left = 0;
    int16_t Right = 0;
    int16_t Down = 0;
    int16_t Rotate = 0;
    bool operator==(const PlayerKeys&) const = default;
};

// The program-wide control settings the key dialog edits.
struct ControlSettings {
    std::array<PlayerKeys, 2> Keys;
    int16_t SpeedMode = 0;  // 0 drop at once, 1 one row a press
    int16_t RotateMode = 0; // 0 counterclockwise, 1 clockwise
};

} // namespace tessarin

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

// What one of a player's keys does, whoever presses it: a person at the
// keyboard, the computer, or a joiner over the network (whose program
// sends these numbers).
enum class KeyAction : uint8_t { Left = 0, Right = 1, Down = 2, Rotate = 3, None = 4 };
// The key of a player's set that does the action (0 for None).
int16_t KeyFor(const PlayerKeys& keys, KeyAction action);
// What a key does in a player's set (None when it is not one of the four).
KeyAction ActionFor(const PlayerKeys& keys, int16_t keyCode);

// The program-wide control settings the key dialog edits.
struct ControlSettings {
    std::array<PlayerKeys, 2> Keys;
    int16_t SpeedMode = 0;  // 0 drop at once, 1 one row a press
    int16_t RotateMode = 0; // 0 counterclockwise, 1 clockwise
};

} // namespace tessarin

#pragma once

#include <cstdint>

namespace tessarin::vk {

// Virtual-key codes the game compares (the Windows values).
constexpr int16_t Back = 8;
constexpr int16_t Tab = 9;
constexpr int16_t Return = 13;
constexpr int16_t Shift = 16;
constexpr int16_t Control = 17;
constexpr int16_t Menu = 18;
constexpr int16_t Pause = 19;
constexpr int16_t CapsLock = 20;
constexpr int16_t Escape = 27;
constexpr int16_t Space = 32;
constexpr int16_t PageUp = 33;
constexpr int16_t PageDown = 34;
constexpr int16_t End = 35;
constexpr int16_t Home = 36;
constexpr int16_t Left = 37;
constexpr int16_t Up = 38;
constexpr int16_t Right = 39;
constexpr int16_t Down = 40;
constexpr int16_t Insert = 45;
constexpr int16_t Delete = 46;
constexpr int16_t Key0 = 48; // main-keyboard digits 48 ... 57
constexpr int16_t A = 65;    // letters 65 ... 90
constexpr int16_t D = 68;
constexpr int16_t S = 83;
constexpr int16_t W = 87;
constexpr int16_t Z = 90;
constexpr int16_t Numpad0 = 96; // keypad digits 96 ... 105
constexpr int16_t Numpad1 = 97;
constexpr int16_t Numpad2 = 98;
constexpr int16_t Numpad3 = 99;
constexpr int16_t Numpad5 = 101;
constexpr int16_t Numpad9 = 105;
constexpr int16_t Multiply = 106;
constexpr int16_t Add = 107;
constexpr int16_t Subtract = 109;
constexpr int16_t Decimal = 110;
constexpr int16_t Divide = 111;
constexpr int16_t F1 = 112; // F1 ... F12: 112 ... 123
constexpr int16_t F2 = 113;
constexpr int16_t F12 = 123;
constexpr int16_t NumLock = 144;
constexpr int16_t ScrollLock = 145;

constexpr int16_t letter(char c) {
    return static_cast<int16_t>(A + (c - 'A'));
}
constexpr int16_t digit(int d) {
    return static_cast<int16_t>(Key0 + d);
}
constexpr int16_t numpad(int d) {
    return static_cast<int16_t>(Numpad0 + d);
}
constexpr int16_t function(int n) {
    return static_cast<int16_t>(F1 + (n - 1));
}

} // namespace tessarin::vk

#include "qt/KeyMapping.h"

#include <gtest/gtest.h>

using tessarin::qt::shiftState;
using tessarin::qt::toVirtualKey;

TEST(KeyMapping, QtKeysBecomeVirtualKeyCodesAndTheKeypadFollowsNumLock) {
    for (int i = 0; i < 26; ++i)
        EXPECT_EQ(toVirtualKey(Qt::Key_A + i, Qt::ShiftModifier), 65 + i);
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(toVirtualKey(Qt::Key_F1 + i, Qt::NoModifier), 112 + i);
    for (int d = 0; d < 10; ++d) {
        EXPECT_EQ(toVirtualKey(Qt::Key_0 + d, Qt::NoModifier), 48 + d);
        EXPECT_EQ(toVirtualKey(Qt::Key_0 + d, Qt::KeypadModifier), 96 + d); // Num Lock on
    }
    // Qt key, code: the main block; the keypad's symbols, then its 1 ... 9, 0, . with Num Lock off.
    const int plain[] = {
        Qt::Key_Left,    37, Qt::Key_Up,         38, Qt::Key_Right,     39,  Qt::Key_Down,     40,
        Qt::Key_Space,   32, Qt::Key_PageUp,     33, Qt::Key_Return,    13,  Qt::Key_Enter,    13,
        Qt::Key_Escape,  27, Qt::Key_Tab,        9,  Qt::Key_Backspace, 8,   Qt::Key_Shift,    16,
        Qt::Key_Control, 17, Qt::Key_Alt,        18, Qt::Key_Semicolon, 186, Qt::Key_Minus,    189,
        Qt::Key_Exclam,  49, Qt::Key_ParenRight, 48, Qt::Key_Plus,      187, Qt::Key_Asterisk, 56,
        Qt::Key_unknown, 0,  Qt::Key_VolumeUp,   0};
    const int keypad[] = {Qt::Key_Asterisk, 106, Qt::Key_Plus,   107, Qt::Key_Minus,    109,
                          Qt::Key_Period,   110, Qt::Key_Slash,  111, Qt::Key_Enter,    13,
                          Qt::Key_End,      35,  Qt::Key_Down,   40,  Qt::Key_PageDown, 34,
                          Qt::Key_Left,     37,  Qt::Key_Clear,  12,  Qt::Key_Right,    39,
                          Qt::Key_Home,     36,  Qt::Key_Up,     38,  Qt::Key_PageUp,   33,
                          Qt::Key_Insert,   45,  Qt::Key_Delete, 46};
    for (size_t i = 0; i < std::size(plain); i += 2)
        EXPECT_EQ(toVirtualKey(plain[i], Qt::NoModifier), plain[i + 1]) << plain[i];
    for (size_t i = 0; i < std::size(keypad); i += 2)
        EXPECT_EQ(toVirtualKey(keypad[i], Qt::KeypadModifier), keypad[i + 1]) << keypad[i];
#if !defined(Q_OS_WIN) && !defined(Q_OS_MACOS)
    // Another alphabet falls back on the key's place: X11 key codes 38 (A) and 10 (1).
    EXPECT_EQ(toVirtualKey(0x0444, Qt::NoModifier, 38), 'A');
    EXPECT_EQ(toVirtualKey(0x0444, Qt::NoModifier, 10), '1');
#endif
    EXPECT_EQ(shiftState(Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier), 7);
    EXPECT_EQ(shiftState(Qt::ControlModifier | Qt::KeypadModifier), 2);
}

#include "platform/qt/KeyMapping.h"

#include "platform/VirtualKeys.h"

#include <gtest/gtest.h>

using namespace tessarin;
using tessarin::qt::shiftState;
using tessarin::qt::toVirtualKey;

namespace {
int16_t key(int qtKey, Qt::KeyboardModifiers m = Qt::NoModifier) {
    return toVirtualKey(qtKey, m);
}
} // namespace

TEST(KeyMapping, LettersDigitsAndNamedKeysGetTheirVirtualKeyCodes) {
    for (int i = 0; i < 26; ++i) {
        EXPECT_EQ(key(Qt::Key_A + i), 65 + i);
        // Shift or Ctrl do not change the code of the key.
        EXPECT_EQ(key(Qt::Key_A + i, Qt::ShiftModifier), 65 + i);
    }
    for (int d = 0; d < 10; ++d)
        EXPECT_EQ(key(Qt::Key_0 + d), 48 + d);
    // The shifted digit row still names its digit key.
    EXPECT_EQ(key(Qt::Key_Exclam, Qt::ShiftModifier), 49);
    EXPECT_EQ(key(Qt::Key_ParenRight, Qt::ShiftModifier), 48);

    EXPECT_EQ(key(Qt::Key_Left), 37);
    EXPECT_EQ(key(Qt::Key_Up), 38);
    EXPECT_EQ(key(Qt::Key_Right), 39);
    EXPECT_EQ(key(Qt::Key_Down), 40);
    EXPECT_EQ(key(Qt::Key_Space), 32);
    EXPECT_EQ(key(Qt::Key_PageUp), 33);
    EXPECT_EQ(key(Qt::Key_PageDown), 34);
    EXPECT_EQ(key(Qt::Key_End), 35);
    EXPECT_EQ(key(Qt::Key_Home), 36);
    EXPECT_EQ(key(Qt::Key_Insert), 45);
    EXPECT_EQ(key(Qt::Key_Delete), 46);
    EXPECT_EQ(key(Qt::Key_Return), 13);
    EXPECT_EQ(key(Qt::Key_Enter), 13);
    EXPECT_EQ(key(Qt::Key_Escape), 27);
    EXPECT_EQ(key(Qt::Key_Tab), 9);
    EXPECT_EQ(key(Qt::Key_Backspace), 8);
    EXPECT_EQ(key(Qt::Key_Shift, Qt::ShiftModifier), 16);
    EXPECT_EQ(key(Qt::Key_Control, Qt::ControlModifier), 17);
    EXPECT_EQ(key(Qt::Key_Alt, Qt::AltModifier), 18);
    for (int n = 1; n <= 12; ++n)
        EXPECT_EQ(key(Qt::Key_F1 + n - 1), 111 + n);
    EXPECT_EQ(key(Qt::Key_Semicolon), 186);
    EXPECT_EQ(key(Qt::Key_Minus), 189);
    // A key Qt does not know and that has no place to fall back on.
    EXPECT_EQ(key(Qt::Key_unknown), 0);
    EXPECT_EQ(key(Qt::Key_VolumeUp), 0);
}

TEST(KeyMapping, KeypadGivesDigitsWithNumLockAndCursorCodesWithout) {
    // Num Lock on: the keypad digits, which player 2's default keys use.
    for (int d = 0; d < 10; ++d)
        EXPECT_EQ(key(Qt::Key_0 + d, Qt::KeypadModifier), 96 + d) << d;
    EXPECT_EQ(key(Qt::Key_1, Qt::KeypadModifier), vk::Numpad1);
    EXPECT_EQ(key(Qt::Key_5, Qt::KeypadModifier), vk::Numpad5);
    EXPECT_EQ(key(Qt::Key_Asterisk, Qt::KeypadModifier), 106);
    EXPECT_EQ(key(Qt::Key_Plus, Qt::KeypadModifier), 107);
    EXPECT_EQ(key(Qt::Key_Minus, Qt::KeypadModifier), 109);
    EXPECT_EQ(key(Qt::Key_Period, Qt::KeypadModifier), 110);
    EXPECT_EQ(key(Qt::Key_Slash, Qt::KeypadModifier), 111);
    EXPECT_EQ(key(Qt::Key_Enter, Qt::KeypadModifier), 13);

    // Num Lock off: the same keys are the cursor block, never 96 ... 105.
    EXPECT_EQ(key(Qt::Key_End, Qt::KeypadModifier), 35);      // 1
    EXPECT_EQ(key(Qt::Key_Down, Qt::KeypadModifier), 40);     // 2
    EXPECT_EQ(key(Qt::Key_PageDown, Qt::KeypadModifier), 34); // 3
    EXPECT_EQ(key(Qt::Key_Left, Qt::KeypadModifier), 37);     // 4
    EXPECT_EQ(key(Qt::Key_Clear, Qt::KeypadModifier), 12);    // 5
    EXPECT_EQ(key(Qt::Key_Right, Qt::KeypadModifier), 39);    // 6
    EXPECT_EQ(key(Qt::Key_Home, Qt::KeypadModifier), 36);     // 7
    EXPECT_EQ(key(Qt::Key_Up, Qt::KeypadModifier), 38);       // 8
    EXPECT_EQ(key(Qt::Key_PageUp, Qt::KeypadModifier), 33);   // 9
    EXPECT_EQ(key(Qt::Key_Insert, Qt::KeypadModifier), 45);   // 0
    EXPECT_EQ(key(Qt::Key_Delete, Qt::KeypadModifier), 46);   // .

    // The main block's symbols are not the keypad's.
    EXPECT_EQ(key(Qt::Key_Plus, Qt::ShiftModifier), 187);
    EXPECT_EQ(key(Qt::Key_Asterisk, Qt::ShiftModifier), 56);
}

#if !defined(Q_OS_WIN) && !defined(Q_OS_MACOS)
TEST(KeyMapping, LettersOfAnotherAlphabetFallBackToTheirPlaceOnTheKeyboard) {
    // A Cyrillic layout: the key in A's place (X11 key code 38) and in 1's
    // place (key code 10).
    EXPECT_EQ(toVirtualKey(0x0444, Qt::NoModifier, 38), vk::A);
    EXPECT_EQ(toVirtualKey(0x0446, Qt::NoModifier, 25), vk::W);
    EXPECT_EQ(toVirtualKey(0x0444, Qt::NoModifier, 10), vk::digit(1));
    EXPECT_EQ(toVirtualKey(0x0444, Qt::NoModifier, 19), vk::digit(0));
    // A Qt key the table knows wins over the key's place.
    EXPECT_EQ(toVirtualKey(Qt::Key_Z, Qt::NoModifier, 38), vk::Z);
    // A key code with no letter or digit there.
    EXPECT_EQ(toVirtualKey(0x0444, Qt::NoModifier, 36), 0);
}
#endif

TEST(KeyMapping, ShiftStateAddsShiftCtrlAndAlt) {
    EXPECT_EQ(shiftState(Qt::NoModifier), 0);
    EXPECT_EQ(shiftState(Qt::ShiftModifier), 1);
    EXPECT_EQ(shiftState(Qt::ControlModifier), 2);
    EXPECT_EQ(shiftState(Qt::AltModifier), 4);
    EXPECT_EQ(shiftState(Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier), 7);
    // The keypad flag is no shift key.
    EXPECT_EQ(shiftState(Qt::KeypadModifier | Qt::ShiftModifier), 1);
}

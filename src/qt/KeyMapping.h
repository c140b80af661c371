#pragma once

#include <Qt>
#include <QtGlobal>
#include <cstdint>

namespace tessarin::qt {

// Turns a Qt key into the virtual-key code the game compares: letters
// 65-90, main-keyboard digits 48-57, keypad digits 96-105 when Num Lock is
// on (a digit with the keypad modifier) and the cursor codes when it is off,
// arrows 37-40, function keys 112-123 and the other named keys. A key that
// Qt does not name (a letter of another alphabet) falls back to its place on
// the keyboard, read from the X11 key code; anything else gives 0.
int16_t toVirtualKey(int qtKey, Qt::KeyboardModifiers modifiers, quint32 nativeScanCode = 0,
                     quint32 nativeVirtualKey = 0);

// The shift state of a key event: 1 Shift, 2 Ctrl, 4 Alt, added together.
int16_t shiftState(Qt::KeyboardModifiers modifiers);

} // namespace tessarin::qt

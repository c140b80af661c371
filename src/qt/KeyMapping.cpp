#include "qt/KeyMapping.h"

#include "platform/VirtualKeys.h"

#include <array>

namespace tessarin::qt {

namespace {

constexpr int16_t kClear = 12;
constexpr int16_t kPrint = 44;
constexpr int16_t kLeftWindows = 91;
constexpr int16_t kApps = 93;

// Keys the keypad and the main block share: the cursor block, and the
// keypad's own cursor keys when Num Lock is off.
int16_t cursorKey(int qtKey) {
    switch (qtKey) {
    case Qt::Key_Left:
        return vk::Left;
    case Qt::Key_Up:
        return vk::Up;
    case Qt::Key_Right:
        return vk::Right;
    case Qt::Key_Down:
        return vk::Down;
    case Qt::Key_PageUp:
        return vk::PageUp;
    case Qt::Key_PageDown:
        return vk::PageDown;
    case Qt::Key_End:
        return vk::End;
    case Qt::Key_Home:
        return vk::Home;
    case Qt::Key_Insert:
        return vk::Insert;
    case Qt::Key_Delete:
        return vk::Delete;
    case Qt::Key_Clear:
        return kClear;
    case Qt::Key_Enter:
    case Qt::Key_Return:
        return vk::Return;
    default:
        return 0;
    }
}

int16_t keypadKey(int qtKey) {
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
        return vk::numpad(qtKey - Qt::Key_0);
    switch (qtKey) {
    case Qt::Key_Asterisk:
        return vk::Multiply;
    case Qt::Key_Plus:
        return vk::Add;
    case Qt::Key_Minus:
        return vk::Subtract;
    case Qt::Key_Period:
    case Qt::Key_Comma:
        return vk::Decimal;
    case Qt::Key_Slash:
        return vk::Divide;
    default:
        return cursorKey(qtKey);
    }
}

// Punctuation and the shifted digit row as a US keyboard places them.
int16_t mainBlockSymbol(int qtKey) {
    switch (qtKey) {
    case Qt::Key_ParenRight:
        return vk::digit(0);
    case Qt::Key_Exclam:
        return vk::digit(1);
    case Qt::Key_At:
        return vk::digit(2);
    case Qt::Key_NumberSign:
        return vk::digit(3);
    case Qt::Key_Dollar:
        return vk::digit(4);
    case Qt::Key_Percent:
        return vk::digit(5);
    case Qt::Key_AsciiCircum:
        return vk::digit(6);
    case Qt::Key_Ampersand:
        return vk::digit(7);
    case Qt::Key_Asterisk:
        return vk::digit(8);
    case Qt::Key_ParenLeft:
        return vk::digit(9);
    case Qt::Key_Semicolon:
    case Qt::Key_Colon:
        return 186;
    case Qt::Key_Equal:
    case Qt::Key_Plus:
        return 187;
    case Qt::Key_Comma:
    case Qt::Key_Less:
        return 188;
    case Qt::Key_Minus:
    case Qt::Key_Underscore:
        return 189;
    case Qt::Key_Period:
    case Qt::Key_Greater:
        return 190;
    case Qt::Key_Slash:
    case Qt::Key_Question:
        return 191;
    case Qt::Key_QuoteLeft:
    case Qt::Key_AsciiTilde:
        return 192;
    case Qt::Key_BracketLeft:
    case Qt::Key_BraceLeft:
        return 219;
    case Qt::Key_Backslash:
    case Qt::Key_Bar:
        return 220;
    case Qt::Key_BracketRight:
    case Qt::Key_BraceRight:
        return 221;
    case Qt::Key_Apostrophe:
    case Qt::Key_QuoteDbl:
        return 222;
    default:
        return 0;
    }
}

int16_t namedKey(int qtKey) {
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F12)
        return vk::function(qtKey - Qt::Key_F1 + 1);
    switch (qtKey) {
    case Qt::Key_Space:
        return vk::Space;
    case Qt::Key_Escape:
        return vk::Escape;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return vk::Tab;
    case Qt::Key_Backspace:
        return vk::Back;
    case Qt::Key_Shift:
        return vk::Shift;
    case Qt::Key_Control:
        return vk::Control;
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
        return vk::Menu;
    case Qt::Key_Pause:
        return vk::Pause;
    case Qt::Key_CapsLock:
        return vk::CapsLock;
    case Qt::Key_NumLock:
        return vk::NumLock;
    case Qt::Key_ScrollLock:
        return vk::ScrollLock;
    case Qt::Key_Print:
        return kPrint;
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
        return kLeftWindows;
    case Qt::Key_Super_R:
        return kLeftWindows + 1;
    case Qt::Key_Menu:
        return kApps;
    default:
        return cursorKey(qtKey);
    }
}

// X11 key codes (evdev + 8) of the letter and digit keys, by place.
[[maybe_unused]] int16_t fromX11KeyCode(quint32 code) {
    if (code >= 10 && code <= 18)
        return vk::digit(static_cast<int>(code) - 9);
    if (code == 19)
        return vk::digit(0);
    static constexpr std::array<char, 37> places = {
        'Q', 'W', 'E', 'R', 'T', 'Y', 'U', 'I', 'O', 'P', 0, 0, 0,
        0,   'A', 'S', 'D', 'F', 'G', 'H', 'J', 'K', 'L', 0, 0, 0,
        0,   0,   'Z', 'X', 'C', 'V', 'B', 'N', 'M', 0,   0};
    if (code >= 24 && code < 24 + places.size() && places[code - 24] != 0)
        return vk::letter(places[code - 24]);
    return 0;
}

} // namespace

int16_t toVirtualKey(int qtKey, Qt::KeyboardModifiers modifiers, quint32 nativeScanCode,
                     quint32 nativeVirtualKey) {
    if (modifiers.testFlag(Qt::KeypadModifier)) {
        if (const int16_t k = keypadKey(qtKey))
            return k;
    }
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z)
        return vk::letter(static_cast<char>('A' + (qtKey - Qt::Key_A)));
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
        return vk::digit(qtKey - Qt::Key_0);
    if (const int16_t k = namedKey(qtKey))
        return k;
    if (const int16_t k = mainBlockSymbol(qtKey))
        return k;
#if defined(Q_OS_WIN)
    // Windows hands the virtual-key code over as it is.
    Q_UNUSED(nativeScanCode);
    if (nativeVirtualKey > 0 && nativeVirtualKey < 256)
        return static_cast<int16_t>(nativeVirtualKey);
    return 0;
#elif defined(Q_OS_MACOS)
    Q_UNUSED(nativeScanCode);
    Q_UNUSED(nativeVirtualKey);
    return 0;
#else
    // X11 and Wayland report XKB key codes.
    Q_UNUSED(nativeVirtualKey);
    return fromX11KeyCode(nativeScanCode);
#endif
}

int16_t shiftState(Qt::KeyboardModifiers modifiers) {
    int16_t s = 0;
    if (modifiers.testFlag(Qt::ShiftModifier))
        s |= 1;
    if (modifiers.testFlag(Qt::ControlModifier))
        s |= 2;
    if (modifiers.testFlag(Qt::AltModifier))
        s |= 4;
    return s;
}

} // namespace tessarin::qt

#include "game/PlayerKeys.h"

namespace tessarin {

int16_t KeyFor(const PlayerKeys& keys, KeyAction action) {
    switch (action) {
    case KeyAction::Left:
        return keys.Left;
    case KeyAction::Right:
        return keys.Right;
    case KeyAction::Down:
        return keys.Down;
    case KeyAction::Rotate:
        return keys.Rotate;
    case KeyAction::None:
        break;
    }
    return 0;
}

KeyAction ActionFor(const PlayerKeys& keys, int16_t keyCode) {
    for (KeyAction a : {KeyAction::Left, KeyAction::Right, KeyAction::Rotate, KeyAction::Down})
        if (keyCode == KeyFor(keys, a))
            return a;
    return KeyAction::None;
}

} // namespace tessarin

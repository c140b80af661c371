#pragma once

#include "dialogs/Dialogs.h"
#include "game/PlayerKeys.h"
#include "platform/Sound.h"
#include "platform/WindowElements.h"

#include <array>
#include <cstdint>
#include <string>

namespace tessarin {

// The control-key dialog: each player's four keys, the speed-down mode and
// the turning direction.
class Custom {
public:
    Custom(ControlSettings& settings, Dialogs& dialogs, Sound& sound, const ScreenSize& screen);
    void DoCustom();

    // Events of the window.
    void Text1_KeyDown(int16_t Index, int16_t KeyCode, int16_t Shift);
    void Text2_KeyDown(int16_t Index, int16_t KeyCode, int16_t Shift);
    void Option1_Click(int16_t Index);
    void Option2_Click(int16_t Index);
    void Command1_Click(int16_t Index);
    void Form_Unload(); // the close button: as Cancel

    static int16_t KeyCodeToIndex(int16_t KeyCode);

    Window TheWindow;
    std::array<std::string, 48> KeyNames;
    std::array<int16_t, 5> Keys1{};
    std::array<int16_t, 5> Keys2{};
    int16_t CurSpeedMode = 0;
    int16_t CurRotateMode = 0;
    std::array<std::string, 4> Text1; // key boxes of player 1
    std::array<std::string, 4> Text2; // key boxes of player 2
    std::array<bool, 2> Option1{};    // speed mode options
    std::array<bool, 2> Option2{};    // rotate mode options

private:
    void Form_Load();
    void ShowKeys();
    void ShowModes();
    // The name a key box shows for a key code (from KeyNames); empty for a
    // key the dialog does not accept.
    std::string KeyName(int16_t KeyCode) const;
    void KeyDown(std::array<int16_t, 5>& keys, std::array<std::string, 4>& boxes, int16_t Index,
                 int16_t KeyCode);

    ControlSettings& settings_;
    Dialogs& dialogs_;
    Sound& sound_;
    ScreenSize screen_;
};

} // namespace tessarin

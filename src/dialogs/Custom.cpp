#include "dialogs/Custom.h"

#include "dialogs/DialogWindow.h"

namespace tessarin {

namespace {

constexpr int kClientWidth = 5595;
constexpr int kClientHeight = 2835;

// The names of the 47 accepted keys, by their index (see KeyCodeToIndex).
// "Papge Up" is the name this dialog has always shown for Page Up.
constexpr const char* kKeyNames[47] = {
    "Space Bar",   "Papge Up",   "Page Down", "End",      "Home",     "Left Arrow", "Up Arrow",
    "Right Arrow", "Down Arrow", "A",         "B",        "C",        "D",          "E",
    "F",           "G",          "H",         "I",        "J",        "K",          "L",
    "M",           "N",          "O",         "P",        "Q",        "R",          "S",
    "T",           "U",          "V",         "W",        "X",        "Y",          "Z",
    "Numpad 0",    "Numpad 1",   "Numpad 2",  "Numpad 3", "Numpad 4", "Numpad 5",   "Numpad 6",
    "Numpad 7",    "Numpad 8",   "Numpad 9",  "Insert",   "Delete"};

bool validBox(int16_t Index) {
    return Index >= 0 && Index <= 3;
}

} // namespace

Custom::Custom(ControlSettings& settings, Dialogs& dialogs, Sound& sound, const ScreenSize& screen)
    : settings_(settings), dialogs_(dialogs), sound_(sound), screen_(screen) {
    TheWindow.Caption = "Custom";
    setDialogClientSize(TheWindow, kClientWidth, kClientHeight);
}

void Custom::Form_Load() {
    TheWindow.Loaded = true;
    TheWindow.Left = screen_.Width / 2 - TheWindow.Width / 2;
    TheWindow.Top = screen_.Height / 2 - TheWindow.Height / 2;
    CurSpeedMode = 0;
    CurRotateMode = 0;
}

void Custom::DoCustom() {
    if (!TheWindow.Loaded)
        Form_Load();

    for (size_t p = 0; p < 2; ++p) {
        const PlayerKeys& k = settings_.Keys[p];
        std::array<int16_t, 5>& working = p == 0 ? Keys1 : Keys2;
        working[0] = k.Left;
        working[1] = k.Right;
        working[2] = k.Down;
        working[3] = k.Rotate;
    }
    ShowKeys();
    ShowModes();

    TheWindow.Visible = true;
    dialogs_.ShowModal(*this);
}

int16_t Custom::KeyCodeToIndex(int16_t KeyCode) {
    if (KeyCode >= 32 && KeyCode <= 40)
        return static_cast<int16_t>(KeyCode - 32);
    if (KeyCode >= 65 && KeyCode <= 90)
        return static_cast<int16_t>(KeyCode - 56);
    if (KeyCode >= 96 && KeyCode <= 105)
        return static_cast<int16_t>(KeyCode - 61);
    if (KeyCode == 45 || KeyCode == 46)
        return KeyCode;
    return -1;
}

std::string Custom::KeyName(int16_t KeyCode) const {
    const int16_t n = KeyCodeToIndex(KeyCode);
    return n < 0 ? std::string() : KeyNames[static_cast<size_t>(n)];
}

void Custom::ShowKeys() {
    for (size_t n = 0; n < 47; ++n)
        KeyNames[n] = kKeyNames[n];
    for (size_t i = 0; i < 4; ++i) {
        Text1[i] = KeyName(Keys1[i]);
        Text2[i] = KeyName(Keys2[i]);
    }
}

void Custom::ShowModes() {
    Option1[0] = CurSpeedMode == 0;
    Option1[1] = CurSpeedMode != 0;
    Option2[0] = CurRotateMode == 0;
    Option2[1] = CurRotateMode != 0;
}

void Custom::Option1_Click(int16_t Index) {
    if (Index < 0 || Index > 1)
        return;
    Option1[static_cast<size_t>(Index)] = true;
    Option1[static_cast<size_t>((Index + 1) % 2)] = false;
}

void Custom::Option2_Click(int16_t Index) {
    if (Index < 0 || Index > 1)
        return;
    Option2[static_cast<size_t>(Index)] = true;
    Option2[static_cast<size_t>((Index + 1) % 2)] = false;
}

void Custom::KeyDown(std::array<int16_t, 5>& keys, std::array<std::string, 4>& boxes, int16_t Index,
                     int16_t KeyCode) {
    if (!validBox(Index))
        return;
    const int16_t n = KeyCodeToIndex(KeyCode);
    if (n >= 0 && n <= 46) {
        keys[static_cast<size_t>(Index)] = KeyCode;
        boxes[static_cast<size_t>(Index)] = KeyNames[static_cast<size_t>(n)];
    } else {
        sound_.PlayWave("Ding.wav");
    }
}

void Custom::Text1_KeyDown(int16_t Index, int16_t KeyCode, int16_t /*Shift*/) {
    KeyDown(Keys1, Text1, Index, KeyCode);
}

void Custom::Text2_KeyDown(int16_t Index, int16_t KeyCode, int16_t /*Shift*/) {
    KeyDown(Keys2, Text2, Index, KeyCode);
}

void Custom::Command1_Click(int16_t Index) {
    if (Index == 1) { // Cancel
        TheWindow.Visible = false;
        return;
    }
    if (Index != 0)
        return;

    // Ok. The modes are stored first, so they hold even when the keys are
    // refused below.
    CurSpeedMode = Option1[0] ? 0 : 1;
    settings_.SpeedMode = CurSpeedMode;
    CurRotateMode = Option2[0] ? 0 : 1;
    settings_.RotateMode = CurRotateMode;

    static const std::string kDuplicate = "Duplicate Control Key!\r\n\r\nSelect Again";
    for (size_t i = 0; i <= 2; ++i) {
        for (size_t j = i + 1; j <= 3; ++j) {
            if (Keys1[i] == Keys1[j] || Keys2[i] == Keys2[j]) {
                dialogs_.SystemMessage(kDuplicate, kApplicationTitle);
                return;
            }
        }
    }
    for (size_t i = 0; i <= 3; ++i) {
        for (size_t j = 0; j <= 3; ++j) {
            if (Keys1[i] == Keys2[j]) {
                dialogs_.SystemMessage(kDuplicate, kApplicationTitle);
                return;
            }
        }
    }

    settings_.Keys[0] = PlayerKeys{Keys1[0], Keys1[1], Keys1[2], Keys1[3]};
    settings_.Keys[1] = PlayerKeys{Keys2[0], Keys2[1], Keys2[2], Keys2[3]};
    TheWindow.Visible = false;
}

void Custom::Form_Unload() {
    Command1_Click(1);
}

} // namespace tessarin

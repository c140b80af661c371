#pragma once

#include "platform/WindowElements.h"

#include <string>

namespace tessarin {

// The name-input window: a prompt, one line of text, Ok and Cancel. The
// confirmed flag tells how it was left: Ok sets it, Cancel and any other
// way of closing clear it.
class InputForm {
public:
    static constexpr int kClientWidth = 3855;
    static constexpr int kClientHeight = 1935;

    Window TheWindow;
    Label Label1;          // the prompt, at 300, 360, sized to its text
    std::string Text1;     // the text box: 300, 600, 3135 x 285
    char PasswordChar = 0; // 0: characters shown as typed
    int SelStart = 0;
    int SelLength = 0;
    bool Confirmed = false;

    InputForm();
    void Form_Load(const ScreenSize& screen); // first show only: centres the window
    void Text1_GotFocus();                    // selects the whole text
    void cmdOk_Click();
    void cmdCancel_Click();
    void Form_Unload() { cmdCancel_Click(); } // the close button
};

// The message window: one short text in large type until the player
// dismisses it with Enter, Space or a click on the message or the margin.
class MessageForm {
public:
    static constexpr int kClientWidth = 3975;
    static constexpr int kClientHeight = 1890;

    Window TheWindow;
    Label Label1; // in the frame at 120, 720: 3495 x 375, centred

    MessageForm();
    void Form_KeyDown(int16_t KeyCode, int16_t Shift);
    void Form_Click();     // the margin outside the frame
    void Label1_Click();   // the message text
    void Frame1_Click() {} // the rest of the frame does nothing
    void Form_Unload() { TheWindow.Visible = false; }
};

} // namespace tessarin

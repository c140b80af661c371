#pragma once

#include "dialogs/Dialogs.h"
#include "dialogs/Forms.h"
#include "platform/Sound.h"

#include <string>

namespace tessarin {

// Asks for one line of text (a player's name) in the name-input window.
class InputBox {
public:
    InputBox(Dialogs& dialogs, Sound& sound, const ScreenSize& screen);
    // Shows the window modally; returns the text as entered when Ok was
    // pressed, Default otherwise.
    std::string InputDlg(std::string Title, std::string Prompt, std::string Default, int16_t Style);
    InputForm& Form() { return form_; }

private:
    Dialogs& dialogs_;
    Sound& sound_;
    ScreenSize screen_;
    InputForm form_;
};

} // namespace tessarin

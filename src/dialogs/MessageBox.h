#pragma once

#include "dialogs/Dialogs.h"
#include "dialogs/Forms.h"
#include "platform/Sound.h"

#include <string>

namespace tessarin {

// Shows one short message in large type until the player dismisses it.
class MessageBox {
public:
    MessageBox(Dialogs& dialogs, Sound& sound, const ScreenSize& screen);
    void setFontSize(double points);
    void Show(const std::string& text);
    MessageForm& Form() { return form_; }

private:
    Dialogs& dialogs_;
    Sound& sound_;
    ScreenSize screen_;
    MessageForm form_;
};

} // namespace tessarin

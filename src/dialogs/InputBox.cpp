#include "dialogs/InputBox.h"

namespace tessarin {

InputBox::InputBox(Dialogs& dialogs, Sound& sound, const ScreenSize& screen)
    : dialogs_(dialogs), sound_(sound), screen_(screen) {}

std::string InputBox::InputDlg(std::string Title, std::string Prompt, std::string Default,
                               int16_t Style) {
    // The window is created (and centred) the first time it is used.
    if (!form_.TheWindow.Loaded)
        form_.Form_Load(screen_);

    form_.TheWindow.Caption = Title;
    form_.Label1.Caption = Prompt;
    if (Style != 0) {
        form_.PasswordChar = '*';
        form_.Text1.clear();
    } else {
        form_.PasswordChar = 0;
        form_.Text1 = Default;
    }
    sound_.PlayWave("message.wav");

    // Only Ok confirms; any other way out of this show does not, whatever
    // the previous show ended with.
    form_.Confirmed = false;
    // The window opens with the focus in the text box, its text selected.
    form_.Text1_GotFocus();
    form_.TheWindow.Visible = true;
    dialogs_.ShowModal(form_);

    return form_.Confirmed ? form_.Text1 : Default;
}

} // namespace tessarin

#include "dialogs/MessageBox.h"

#include <cmath>

namespace tessarin {

MessageBox::MessageBox(Dialogs& dialogs, Sound& sound, const ScreenSize& screen)
    : dialogs_(dialogs), sound_(sound), screen_(screen) {}

void MessageBox::setFontSize(double points) {
    form_.Label1.TheFont.Size = points;
}

void MessageBox::Show(const std::string& text) {
    Window& window = form_.TheWindow;
    window.Loaded = true;

    // Centred on the screen on every call, by the window's outer size.
    const int centreX = static_cast<int>(std::lround(screen_.Width / 2.0));
    const int centreY = static_cast<int>(std::lround(screen_.Height / 2.0));
    window.Left = centreX - window.Width / 2;
    window.Top = centreY - window.Height / 2;

    form_.Label1.Caption = text;
    sound_.PlayWave("chord.wav");

    window.Visible = true;
    dialogs_.ShowModal(form_);
}

} // namespace tessarin

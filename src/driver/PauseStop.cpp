// Pause, Stop, repainting and closing the window.
#include "driver/Tessarin.h"

namespace tessarin {

void Tessarin::mnuPause_Click() {
    const HandlerScope scope(*this);
    if (Ended)
        return;
    MenuItem& pause = mnu("mnuPause");
    pause.Checked = !pause.Checked;
    // Pause stays on the menu during the game-over curtain, but a game that
    // has ended does not start to fall again.
    if (!Playing)
        return;
    // Each fall timer is inverted on its own, so resuming restores the
    // state each one had.
    if (Mode == kStandard) {
        tmrMain[0]->setEnabled(!tmrMain[0]->Enabled());
    } else if (Mode == kCooperation || Mode == kDuel) {
        tmrMain[0]->setEnabled(!tmrMain[0]->Enabled());
        tmrMain[1]->setEnabled(!tmrMain[1]->Enabled());
    }
    // The computer pauses with the fall and goes on with it.
    syncComputer();
}

void Tessarin::mnuStop_Click() {
    const HandlerScope scope(*this);
    // Stop stays on the menu during the game-over curtain; a game that has
    // already ended is not ended (and counted) a second time.
    if (Ended || !Playing)
        return;
    GameOver();
}

void Tessarin::Form_Paint() {
    const HandlerScope scope(*this);
    if (Ended || !Playing)
        return;
    auto repaint = [](const std::unique_ptr<Canvas>& c) {
        if (c)
            c->Repaint();
    };
    switch (Mode) {
    case kStandard:
        repaint(Fields[0]);
        repaint(PreviewFields[0]);
        break;
    case kCooperation:
        repaint(Fields[0]);
        repaint(PreviewFields[0]);
        repaint(PreviewFields[1]);
        break;
    case kDuel:
        repaint(Fields[0]);
        repaint(Fields[1]);
        repaint(PreviewFields[0]);
        repaint(PreviewFields[1]);
        break;
    default:
        break;
    }
}

void Tessarin::picCanvas_Paint(int16_t /*Index*/) {
    const HandlerScope scope(*this);
    Form_Paint();
}

// The program ends at once: no timer ticks and no event is handled any more.
// The mode's objects go as the outermost handler returns (this one, unless
// the window was closed from a dialog that a handler opened).
void Tessarin::Form_Unload() {
    const HandlerScope scope(*this);
    if (Ended)
        return;
    for (int i = 0; i < 2; ++i) {
        tmrMain[i]->setEnabled(false);
        tmrDelete[i]->setEnabled(false);
        tmrBlink[i]->setEnabled(false);
        tmrPreBlink[i]->setEnabled(false);
    }
    tmrGameOver->setEnabled(false);
    tmrComputer->setEnabled(false);
    Playing = false;
    Ended = true;
    releasePending_ = true;
    services_.dialogs.EndProgram();
}

Tessarin::HandlerScope::~HandlerScope() {
    if (--window_.handlerDepth_ > 0 || !window_.releasePending_)
        return;
    window_.releasePending_ = false;
    window_.releaseModeObjects();
}

} // namespace tessarin

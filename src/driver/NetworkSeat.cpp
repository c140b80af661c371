// Player 2's seat taken by a person at another machine, and given back.
#include "driver/Tessarin.h"

namespace tessarin {

void Tessarin::SeatRemotePlayer(const std::string& name) {
    const HandlerScope scope(*this);
    if (Ended)
        return;
    // The computer gives up the seat (and its name).
    mnuSeat_Click(Seat::Keyboard);
    newDuelSeries();
    Player2Seat.kind = Seat::Remote;
    Player2Name = name;
    syncSeatMenu();
}

void Tessarin::RemotePlayerLeft(const std::string& text) {
    const HandlerScope scope(*this);
    if (Ended || !Player2Seat.remote())
        return;
    // The seat is given back first, so that nothing the dialog lets happen
    // meanwhile is taken for the joiner's.
    Player2Seat.kind = Seat::Keyboard;
    syncSeatMenu();
    if (!text.empty()) {
        if (Playing && !mnu("mnuPause").Checked)
            mnuPause_Click();
        dialogs_.SystemMessage(text, "Tessarin");
        if (Ended)
            return;
    }
    // The game the joiner played ends as Stop ends it (nobody wins); its
    // results keep the joiner's name, which stays player 2's until the
    // next set-up asks for it.
    if (Playing) {
        if (mnu("mnuPause").Checked)
            mnuPause_Click();
        mnuStop_Click();
    }
    // The series against the joiner ends with them (the stopped duel still
    // counted in it); whoever plays player 2 next starts a new one.
    newDuelSeries();
}

} // namespace tessarin

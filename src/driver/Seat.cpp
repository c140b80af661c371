// Player 2's seat: who plays player 2, the names that go with it, the keys
// of this machine's keyboard, and the computer's keys.
#include "driver/PlayerViews.h"
#include "driver/Tessarin.h"

#include <algorithm>

namespace tessarin {

namespace {

// The computer's own choices start from the same state at every start of
// the program, a different one for each strength.
constexpr uint64_t kComputerSeed = 0x7e55a21;
// Its first look once it may play, and the longest it waits between two.
constexpr int kFirstLookMs = 50;
constexpr int64_t kLongestWaitMs = 5000;

bool isKeyOf(const PlayerKeys& k, int16_t code) {
    return code == k.Left || code == k.Right || code == k.Down || code == k.Rotate;
}

} // namespace

void Tessarin::mnuSeat_Click(int16_t Index) {
    const HandlerScope scope(*this);
    if (Ended || Player2Seat.remote() || Index < 0 || Index >= Seat::kKinds ||
        Index == Player2Seat.kind)
        return;
    const bool wasComputer = Player2Seat.computer();
    Player2Seat.kind = static_cast<Seat::Kind>(Index);
    // The computer goes by its own name; the person at the keyboard gets
    // back the name they had.
    if (Player2Seat.computer() && !wasComputer) {
        keyboardPlayer2Name_ = Player2Name;
        Player2Name = Seat::kComputerName;
    } else if (!Player2Seat.computer() && wasComputer) {
        Player2Name = keyboardPlayer2Name_;
    }
    newDuelSeries();
    Computer.reset();
    if (Player2Seat.computer())
        Computer = std::make_unique<ComputerPlayer>(Player2Seat.strength(),
                                                    kComputerSeed + static_cast<uint64_t>(Index));
    syncSeatMenu();
    syncComputer();
}

void Tessarin::startDuelSeriesIfPlayer2Changed() {
    if (seriesPlayer2_ == player2Changes_)
        return;
    seriesPlayer2_ = player2Changes_;
    DuelTally = DuelTallyTable{};
}

// The seat's items: the kind ticked, and choosable between games. While a
// person at another machine has the seat none is ticked and none can be
// chosen.
void Tessarin::syncSeatMenu() {
    for (int16_t i = 0; i < Seat::kKinds; ++i) {
        mnu("mnuSeat", i).Checked = i == Player2Seat.kind;
        mnu("mnuSeat", i).Enabled = seatChoosable_ && !Player2Seat.remote();
    }
}

void Tessarin::Keyboard_KeyDown(int16_t KeyCode, int16_t Shift) {
    // In Standard there is no player 2: both key sets steer the one piece.
    const bool twoPlayers = Mode == kDuel || Mode == kCooperation;
    if (twoPlayers && !Player2Seat.takesKeyboard() && isKeyOf(Controls.Keys[1], KeyCode))
        return;
    Form_KeyDown(KeyCode, Shift);
}

// The computer plays while there is a game for it to play: not paused, not
// over (the message and the curtain come after Playing ends), and with no
// dialog open.
bool Tessarin::computerMayPlay() const {
    return !Ended && Computer && Playing && (Mode == kDuel || Mode == kCooperation) && Squares[1] &&
           tmrMain[0]->Enabled() && dialogs_.open() == 0;
}

void Tessarin::syncComputer() {
    if (!tmrComputer)
        return;
    const bool on = computerMayPlay();
    if (on == tmrComputer->Enabled())
        return;
    if (on)
        tmrComputer->setInterval(kFirstLookMs);
    tmrComputer->setEnabled(on);
}

void Tessarin::tmrComputer_Timer() {
    const HandlerScope scope(*this);
    if (!computerMayPlay()) {
        tmrComputer->setEnabled(false);
        return;
    }
    computerClock_ += tmrComputer->Interval();
    const Decision d = Computer->decide(ViewOf(*this, 1), computerClock_);
    if (d.action != KeyAction::None)
        Form_KeyDown(KeyFor(Controls.Keys[1], d.action), 0);
    if (tmrComputer->Enabled())
        tmrComputer->setInterval(
            static_cast<int>(std::clamp<int64_t>(d.nextAt - computerClock_, 1, kLongestWaitMs)));
}

} // namespace tessarin

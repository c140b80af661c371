// The option and skill menus, the names, the dialogs reached from the
// menus, help and Exit.
#include "driver/Tessarin.h"

namespace tessarin {

namespace {
constexpr int16_t kLevels = 12;
constexpr int16_t kSpeeds = 10;
} // namespace

void Tessarin::mnuLevel_Click(int16_t Index) {
    const HandlerScope scope(*this);
    if (Ended)
        return;
    // Only the menu's own items choose a level.
    if (Index < 0 || Index >= kLevels)
        return;
    Level = Index;
    for (int i = 0; i < kLevels; ++i)
        mnu("mnuLevel", i).Checked = i == Index;
}

void Tessarin::mnuSpeed_Click(int16_t Index) {
    const HandlerScope scope(*this);
    if (Ended)
        return;
    // Speed indexes the fall intervals: nothing outside the menu's items.
    if (Index < 0 || Index >= kSpeeds)
        return;
    Speed = Index;
    for (int i = 0; i < kSpeeds; ++i)
        mnu("mnuSpeed", i).Checked = i == Index;
}

void Tessarin::mnuSound_Click() {
    const HandlerScope scope(*this);
    if (Ended)
        return;
    Sound = !Sound;
    mnu("mnuSound").Checked = Sound;
    // The falling pieces there are now hear it at once; every later piece
    // takes the setting when it starts to fall.
    for (int i = 0; i < playerCount(); ++i)
        if (Squares[i])
            Squares[i]->setSound(Sound);
}

void Tessarin::mnuPreview_Click() {
    const HandlerScope scope(*this);
    if (Ended)
        return;
    Preview = !Preview;
    mnu("mnuPreview").Checked = Preview;
    // Only the surfaces change; the next pieces are still drawn on them.
    for (int i = 0; i < playerCount(); ++i)
        if (picPreviewer[i]) {
            picPreviewer[i]->setVisible(Preview);
            picPreviewer[i]->ZOrder();
        }
}

void Tessarin::mnuGameA_Click() {
    const HandlerScope scope(*this);
    if (Ended)
        return;
    GameType = "A";
    lblGame.Caption = "A";
    ShapeCount = 7;
    mnu("mnuGameA").Checked = true;
    mnu("mnuGameB").Checked = false;
}

void Tessarin::mnuGameB_Click() {
    const HandlerScope scope(*this);
    if (Ended)
        return;
    GameType = "B";
    lblGame.Caption = "B";
    ShapeCount = 16;
    mnu("mnuGameA").Checked = false;
    mnu("mnuGameB").Checked = true;
}

// Cancel keeps a name; the window caption shows the mode, never the names.
void Tessarin::mnuChangeName_Click() {
    const HandlerScope scope(*this);
    if (Ended)
        return;
    if (Mode == kStandard || Mode == kDuel || Mode == kCooperation)
        askNames(Mode != kStandard);
}

void Tessarin::mnuBestScore_Click() {
    const HandlerScope scope(*this);
    if (Ended)
        return;
    if (!TheDuelResult)
        TheDuelResult = std::make_unique<DuelResult>(dialogs_, services_.sound, services_.screen);
    TheDuelResult->ShowRecord(TheRecords);
}

void Tessarin::mnuDuelResult_Click() {
    const HandlerScope scope(*this);
    if (Ended)
        return;
    if (!TheDuelResult)
        TheDuelResult = std::make_unique<DuelResult>(dialogs_, services_.sound, services_.screen);
    TheDuelResult->ShowDuelResult(DuelTally);
}

void Tessarin::mnuCustom_Click() {
    const HandlerScope scope(*this);
    if (Ended)
        return;
    if (!TheCustom)
        TheCustom = std::make_unique<Custom>(Controls, dialogs_, services_.sound, services_.screen);
    TheCustom->DoCustom();
}

// The help viewer runs on its own; where it cannot be started the game's
// own How to Play window opens instead.
void Tessarin::mnuHow_Click() {
    const HandlerScope scope(*this);
    if (Ended)
        return;
    if (!services_.dialogs.StartProgram("winhelp TESSARIN30.HLP"))
        services_.dialogs.ShowHelp();
}

void Tessarin::mnuAbout_Click() {
    const HandlerScope scope(*this);
    if (Ended)
        return;
    // The about sound plays whatever the Sound setting, before the box opens.
    services_.sound.PlayWave("about.wav");
    if (!TheAbout)
        TheAbout = std::make_unique<About>(services_.screen);
    TheAbout->Show(dialogs_);
}

// Ends the program at once: no unload handling, nothing written.
void Tessarin::mnuExit_Click() {
    const HandlerScope scope(*this);
    if (Ended)
        return;
    Ended = true;
    tmrComputer->setEnabled(false);
    services_.dialogs.EndProgram();
}

// Which items can be chosen, by where the game stands: between games
// everything that sets a game up, except the command of the mode in play
// (and whatever needs a mode, before the first); during a game only Pause
// and Stop, and the items the menu bar itself rests.
void Tessarin::applyMenuPhase(MenuPhase phase, int16_t mode) {
    const bool playing = phase == MenuPhase::Playing;
    const bool settable = phase == MenuPhase::BetweenGames;
    const std::pair<const char*, bool> items[] = {
        {"mnuOnePlayer", !playing && mode != kStandard},
        {"mnuTwoPlayers", !playing},
        {"mnuDuel", mode != kDuel},
        {"mnuCooperation", mode != kCooperation},
        {"mnuDuelResult", mode == kDuel},
        {"mnuBestScore", !playing},
        {"mnuPause", playing},
        {"mnuStop", playing},
        {"mnuNewGame", settable},
        {"mnuChangeName", settable},
        {"mnuLevel0", settable},
        {"mnuSpeed0", settable},
        {"mnuPreview", settable},
        {"mnuGameA", settable},
        {"mnuGameB", settable},
        {"mnuCustom", settable},
    };
    for (const auto& [name, enabled] : items)
        setEnabled(name, enabled);
    seatChoosable_ = !playing;
    syncSeatMenu();
}

} // namespace tessarin

#pragma once

#include "dialogs/Dialogs.h"
#include "game/DuelTally.h"
#include "game/Records.h"
#include "platform/Sound.h"
#include "platform/WindowElements.h"

#include <string>
#include <vector>

namespace tessarin {

// The records and duel results window: a grid of labels built for the
// table on show and removed again by Ok.
class DuelResult {
public:
    // The window's background, light grey.
    static constexpr uint32_t kBackColor = rgb(192, 192, 192);

    DuelResult(Dialogs& dialogs, Sound& sound, const ScreenSize& screen);
    void ShowRecord(const Records& records);
    void ShowDuelResult(const DuelTallyTable& tally);

    void Command1_Click();
    void Form_Unload(); // closing the window acts as Ok
    void Form_Resize();

    Window TheWindow;
    Label Command1; // the Ok button's geometry ("&Ok")
    std::vector<Label> lblSide;
    std::vector<Label> lblHeader;
    std::vector<Label> lblCell;

private:
    void BuildGrid(int16_t Rows, int16_t Cols, const std::string& Kind);
    void ClearGrid(int16_t Rows, int16_t Cols, const std::string& Kind);
    void KeepDesignLabelsOnly();

    Dialogs& dialogs_;
    Sound& sound_;
    ScreenSize screen_;
};

} // namespace tessarin

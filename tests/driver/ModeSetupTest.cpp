#include "support/GameFixture.h"

#include <map>

using namespace tessarin;

namespace {

// Each mode as the player sees it (see seen()).
const std::map<int16_t, std::string> kSeen = {
    {Tessarin::kStandard,
     "0 Tessarin (Standard) 6670x6105 0,0|mnuOnePlayer mnuPause mnuStop mnuDuelResult |1060,510 "
     "2700x4380 shown|4360,510 1020x1020 shown|4495,3090 4495,3690 4495,4170 4495,4650 5050,3030 "
     "5050,3630 5050,4110 5050,4590 "},
    {Tessarin::kDuel,
     "2 Tessarin (Duel) 9435x6105 0,0|mnuDuel mnuPause mnuStop |510,510 2700x4380 shown|3510,510 "
     "1020x1020 shown|6060,510 2700x4380 shown|4710,510 1020x1020 shown|4320,3090 4320,3690 "
     "4320,4170 4320,4650 4875,3030 3675,3630 3675,4110 3675,4590 4875,3630 4875,4110 4875,4590 "},
    {Tessarin::kCooperation,
     "1 Tessarin (Cooperation) 8235x6255 0,0|mnuCooperation mnuPause mnuStop mnuDuelResult "
     "|2410,560 3660x4380 shown|1000,560 1020x1020 shown|6460,560 1020x1020 shown|670,3090 "
     "670,3690 670,4170 670,4650 1225,3030 1225,3630 1225,4110 1225,4590 "}};

} // namespace

class ModeSetup : public GameFixture {
protected:
    // The menu items that are checked, or that are disabled.
    static std::string menuItems(const std::vector<MenuItem>& items, bool checked) {
        std::string out;
        for (const MenuItem& m : items)
            out += ((checked ? m.Checked : !m.Enabled)
                        ? m.Name + (m.Index < 0 ? "" : std::to_string(m.Index)) + " "
                        : "") +
                   menuItems(m.Items, checked);
        return out;
    }
    // Mode, caption, size, offset from the centre of the screen, disabled menu
    // items, surfaces, the places of the labels that show.
    std::string seen() {
        const Window& w = game->TheWindow;
        std::string s = std::to_string(game->Mode) + " " + w.Caption + " " +
                        std::to_string(w.Width) + "x" + std::to_string(w.Height) + " " +
                        std::to_string(w.Left - (screen.Width / 2 - w.Width / 2)) + "," +
                        std::to_string(w.Top - (screen.Height / 2 - w.Height / 2));
        s += (w.Visible ? "|" : " hidden|") + menuItems(game->Menus.Bar, false);
        for (Surface* x : game->surfaces())
            s += "|" + pos(*x);
        s += "|";
        for (const Label* l : game->labels())
            s += l->Visible ? std::to_string(l->Left) + "," + std::to_string(l->Top) + " " : "";
        return s;
    }
};

TEST_F(ModeSetup, StartUpShowsOnlyTheBannerAndWaitsForAMode) {
    Tessarin& g = *game;
    EXPECT_EQ(seen(), "4 Tessarin 4005x2370 0,0|mnuNewGame mnuPause mnuStop mnuChangeName "
                      "mnuDuelResult mnuLevel0 mnuSpeed0 mnuPreview mnuGameA mnuGameB mnuCustom "
                      "|0,0 0x0 hidden|0,0 0x0 hidden|1440,360 915,697 1620,1200 ");
    EXPECT_EQ(menuItems(g.Menus.Bar, true),
              "mnuSeat0 mnuLevel0 mnuSpeed0 mnuSound mnuPreview mnuGameA ");
    EXPECT_EQ(g.Player1Name + "/" + g.Player2Name + "/" + g.lblGame.Caption, "Player1/Player2/A");
    EXPECT_TRUE(g.Controls.Keys[0] == (PlayerKeys{65, 68, 83, 87}) && !g.Controls.SpeedMode &&
                g.Controls.Keys[1] == (PlayerKeys{97, 99, 98, 101}) && !g.Controls.RotateMode &&
                timers.untilNext() == -1);
}

TEST_F(ModeSetup, EveryModeFromStartUpAndFromEveryOtherMode) {
    std::map<int16_t, std::string> fromStart;
    for (int16_t previous :
         {Tessarin::kNoMode, Tessarin::kStandard, Tessarin::kDuel, Tessarin::kCooperation})
        for (const auto& [mode, view] : kSeen) {
            if (mode == previous)
                continue; // the command of the mode in force is disabled
            SCOPED_TRACE(std::to_string(previous) + " to " + std::to_string(mode));
            restart();
            choose(previous);
            for (auto* t : {&game->tmrMain, &game->tmrBlink, &game->tmrPreBlink})
                for (auto& timer : *t)
                    timer->setEnabled(true);
            if (previous != Tessarin::kNoMode) { // a game's worth of state in the old objects
                game->Fields[0]->setScore(900);
                game->Squares[0]->setx(7);
            }
            choose(mode);
            const Tessarin& g = *game;
            EXPECT_EQ(seen(), view);
            // Fields, previews and pieces, each wired to its surface and timers.
            const int fields = mode == Tessarin::kDuel ? 2 : 1;
            const int players = mode == Tessarin::kStandard ? 1 : 2;
            const int16_t columns = mode == Tessarin::kCooperation ? 15 : 11;
            for (int i = 0; i < Tessarin::kPlayers; ++i) {
                ASSERT_EQ(g.Fields[i] != nullptr, i < fields) << i;
                for (bool made : {!!g.PreviewFields[i], !!g.Squares[i], !!g.Previews[i]})
                    ASSERT_EQ(made, i < players) << i;
                const Canvas* f = g.Fields[i].get();
                EXPECT_TRUE(!f || (f->Columns() == columns && f->Rows() == 18 &&
                                   f->PicOutput() == g.picCanvas[i].get() &&
                                   f->picBlack() == &g.Images.picBlack &&
                                   f->DeleteTimer() == g.tmrDelete[i].get() &&
                                   f->MainTimer() == (players == 1 ? g.tmrMain[0].get() : nullptr)))
                    << i;
                const Canvas* p = g.PreviewFields[i].get();
                EXPECT_TRUE(!p ||
                            (p->Columns() == 4 && p->Rows() == 4 && !p->DeleteTimer() &&
                             p->PicOutput() == g.picPreviewer[i].get() &&
                             g.Squares[i]->BlinkTimer() == g.tmrBlink[i].get() &&
                             g.Squares[i]->TheCanvas() == g.Fields[fields == 2 ? i : 0].get() &&
                             g.Previews[i]->BlinkTimer() == g.tmrPreBlink[i].get() &&
                             g.Previews[i]->TheCanvas() == p))
                    << i;
            }
            EXPECT_TRUE(timers.untilNext() == -1 && g.Fields[0]->Score() == 0 &&
                        g.Squares[0]->x() == 0);
            if (previous == Tessarin::kNoMode)
                fromStart[mode] = snapshot();
            EXPECT_EQ(snapshot(), fromStart[mode]); // nothing else of the previous mode is left
        }
}

TEST_F(ModeSetup, SwitchKeepsNamesAndSettings) {
    Tessarin& g = *game;
    bool switching = true; // names asked for a mode while the window is hidden
    dialogs.whileOpen = [&] { EXPECT_NE(g.TheWindow.Visible, switching); };
    choose(Tessarin::kStandard, {"Ann"});
    switching = false;
    typeName("Al"); // Change Name asks the one player
    g.Click("mnuChangeName");
    switching = true;
    choose(Tessarin::kDuel, {"Bob", ""}); // an emptied name confirmed with Ok is the empty name
    g.mnuLevel_Click(5);
    g.mnuPreview_Click();            // the previews stay hidden in the next mode
    g.lblScore[0]->Caption = " 900"; // kept until the game writes it
    cancelName("Zed");               // Cancel keeps the name even after it was edited
    typeName("Cy");
    choose(Tessarin::kCooperation);
    EXPECT_TRUE(!g.picPreviewer[0]->Visible() && !g.picPreviewer[1]->Visible() &&
                g.picCanvas[0]->Visible() && g.lblScore[0]->Caption == " 900" &&
                g.TheWindow.Caption == "Tessarin (Cooperation)"); // never the names
    EXPECT_EQ(menuItems(g.Menus.Bar, true), "mnuSeat0 mnuLevel5 mnuSpeed0 mnuSound mnuGameA ");
    cancelName("Dee");
    cancelName("");
    choose(Tessarin::kDuel);
    EXPECT_EQ(g.Player1Name + "/" + g.Player2Name, "Bob/Cy");
    const std::string one = "Input Name", p1 = one + "--Player1", p2 = one + "--Player2";
    EXPECT_EQ(dialogs.inputCaptions(),
              (std::vector<std::string>{one, one, p1, p2, p1, p2, p1, p2}));
    EXPECT_EQ(dialogs.inputBoxes(), (std::vector<std::string>{"Player1", "Ann", "Al", "Player2",
                                                              "Bob", "", "Bob", "Cy"}));
}

#include "support/GameFixture.h"

#include <map>
#include <optional>

using namespace tessarin;

namespace {

struct Box {
    int left, top, width, height;
};

struct Layout {
    int16_t mode;
    const char* caption;
    int width, height;
    Box canvas0, previewer0;
    std::optional<Box> previewer1, canvas1;
    int valueLeft; // player 1's values
    int edge;      // right edge of the row titles; lblGame and player 2's values
};

const Layout& layoutOf(int16_t mode) {
    static const std::map<int16_t, Layout> layouts{
        {Tessarin::kStandard,
         {Tessarin::kStandard,
          "Tessarin (Standard)",
          6670,
          6105,
          {1060, 510, 2700, 4380},
          {4360, 510, 1020, 1020},
          std::nullopt,
          std::nullopt,
          5050,
          5050}},
        {Tessarin::kDuel,
         {Tessarin::kDuel,
          "Tessarin (Duel)",
          9435,
          6105,
          {510, 510, 2700, 4380},
          {3510, 510, 1020, 1020},
          Box{4710, 510, 1020, 1020},
          Box{6060, 510, 2700, 4380},
          3675,
          4875}},
        {Tessarin::kCooperation,
         {Tessarin::kCooperation,
          "Tessarin (Cooperation)",
          8235,
          6255,
          {2410, 560, 3660, 4380},
          {1000, 560, 1020, 1020},
          Box{6460, 560, 1020, 1020},
          std::nullopt,
          1225,
          1225}},
    };
    return layouts.at(mode);
}

const char* modeName(int16_t mode) {
    switch (mode) {
    case Tessarin::kStandard:
        return "Standard";
    case Tessarin::kDuel:
        return "Duel";
    case Tessarin::kCooperation:
        return "Cooperation";
    default:
        return "none";
    }
}

} // namespace

class ModeSetup : public GameFixture {
protected:
    void expectBox(const Surface* s, const Box& b, bool visible, const char* what) {
        ASSERT_NE(s, nullptr) << what;
        EXPECT_EQ(pos(*s), std::to_string(b.left) + "," + std::to_string(b.top) + " " +
                               std::to_string(b.width) + "x" + std::to_string(b.height) +
                               (visible ? " shown" : " hidden"))
            << what;
    }

    // Window, surfaces and labels of a mode, as the layout tables give them.
    void expectLayout(int16_t mode) {
        const Layout& L = layoutOf(mode);
        SCOPED_TRACE(L.caption);
        Tessarin& g = *game;
        EXPECT_EQ(g.Mode, mode);
        EXPECT_EQ(g.TheWindow.Caption, L.caption);
        EXPECT_TRUE(g.TheWindow.Visible);
        EXPECT_EQ(g.TheWindow.Width, L.width);
        EXPECT_EQ(g.TheWindow.Height, L.height);
        EXPECT_EQ(g.TheWindow.Left, screen.Width / 2 - L.width / 2);
        EXPECT_EQ(g.TheWindow.Top, screen.Height / 2 - L.height / 2);
        EXPECT_FALSE(g.Label1.Visible || g.Label2.Visible || g.Label3.Visible);

        expectBox(g.picCanvas[0].get(), L.canvas0, true, "picCanvas(0)");
        expectBox(g.picPreviewer[0].get(), L.previewer0, g.Preview, "picPreviewer(0)");
        if (L.canvas1) {
            expectBox(g.picCanvas[1].get(), *L.canvas1, true, "picCanvas(1)");
        } else {
            EXPECT_EQ(g.picCanvas[1], nullptr);
        }
        if (L.previewer1) {
            expectBox(g.picPreviewer[1].get(), *L.previewer1, g.Preview, "picPreviewer(1)");
        } else {
            EXPECT_EQ(g.picPreviewer[1], nullptr);
        }
        EXPECT_EQ(g.surfaces().size(), 2u + (L.canvas1 ? 1 : 0) + (L.previewer1 ? 1 : 0));
        // Previews lie above the fields; the second field above the first.
        for (const auto& p : g.picPreviewer)
            for (const auto& c : g.picCanvas)
                if (p && c) {
                    EXPECT_GT(p->Stacking(), c->Stacking());
                }
        if (g.picCanvas[1]) {
            EXPECT_GT(g.picCanvas[1]->Stacking(), g.picCanvas[0]->Stacking());
        }

        // Labels: only the left edges move; every label of the mode shows.
        const int edge = L.edge;
        const std::vector<std::pair<const Label*, std::string>> want{
            {&g.lblGame0, std::to_string(edge - 555) + ",3090 555x195 shown"},
            {&g.lblSpeed0, std::to_string(edge - 555) + ",3690 555x195 shown"},
            {&g.lblLines0, std::to_string(edge - 555) + ",4170 555x195 shown"},
            {&g.lblScore0, std::to_string(edge - 555) + ",4650 555x195 shown"},
            {&g.lblGame, std::to_string(edge) + ",3030 465x255 shown"},
            {g.lblSpeed[0].get(), std::to_string(L.valueLeft) + ",3630 645x255 shown"},
            {g.lblLines[0].get(), std::to_string(L.valueLeft) + ",4110 645x255 shown"},
            {g.lblScore[0].get(), std::to_string(L.valueLeft) + ",4590 645x255 shown"},
        };
        for (const auto& [label, where] : want)
            EXPECT_EQ(pos(*label), where) << label->Name;
        for (const auto* second : {&g.lblSpeed, &g.lblLines, &g.lblScore}) {
            if (mode != Tessarin::kDuel) {
                EXPECT_EQ((*second)[1], nullptr);
                continue;
            }
            ASSERT_NE((*second)[1], nullptr);
            const Label& l = *(*second)[1];
            EXPECT_EQ(l.Left, edge);
            EXPECT_TRUE(l.Visible);
            // A copy of element 0 in everything but its place.
            Label moved = l;
            moved.Left = (*second)[0]->Left;
            EXPECT_EQ(pos(moved), pos(*(*second)[0]));
            EXPECT_EQ(l.BackColor, (*second)[0]->BackColor);
            EXPECT_EQ(l.Border, (*second)[0]->Border);
        }
        EXPECT_EQ(g.labels().size(), mode == Tessarin::kDuel ? 14u : 11u);
    }

    // Fields, previews and pieces of a mode, each wired to its surface and
    // timers.
    void expectObjects(int16_t mode) {
        SCOPED_TRACE(modeName(mode));
        Tessarin& g = *game;
        const int fields = mode == Tessarin::kDuel ? 2 : 1;
        const int players = mode == Tessarin::kStandard ? 1 : 2;
        const int16_t columns = mode == Tessarin::kCooperation ? 15 : 11;
        for (int i = 0; i < 3; ++i) {
            SCOPED_TRACE(i);
            if (i >= fields) {
                EXPECT_EQ(g.Fields[i], nullptr);
            } else {
                ASSERT_NE(g.Fields[i], nullptr);
                const Canvas& f = *g.Fields[i];
                EXPECT_EQ(f.Columns(), columns);
                EXPECT_EQ(f.Rows(), 18);
                EXPECT_EQ(f.PicOutput(), g.picCanvas[i].get());
                EXPECT_EQ(f.picBlack(), &g.Images.picBlack);
                EXPECT_EQ(f.DeleteTimer(), g.tmrDelete[i].get());
                EXPECT_EQ(f.MainTimer(),
                          mode == Tessarin::kStandard ? g.tmrMain[0].get() : nullptr);
                // The surface holds exactly the field's cells.
                EXPECT_EQ(g.picCanvas[i]->PixelWidth(), 16 * columns);
                EXPECT_EQ(g.picCanvas[i]->PixelHeight(), 16 * 18);
            }
            if (i >= players) {
                EXPECT_EQ(g.PreviewFields[i], nullptr);
                EXPECT_EQ(g.Squares[i], nullptr);
                EXPECT_EQ(g.Previews[i], nullptr);
                continue;
            }
            ASSERT_NE(g.PreviewFields[i], nullptr);
            const Canvas& p = *g.PreviewFields[i];
            EXPECT_EQ(p.Columns(), 4);
            EXPECT_EQ(p.Rows(), 4);
            EXPECT_EQ(p.PicOutput(), g.picPreviewer[i].get());
            EXPECT_EQ(p.picBlack(), &g.Images.picBlack);
            EXPECT_EQ(p.DeleteTimer(), nullptr);
            EXPECT_EQ(p.MainTimer(), nullptr);
            EXPECT_EQ(g.picPreviewer[i]->PixelWidth(), 64);
            EXPECT_EQ(g.picPreviewer[i]->PixelHeight(), 64);

            ASSERT_NE(g.Squares[i], nullptr);
            ASSERT_NE(g.Previews[i], nullptr);
            EXPECT_EQ(g.Squares[i]->BlinkTimer(), g.tmrBlink[i].get());
            EXPECT_EQ(g.Squares[i]->TheCanvas(), g.Fields[fields == 2 ? i : 0].get());
            EXPECT_EQ(g.Previews[i]->BlinkTimer(), g.tmrPreBlink[i].get());
            EXPECT_EQ(g.Previews[i]->TheCanvas(), g.PreviewFields[i].get());
        }
    }

    // Enabled states of the menu items a mode command (or the start-up)
    // sets.
    void expectMenus(int16_t mode) {
        SCOPED_TRACE(modeName(mode));
        const bool any = mode != Tessarin::kNoMode;
        const std::map<std::string, bool> want{
            {"mnuOnePlayer", mode != Tessarin::kStandard},
            {"mnuTwoPlayers", true},
            {"mnuDuel", mode != Tessarin::kDuel},
            {"mnuCooperation", mode != Tessarin::kCooperation},
            {"mnuNewGame", any},
            {"mnuPause", false},
            {"mnuStop", false},
            {"mnuChangeName", any},
            {"mnuBestScore", true},
            {"mnuDuelResult", mode == Tessarin::kDuel},
            {"mnuLevel0", any},
            {"mnuSpeed0", any},
            {"mnuPreview", any},
            {"mnuGameA", any},
            {"mnuGameB", any},
            {"mnuCustom", any},
            {"mnuSound", true},
            {"mnuExit", true},
            {"mnuHow", true},
            {"mnuAbout", true},
            {"mnuGame", true},
            {"mnuSkills", true},
            {"mnuOption", true},
            {"mnuHelp", true},
        };
        for (const auto& [name, enabled] : want)
            EXPECT_EQ(menu(name).Enabled, enabled) << name;
    }
};

TEST_F(ModeSetup, StartUpShowsOnlyTheBannerAndWaitsForAMode) {
    Tessarin& g = *game;
    EXPECT_EQ(g.Mode, Tessarin::kNoMode);
    EXPECT_EQ(g.TheWindow.Caption, "Tessarin");
    EXPECT_TRUE(g.TheWindow.Visible);
    EXPECT_EQ(g.TheWindow.Width, 4005);
    EXPECT_EQ(g.TheWindow.Height, 2370);
    EXPECT_EQ(g.TheWindow.Left, screen.Width / 2 - 4005 / 2);
    EXPECT_EQ(g.TheWindow.Top, screen.Height / 2 - 2370 / 2);

    // Only the banner shows.
    EXPECT_TRUE(g.Label1.Visible && g.Label2.Visible && g.Label3.Visible);
    for (const Label* l : g.labels())
        if (l != &g.Label1 && l != &g.Label2 && l != &g.Label3) {
            EXPECT_FALSE(l->Visible) << l->Name;
        }
    EXPECT_EQ(g.labels().size(), 11u);
    ASSERT_EQ(g.surfaces().size(), 2u);
    for (Surface* s : g.surfaces())
        EXPECT_FALSE(s->Visible());
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(g.Fields[i] || g.PreviewFields[i] || g.Squares[i] || g.Previews[i]);

    expectMenus(Tessarin::kNoMode);
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(menu("mnuLevel", i).Checked, i == 0) << i;
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(menu("mnuSpeed", i).Checked, i == 0) << i;
    EXPECT_TRUE(menu("mnuSound").Checked);
    EXPECT_TRUE(menu("mnuPreview").Checked);
    EXPECT_TRUE(menu("mnuGameA").Checked);
    EXPECT_FALSE(menu("mnuGameB").Checked);

    EXPECT_EQ(g.Player1Name, "Player1");
    EXPECT_EQ(g.Player2Name, "Player2");
    EXPECT_EQ(g.Controls.Keys[0], (PlayerKeys{65, 68, 83, 87}));
    EXPECT_EQ(g.Controls.Keys[1], (PlayerKeys{97, 99, 98, 101}));
    EXPECT_EQ(g.Controls.SpeedMode, 0);
    EXPECT_EQ(g.Controls.RotateMode, 0);
    EXPECT_EQ(g.lblGame.Caption, "A");
    EXPECT_EQ(timers.untilNext(), -1);
}

TEST_F(ModeSetup, EachModeFromStartUp) {
    for (int16_t mode : {Tessarin::kStandard, Tessarin::kDuel, Tessarin::kCooperation}) {
        restart();
        choose(mode);
        expectLayout(mode);
        expectObjects(mode);
        expectMenus(mode);
        // Choosing a mode starts no timer.
        EXPECT_EQ(timers.untilNext(), -1);
    }
}

TEST_F(ModeSetup, EveryModeFromEveryPreviousMode) {
    const int16_t modes[] = {Tessarin::kStandard, Tessarin::kDuel, Tessarin::kCooperation};
    std::map<int16_t, std::string> fromStart;
    for (int16_t mode : modes) {
        restart();
        choose(mode);
        fromStart[mode] = snapshot();
    }
    for (int16_t previous : modes)
        for (int16_t mode : modes) {
            if (mode == previous)
                continue; // the command of the mode in force is disabled
            SCOPED_TRACE(std::string(modeName(previous)) + " to " + modeName(mode));
            restart();
            choose(previous);
            choose(mode);
            expectLayout(mode);
            expectObjects(mode);
            expectMenus(mode);
            // Nothing of the previous mode is left: the same window as when
            // the mode is the first one chosen.
            EXPECT_EQ(snapshot(), fromStart[mode]);
        }

    // Duel to Standard: the second field, preview and value column go.
    restart();
    choose(Tessarin::kDuel);
    choose(Tessarin::kStandard);
    EXPECT_FALSE(game->picCanvas[1] || game->picPreviewer[1] || game->lblSpeed[1] ||
                 game->lblLines[1] || game->lblScore[1]);
    EXPECT_EQ(game->TheWindow.Width, 6670);
    EXPECT_EQ(game->TheWindow.Height, 6105);

    // Cooperation to Duel: the second preview is a new element, not the
    // old one moved.
    restart();
    choose(Tessarin::kCooperation);
    game->picPreviewer[1]->setPixel(5, 5, 0xFFFF0000u);
    choose(Tessarin::kDuel);
    EXPECT_EQ(game->picPreviewer[1]->pixel(5, 5), Surface::kBlack);
}

TEST_F(ModeSetup, PreviewOffLeavesEveryPreviewHidden) {
    choose(Tessarin::kStandard);
    game->mnuPreview_Click();
    ASSERT_FALSE(game->Preview);
    for (int16_t mode : {Tessarin::kDuel, Tessarin::kCooperation, Tessarin::kStandard,
                         Tessarin::kCooperation, Tessarin::kDuel}) {
        SCOPED_TRACE(modeName(mode));
        choose(mode);
        expectLayout(mode);
        for (const auto& p : game->picPreviewer)
            if (p) {
                EXPECT_FALSE(p->Visible());
            }
        for (const auto& c : game->picCanvas)
            if (c) {
                EXPECT_TRUE(c->Visible());
            }
    }
    EXPECT_FALSE(menu("mnuPreview").Checked);
}

TEST_F(ModeSetup, SwitchStopsTimersRenewsObjectsAndKeepsSettings) {
    choose(Tessarin::kDuel);
    Tessarin& g = *game;
    // A game's worth of state in the Duel objects and settings.
    g.mnuLevel_Click(5);
    g.mnuSpeed_Click(3);
    g.mnuGameB_Click();
    g.mnuSound_Click();
    g.Controls.RotateMode = 1;
    g.DuelTally[0].Wins = 3;
    g.TheRecords.at(Records::StandardA, Records::FinalScore) = "1200";
    for (int i = 0; i < 2; ++i) {
        g.Fields[i]->setScore(900);
        g.Fields[i]->setLines(12);
        g.Fields[i]->setSpeed(1);
        g.Fields[i]->setDelete(true);
        g.Squares[i]->setx(7);
        g.Squares[i]->setShape(3);
        g.Previews[i]->setShape(5);
        g.tmrMain[i]->setEnabled(true);
        g.tmrBlink[i]->setEnabled(true);
        g.tmrPreBlink[i]->setEnabled(true);
    }
    g.lblScore[0]->Caption = " 900";

    choose(Tessarin::kCooperation);
    for (int i = 0; i < 2; ++i) {
        EXPECT_FALSE(g.tmrMain[i]->Enabled());
        EXPECT_FALSE(g.tmrBlink[i]->Enabled());
        EXPECT_FALSE(g.tmrPreBlink[i]->Enabled());
    }
    EXPECT_EQ(timers.untilNext(), -1);
    const Canvas& f = *g.Fields[0];
    EXPECT_EQ(f.Score(), 0);
    EXPECT_EQ(f.Lines(), 0);
    EXPECT_EQ(f.Speed(), 0);
    EXPECT_FALSE(f.Delete());
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(g.Squares[i]->x(), 0);
        EXPECT_EQ(g.Squares[i]->Shape(), 0);
        EXPECT_EQ(g.Previews[i]->Shape(), 0);
    }
    // The value labels keep their texts until the game writes them.
    EXPECT_EQ(g.lblScore[0]->Caption, " 900");

    EXPECT_EQ(g.Level, 5);
    EXPECT_EQ(g.Speed, 3);
    EXPECT_EQ(g.GameType, "B");
    EXPECT_EQ(g.lblGame.Caption, "B");
    EXPECT_EQ(g.ShapeCount, 16);
    EXPECT_FALSE(g.Sound);
    EXPECT_EQ(g.Controls.RotateMode, 1);
    EXPECT_EQ(g.DuelTally[0].Wins, 3);
    EXPECT_EQ(g.TheRecords.at(Records::StandardA, Records::FinalScore), "1200");
    EXPECT_TRUE(menu("mnuLevel", 5).Checked && menu("mnuSpeed", 3).Checked &&
                menu("mnuGameB").Checked && !menu("mnuSound").Checked);
}

TEST_F(ModeSetup, CancelledNameDialogsKeepNames) {
    cancelName("Zed");
    cancelName("");
    choose(Tessarin::kDuel);
    EXPECT_EQ(game->Player1Name, "Player1");
    EXPECT_EQ(game->Player2Name, "Player2");
    cancelName("Ann");
    choose(Tessarin::kStandard);
    EXPECT_EQ(game->Player1Name, "Player1");
    EXPECT_EQ(game->Player2Name, "Player2");
}

TEST_F(ModeSetup, NamesAskedWhileTheWindowIsHidden) {
    std::vector<bool> windowShown;
    dialogs.whileOpen = [&] {
        if (dialogs.calls.back().kind == ScriptedDialogs::Kind::Input)
            windowShown.push_back(game->TheWindow.Visible);
    };

    typeName("Ann");
    choose(Tessarin::kStandard);
    EXPECT_EQ(game->Player1Name, "Ann");
    EXPECT_EQ(dialogs.inputCaptions(), (std::vector<std::string>{"Input Name"}));
    EXPECT_EQ(dialogs.inputBoxes(), (std::vector<std::string>{"Player1"}));

    // An emptied name confirmed with Ok is the empty name.
    dialogs.calls.clear();
    typeName("Bob");
    typeName("");
    choose(Tessarin::kDuel);
    EXPECT_EQ(game->Player1Name, "Bob");
    EXPECT_EQ(game->Player2Name, "");
    EXPECT_EQ(dialogs.inputCaptions(),
              (std::vector<std::string>{"Input Name--Player1", "Input Name--Player2"}));
    EXPECT_EQ(dialogs.inputBoxes(), (std::vector<std::string>{"Ann", "Player2"}));

    // Cancel keeps the name even after it was edited.
    cancelName("Zed");
    typeName("Cy");
    choose(Tessarin::kCooperation);
    EXPECT_EQ(game->Player1Name, "Bob");
    EXPECT_EQ(game->Player2Name, "Cy");
    EXPECT_EQ(game->TheWindow.Caption, "Tessarin (Cooperation)");

    EXPECT_EQ(windowShown, std::vector<bool>(5, false));
    EXPECT_TRUE(game->TheWindow.Visible);
}

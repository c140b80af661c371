#include "modes/MenuTree.h"
#include "support/GameFixture.h"

using namespace tessarin;

namespace {

void flatten(const std::vector<MenuItem>& items, int depth, std::vector<std::string>& out) {
    for (const MenuItem& m : items) {
        std::string line = std::string(2 * depth, ' ') + m.Name;
        if (m.Index >= 0)
            line += "(" + std::to_string(m.Index) + ")";
        line += " " + m.Caption;
        if (!m.Shortcut.empty())
            line += " [" + m.Shortcut + "]";
        out.push_back(line);
        flatten(m.Items, depth + 1, out);
    }
}

} // namespace

TEST(MenuTree, CaptionsOrderSeparatorsAndShortcuts) {
    const MenuTree tree;
    std::vector<std::string> want{
        "mnuGame &Game",
        "  mnuOnePlayer &One Player [Ctrl+O]",
        "  mnuTwoPlayers &Two Players",
        "    mnuDuel &Duel [Ctrl+D]",
        "    mnuCooperation &Cooperation [Ctrl+C]",
        "  mnuSep1 -",
        "  mnuNewGame &New Game [F2]",
        "  mnuPause &Pause [Ctrl+P]",
        "  mnuStop &Stop [Ctrl+Q]",
        "  mnusep7 -",
        "  mnuChangeName C&hange Name",
        "  mnusep6 -",
        "  mnuBestScore &Best Score",
        "  mnuDuelResult &Duel Result",
        "  mnnuSep2 -",
        "  mnuExit E&xit [Ctrl+X]",
        "mnuSkills &Skills",
        "  mnuLevel0 &Level",
    };
    for (int i = 0; i < 10; ++i)
        want.push_back("    mnuLevel(" + std::to_string(i) + ") Level &" + std::to_string(i));
    want.push_back("    mnuLevel(10) Level 10");
    want.push_back("    mnuLevel(11) Level 11");
    want.push_back("  mnuSpeed0 &Speed");
    for (int i = 0; i < 10; ++i)
        want.push_back("    mnuSpeed(" + std::to_string(i) + ") Speed &" + std::to_string(i));
    for (const char* line :
         {"mnuOption &Option", "  mnuSound &Sound [Ctrl+S]", "  mnuPreview &Preview", "  mnuSep3 -",
          "  mnuGameA Game &A", "  mnuGameB Game &B", "  mnuSep4 -", "  mnuCustom &Custom ...",
          "mnuHelp &Help", "  mnuHow &How to Play?", "  mnuSep5 -", "  mnuAbout &About..."})
        want.push_back(line);
    std::vector<std::string> got;
    flatten(tree.Bar, 0, got);
    EXPECT_EQ(got, want);

    // Look-up: arrays by index, separators known as such, a disabled parent
    // makes everything below it unreachable.
    MenuTree t;
    ASSERT_NE(t.find("mnuLevel", 11), nullptr);
    EXPECT_EQ(t.find("mnuLevel", 12), nullptr);
    EXPECT_EQ(t.find("mnuLevel"), nullptr);
    EXPECT_TRUE(t.find("mnnuSep2")->isSeparator());
    EXPECT_FALSE(t.find("mnuExit")->isSeparator());
    EXPECT_TRUE(t.reachable("mnuSpeed", 4));
    t.find("mnuSkills")->Enabled = false;
    EXPECT_FALSE(t.reachable("mnuSpeed", 4));
    t.find("mnuSkills")->Enabled = true;
    t.find("mnuSpeed0")->Enabled = false;
    EXPECT_FALSE(t.reachable("mnuSpeed", 4));
    EXPECT_TRUE(t.reachable("mnuLevel", 4));
    EXPECT_FALSE(t.reachable("mnuNoSuchItem"));
}

class MenuCommands : public GameFixture {
protected:
    int checkedCount(const std::string& name, int count) {
        int n = 0;
        for (int i = 0; i < count; ++i)
            n += menu(name, i).Checked ? 1 : 0;
        return n;
    }
};

TEST_F(MenuCommands, LevelAndSpeedMoveTheirCheckMarks) {
    choose(Tessarin::kStandard);
    game->Click("mnuLevel", 7);
    EXPECT_EQ(game->Level, 7);
    EXPECT_TRUE(menu("mnuLevel", 7).Checked);
    EXPECT_EQ(checkedCount("mnuLevel", 12), 1);
    // The level already checked: nothing changes.
    game->Click("mnuLevel", 7);
    EXPECT_EQ(game->Level, 7);
    EXPECT_EQ(checkedCount("mnuLevel", 12), 1);
    game->Click("mnuLevel", 11);
    EXPECT_EQ(game->Level, 11);
    EXPECT_TRUE(menu("mnuLevel", 11).Checked && !menu("mnuLevel", 7).Checked);

    game->Click("mnuSpeed", 9);
    EXPECT_EQ(game->Speed, 9);
    EXPECT_TRUE(menu("mnuSpeed", 9).Checked);
    EXPECT_EQ(checkedCount("mnuSpeed", 10), 1);
    game->Click("mnuSpeed", 0);
    EXPECT_EQ(game->Speed, 0);
    EXPECT_TRUE(menu("mnuSpeed", 0).Checked);
    EXPECT_EQ(checkedCount("mnuSpeed", 10), 1);

    // Only the menu's own items choose: an index beyond them changes
    // nothing, as Speed indexes the fall intervals.
    game->mnuSpeed_Click(10);
    game->mnuSpeed_Click(-1);
    game->mnuLevel_Click(12);
    EXPECT_EQ(game->Speed, 0);
    EXPECT_EQ(game->Level, 11);
    EXPECT_EQ(checkedCount("mnuSpeed", 10), 1);
    EXPECT_EQ(checkedCount("mnuLevel", 12), 1);
}

TEST_F(MenuCommands, SoundWithAndWithoutAMode) {
    // Before a mode only the setting and the check mark change.
    game->Click("mnuSound");
    EXPECT_FALSE(game->Sound);
    EXPECT_FALSE(menu("mnuSound").Checked);
    EXPECT_TRUE(sound.played.empty());
    game->Click("mnuSound");
    EXPECT_TRUE(game->Sound);
    EXPECT_TRUE(menu("mnuSound").Checked);

    // The falling pieces there are hear the change at once.
    choose(Tessarin::kStandard);
    game->Click("mnuSound");
    EXPECT_FALSE(game->Squares[0]->Sound());
    choose(Tessarin::kDuel);
    game->Squares[0]->setSound(false);
    game->Squares[1]->setSound(false);
    game->Click("mnuSound");
    EXPECT_TRUE(game->Sound);
    EXPECT_TRUE(game->Squares[0]->Sound());
    EXPECT_TRUE(game->Squares[1]->Sound());
    game->Click("mnuSound");
    EXPECT_FALSE(game->Squares[0]->Sound());
    EXPECT_FALSE(game->Squares[1]->Sound());
    EXPECT_FALSE(menu("mnuSound").Checked);
}

TEST_F(MenuCommands, PreviewInDuel) {
    choose(Tessarin::kDuel);
    const long before = game->picPreviewer[1]->Stacking();
    game->Click("mnuPreview");
    EXPECT_FALSE(game->Preview);
    EXPECT_FALSE(menu("mnuPreview").Checked);
    EXPECT_FALSE(game->picPreviewer[0]->Visible());
    EXPECT_FALSE(game->picPreviewer[1]->Visible());
    EXPECT_TRUE(game->picCanvas[0]->Visible() && game->picCanvas[1]->Visible());
    EXPECT_GT(game->picPreviewer[1]->Stacking(), before);

    game->Click("mnuPreview");
    EXPECT_TRUE(game->Preview);
    EXPECT_TRUE(menu("mnuPreview").Checked);
    EXPECT_TRUE(game->picPreviewer[0]->Visible() && game->picPreviewer[1]->Visible());
    for (const auto& c : game->picCanvas)
        EXPECT_GT(game->picPreviewer[0]->Stacking(), c->Stacking());
}

TEST_F(MenuCommands, GameVariant) {
    choose(Tessarin::kCooperation);
    game->Click("mnuGameB");
    EXPECT_EQ(game->GameType, "B");
    EXPECT_EQ(game->lblGame.Caption, "B");
    EXPECT_EQ(game->ShapeCount, 16);
    EXPECT_TRUE(menu("mnuGameB").Checked);
    EXPECT_FALSE(menu("mnuGameA").Checked);
    game->Click("mnuGameA");
    EXPECT_EQ(game->GameType, "A");
    EXPECT_EQ(game->lblGame.Caption, "A");
    EXPECT_EQ(game->ShapeCount, 7);
    EXPECT_TRUE(menu("mnuGameA").Checked);
    EXPECT_FALSE(menu("mnuGameB").Checked);
}

TEST_F(MenuCommands, ChangeNameCancelledKeepsNamesAndCaption) {
    choose(Tessarin::kDuel);
    cancelName("Zed");
    cancelName("Yan");
    game->Click("mnuChangeName");
    EXPECT_EQ(game->Player1Name, "Player1");
    EXPECT_EQ(game->Player2Name, "Player2");
    EXPECT_EQ(game->TheWindow.Caption, "Tessarin (Duel)");
}

TEST_F(MenuCommands, ChangeNameAsksByMode) {
    choose(Tessarin::kStandard);
    dialogs.calls.clear();
    typeName("Ann");
    game->Click("mnuChangeName");
    EXPECT_EQ(dialogs.inputCaptions(), (std::vector<std::string>{"Input Name"}));
    EXPECT_EQ(game->Player1Name, "Ann");
    EXPECT_EQ(game->Player2Name, "Player2");
    EXPECT_EQ(game->TheWindow.Caption, "Tessarin (Standard)");

    for (int16_t mode : {Tessarin::kDuel, Tessarin::kCooperation}) {
        choose(mode); // both name dialogs left with Ok: the names stay
        dialogs.calls.clear();
        typeName("");
        typeName("Bob");
        game->Click("mnuChangeName");
        EXPECT_EQ(dialogs.inputCaptions(),
                  (std::vector<std::string>{"Input Name--Player1", "Input Name--Player2"}));
        EXPECT_EQ(dialogs.inputBoxes(), (std::vector<std::string>{"Ann", "Player2"}));
        EXPECT_EQ(game->Player1Name, "");
        EXPECT_EQ(game->Player2Name, "Bob");
        game->Player1Name = "Ann";
        game->Player2Name = "Player2";
    }
}

TEST_F(MenuCommands, DialogsAreCreatedOnFirstUseAndReused) {
    game->Click("mnuBestScore");
    const DuelResult* table = game->TheDuelResult.get();
    ASSERT_NE(table, nullptr);
    choose(Tessarin::kDuel);
    game->Click("mnuDuelResult");
    game->Click("mnuBestScore");
    EXPECT_EQ(game->TheDuelResult.get(), table);

    game->Click("mnuCustom");
    const Custom* keys = game->TheCustom.get();
    ASSERT_NE(keys, nullptr);
    game->Click("mnuCustom");
    EXPECT_EQ(game->TheCustom.get(), keys);
}

TEST_F(MenuCommands, AboutPlaysItsSoundFirstWhateverTheSoundSetting) {
    game->Click("mnuSound"); // off
    std::vector<std::string> heardWhenOpened;
    dialogs.about.then([&](About& box) {
        heardWhenOpened = sound.played;
        box.cmdOk_Click();
    });
    game->Click("mnuAbout");
    EXPECT_EQ(dialogs.count(ScriptedDialogs::Kind::About), 1u);
    EXPECT_EQ(heardWhenOpened, (std::vector<std::string>{"about.wav"}));
    const About* box = game->TheAbout.get();
    ASSERT_NE(box, nullptr);
    sound.clear();
    game->Click("mnuAbout");
    EXPECT_EQ(game->TheAbout.get(), box);
    ASSERT_FALSE(sound.played.empty());
    EXPECT_EQ(sound.played.front(), "about.wav");
}

TEST_F(MenuCommands, HowToPlayFallsBackToTheGamesHelp) {
    using Kind = ScriptedDialogs::Kind;
    game->Click("mnuHow");
    ASSERT_EQ(dialogs.count(Kind::StartProgram), 1u);
    EXPECT_EQ(dialogs.callsOf(Kind::StartProgram)[0].text, "winhelp TESSARIN30.HLP");
    EXPECT_EQ(dialogs.count(Kind::Help), 0u);

    dialogs.startProgramResult = false;
    game->Click("mnuHow");
    EXPECT_EQ(dialogs.count(Kind::StartProgram), 2u);
    EXPECT_EQ(dialogs.count(Kind::Help), 1u);
}

TEST_F(MenuCommands, ExitEndsAtOnce) {
    choose(Tessarin::kDuel);
    game->Click("mnuExit");
    EXPECT_TRUE(game->Ended);
    EXPECT_EQ(dialogs.count(ScriptedDialogs::Kind::EndProgram), 1u);
    // No command runs after the end.
    game->Click("mnuSound");
    game->Click("mnuOnePlayer");
    EXPECT_TRUE(game->Sound);
    EXPECT_EQ(game->Mode, Tessarin::kDuel);
}

TEST_F(MenuCommands, DisabledItemsAndSeparatorsDoNothing) {
    // Start-up: everything that needs a mode is disabled.
    const std::string before = snapshot();
    game->Click("mnuLevel", 3);
    game->Click("mnuSpeed", 2);
    game->Click("mnuGameB");
    game->Click("mnuPreview");
    game->Click("mnuCustom");
    game->Click("mnuChangeName");
    game->Click("mnuDuelResult");
    game->Click("mnuSep1");
    game->Click("mnuGame");
    EXPECT_EQ(snapshot(), before);
    EXPECT_EQ(game->Level, 0);
    EXPECT_EQ(game->Speed, 0);
    EXPECT_EQ(game->GameType, "A");
    EXPECT_TRUE(game->Preview);
    EXPECT_FALSE(game->TheCustom || game->TheDuelResult);

    // The command of the mode in force is disabled.
    game->Click("mnuOnePlayer");
    ASSERT_EQ(game->Mode, Tessarin::kStandard);
    game->TheWindow.Left = 5;
    game->Click("mnuOnePlayer");
    game->Click("mnuDuelResult");
    EXPECT_EQ(game->TheWindow.Left, 5);
    EXPECT_EQ(game->TheDuelResult, nullptr);

    // A disabled parent disables its submenu.
    game->Menus.find("mnuTwoPlayers")->Enabled = false;
    game->Click("mnuDuel");
    EXPECT_EQ(game->Mode, Tessarin::kStandard);
    game->Menus.find("mnuTwoPlayers")->Enabled = true;
    game->Click("mnuDuel");
    EXPECT_EQ(game->Mode, Tessarin::kDuel);
    game->Click("mnuDuelResult");
    EXPECT_NE(game->TheDuelResult, nullptr);
}

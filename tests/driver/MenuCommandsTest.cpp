#include "support/GameFixture.h"

#include <filesystem>
#include <fstream>
#include <set>

using namespace tessarin;

using MenuCommands = GameFixture;

// A menu item named wrongly in the code would silently do nothing: every
// menu name written in the sources is an item of the menu tree.
TEST(MenuTree, EveryMenuNameInTheSourcesIsAnItem) {
    std::set<std::string> names;
    const std::function<void(const std::vector<MenuItem>&)> collect = [&](const auto& items) {
        for (const MenuItem& m : items)
            collect(m.Items), names.insert(m.Name);
    };
    collect(MenuTree().Bar);
    int seen = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(TESSARIN_SOURCE_DIR)) {
        const auto ext = entry.path().extension();
        if (ext != ".cpp" && ext != ".h")
            continue;
        std::ifstream in(entry.path());
        const std::string text((std::istreambuf_iterator<char>(in)), {});
        // Every string literal that starts like a menu name: "mnu..." or "mnnu...".
        for (size_t at = text.find("\"mn"); at != std::string::npos;
             at = text.find("\"mn", at + 1)) {
            const size_t end = text.find_first_not_of(
                "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_", at + 1);
            const std::string name = text.substr(at + 1, end - at - 1);
            if (end == std::string::npos || text[end] != '"' ||
                (name.rfind("mnu", 0) != 0 && name.rfind("mnnu", 0) != 0))
                continue;
            ++seen;
            EXPECT_TRUE(names.count(name)) << name << " in " << entry.path();
        }
    }
    EXPECT_GT(seen, 100); // the sources were found and read
}

TEST_F(MenuCommands, LevelSpeedSoundPreviewAndVariant) {
    Tessarin& g = *game;
    g.Click("mnuSound"); // before a mode: only the setting and its check mark
    EXPECT_FALSE(g.Sound || menu("mnuSound").Checked);
    choose(Tessarin::kDuel);
    for (bool on : {true, false}) { // the falling pieces there are hear it at once
        g.Click("mnuSound");
        EXPECT_TRUE(g.Sound == on && menu("mnuSound").Checked == on &&
                    g.Squares[0]->Sound() == on && g.Squares[1]->Sound() == on);
    }
    g.Click("mnuLevel", 7);
    g.Click("mnuLevel", 7); // already checked: nothing changes
    g.Click("mnuSpeed", 9);
    g.mnuSpeed_Click(10); // beyond the menu's items: nothing changes
    EXPECT_TRUE(g.Level == 7 && g.Speed == 9);
    for (int i = 0; i < 12; ++i)
        EXPECT_TRUE(menu("mnuLevel", i).Checked == (i == 7) &&
                    (i >= 10 || menu("mnuSpeed", i).Checked == (i == 9)));
    for (bool on : {false, true}) { // both previews, and only they, follow the setting
        g.Click("mnuPreview");
        EXPECT_TRUE(g.Preview == on && menu("mnuPreview").Checked == on &&
                    g.picPreviewer[0]->Visible() == on && g.picPreviewer[1]->Visible() == on &&
                    g.picCanvas[0]->Visible() && g.picCanvas[1]->Visible());
    }
    for (std::string type : {"B", "A", "B"}) { // the letter, the shapes, the check marks
        g.Click("mnuGame" + type);
        EXPECT_EQ(g.GameType + g.lblGame.Caption + std::to_string(g.ShapeCount) +
                      (menu("mnuGameA").Checked ? "a" : "") + (menu("mnuGameB").Checked ? "b" : ""),
                  type + type + (type == "A" ? "7a" : "16b"));
    }
}

TEST_F(MenuCommands, AboutHowToPlayAndExit) {
    using Kind = ScriptedDialogs::Kind;
    game->Click("mnuSound"); // off: the about sound plays all the same, before the box opens
    std::vector<std::string> heardWhenOpened;
    dialogs.whileOpen = [&] { heardWhenOpened = sound.played; };
    game->Click("mnuAbout");
    EXPECT_EQ(heardWhenOpened, std::vector<std::string>{"about.wav"});
    game->Click("mnuHow");
    dialogs.startProgramResult = false; // no viewer: the game's own help opens
    game->Click("mnuHow");
    EXPECT_TRUE(dialogs.count(Kind::StartProgram) == 2 && dialogs.count(Kind::Help) == 1);
    EXPECT_EQ(dialogs.callsOf(Kind::StartProgram).at(0).text, "winhelp TESSARIN30.HLP");

    choose(Tessarin::kDuel);
    game->Click("mnuExit");
    EXPECT_TRUE(game->Ended && dialogs.programEnded);
    game->Click("mnuOnePlayer"); // no command runs after the end
    EXPECT_EQ(game->Mode, Tessarin::kDuel);
}

#pragma once

#include "driver/Tessarin.h"
#include "platform/Random.h"
#include "platform/Sound.h"
#include "platform/VirtualTimerHost.h"
#include "support/ModeTestDialogs.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <sstream>
#include <string>

namespace tessarin {

// A main window on virtual time, silent recorded sound, a fixed clock, the
// scripted dialogs and a temporary working folder, loaded as at start-up.
class ModeFixture : public ::testing::Test {
protected:
    VirtualTimerHost timers;
    RecordingSound sound;
    DefaultRandom random;
    FixedClock clock;
    ModeTestDialogs dialogs;
    // An odd screen, so that centring must halve odd sizes the same way.
    ScreenSize screen{19215, 14385};
    std::filesystem::path folder;
    std::unique_ptr<Tessarin> game;

    void SetUp() override {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "tessarin-modes-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        folder = pattern;
        restart();
    }

    void TearDown() override {
        game.reset();
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }

    // A fresh program run.
    void restart() {
        game.reset();
        game = std::make_unique<Tessarin>(
            Services{timers, sound, random, clock, dialogs, screen, folder});
        game->Form_Load();
    }

    void choose(int16_t mode) {
        switch (mode) {
        case Tessarin::kStandard:
            game->mnuOnePlayer_Click();
            break;
        case Tessarin::kDuel:
            game->mnuDuel_Click();
            break;
        case Tessarin::kCooperation:
            game->mnuCooperation_Click();
            break;
        default:
            break;
        }
    }

    // True once the name dialog really opens its window. While the name
    // input is still a placeholder (InputDlg returning the default without
    // showing anything), the tests of typed names skip themselves; they are
    // written against the documented InputDlg: the caption is the title,
    // the box starts with the default, Ok returns the text as typed and
    // Cancel returns the default.
    bool nameDialogShows() {
        const auto before = dialogs.inputTitles.size();
        game->TheInputBox->InputDlg("probe", "", "x", 0);
        const bool shown = dialogs.inputTitles.size() > before;
        dialogs.inputTitles.clear();
        dialogs.inputDefaults.clear();
        dialogs.answers.clear();
        sound.clear();
        return shown;
    }

    const MenuItem& menu(const std::string& name, int index = -1) {
        const MenuItem* m = game->Menus.find(name, index);
        EXPECT_NE(m, nullptr) << name;
        static const MenuItem none;
        return m ? *m : none;
    }

    static std::string pos(const Surface& s) {
        std::ostringstream o;
        o << s.Left() << "," << s.Top() << " " << s.Width() << "x" << s.Height()
          << (s.Visible() ? " shown" : " hidden");
        return o.str();
    }

    static std::string pos(const Label& l) {
        std::ostringstream o;
        o << l.Left << "," << l.Top << " " << l.Width << "x" << l.Height
          << (l.Visible ? " shown" : " hidden");
        return o.str();
    }

    // Everything a player sees of the window, stacking aside.
    std::string snapshot() {
        std::ostringstream o;
        const Window& w = game->TheWindow;
        o << "mode " << game->Mode << " '" << w.Caption << "' " << w.Left << "," << w.Top << " "
          << w.Width << "x" << w.Height << (w.Visible ? " shown" : " hidden") << "\n";
        for (Surface* s : game->surfaces())
            o << pos(*s) << " border " << s->Border() << " " << s->PixelWidth() << "x"
              << s->PixelHeight() << "\n";
        for (const Label* l : game->labels())
            o << l->Name << " '" << l->Caption << "' " << pos(*l) << "\n";
        walk(game->Menus.Bar, o);
        o << game->Player1Name << "/" << game->Player2Name << "\n";
        return o.str();
    }

private:
    static void walk(const std::vector<MenuItem>& items, std::ostringstream& o) {
        for (const MenuItem& m : items) {
            o << m.Name << "(" << m.Index << ")" << (m.Enabled ? "E" : "D")
              << (m.Checked ? "C" : "") << " ";
            walk(m.Items, o);
        }
    }
};

} // namespace tessarin

// Gamepads through SDL, driven with SDL's virtual pads: presses reach the
// right player's keys, two pads at once lose nothing, pads plugged in and
// pulled out mid-game, a pad and the keyboard together, a joystick without
// a mapping, the rumble, the poll that runs only while a pad is there, and
// the Gamepads window.
#include "driver/Gamepads.h"

#include "Rig.h"
#include "qt/GamepadsSink.h"
#include "qt/GamepadsWindow.h"
#include "qt/PadDevices.h"
#include "support/Pieces.h"

#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <SDL.h>

using namespace tessarin;
using namespace tessarin::qt;
using namespace tessarin::qt::testing;

namespace {

struct PadRig {
    GameRig rig;
    Shown window{rig.game};
    Gamepads pads{rig.game};
    GamepadsSink sink{pads};
    PadDevices devices{sink};
    QStringList log;
    int afterEvents = 0;

    PadRig() {
        devices.setLog([this](const QString& line) { log << line; });
        devices.setAfterEvent([this] {
            ++afterEvents;
            window.afterEvent();
        });
        rig.dialogs.setBeforeModal([this] { window.sync(); });
        devices.setBusy([this] { return rig.game.Playing; });
    }
    Tessarin& game() { return rig.game; }
    void duel() { // names as they are
        answerNames(rig, window, "");
        window.action("mnuDuel")->trigger();
        window.action("mnuNewGame")->trigger();
        rig.game.tmrMain[0]->setEnabled(false); // the pieces stay where the test puts them
        rig.game.tmrMain[1]->setEnabled(false);
        place(0, 5);
        place(1, 5);
    }
    // An O at column x of player i's field.
    void place(int i, int16_t x) {
        tessarin::test::PutPiece(*rig.game.Squares[i], rig.game.ShapeInfo, 4, 0, x, 2, false);
    }
    int x(int i) { return rig.game.Squares[i]->x(); }
    void tap(VirtualPad& pad, int button) {
        pad.button(button, true);
        devices.poll();
        pad.button(button, false);
        devices.poll();
    }
};

} // namespace

TEST(Gamepads, TwoPadsPlayADuelTogetherWithTheKeyboardAndNoPressIsLost) {
    PadRig r;
    // Plugged in before the program looks for pads: SDL knows them as it
    // starts.
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_JOYSTICK), 0);
    VirtualPad first("First Pad"), second("Second Pad");
    ASSERT_TRUE(first.attached() && second.attached()) << SDL_GetError();
    ASSERT_TRUE(r.devices.start());
    SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
    ASSERT_EQ(r.devices.connected(), 2);
    EXPECT_TRUE(r.devices.polling());
    EXPECT_EQ(r.pads.PlayerOf(first.id()), 0);
    EXPECT_EQ(r.pads.PlayerOf(second.id()), 1);
    r.duel();
    // Both pads pressed between two reads, three times over: every press
    // counts, each on its own player's piece.
    for (int n = 0; n < 3; ++n) {
        first.button(SDL_CONTROLLER_BUTTON_DPAD_LEFT, true);
        second.button(SDL_CONTROLLER_BUTTON_DPAD_RIGHT, true);
        r.devices.poll();
        first.button(SDL_CONTROLLER_BUTTON_DPAD_LEFT, false);
        second.button(SDL_CONTROLLER_BUTTON_DPAD_RIGHT, false);
        r.devices.poll();
    }
    EXPECT_EQ(r.x(0), 2);
    EXPECT_EQ(r.x(1), 8);
    // The keyboard's keys beside them: player 1's D, player 2's keypad 1.
    QTest::keyClick(&r.window, Qt::Key_D);
    r.tap(first, SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
    QTest::keyClick(&r.window, Qt::Key_1, Qt::KeypadModifier);
    EXPECT_EQ(r.x(0), 4);
    EXPECT_EQ(r.x(1), 7);
    // The stick: a push moves once (its dead zone is the driver's).
    second.axis(SDL_CONTROLLER_AXIS_LEFTX, -32768);
    r.devices.poll();
    second.axis(SDL_CONTROLLER_AXIS_LEFTX, 0);
    r.devices.poll();
    EXPECT_EQ(r.x(1), 6);
    // The window shows what the pads did.
    EXPECT_GT(r.afterEvents, 0);
    // Start pauses the game, and continues it.
    r.tap(second, SDL_CONTROLLER_BUTTON_START);
    EXPECT_TRUE(r.game().Menus.find("mnuPause")->Checked);
    EXPECT_TRUE(r.window.action("mnuPause")->isChecked());
}

TEST(Gamepads, APadPluggedInMidGamePlaysAndOnePulledOutPausesTheGameWithAMessage) {
    PadRig r;
    ASSERT_TRUE(r.devices.start());
    EXPECT_FALSE(r.devices.polling()); // nothing to read
    auto first = std::make_unique<VirtualPad>("First Pad");
    r.devices.poll(); // as the change under /dev/input, or the poll, does
    // A pad beside an idle window is read seldom, often during a game.
    EXPECT_EQ(r.devices.pollInterval(), PadDevices::kIdlePollMs);
    r.duel();
    r.devices.poll();
    EXPECT_EQ(r.devices.pollInterval(), PadDevices::kPollMs);
    r.game().tmrMain[0]->setEnabled(true);
    r.game().tmrMain[1]->setEnabled(true);
    VirtualPad second("Late Pad");
    r.devices.poll();
    ASSERT_EQ(r.devices.connected(), 2);
    r.tap(second, SDL_CONTROLLER_BUTTON_DPAD_LEFT);
    EXPECT_EQ(r.x(1), 4);
    EXPECT_EQ(r.x(0), 5);
    // Pulled out: paused, and told whose it was.
    QString told;
    duringModal([&] {
        QMessageBox* box = r.rig.dialogs.systemMessage();
        ASSERT_TRUE(box);
        told = box->text();
        box->accept();
    });
    first->unplug();
    r.devices.poll();
    EXPECT_EQ(told, "Player 1's gamepad was disconnected.");
    EXPECT_TRUE(r.game().Playing && !r.game().tmrMain[0]->Enabled() &&
                !r.game().tmrMain[1]->Enabled());
    // Plugged in again, it plays player 1 again, and the game stays paused.
    VirtualPad again("First Pad");
    r.devices.poll();
    EXPECT_EQ(r.pads.PlayerOf(again.id()), 0);
    EXPECT_FALSE(r.game().tmrMain[0]->Enabled());
    r.tap(again, SDL_CONTROLLER_BUTTON_START);
    EXPECT_TRUE(r.game().tmrMain[0]->Enabled());
    // The game over shakes the pads (the driver's tests tell when); the
    // last pad gone, nothing is read any more.
    r.pads.AfterEvent();
    r.game().Click("mnuStop");
    r.pads.AfterEvent();
    EXPECT_EQ(again.rumbles(), 1);
    again.unplug();
    second.unplug();
    r.devices.poll();
    EXPECT_EQ(r.devices.connected(), 0);
    EXPECT_FALSE(r.devices.polling());
}

TEST(Gamepads, AJoystickWithoutAMappingIsIgnoredWithALineInTheLog) {
    PadRig r;
    ASSERT_TRUE(r.devices.start());
    VirtualPad stick("Mystery Stick", false);
    ASSERT_TRUE(stick.attached());
    r.devices.poll();
    stick.button(0, true);
    r.devices.poll();
    EXPECT_EQ(r.devices.connected(), 0);
    ASSERT_EQ(r.log.size(), 1);
    EXPECT_TRUE(r.log[0].contains("Mystery Stick") &&
                r.log[0].contains("SDL_GAMECONTROLLERCONFIG"));
    EXPECT_FALSE(r.devices.polling());
}

TEST(Gamepads, TheWindowShowsEachPadsNameAndPlayerAndSwapsThemBetweenGames) {
    PadRig r;
    ASSERT_TRUE(r.devices.start());
    GamepadsWindow w(r.pads, &r.window);
    r.pads.setChanged([&] { w.refresh(); });
    EXPECT_EQ(w.lines(), QStringList{});
    EXPECT_FALSE(w.swapButton()->isEnabled());
    VirtualPad first("First Pad"), second("Second Pad");
    r.devices.poll();
    EXPECT_EQ(w.lines(), (QStringList{"Player 1: First Pad", "Player 2: Second Pad"}));
    QTest::mouseClick(w.swapButton(), Qt::LeftButton);
    EXPECT_EQ(w.lines(), (QStringList{"Player 2: First Pad", "Player 1: Second Pad"}));
    w.show();
    r.duel();
    w.followGame();
    EXPECT_FALSE(w.swapButton()->isEnabled());
    r.game().Click("mnuStop");
    w.followGame();
    EXPECT_TRUE(w.swapButton()->isEnabled());
    // The menu item that opens it keeps to the end of Option.
    const MenuItem* option = r.game().Menus.find("mnuOption");
    ASSERT_TRUE(option && option->Items.size() >= 2);
    EXPECT_EQ(option->Items.back().Name, "mnuGamepads");
    EXPECT_TRUE(option->Items[option->Items.size() - 2].isSeparator());
}

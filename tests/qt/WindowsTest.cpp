#include "Rig.h"
#include "driver/Tessarin.h"
#include "game/CellImages.h"
#include "platform/VirtualTimerHost.h"
#include "qt/AboutWindow.h"
#include "qt/CustomWindow.h"
#include "qt/InputWindow.h"
#include "qt/Looks.h"
#include "qt/MainWindow.h"
#include "qt/MessageWindow.h"
#include "qt/Pictures.h"
#include "qt/QtDialogs.h"
#include "qt/RecordsWindow.h"
#include "qt/SurfaceWidget.h"

#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace tessarin;
using namespace tessarin::qt;
using namespace tessarin::qt::testing;

namespace {

void expectMenusMatch(const std::vector<MenuItem>& items, const QList<QAction*>& actions) {
    ASSERT_EQ(actions.size(), qsizetype(items.size()));
    for (size_t i = 0; i < items.size(); ++i) {
        SCOPED_TRACE(items[i].Name);
        QAction* a = actions[qsizetype(i)];
        EXPECT_EQ(a->isSeparator(), items[i].isSeparator());
        if (items[i].isSeparator())
            continue;
        EXPECT_EQ(a->text().toStdString(), items[i].Caption);
        EXPECT_EQ(a->shortcut().toString(QKeySequence::PortableText).toStdString(),
                  items[i].Shortcut);
        ASSERT_EQ(a->menu() != nullptr, !items[i].Items.empty());
        if (a->menu())
            expectMenusMatch(items[i].Items, a->menu()->actions());
    }
}

} // namespace

TEST(MainWindow, MenusFollowTheTreeShortcutsRunCommandsAndOtherKeysReachTheGame) {
    GameRig rig;
    Shown w(rig.game);
    expectMenusMatch(MenuTree().Bar, w.menuBar()->actions());
    EXPECT_FALSE(w.action("mnuLevel0")->isEnabled()); // the whole submenu
    EXPECT_FALSE(w.action("mnuLevel", 1)->isCheckable());
    QSignalSpy commands(&w, &MainWindow::commandTriggered);
    std::vector<std::pair<int, int>> keys;
    QObject::connect(&w, &MainWindow::keyForwarded, [&](int code, int shift) {
        if (code < 16 || code > 18) // not the modifier keys themselves
            keys.push_back({code, shift});
    });
    QTest::keyClick(&w, Qt::Key_S, Qt::ControlModifier);
    QTest::keyClick(&w, Qt::Key_F2); // its item is disabled: a key for the game
    ASSERT_EQ(commands.size(), 1);
    EXPECT_FALSE(w.action("mnuSound")->isCheckable()); // unchecked: no mark at all
    QTest::keyClick(&w, Qt::Key_1, Qt::KeypadModifier);
    QTest::keyClick(&w, Qt::Key_W, Qt::ShiftModifier);
    QKeyEvent repeat(QEvent::KeyPress, Qt::Key_D, Qt::NoModifier, "d", true);
    QApplication::sendEvent(&w, &repeat);
    QTest::keyClick(w.menuBar(), Qt::Key_A); // the window sees keys before its controls
    EXPECT_EQ(keys,
              (std::vector<std::pair<int, int>>{{113, 0}, {97, 0}, {87, 1}, {68, 0}, {65, 0}}));
    w.close(); // the close button unloads the game and ends the program
    EXPECT_TRUE(w.endRequested && rig.game.Ended);
}

TEST(MainWindow, APlayerChoosesEachModeAndPlaysAGameThroughTheRealWindowsAtTwiceTheSize) {
    GameRig rig;
    Tessarin& game = rig.game;
    Shown w(game, 2);
    // The caption, the client size and the visible surfaces, left to right.
    auto layout = [&] {
        std::map<int, QString> parts{
            {-1, QString::asprintf("%s %dx%d:", qPrintable(w.windowTitle()),
                                   w.clientArea()->width(), w.clientArea()->height())}};
        for (SurfaceWidget* s : w.surfaceWidgets())
            if (s->isVisible())
                parts[s->x()] =
                    QString::asprintf(" %d,%d %dx%d", s->x(), s->y(), s->width(), s->height());
        QString all;
        for (const auto& [x, text] : parts)
            all += text;
        return all;
    };
    EXPECT_EQ(layout(), "Tessarin 522x228:");
    EXPECT_EQ(w.minimumSize(), w.maximumSize());
    EXPECT_GE(w.exposures, 1);
    // Dialogs answered as a player would: a name typed and Enter (One Player's cancelled);
    // other keys and a click on the frame of a message, then Enter, Space the next time.
    std::vector<std::string> seen;
    int messages = 0;
    rig.dialogs.setBeforeModal([&] {
        w.sync();
        duringModal([&] {
            if (InputWindow* in = rig.dialogs.inputWindow(); in && in->isVisible()) {
                const bool cancel = in->windowTitle() == "Input Name";
                QTest::keyClicks(in->text1(), cancel ? "X" : "Bob");
                cancel ? QTest::mouseClick(in->cancelButton(), Qt::LeftButton)
                       : QTest::keyClick(in->text1(), Qt::Key_Return);
            } else if (MessageWindow* m = rig.dialogs.messageWindow(); m && m->isVisible()) {
                for (Qt::Key other : {Qt::Key_A, Qt::Key_Escape, Qt::Key_F1})
                    QTest::keyClick(m, other);
                QTest::mouseClick(m->frame1(), Qt::LeftButton, {}, QPoint(20, 10));
                seen.push_back(m->label1()->label().Caption + (m->isVisible() ? "" : " (gone)"));
                QTest::keyClick(m, ++messages == 1 ? Qt::Key_Return : Qt::Key_Space);
            } else if (RecordsWindow* r = rig.dialogs.recordsWindow(); r && r->isVisible()) {
                const Label& l = game.TheDuelResult->lblCell.back();
                EXPECT_EQ(r->cellLabels().back()->geometry(),
                          toPixels(l.Left, l.Top, l.Width, l.Height, 2));
                const QPoint header = r->headerLabels()[0]->geometry().topLeft() + QPoint(3, 3);
                seen.push_back(std::to_string(r->cellLabels().size()) + " cells, headers " +
                               r->grab().toImage().pixelColor(header).name().toStdString());
                QTest::mouseClick(r->okButton(), Qt::LeftButton);
            } else if (AboutWindow* a = rig.dialogs.aboutWindow(); a && a->isVisible()) {
                seen.push_back("about");
                QTest::mouseClick(a->okButton(), Qt::LeftButton);
            }
        });
    });
    w.action("mnuBestScore")->trigger();
    const char* modes[][2] = {
        {"mnuDuel", "Tessarin (Duel) 1246x726: 68,68 360x584 468,68 136x136 628,68 136x136 "
                    "808,68 360x584"},
        {"mnuCooperation",
         "Tessarin (Cooperation) 1086x746: 133,75 136x136 321,75 488x584 861,75 136x136"},
        {"mnuOnePlayer", "Tessarin (Standard) 877x726: 141,68 360x584 581,68 136x136"}};
    for (const auto& [command, expected] : modes) {
        w.action(command)->trigger();
        if (game.Mode == Tessarin::kDuel)
            w.action("mnuDuelResult")->trigger(); // a smaller grid: the extra labels go
        EXPECT_EQ(layout(), expected);
        EXPECT_EQ(w.surfaceWidgets().size(), game.surfaces().size());
        EXPECT_FALSE(w.labelWidget("Label1")->isVisible());
    }
    EXPECT_EQ(game.Player1Name + game.Player2Name, "BobBob");
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    QTest::keyClick(&w, Qt::Key_F2);
    ASSERT_TRUE(game.Playing);

    QWidget* field = w.clientArea()->childAt(200, 100);
    EXPECT_EQ(w.shot(field).pixelColor(0, 0), QColor(128, 128, 128)); // the sunken frame
    auto lit = [&] { // the first and the last lit column of the field on the screen
        const QImage shot = w.shot(field);
        QPoint span(-1, -1);
        for (int x = 4; x < shot.width() - 4; ++x)
            for (int y = 4; y < shot.height() - 4; ++y)
                if (shot.pixelColor(x, y) != Qt::black)
                    span = {span.x() < 0 ? x : span.x(), x};
        return span;
    };
    const QPoint start = lit();
    QTest::keyClick(&w, Qt::Key_A);
    EXPECT_EQ(lit(), start - QPoint(32, 32));
    QTest::keyClick(&w, Qt::Key_D);
    QTest::keyClick(&w, Qt::Key_D);
    EXPECT_EQ(lit(), start + QPoint(32, 32));

    w.action("mnuAbout")->trigger();
    for (int i = 0; i < 100 && game.Playing; ++i) {
        QTest::keyClick(&w, Qt::Key_S);
        rig.timers.advance(2000);
        w.afterEvent();
    }
    rig.timers.advance(5000); // the curtain
    w.afterEvent();
    EXPECT_EQ(lit(), QPoint(-1, -1));
    w.action("mnuNewGame")->trigger();
    w.action("mnuStop")->trigger();
    EXPECT_EQ(seen,
              (std::vector<std::string>{"20 cells, headers #ffc080", "8 cells, headers #ffc080",
                                        "about", "Sorry,Bob. You lose!", "Sorry,Bob. You lose!"}));
    bool quit = false;
    rig.dialogs.setOnEnd([&] { quit = true; });
    w.action("mnuExit")->trigger();
    EXPECT_TRUE(quit && w.endRequested);
}

// Two Players ends with who plays player 2: after a separator the keyboard
// and the computer at three strengths, exactly one checked. Chosen with the
// mouse in the open submenu, the computer takes player 2's name: only
// player 1's name is asked. (Its keys and play are the driver's tests'.)
TEST(MainWindow, TwoPlayersLetsTheComputerTakePlayer2sSeat) {
    GameRig rig;
    Tessarin& game = rig.game;
    Shown w(game);
    QMenu* two = w.action("mnuTwoPlayers")->menu();
    ASSERT_TRUE(two);
    const auto captions = [&](bool checkedOnly) {
        QStringList c;
        for (QAction* a : two->actions())
            if (!checkedOnly || a->isChecked())
                c << (a->isSeparator() ? "-" : a->text());
        return c.join("|").toStdString();
    };
    EXPECT_EQ(captions(false), "&Duel|&Cooperation|-|Player 2 at the &Keyboard|Computer, &Easy|"
                               "Computer, &Normal|Computer, &Hard|-|H&ost a Network Game...|"
                               "&Join a Network Game...");
    EXPECT_EQ(captions(true), "Player 2 at the &Keyboard");
    two->popup(w.mapToGlobal(QPoint(20, 20)));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(two));
    QTest::mouseClick(two, Qt::LeftButton, {},
                      two->actionGeometry(w.action("mnuSeat", Seat::ComputerHard)).center());
    EXPECT_EQ(game.Player2Seat.kind, Seat::ComputerHard);
    EXPECT_EQ(captions(true), "Computer, &Hard");
    // Chosen again, it stays checked, though Qt unchecks the checked item it triggers.
    w.action("mnuSeat", Seat::ComputerHard)->trigger();
    EXPECT_EQ(captions(true), "Computer, &Hard");

    std::vector<std::string> asked;
    answerNames(rig, w, "Ann", &asked);
    w.action("mnuDuel")->trigger();
    EXPECT_EQ(asked, (std::vector<std::string>{"Input Name--Player1"}));
    EXPECT_EQ(game.Player1Name + "/" + game.Player2Name, "Ann/Computer");
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    QTest::keyClick(&w, Qt::Key_F2);
    ASSERT_TRUE(game.Playing);
    EXPECT_FALSE(w.action("mnuSeat", 0)->isEnabled()); // not during a game
}

// The turn pictures show which way the piece turns: the arc leaves its gap
// at two o'clock when it turns clockwise, at ten o'clock when counterclockwise.
TEST(QtDialogs, KeyBoxesTakeThePressedKeyRefuseDuplicatesTurnPicturesFollowTheModeCancelKeeps) {
    ControlSettings settings{{PlayerKeys{65, 68, 83, 87}, PlayerKeys{97, 99, 98, 101}}};
    RecordingSound dings;
    QtDialogs d;
    Custom form(settings, d, dings, kScreen);
    auto turns = [&](int p) {
        const QImage picture = d.customWindow()->keyPicture(p, 3)->pixmap().toImage();
        auto inked = [&](double fx, double fy) {
            return picture.pixelColor(int(fx * picture.width()), int(fy * picture.height()))
                       .alpha() > 128;
        };
        const bool ten = inked(0.2, 0.33), two = inked(0.8, 0.33);
        return ten && !two ? "clockwise" : two && !ten ? "counterclockwise" : "?";
    };
    std::vector<std::string> shown;
    auto look = [&] { shown.push_back(std::string(turns(0)) + " " + turns(1)); };
    duringModal([&] {
        CustomWindow* w = d.customWindow();
        look(); // the program starts turning counterclockwise
        QTest::keyClick(w->keyBox(0, 1), Qt::Key_Q);
        QTest::keyClick(w->keyBox(0, 2), Qt::Key_Return); // refused, and no button takes it
        QTest::keyClick(w->keyBox(0, 2), Qt::Key_5);      // refused
        QTest::keyClick(w->keyBox(1, 2), Qt::Key_9, Qt::KeypadModifier);
        for (QLineEdit* box : {w->keyBox(0, 1), w->keyBox(0, 2), w->keyBox(1, 2)})
            shown.push_back(box->text().toStdString());
        for (int mode : {1, 0, 1}) {
            QTest::mouseClick(w->rotateOption(mode), Qt::LeftButton);
            look();
        }
        QTest::keyClick(w->keyBox(1, 3), Qt::Key_W); // player 1's already
        auto ok = [&] { // answers a duplicate message, which leaves the dialog open
            QTimer::singleShot(0, qApp, [&] {
                if (QMessageBox* box = d.systemMessage()) {
                    shown.push_back((box->windowTitle() + ": " + box->text()).toStdString());
                    box->accept();
                }
            });
            QTest::mouseClick(w->command1(0), Qt::LeftButton);
            shown.push_back(w->isVisible() ? "open" : "closed");
        };
        ok();
        QTest::keyClick(w->keyBox(1, 3), Qt::Key_5, Qt::KeypadModifier);
        ok();
    });
    form.DoCustom();
    EXPECT_EQ(settings.Keys[0], (PlayerKeys{65, 81, 83, 87}));
    EXPECT_EQ(settings.Keys[1], (PlayerKeys{97, 99, 105, 101}));
    duringModal([&] {
        look(); // opened again on the confirmed clockwise turn
        QTest::keyClick(d.customWindow()->keyBox(0, 0), Qt::Key_Z);
        QTest::mouseClick(d.customWindow()->command1(1), Qt::LeftButton);
    });
    form.DoCustom();
    EXPECT_EQ(shown, (std::vector<std::string>{
                         "counterclockwise counterclockwise", "Q", "S", "Numpad 9",
                         "clockwise clockwise", "counterclockwise counterclockwise",
                         "clockwise clockwise", "Tessarin: Duplicate Control Key!\n\nSelect Again",
                         "open", "closed", "clockwise clockwise"}));
    EXPECT_EQ(settings.Keys[0], (PlayerKeys{65, 81, 83, 87}));
    EXPECT_EQ(settings.RotateMode, 1);
}

// The About picture at a larger scale is drawn at that scale, its cells as
// sharp as the field's: at scale 2 the falling piece's cells are the cell
// image pixel for pixel, and scale 4 is scale 2 with every pixel doubled.
// (It was the scale-1 picture, blurred by its halving, enlarged.)
TEST(QtDialogs, TheAboutPictureIsSharpAtEveryScale) {
    const QImage one = aboutPicture(1), two = aboutPicture(2), three = aboutPicture(3),
                 four = aboutPicture(4);
    EXPECT_EQ(one.size(), QSize(135, 137));
    EXPECT_EQ(two.size(), QSize(270, 274));
    EXPECT_EQ(three.size(), QSize(405, 411));
    EXPECT_EQ(four.size(), QSize(540, 548));
    const CellImages images;
    const Surface& yellow = images.colour(2);
    int differ = 0; // the falling piece's cell (5, 5), behind the field's 2-pixel frame at (6, 7)
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            differ +=
                (two.pixel(8 + 80 + x, 9 + 80 + y) & 0xffffff) != (yellow.pixel(x, y) & 0xffffff);
    EXPECT_EQ(differ, 0);
    for (int y = 0; y < four.height(); y += 7)
        for (int x = 0; x < four.width(); x += 5)
            ASSERT_EQ(four.pixel(x, y), two.pixel(x / 2, y / 2)) << x << "," << y;
}

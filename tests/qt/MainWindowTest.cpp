#include "platform/qt/MainWindow.h"

#include "QtTestSupport.h"
#include "platform/qt/Looks.h"
#include "platform/qt/SurfaceWidget.h"

#include <QAction>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using namespace tessarin;
using namespace tessarin::qt;
using tessarin::qttest::GameRig;

namespace {

QColor pixelAt(QWidget* w, int x, int y) {
    return w->grab().toImage().pixelColor(x, y);
}

// Walks the menu tree and the menu bar side by side.
void expectMenusMatch(const std::vector<MenuItem>& items, const QList<QAction*>& actions,
                      const std::string& where) {
    ASSERT_EQ(actions.size(), qsizetype(items.size())) << where;
    for (size_t i = 0; i < items.size(); ++i) {
        const MenuItem& item = items[i];
        QAction* a = actions[qsizetype(i)];
        SCOPED_TRACE(where + " > " + item.Name);
        EXPECT_EQ(a->isSeparator(), item.isSeparator());
        if (item.isSeparator())
            continue;
        EXPECT_EQ(a->text().toStdString(), item.Caption);
        EXPECT_EQ(a->shortcut().toString(QKeySequence::PortableText).toStdString(), item.Shortcut);
        EXPECT_EQ(a->menu() != nullptr, !item.Items.empty());
        if (a->menu())
            expectMenusMatch(item.Items, a->menu()->actions(), where + " > " + item.Name);
    }
}

struct ShownWindow {
    explicit ShownWindow(GameRig& rig, int scale = 1) : window(*rig.game, scale) {
        window.setEndRequest([this] { endRequested = true; });
        QObject::connect(&window, &MainWindow::exposed, [this] { ++exposures; });
        window.afterEvent();
        window.show();
        window.activateWindow();
        active = QTest::qWaitForWindowActive(&window);
    }
    MainWindow window;
    bool endRequested = false;
    bool active = false;
    int exposures = 0;
};

} // namespace

TEST(MainWindow, MenuBarFollowsTheMenuTree) {
    GameRig rig;
    MainWindow w(*rig.game, 1);
    w.afterEvent();
    const MenuTree expected;
    expectMenusMatch(expected.Bar, w.menuBar()->actions(), "bar");

    // A few items spelled out, so a change of the tree itself shows too.
    QStringList bar;
    for (QAction* a : w.menuBar()->actions())
        bar << a->text();
    EXPECT_EQ(bar, QStringList({"&Game", "&Skills", "&Option", "&Help"}));
    const QStringList shortcuts = {
        "mnuOnePlayer=Ctrl+O", "mnuDuel=Ctrl+D", "mnuCooperation=Ctrl+C", "mnuNewGame=F2",
        "mnuPause=Ctrl+P",     "mnuStop=Ctrl+Q", "mnuExit=Ctrl+X",        "mnuSound=Ctrl+S"};
    for (const QString& pair : shortcuts) {
        const QStringList p = pair.split('=');
        QAction* a = w.action(p[0].toStdString());
        ASSERT_NE(a, nullptr) << p[0].toStdString();
        EXPECT_EQ(a->shortcut(), QKeySequence(p[1])) << p[0].toStdString();
    }
    EXPECT_EQ(w.action("mnuLevel", 10)->text(), "Level 10");
    EXPECT_EQ(w.action("mnuSpeed", 9)->text(), "Speed &9");
    EXPECT_TRUE(w.action("mnusep7")->isSeparator());

    // Start-up states: what needs a mode is grey, the settings are checked,
    // and an unchecked item shows no mark at all.
    EXPECT_TRUE(w.action("mnuOnePlayer")->isEnabled());
    EXPECT_FALSE(w.action("mnuNewGame")->isEnabled());
    EXPECT_FALSE(w.action("mnuLevel0")->isEnabled()); // the whole Level submenu
    EXPECT_TRUE(w.action("mnuLevel", 0)->isChecked());
    EXPECT_FALSE(w.action("mnuLevel", 1)->isCheckable());
    EXPECT_TRUE(w.action("mnuSound")->isChecked());
    EXPECT_TRUE(w.action("mnuGameA")->isChecked());
    EXPECT_FALSE(w.action("mnuGameB")->isChecked());

    // The menus follow the game's state after every event.
    rig.game->Menus.find("mnuLevel", 0)->Checked = false;
    rig.game->Menus.find("mnuLevel", 7)->Checked = true;
    rig.game->Menus.find("mnuLevel0")->Enabled = true;
    rig.game->Menus.find("mnuSound")->Checked = false;
    rig.game->Menus.find("mnuDuelResult")->Visible = false;
    w.afterEvent();
    EXPECT_FALSE(w.action("mnuLevel", 0)->isChecked());
    EXPECT_TRUE(w.action("mnuLevel", 7)->isChecked());
    EXPECT_TRUE(w.action("mnuLevel0")->isEnabled());
    EXPECT_FALSE(w.action("mnuSound")->isChecked());
    EXPECT_FALSE(w.action("mnuDuelResult")->isVisible());
}

TEST(MainWindow, ShortcutsRunTheirCommandAndOtherKeysReachTheGame) {
    GameRig rig;
    ShownWindow shown(rig);
    ASSERT_TRUE(shown.active);
    MainWindow& w = shown.window;
    QSignalSpy commands(&w, &MainWindow::commandTriggered);
    std::vector<std::pair<int, int>> keys;
    QObject::connect(&w, &MainWindow::keyForwarded, [&](int code, int shift) {
        // The modifier keys themselves reach the game too, as they are
        // pressed; they are left out here.
        if (code != 16 && code != 17 && code != 18)
            keys.push_back({code, shift});
    });

    // Ctrl+S switches the sound and is no game key.
    QTest::keyClick(&w, Qt::Key_S, Qt::ControlModifier);
    ASSERT_EQ(commands.size(), 1);
    EXPECT_EQ(commands[0][0].toString(), "mnuSound");
    EXPECT_TRUE(keys.empty());

    // Ctrl+O chooses One Player.
    QTest::keyClick(&w, Qt::Key_O, Qt::ControlModifier);
    ASSERT_EQ(commands.size(), 2);
    EXPECT_EQ(commands[1][0].toString(), "mnuOnePlayer");
    EXPECT_TRUE(keys.empty());

    // A disabled item's shortcut is an ordinary key for the game.
    QAction* newGame = w.action("mnuNewGame");
    if (!newGame->isEnabled()) {
        QTest::keyClick(&w, Qt::Key_F2);
        EXPECT_EQ(commands.size(), 2);
        EXPECT_EQ(keys, (std::vector<std::pair<int, int>>{{113, 0}}));
    }

    // Playing keys arrive with their virtual-key code and shift state,
    // auto-repeat included.
    keys.clear();
    const qsizetype before = commands.size();
    QTest::keyClick(&w, Qt::Key_A);
    QTest::keyClick(&w, Qt::Key_1, Qt::KeypadModifier);
    QTest::keyClick(&w, Qt::Key_W, Qt::ShiftModifier);
    QKeyEvent repeat(QEvent::KeyPress, Qt::Key_D, Qt::NoModifier, "d", true);
    QApplication::sendEvent(&w, &repeat);
    QApplication::sendEvent(&w, &repeat);
    // The keys reach the window before any control in it.
    QTest::keyClick(w.menuBar(), Qt::Key_S);
    EXPECT_EQ(keys, (std::vector<std::pair<int, int>>{
                        {65, 0}, {97, 0}, {87, 1}, {68, 0}, {68, 0}, {83, 0}}));
    EXPECT_EQ(commands.size(), before);
}

TEST(MainWindow, StartUpWindowHasItsClientSizeCaptionAndBanner) {
    GameRig rig;
    for (int scale : {1, 2}) {
        SCOPED_TRACE(scale);
        ShownWindow shown(rig, scale);
        MainWindow& w = shown.window;
        EXPECT_EQ(w.clientArea()->size(), QSize(261, 114) * scale);
        // Showing the window exposes it: the game is asked to redraw.
        EXPECT_GE(shown.exposures, 1);
        EXPECT_EQ(w.windowTitle(), "Tessarin");
        // Fixed size: menu bar plus client area, not resizable.
        EXPECT_EQ(w.minimumSize(), w.maximumSize());
        EXPECT_EQ(w.height(), w.menuBar()->height() + 114 * scale);
        EXPECT_EQ(pixelAt(w.clientArea(), 2, 100 * scale), appWorkspace());

        ElementLabel* welcome = w.labelWidget("Label1");
        ASSERT_NE(welcome, nullptr);
        EXPECT_TRUE(welcome->isVisible());
        EXPECT_EQ(welcome->pos(), QPoint(96, 24) * scale);
        EXPECT_GT(welcome->width(), 20 * scale); // sized to "Welcome to "
        EXPECT_EQ(w.labelWidget("Label2")->pos(),
                  QPoint(toPixels(915, scale), toPixels(697, scale)));
        EXPECT_FALSE(w.labelWidget("lblGame")->isVisible());
        EXPECT_FALSE(w.labelWidget("lblScore")->isVisible());
        // No playing surface before a mode is chosen.
        for (SurfaceWidget* s : w.surfaceWidgets())
            EXPECT_FALSE(s->isVisible());
    }
}

TEST(MainWindow, SurfacesShowTheirPixelsInASunkenFrameScaledWithoutSmoothing) {
    GameRig rig;
    Tessarin& game = *rig.game;
    game.TheWindow.Width = 6670;
    game.TheWindow.Height = 6105;
    Surface& field = *game.picCanvas[0];
    field.move(1060, 510, 2700, 4380);
    field.setVisible(true);
    field.fill(0xFFFF0000u);
    field.setPixel(1, 0, 0xFF0000FFu);
    for (int scale : {1, 3}) {
        SCOPED_TRACE(scale);
        ShownWindow shown(rig, scale);
        QWidget* client = shown.window.clientArea();
        const int left = toPixels(1060, scale), top = toPixels(510, scale);
        const int inner = 2 * scale;
        EXPECT_TRUE(field.DirtyRect().empty());
        const QImage img = client->grab().toImage();
        EXPECT_EQ(img.pixelColor(left, top), QColor(128, 128, 128));           // outer edge
        EXPECT_EQ(img.pixelColor(left + scale, top + scale), QColor(0, 0, 0)); // inner edge
        EXPECT_EQ(img.pixelColor(left + toPixels(2700, scale) - 1, top + 5 * scale),
                  QColor(255, 255, 255));
        // Buffer pixel (0, 0) is red, (1, 0) blue, each a scale x scale block.
        EXPECT_EQ(img.pixelColor(left + inner, top + inner), QColor(255, 0, 0));
        EXPECT_EQ(img.pixelColor(left + inner + scale - 1, top + inner + scale - 1),
                  QColor(255, 0, 0));
        EXPECT_EQ(img.pixelColor(left + inner + scale, top + inner), QColor(0, 0, 255));
        EXPECT_EQ(img.pixelColor(left + inner + 2 * scale - 1, top + inner), QColor(0, 0, 255));
        EXPECT_EQ(img.pixelColor(left + inner + 2 * scale, top + inner), QColor(255, 0, 0));
    }

    // Only what changed is repainted, and the change shows.
    ShownWindow shown(rig, 1);
    field.setPixel(5, 5, 0xFF00FF00u);
    EXPECT_EQ(field.DirtyRect(), (PixelRect{5, 5, 1, 1}));
    shown.window.afterEvent();
    EXPECT_TRUE(field.DirtyRect().empty());
    const int x = toPixels(1060, 1) + 2 + 5, y = toPixels(510, 1) + 2 + 5;
    EXPECT_EQ(pixelAt(shown.window.clientArea(), x, y), QColor(0, 255, 0));
}

TEST(MainWindow, SurfacesStackByTheirOrderAndLabelsLieBeneath) {
    GameRig rig;
    Tessarin& game = *rig.game;
    game.TheWindow.Width = 6670;
    game.TheWindow.Height = 6105;
    Surface& field = *game.picCanvas[0];
    Surface& preview = *game.picPreviewer[0];
    field.move(1060, 510, 2700, 4380);
    preview.move(1500, 900, 1020, 1020); // overlaps the field
    field.setVisible(true);
    preview.setVisible(true);
    field.fill(0xFFFF0000u);
    preview.fill(0xFF00FF00u);
    game.lblGame.Left = 1500;
    game.lblGame.Visible = true;
    preview.ZOrder();
    ShownWindow shown(rig);
    QWidget* client = shown.window.clientArea();
    const QPoint overlap(toPixels(1700, 1), toPixels(1100, 1));
    EXPECT_EQ(pixelAt(client, overlap.x(), overlap.y()), QColor(0, 255, 0));
    // The label at (1500, 3030) lies beneath the field.
    EXPECT_EQ(pixelAt(client, toPixels(1550, 1), toPixels(3100, 1)), QColor(255, 0, 0));
    field.ZOrder();
    shown.window.afterEvent();
    EXPECT_EQ(pixelAt(client, overlap.x(), overlap.y()), QColor(255, 0, 0));
    // A surface that goes away takes its widget with it.
    game.picCanvas[0].reset();
    shown.window.afterEvent();
    EXPECT_EQ(shown.window.surfaceWidgets().size(), 1u);
    EXPECT_EQ(pixelAt(client, overlap.x(), overlap.y()), QColor(0, 255, 0));
}

TEST(MainWindow, ClosingUnloadsAndEndsAndNothingRunsAfterwards) {
    GameRig rig;
    ShownWindow shown(rig);
    MainWindow& w = shown.window;
    QSignalSpy commands(&w, &MainWindow::commandTriggered);
    QSignalSpy keys(&w, &MainWindow::keyForwarded);
    w.close();
    EXPECT_TRUE(shown.endRequested);
    QKeyEvent key(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a");
    QApplication::sendEvent(&w, &key);
    w.action("mnuBestScore")->trigger();
    EXPECT_EQ(keys.size(), 0);
    EXPECT_EQ(commands.size(), 0);
}

TEST(MainWindow, ExitEndsTheProgram) {
    GameRig rig;
    ShownWindow shown(rig);
    shown.window.action("mnuExit")->trigger();
    ASSERT_FALSE(!rig.game->Ended) << "Exit ends the game";
    EXPECT_TRUE(shown.endRequested);
    EXPECT_TRUE(rig.dialogs.ended);
}

TEST(MainWindow, EachModeSizesTheWindowAndShowsItsSurfaces) {
    struct Case {
        const char* command;
        const char* caption;
        QSize client;
        size_t surfaces;
    };
    const Case cases[] = {{"mnuOnePlayer", "Tessarin (Standard)", {439, 363}, 2},
                          {"mnuDuel", "Tessarin (Duel)", {623, 363}, 4},
                          {"mnuCooperation", "Tessarin (Cooperation)", {543, 373}, 3},
                          {"mnuOnePlayer", "Tessarin (Standard)", {439, 363}, 2}};
    GameRig rig;
    ShownWindow shown(rig);
    MainWindow& w = shown.window;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        w.action(c.command)->trigger();
        ASSERT_NE(rig.game->Mode, Tessarin::kNoMode);
        EXPECT_EQ(w.windowTitle(), c.caption);
        EXPECT_EQ(w.clientArea()->size(), c.client);
        EXPECT_TRUE(w.isVisible());
        size_t visible = 0;
        for (SurfaceWidget* s : w.surfaceWidgets())
            visible += s->isVisible();
        EXPECT_EQ(visible, c.surfaces);
        EXPECT_FALSE(w.labelWidget("Label1")->isVisible());
        EXPECT_TRUE(w.labelWidget("lblScore")->isVisible());
    }
}

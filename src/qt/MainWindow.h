#pragma once

#include "driver/Tessarin.h"

#include <QMainWindow>
#include <QPoint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

class QAction;
class QMenu;
class QKeyEvent;

namespace tessarin::qt {

class ElementLabel;
class SurfaceWidget;

// The game's main window: the menu bar built from the menu tree, the labels
// and picture surfaces of the window, its caption, size and place, all
// mirrored from the game after every event; menu commands, keys, exposure
// and the close button are handed to the game's handlers.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    MainWindow(Tessarin& game, int scale, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Brings every widget up to date with the game's state.
    void sync();
    // What the window does after each event it handed to the game: sync, or
    // end the program once the game has ended.
    void afterEvent();
    // Called when the program must end (the game ended, or the window was
    // closed); the application quits from there.
    void setEndRequest(std::function<void()> f) { endRequest_ = std::move(f); }
    // Commands the front end runs itself (network play): true when taken.
    void setCommandHook(std::function<bool(const std::string&)> f) { commandHook_ = std::move(f); }
    // Runs after every event the window handed to the game, once in sync.
    void setAfterEventHook(std::function<void()> f) { afterEventHook_ = std::move(f); }
    // Where the screen starts, in pixels, for placing the window.
    void setScreenOrigin(QPoint origin) { screenOrigin_ = origin; }

    int scale() const { return scale_; }
    QWidget* clientArea() const { return client_; }
    // The action of a menu item (its menu's action for a submenu).
    QAction* action(const std::string& name, int index = -1) const;
    ElementLabel* labelWidget(const std::string& name) const;
    std::vector<SurfaceWidget*> surfaceWidgets() const;

    bool eventFilter(QObject* watched, QEvent* event) override;

signals:
    // A menu command was handed to the game.
    void commandTriggered(const QString& name, int index);
    // A key was handed to the game (Keyboard_KeyDown).
    void keyForwarded(int keyCode, int shift);
    // The window was uncovered and the game asked to redraw (Form_Paint).
    void exposed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // A menu item and its action. The tree of items never changes shape,
    // only their states; what the action was last set to show is kept, so
    // that an event that changed no item costs a few comparisons.
    struct Bound {
        std::string name;
        int index;
        QAction* action;
        const MenuItem* item;
        struct Shown {
            bool Enabled, Visible, Checked;
            std::string Caption;
            bool of(const MenuItem& i) const {
                return Enabled == i.Enabled && Visible == i.Visible && Checked == i.Checked &&
                       Caption == i.Caption;
            }
        };
        std::optional<Shown> shown;
    };
    void addItems(QMenu* menu, const std::vector<MenuItem>& items);
    void bind(const MenuItem& item, QAction* action);
    void runCommand(const std::string& name, int index);
    void handleKey(QKeyEvent* event);
    void paintExposed();
    void syncMenus();
    void syncWindow();
    void syncLabels();
    void syncSurfaces();
    void requestEnd();

    Tessarin& game_;
    int scale_;
    QWidget* client_;
    std::vector<Bound> actions_;
    bool menusTouched_ = false; // Qt toggled a checkable action it triggered
    std::map<const Label*, ElementLabel*> labels_;
    std::map<uint64_t, SurfaceWidget*> surfaces_; // by the surface's Id()
    std::function<void()> endRequest_;
    std::function<bool(const std::string&)> commandHook_;
    std::function<void()> afterEventHook_;
    QPoint screenOrigin_;
    QPoint placed_{-1, -1};
    bool placedOnce_ = false;
    bool endRequested_ = false;
    int syncing_ = 0;
};

} // namespace tessarin::qt

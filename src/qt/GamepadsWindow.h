#pragma once
// The Gamepads window: each connected pad by name with the player it plays,
// and the swap of the two players' pads between games.
#include "driver/Gamepads.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QGridLayout;

namespace tessarin::qt {

class GamepadsWindow : public QDialog {
    Q_OBJECT
public:
    GamepadsWindow(Gamepads& pads, QWidget* parent = nullptr);

    // Shows the pads as they are now (the window follows every change while
    // it is open).
    void refresh();
    // After an event of the game: refreshed when the swap became possible
    // or impossible (a game began or ended).
    void followGame();

    QPushButton* swapButton() const { return swap_; }
    QPushButton* closeButton() const { return close_; }
    // The lines shown, "player: pad", for tests.
    QStringList lines() const;

private:
    int labelMargin() const;

    Gamepads& pads_;
    QGridLayout* grid_;
    QLabel* note_;
    QPushButton* swap_;
    QPushButton* close_;
    std::vector<QLabel*> rows_;
};

} // namespace tessarin::qt

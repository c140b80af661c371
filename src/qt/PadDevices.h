#pragma once
// The gamepads themselves, through SDL's game-controller API: pads plugged
// in before or while the program runs, their buttons and sticks handed to
// the game's Gamepads, and their rumble. Only SDL's game-controller part is
// started, and nothing is read while no pad is connected: the program
// watches /dev/input for new devices instead.
#include "qt/PadService.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <functional>
#include <map>
#include <set>

class QFileSystemWatcher;
class QTimer;
class QWidget;
struct _SDL_GameController;
struct _SDL_Joystick;

namespace tessarin::qt {

class PadDevices : public QObject {
    Q_OBJECT
public:
    // How often SDL is asked for news while a pad is connected, ms: often
    // while a game runs or a pad was just used, seldom otherwise (a pad
    // connected beside an idle window costs next to nothing).
    static constexpr int kPollMs = 4;
    static constexpr int kIdlePollMs = 60;
    static constexpr int kActiveAfterUseMs = 2000;

    explicit PadDevices(PadSink& pads, QObject* parent = nullptr);
    ~PadDevices() override;

    // Starts SDL's game controllers and takes the pads already there;
    // false (with a line in the log) when SDL cannot start.
    bool start();
    bool started() const { return started_; }
    // Runs after the game handled what the pads did (the window syncs).
    void setAfterEvent(std::function<void()> f) { afterEvent_ = std::move(f); }
    // Whether the pads are read often now (a game runs).
    void setBusy(std::function<bool()> f) { busy_ = std::move(f); }
    // Where the log's lines go (standard error by default).
    void setLog(std::function<void(const QString&)> f) { log_ = std::move(f); }

    // Reads every event SDL has: what the poll timer and a change under
    // /dev/input do; tests call it after driving a virtual pad.
    void poll();
    // Whether SDL is being asked for news on a timer (only while a pad is
    // connected).
    bool polling() const;
    // The poll's interval now, ms.
    int pollInterval() const;
    // A device may have come or gone: SDL is asked now and a few times
    // more while it settles (what a change under /dev/input does).
    void devicesChanged();
    int connected() const { return static_cast<int>(open_.size()); }

private:
    void deviceAdded(int deviceIndex);
    void deviceRemoved(int32_t id);
    void rumble(int32_t id, PadRumble why);
    void note(const QString& line);

    PadSink& pads_;
    bool started_ = false;
    bool inPoll_ = false;
    std::map<int32_t, _SDL_GameController*> open_;
    // Joysticks without a mapping, noted once each.
    std::set<int32_t> ignored_;
    QTimer* pollTimer_;
    QTimer* settleTimer_;
    int settleLeft_ = 0;
    QFileSystemWatcher* watcher_ = nullptr;
    std::function<void()> afterEvent_;
    std::function<bool()> busy_;
    QElapsedTimer lastUse_;
    std::function<void(const QString&)> log_;
};

// A pad that exists only inside the program (SDL's virtual joysticks): for
// the tests, and for the end-to-end test's switch. With `mapped` false it is
// a joystick no gamepad mapping knows.
class VirtualPad {
public:
    explicit VirtualPad(const char* name, bool mapped = true);
    ~VirtualPad();
    VirtualPad(const VirtualPad&) = delete;
    VirtualPad& operator=(const VirtualPad&) = delete;

    bool attached() const { return joystick_ != nullptr; }
    int32_t id() const { return id_; }
    // SDL_CONTROLLER_BUTTON_... and SDL_CONTROLLER_AXIS_... numbers.
    void button(int button, bool down);
    void axis(int axis, int value);
    // Pulled out (the destructor does it too).
    void unplug();
    // How often it was asked to rumble.
    int rumbles() const { return rumbles_; }

private:
    _SDL_Joystick* joystick_ = nullptr;
    int32_t id_ = -1;
    int rumbles_ = 0;
};

} // namespace tessarin::qt

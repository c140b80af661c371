#include "qt/PadDevices.h"

#include <QDir>
#include <QFileSystemWatcher>
#include <QTimer>
#include <optional>
#define SDL_MAIN_HANDLED
#include <SDL.h>
#include <cstdio>

namespace tessarin::qt {

namespace {

// After a change under /dev/input the device may need a moment (its
// permissions are set after it appears): SDL is asked a few more times.
constexpr int kSettleMs = 250;
constexpr int kSettleTimes = 8;

// The rumbles: strength of the low and high motors, and length.
struct Shake {
    Uint16 low, high;
    Uint32 ms;
};
constexpr Shake kRowsShake{0x6000, 0x9000, 150};
constexpr Shake kGameOverShake{0xA000, 0xA000, 400};

} // namespace

PadDevices::PadDevices(PadSink& pads, QObject* parent)
    : QObject(parent), pads_(pads), pollTimer_(new QTimer(this)), settleTimer_(new QTimer(this)) {
    pollTimer_->setTimerType(Qt::PreciseTimer);
    pollTimer_->setInterval(kPollMs);
    connect(pollTimer_, &QTimer::timeout, this, &PadDevices::poll);
    settleTimer_->setInterval(kSettleMs);
    connect(settleTimer_, &QTimer::timeout, this, [this] {
        if (--settleLeft_ <= 0)
            settleTimer_->stop();
        poll();
    });
    pads_.setRumble([this](int32_t id, PadRumble why) { rumble(id, why); });
}

PadDevices::~PadDevices() {
    pads_.setRumble({});
    for (auto& [id, controller] : open_)
        SDL_GameControllerClose(controller);
    open_.clear();
    if (started_)
        SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
}

void PadDevices::note(const QString& line) {
    if (log_)
        log_(line);
    else
        std::fprintf(stderr, "tessarin: %s\n", qPrintable(line));
}

bool PadDevices::start() {
    if (started_)
        return true;
    // Pads play whether the window has the focus or not; SDL leaves the
    // program's signals alone. SDL reads SDL_GAMECONTROLLERCONFIG itself.
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) {
        note(QStringLiteral("gamepads are not available: %1")
                 .arg(QString::fromUtf8(SDL_GetError())));
        return false;
    }
    started_ = true;
    // New devices show up under /dev/input: SDL is asked only then.
    if (QDir(QStringLiteral("/dev/input")).exists()) {
        watcher_ = new QFileSystemWatcher({QStringLiteral("/dev/input")}, this);
        connect(watcher_, &QFileSystemWatcher::directoryChanged, this, &PadDevices::devicesChanged);
    }
    // The pads that are there already (their news may also be queued).
    for (int i = 0; i < SDL_NumJoysticks(); ++i)
        deviceAdded(i);
    poll();
    return true;
}

void PadDevices::devicesChanged() {
    settleLeft_ = kSettleTimes;
    settleTimer_->start();
    poll();
}

bool PadDevices::polling() const {
    return pollTimer_->isActive();
}

int PadDevices::pollInterval() const {
    return pollTimer_->interval();
}

namespace {

// The game's control on a game controller's button, if it has one.
std::optional<PadControl> controlOf(uint8_t button) {
    static const std::pair<uint8_t, PadControl> kButtons[] = {
        {SDL_CONTROLLER_BUTTON_DPAD_LEFT, PadControl::Left},
        {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, PadControl::Right},
        {SDL_CONTROLLER_BUTTON_DPAD_DOWN, PadControl::Down},
        {SDL_CONTROLLER_BUTTON_A, PadControl::Turn},
        {SDL_CONTROLLER_BUTTON_START, PadControl::Start},
    };
    for (const auto& [b, control] : kButtons)
        if (b == button)
            return control;
    return std::nullopt;
}

} // namespace

void PadDevices::poll() {
    // A message window opened by a pad's event runs its own loop, which
    // brings the timer back here: the outer call reads on afterwards.
    if (!started_ || inPoll_)
        return;
    inPoll_ = true;
    bool acted = false;
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
        switch (e.type) {
        case SDL_JOYDEVICEADDED:
            deviceAdded(e.jdevice.which);
            break;
        case SDL_JOYDEVICEREMOVED:
            if (open_.count(e.jdevice.which)) {
                deviceRemoved(e.jdevice.which);
                acted = true;
            }
            break;
        case SDL_CONTROLLERBUTTONDOWN:
        case SDL_CONTROLLERBUTTONUP: {
            if (const auto control = controlOf(e.cbutton.button))
                pads_.button(e.cbutton.which, *control, e.type == SDL_CONTROLLERBUTTONDOWN);
            acted = true;
            break;
        }
        case SDL_CONTROLLERAXISMOTION:
            if (e.caxis.axis == SDL_CONTROLLER_AXIS_LEFTX ||
                e.caxis.axis == SDL_CONTROLLER_AXIS_LEFTY) {
                auto it = open_.find(e.caxis.which);
                if (it != open_.end()) {
                    pads_.stick(e.caxis.which,
                                SDL_GameControllerGetAxis(it->second, SDL_CONTROLLER_AXIS_LEFTX),
                                SDL_GameControllerGetAxis(it->second, SDL_CONTROLLER_AXIS_LEFTY));
                    acted = true;
                }
            }
            break;
        default:
            break;
        }
    }
    inPoll_ = false;
    if (acted)
        lastUse_.start();
    // Read again only while there is a pad to read.
    if (open_.empty()) {
        pollTimer_->stop();
    } else {
        const bool busy =
            (busy_ && busy_()) || (lastUse_.isValid() && lastUse_.elapsed() < kActiveAfterUseMs);
        const int interval = busy ? kPollMs : kIdlePollMs;
        if (pollTimer_->interval() != interval)
            pollTimer_->setInterval(interval);
        if (!pollTimer_->isActive())
            pollTimer_->start();
    }
    if (acted && afterEvent_)
        afterEvent_();
}

void PadDevices::deviceAdded(int deviceIndex) {
    const char* joystickName = SDL_JoystickNameForIndex(deviceIndex);
    const QString name = QString::fromUtf8(joystickName ? joystickName : "Gamepad");
    const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(deviceIndex);
    if (!SDL_IsGameController(deviceIndex)) {
        if (ignored_.insert(id).second)
            note(QStringLiteral("the joystick \"%1\" is not a gamepad SDL knows (see "
                                "SDL_GAMECONTROLLERCONFIG); ignored")
                     .arg(name));
        return;
    }
    if (open_.count(id))
        return;
    SDL_GameController* controller = SDL_GameControllerOpen(deviceIndex);
    if (!controller) {
        note(QStringLiteral("the gamepad \"%1\" cannot be opened: %2")
                 .arg(name, QString::fromUtf8(SDL_GetError())));
        return;
    }
    const char* padName = SDL_GameControllerName(controller);
    open_[id] = controller;
    pads_.connected(id, padName ? padName : name.toStdString());
}

void PadDevices::deviceRemoved(int32_t id) {
    auto it = open_.find(id);
    if (it == open_.end())
        return;
    SDL_GameControllerClose(it->second);
    open_.erase(it);
    pads_.disconnected(id);
}

void PadDevices::rumble(int32_t id, PadRumble why) {
    auto it = open_.find(id);
    if (it == open_.end())
        return;
    const Shake s = why == PadRumble::GameOver ? kGameOverShake : kRowsShake;
    // A pad without motors answers -1: nothing to do.
    SDL_GameControllerRumble(it->second, s.low, s.high, s.ms);
}

// ---- VirtualPad

namespace {

int SDLCALL countRumble(void* userdata, Uint16, Uint16) {
    ++*static_cast<int*>(userdata);
    return 0;
}

} // namespace

VirtualPad::VirtualPad(const char* name, bool mapped) {
    SDL_VirtualJoystickDesc desc{};
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = mapped ? SDL_JOYSTICK_TYPE_GAMECONTROLLER : SDL_JOYSTICK_TYPE_UNKNOWN;
    desc.naxes = SDL_CONTROLLER_AXIS_MAX;
    desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
    desc.name = name;
    desc.userdata = &rumbles_;
    desc.Rumble = countRumble;
    const int index = SDL_JoystickAttachVirtualEx(&desc);
    if (index < 0)
        return;
    joystick_ = SDL_JoystickOpen(index);
    id_ = SDL_JoystickGetDeviceInstanceID(index);
}

VirtualPad::~VirtualPad() {
    unplug();
}

void VirtualPad::button(int b, bool down) {
    if (joystick_)
        SDL_JoystickSetVirtualButton(joystick_, b, down ? 1 : 0);
}

void VirtualPad::axis(int a, int value) {
    if (joystick_)
        SDL_JoystickSetVirtualAxis(joystick_, a, static_cast<Sint16>(value));
}

void VirtualPad::unplug() {
    if (!joystick_)
        return;
    SDL_JoystickClose(joystick_);
    joystick_ = nullptr;
    for (int i = 0; i < SDL_NumJoysticks(); ++i)
        if (SDL_JoystickGetDeviceInstanceID(i) == id_) {
            SDL_JoystickDetachVirtual(i);
            break;
        }
}

} // namespace tessarin::qt

#pragma once
// Gamepads without SDL in the program itself: the device code (PadDevices,
// PadScript, SDL) is a module of its own, loaded once the main window shows,
// so that SDL and the libraries it brings add nothing to the start-up. The
// program and the module meet only through these two interfaces.
#include "driver/Gamepads.h"

#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class QWidget;

namespace tessarin::qt {

// Where the devices' news go: the game's Gamepads.
class PadSink {
public:
    virtual void connected(int32_t id, const std::string& name) = 0;
    virtual void disconnected(int32_t id) = 0;
    virtual void button(int32_t id, PadControl control, bool down) = 0;
    virtual void stick(int32_t id, int x, int y) = 0;
    virtual void setRumble(std::function<void(int32_t, PadRumble)> rumble) = 0;

protected:
    ~PadSink() = default;
};

// The module's side: the devices, and the virtual pads of the pad script.
class PadService {
public:
    virtual ~PadService() = default;
    // Starts SDL's game controllers (false when it cannot) and opens the
    // pad script named by TESSARIN_PAD_SCRIPT, if any.
    virtual bool start() = 0;
    // Runs after the game handled what the pads did.
    virtual void setAfterEvent(std::function<void()> f) = 0;
    // Whether the pads are read often now (a game runs).
    virtual void setBusy(std::function<bool()> f) = 0;
};

// The module's one entry point.
using PadServiceFactory = PadService* (*)(PadSink* sink);
inline constexpr const char* kPadServiceEntry = "tessarin_pad_service";
inline constexpr const char* kPadModuleName = "libtessarin-pads.so";

// Loads the module and starts the devices once window is first shown
// (at once if it is already).
class PadLoader : public QObject {
    Q_OBJECT
public:
    PadLoader(PadSink& sink, QObject* parent = nullptr);
    ~PadLoader() override;

    void startWhenShown(QWidget* window);
    // Loads the module and starts it; false (with a line on stderr) when
    // the module or SDL is not there.
    bool load();
    PadService* service() const { return service_.get(); }
    void setAfterEvent(std::function<void()> f) { afterEvent_ = std::move(f); }
    void setBusy(std::function<bool()> f) { busy_ = std::move(f); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    PadSink& sink_;
    void* module_ = nullptr;
    std::unique_ptr<PadService> service_;
    std::function<void()> afterEvent_;
    std::function<bool()> busy_;
};

} // namespace tessarin::qt

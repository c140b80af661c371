#pragma once
// Kept out of the module's sources: seeing this class, the compiler would
// call Gamepads directly from the module, which cannot reach it.
#include "driver/Gamepads.h"
#include "qt/PadService.h"

namespace tessarin::qt {

// The game's Gamepads as a sink.
class GamepadsSink final : public PadSink {
public:
    explicit GamepadsSink(Gamepads& pads) : pads_(pads) {}
    void connected(int32_t id, const std::string& name) override { pads_.Connected(id, name); }
    void disconnected(int32_t id) override { pads_.Disconnected(id); }
    void button(int32_t id, PadControl control, bool down) override {
        pads_.Button(id, control, down);
    }
    void stick(int32_t id, int x, int y) override { pads_.Stick(id, x, y); }
    void setRumble(std::function<void(int32_t, PadRumble)> rumble) override {
        pads_.setRumble(std::move(rumble));
    }

private:
    Gamepads& pads_;
};

} // namespace tessarin::qt

// The gamepads' module: SDL's game controllers and the virtual pads of the
// pad script, behind PadService.
#include "qt/PadDevices.h"
#include "qt/PadScript.h"
#include "qt/PadService.h"

namespace tessarin::qt {
namespace {

class PadModule final : public PadService {
public:
    explicit PadModule(PadSink& sink) : devices_(sink) {
        script_.setPlugged([this] { devices_.devicesChanged(); });
    }
    ~PadModule() override = default;

    bool start() override {
        if (!devices_.start())
            return false;
        script_.open();
        return true;
    }
    void setAfterEvent(std::function<void()> f) override { devices_.setAfterEvent(std::move(f)); }
    void setBusy(std::function<bool()> f) override { devices_.setBusy(std::move(f)); }

private:
    PadDevices devices_;
    PadScript script_; // its pads go before the devices
};

} // namespace
} // namespace tessarin::qt

extern "C" __attribute__((visibility("default"))) tessarin::qt::PadService*
tessarin_pad_service(tessarin::qt::PadSink* sink) {
    return new tessarin::qt::PadModule(*sink);
}

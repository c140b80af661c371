#pragma once
// Virtual pads driven by lines of text, for the end-to-end test and the
// latency benchmark (no /dev/uinput needed): the program reads a pipe or
// file whose name is in TESSARIN_PAD_SCRIPT. Each line is a command:
//   plug NAME              a new pad, numbered 1, 2, ... in order
//   N press|release BUTTON BUTTON: left right down a start
//   N stick X Y            the left stick, -32768 ... 32767
//   N unplug
// The pads are then read as real ones are, on the poll timer.
#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

class QSocketNotifier;

namespace tessarin::qt {

class VirtualPad;

class PadScript : public QObject {
    Q_OBJECT
public:
    explicit PadScript(QObject* parent = nullptr);
    ~PadScript() override;

    // Opens the pipe named by TESSARIN_PAD_SCRIPT, if set; call once SDL
    // has started.
    bool open();
    // Runs one command; false when it makes no sense.
    bool run(const QString& line);
    // Called after a pad was plugged in, as a new device under /dev/input
    // would have the devices looked at.
    void setPlugged(std::function<void()> f) { plugged_ = std::move(f); }

private:
    void readable();

    int fd_ = -1;
    QSocketNotifier* notifier_ = nullptr;
    QByteArray pending_;
    std::vector<std::unique_ptr<VirtualPad>> pads_;
    std::function<void()> plugged_;
};

} // namespace tessarin::qt

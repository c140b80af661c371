#include "qt/PadScript.h"

#include "qt/PadDevices.h"

#include <QSocketNotifier>
#include <QStringList>
#include <SDL.h>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace tessarin::qt {

PadScript::PadScript(QObject* parent) : QObject(parent) {}

PadScript::~PadScript() {
    pads_.clear();
    if (fd_ >= 0)
        ::close(fd_);
}

bool PadScript::open() {
    const char* path = std::getenv("TESSARIN_PAD_SCRIPT");
    if (!path || !*path || fd_ >= 0)
        return false;
    // Read and write: the pipe never reports its end while the program
    // holds it, whoever writes to it and stops.
    fd_ = ::open(path, O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) {
        std::fprintf(stderr, "tessarin: cannot open the pad script %s\n", path);
        return false;
    }
    notifier_ = new QSocketNotifier(fd_, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &PadScript::readable);
    return true;
}

void PadScript::readable() {
    char buffer[4096];
    const ssize_t n = ::read(fd_, buffer, sizeof buffer);
    if (n <= 0)
        return;
    pending_.append(buffer, static_cast<qsizetype>(n));
    qsizetype end;
    while ((end = pending_.indexOf('\n')) >= 0) {
        const QString line = QString::fromUtf8(pending_.left(end)).trimmed();
        pending_.remove(0, end + 1);
        if (!line.isEmpty() && !run(line))
            std::fprintf(stderr, "tessarin: pad script: not understood: %s\n", qPrintable(line));
    }
}

bool PadScript::run(const QString& line) {
    const QStringList w = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (w.size() >= 2 && w[0] == QLatin1String("plug")) {
        const QByteArray name = line.mid(line.indexOf(QLatin1Char(' ')) + 1).toUtf8();
        pads_.push_back(std::make_unique<VirtualPad>(name.constData()));
        if (plugged_)
            plugged_();
        return pads_.back()->attached();
    }
    bool ok = false;
    const int n = w.value(0).toInt(&ok);
    if (!ok || n < 1 || n > static_cast<int>(pads_.size()) || w.size() < 2)
        return false;
    VirtualPad& pad = *pads_[static_cast<size_t>(n - 1)];
    if (w[1] == QLatin1String("unplug")) {
        pad.unplug();
        return true;
    }
    if (w[1] == QLatin1String("stick") && w.size() == 4) {
        pad.axis(SDL_CONTROLLER_AXIS_LEFTX, w[2].toInt());
        pad.axis(SDL_CONTROLLER_AXIS_LEFTY, w[3].toInt());
        return true;
    }
    if ((w[1] == QLatin1String("press") || w[1] == QLatin1String("release")) && w.size() == 3) {
        static const std::pair<const char*, int> buttons[] = {
            {"left", SDL_CONTROLLER_BUTTON_DPAD_LEFT},
            {"right", SDL_CONTROLLER_BUTTON_DPAD_RIGHT},
            {"down", SDL_CONTROLLER_BUTTON_DPAD_DOWN},
            {"a", SDL_CONTROLLER_BUTTON_A},
            {"start", SDL_CONTROLLER_BUTTON_START}};
        for (const auto& [name, button] : buttons)
            if (w[2] == QLatin1String(name)) {
                pad.button(button, w[1] == QLatin1String("press"));
                return true;
            }
    }
    return false;
}

} // namespace tessarin::qt

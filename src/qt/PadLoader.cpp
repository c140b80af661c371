#include "qt/PadService.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <cstdio>
#include <dlfcn.h>

namespace tessarin::qt {

PadLoader::PadLoader(PadSink& sink, QObject* parent) : QObject(parent), sink_(sink) {}

PadLoader::~PadLoader() {
    service_.reset();
    // The module stays mapped: SDL may still have handlers of its own.
}

void PadLoader::startWhenShown(QWidget* window) {
    QWindow* handle = window->windowHandle();
    if (!handle || handle->isExposed()) {
        QTimer::singleShot(0, this, [this] { load(); });
        return;
    }
    handle->installEventFilter(this);
}

bool PadLoader::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Expose) {
        if (auto* handle = qobject_cast<QWindow*>(watched); handle && handle->isExposed()) {
            handle->removeEventFilter(this);
            // After this first frame is drawn.
            QTimer::singleShot(0, this, [this] { load(); });
        }
    }
    return QObject::eventFilter(watched, event);
}

bool PadLoader::load() {
    if (service_)
        return true;
    // Beside the program (a build), or where an installed one keeps it:
    // PREFIX/bin with PREFIX/lib/tessarin, Debian's /usr/games with
    // /usr/lib/games/tessarin.
    const QString dir = QCoreApplication::applicationDirPath();
    const QString name = QString::fromLatin1(kPadModuleName);
    const QStringList places{dir + "/" + name, dir + "/../lib/tessarin/" + name,
                             dir + "/../lib/games/tessarin/" + name};
    QString why;
    for (const QString& place : places) {
        if (!QFileInfo::exists(place))
            continue;
        module_ = dlopen(QFile::encodeName(place).constData(), RTLD_NOW | RTLD_LOCAL);
        if (module_)
            break;
        why = QString::fromLocal8Bit(dlerror());
    }
    if (!module_) {
        if (why.isEmpty())
            why = QStringLiteral("no %1 beside the program").arg(name);
        std::fprintf(stderr, "tessarin: gamepads are not available: %s\n", qPrintable(why));
        return false;
    }
    auto factory = reinterpret_cast<PadServiceFactory>(dlsym(module_, kPadServiceEntry));
    if (!factory) {
        std::fprintf(stderr, "tessarin: gamepads are not available: %s\n", dlerror());
        return false;
    }
    service_.reset(factory(&sink_));
    service_->setAfterEvent(afterEvent_);
    service_->setBusy(busy_);
    return service_->start();
}

} // namespace tessarin::qt

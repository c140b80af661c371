// What the front-end tests share: a game on virtual time with the real
// dialogs, its main window shown, and a way to act inside a modal loop.
#pragma once

#include "driver/Tessarin.h"
#include "platform/VirtualTimerHost.h"
#include "qt/FormDialog.h"
#include "qt/HostKey.h"
#include "qt/InputWindow.h"
#include "qt/MainWindow.h"
#include "qt/QtDialogs.h"
#include "support/TempFolder.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QPushButton>
#include <QScreen>
#include <QSslConfiguration>
#include <QSslSocket>
#include <QTcpServer>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace tessarin::qt::testing {

inline const ScreenSize kScreen{15360, 11520};

// A game on virtual time, loaded, on the real dialogs drawn at scale.
struct GameRig {
    explicit GameRig(int scale = 2) : dialogs(scale) { game.Form_Load(); }
    tessarin::testing::TempFolder folder;
    VirtualTimerHost timers;
    RecordingSound sound;
    DefaultRandom random;
    FixedClock clock;
    QtDialogs dialogs;
    Tessarin game{{timers, sound, random, clock, dialogs, kScreen, folder.path()}};
};

// The main window of a game, shown and active.
struct Shown : MainWindow {
    explicit Shown(Tessarin& game, int scale = 1) : MainWindow(game, scale) {
        setEndRequest([this] { endRequested = true; });
        connect(this, &MainWindow::exposed, [this] { ++exposures; });
        afterEvent();
        show();
        EXPECT_TRUE(QTest::qWaitForWindowActive(this));
    }
    // Widget w as the screen shows it.
    QImage shot(QWidget* w) {
        QCoreApplication::processEvents();
        const QPoint at = w->mapTo(this, QPoint(0, 0));
        return screen()->grabWindow(winId(), at.x(), at.y(), w->width(), w->height()).toImage();
    }
    bool endRequested = false;
    int exposures = 0;
};

// Runs the event loop until done (false if that took over 10 s: a socket on
// the loopback that never answered).
inline bool until(const std::function<bool()>& done) {
    QDeadlineTimer deadline(10000);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

// A port nobody listens on now.
inline quint16 freePort() {
    QTcpServer probe;
    EXPECT_TRUE(probe.listen(QHostAddress::Any, 0));
    return probe.serverPort();
}

// The button of window with this text.
inline QPushButton* button(QWidget* window, const QString& text) {
    for (auto* b : window->findChildren<QPushButton*>())
        if (b->text() == text)
            return b;
    ADD_FAILURE() << "no button " << text.toStdString();
    return nullptr;
}

// TLS 1.3 as the game speaks it, with a certificate when key is given; the
// other side's certificate is not checked (the tests check keys themselves).
inline QSslConfiguration tls(const HostKey* key = nullptr) {
    QSslConfiguration c = QSslConfiguration::defaultConfiguration();
    c.setProtocol(QSsl::TlsV1_3OrLater);
    c.setPeerVerifyMode(QSslSocket::VerifyNone);
    if (key) {
        c.setLocalCertificate(key->certificate);
        c.setPrivateKey(key->privateKey);
    }
    return c;
}

// Runs f inside the next modal loop; a window f leaves open fails the test, and closes.
inline void duringModal(std::function<void()> f) {
    QTimer::singleShot(0, qApp, [f = std::move(f)] {
        f();
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* d = qobject_cast<FormDialog*>(w); d && d->isVisible()) {
                ADD_FAILURE() << "left open: " << d->objectName().toStdString();
                d->abandon();
            }
    });
}

// Answers every name window of the game with name and Enter, noting its title in asked.
inline void answerNames(GameRig& rig, Shown& w, const char* name,
                        std::vector<std::string>* asked = nullptr) {
    rig.dialogs.setBeforeModal([&rig, &w, name, asked] {
        w.sync();
        duringModal([&rig, name, asked] {
            if (InputWindow* in = rig.dialogs.inputWindow(); in && in->isVisible()) {
                if (asked)
                    asked->push_back(in->windowTitle().toStdString());
                QTest::keyClicks(in->text1(), name);
                QTest::keyClick(in->text1(), Qt::Key_Return);
            }
        });
    });
}

} // namespace tessarin::qt::testing

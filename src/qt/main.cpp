// Tessarin, the Qt program: the game's services on Qt and its main window.
#include "driver/Gamepads.h"
#include "platform/Random.h"
#include "platform/Version.h"
#include "qt/CommandLine.h"
#include "qt/GamepadsSink.h"
#include "qt/GamepadsWindow.h"
#include "qt/Looks.h"
#include "qt/MainWindow.h" // the game, too
#include "qt/NetworkPlay.h"
#include "qt/PadService.h"
#include "qt/QtDialogs.h"
#include "qt/QtSound.h"
#include "qt/QtTimerHost.h"

#include <QApplication>
#include <QDir>
#include <QScreen>
#include <QStandardPaths>
#include <QTimer>
#include <cstdio>
#include <filesystem>

namespace {

// The whole factor the window is drawn at: as asked, or from the screen.
// Qt already scales by the screen's device pixel ratio, so the factor only
// grows on a dense screen that reports its density as dots per inch.
int automaticScale(const QScreen* screen) {
    if (!screen)
        return 1;
    const int fromDpi = qRound(screen->logicalDotsPerInch() / 96.0);
    return std::clamp(fromDpi, 1, 4);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication::setApplicationName(QStringLiteral("Tessarin"));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(tessarin::kVersion));

    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const tessarin::qt::Options options = tessarin::qt::parseCommandLine(arguments);
    if (options.exitNow)
        return *options.exitNow;
    const int requestedScale = options.scale;

    QApplication app(argc, argv);
    // The program ends when the game says so (Exit, or the main window's
    // close button), not when its last window happens to close.
    QApplication::setQuitOnLastWindowClosed(false);
    tessarin::qt::QtSound::quietAudioMessages();

    const int scale =
        requestedScale > 0 ? requestedScale : automaticScale(QGuiApplication::primaryScreen());
    QApplication::setFont(tessarin::qt::scaledFont(QApplication::font(), scale));

    // The screen in twips of the game's pixels, so that the game centres
    // its windows on it whatever the scale.
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect screenRect = screen ? screen->geometry() : QRect(0, 0, 1024, 768);
    constexpr int twips = tessarin::Surface::kTwipsPerPixel;
    const tessarin::ScreenSize screenSize{screenRect.width() * twips / scale,
                                          screenRect.height() * twips / scale};

    tessarin::SystemClock clock;
    tessarin::DefaultRandom random;
    tessarin::qt::QtTimerHost timers;
    if (options.userData) {
        // Started from the desktop menu: a folder of the player's own.
        const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
        if (data.isEmpty() || !QDir().mkpath(data) || !QDir::setCurrent(data))
            std::fprintf(stderr, "tessarin: cannot use the data folder %s; using %s\n",
                         qPrintable(data), qPrintable(QDir::currentPath()));
    }
    const std::filesystem::path folder = QDir::currentPath().toStdString();
    tessarin::qt::QtSound sound(folder);
    // Sounds not in the working folder: next to a built program, then
    // where an installed one keeps them (PREFIX/bin with
    // PREFIX/share/tessarin; Debian's /usr/games with /usr/share/games).
    const QString programDir = QCoreApplication::applicationDirPath();
    sound.setFallbackFolders(
        {(programDir + QStringLiteral("/sounds")).toStdString(),
         (programDir + QStringLiteral("/../share/tessarin/sounds")).toStdString(),
         (programDir + QStringLiteral("/../share/games/tessarin/sounds")).toStdString()});
    tessarin::qt::QtDialogs dialogs(scale);
    dialogs.setScreenOrigin(screenRect.topLeft());

    const tessarin::Services services{timers, sound, random, clock, dialogs, screenSize, folder};
    tessarin::Tessarin game(services);
    tessarin::qt::MainWindow window(game, scale);
    window.setScreenOrigin(screenRect.topLeft());

    timers.setAfterTick([&window] { window.afterEvent(); });
    dialogs.setBeforeModal([&window] { window.sync(); });
    dialogs.setOnEnd([&timers, &window] {
        timers.stopAll();
        window.hide();
        QCoreApplication::exit(0);
    });
    window.setEndRequest([&dialogs] { dialogs.EndProgram(); });
    tessarin::qt::NetworkPlay network(game, window, scale);
    // Gamepads: the game's rules for them, the devices through SDL (started
    // once the window shows), and their window.
    tessarin::Gamepads pads(game);
    tessarin::qt::GamepadsSink padSink(pads);
    tessarin::qt::PadLoader padDevices(padSink);
    padDevices.setAfterEvent([&window] { window.afterEvent(); });
    padDevices.setBusy([&game] { return game.Playing; });
    std::unique_ptr<tessarin::qt::GamepadsWindow> padsWindow;
    pads.setChanged([&padsWindow] {
        if (padsWindow)
            padsWindow->refresh();
    });
    // A network game joined from here: the pads play the joiner's side.
    pads.setDivert([&network](tessarin::KeyAction action) {
        if (!network.joined() || !network.joinView())
            return false;
        network.joinView()->padAction(action);
        return true;
    });
    window.setCommandHook([&](const std::string& name) {
        if (name == "mnuGamepads") {
            if (!padsWindow)
                padsWindow = std::make_unique<tessarin::qt::GamepadsWindow>(pads, &window);
            padsWindow->refresh();
            padsWindow->show();
            padsWindow->raise();
            padsWindow->activateWindow();
            return true;
        }
        return network.command(name);
    });
    window.setAfterEventHook([&] {
        network.afterEvent();
        pads.AfterEvent();
        if (padsWindow)
            padsWindow->followGame();
    });

    game.Form_Load();
    window.afterEvent();
    if (game.Ended)
        return 0;
    padDevices.startWhenShown(&window);
    // Started with a join link (clicked, or typed after the program's
    // name): the Join window, once the event loop runs.
    if (!options.link.isEmpty())
        QTimer::singleShot(0, &network, [&network, &options] { network.joinLink(options.link); });
    return app.exec();
}

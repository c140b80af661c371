// Tessarin, the Qt program: the game's services on Qt and its main window.
#include "platform/Random.h"
#include "platform/Version.h"
#include "qt/CommandLine.h"
#include "qt/Looks.h"
#include "qt/MainWindow.h" // the game, too
#include "qt/NetworkPlay.h"
#include "qt/QtDialogs.h"
#include "qt/QtSound.h"
#include "qt/QtTimerHost.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QScreen>
#include <QStandardPaths>
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

    // The options are read before the window system is reached, so --help
    // works without a display.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Tessarin, a falling-block puzzle game for one or two players.\n"
                       "The records (Tessarin.ini) and the sounds are kept in the current "
                       "folder;\nsounds missing there come from the installed game."));
    const QCommandLineOption helpOption = parser.addHelpOption();
    const QCommandLineOption versionOption = parser.addVersionOption();
    const QCommandLineOption scaleOption(
        QStringLiteral("scale"),
        QStringLiteral("Draw the window and its dialogs N times as large (1 to 4); by "
                       "default the screen's density decides."),
        QStringLiteral("N"));
    parser.addOption(scaleOption);
    const QCommandLineOption userDataOption(
        QStringLiteral("user-data"),
        QStringLiteral("Keep the records in your own data folder (as the desktop menu "
                       "starts the game) instead of the current folder."));
    parser.addOption(userDataOption);
    // Options are taken with one dash or two, as Qt takes its own
    // (-platform, -style and the like), which go on to the application.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.parse(arguments);
    // Anything else is most likely a slip of the pen: said, and passed over.
    for (const QString& option : tessarin::qt::unknownOptions(arguments.mid(1)))
        std::fprintf(stderr, "tessarin: unknown option %s ignored (tessarin --help lists them)\n",
                     qPrintable(option));
    if (parser.isSet(helpOption) || parser.isSet(QStringLiteral("help-all"))) {
        QString usage = parser.helpText();
        usage.replace(QStringLiteral("<executable_name>"), QStringLiteral("tessarin"));
        std::fputs(qPrintable(usage), stdout);
        return 0;
    }
    if (parser.isSet(versionOption)) {
        std::printf("Tessarin %s\n", tessarin::kVersion);
        return 0;
    }
    int requestedScale = 0;
    if (parser.isSet(scaleOption)) {
        bool ok = false;
        requestedScale = parser.value(scaleOption).toInt(&ok);
        if (!ok || requestedScale < 1 || requestedScale > 4) {
            std::fprintf(stderr, "tessarin: --scale takes a whole number from 1 to 4\n");
            return 2;
        }
    }

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
    const tessarin::ScreenSize screenSize{screenRect.width() * 15 / scale,
                                          screenRect.height() * 15 / scale};

    tessarin::SystemClock clock;
    tessarin::DefaultRandom random;
    tessarin::qt::QtTimerHost timers;
    if (parser.isSet(userDataOption)) {
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
    window.setCommandHook([&network](const std::string& name) { return network.command(name); });
    window.setAfterEventHook([&network] { network.afterEvent(); });

    game.Form_Load();
    window.afterEvent();
    if (game.Ended)
        return 0;
    return app.exec();
}

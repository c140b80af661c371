#include "qt/CommandLine.h"

#include "platform/Version.h"

#include <QCommandLineParser>
#include <QSet>
#include <cstdio>

namespace tessarin::qt {

namespace {

// The game's options, and those of Qt's (the application, the windowing
// system and its X11 plugin): whether each takes a value.
struct Known {
    QSet<QString> flags;
    QSet<QString> withValue;
};

const Known& knownOptions() {
    static const Known known{
        {
            // the game's
            "h",
            "help",
            "?",
            "help-all",
            "v",
            "version",
            "user-data",
            // Qt's
            "reverse",
            "widgetcount",
            "nograb",
            "dograb",
            "sync",
            "cmap",
            "testability",
        },
        {
            // the game's
            "scale",
            // Qt's
            "platform",
            "platformpluginpath",
            "platformtheme",
            "plugin",
            "style",
            "stylesheet",
            "session",
            "display",
            "geometry",
            "qwindowgeometry",
            "qwindowicon",
            "qwindowtitle",
            "name",
            "title",
            "visual",
            "ncols",
            "fontengine",
            "dialogs",
            "qmljsdebugger",
        },
    };
    return known;
}

} // namespace

QStringList unknownOptions(const QStringList& arguments) {
    const Known& known = knownOptions();
    QStringList unknown;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& arg = arguments[i];
        if (arg == QLatin1String("--"))
            break;
        if (arg.size() < 2 || !arg.startsWith('-'))
            continue; // not an option ("-" alone names standard input)
        const qsizetype dashes = arg.startsWith(QLatin1String("--")) ? 2 : 1;
        const qsizetype equals = arg.indexOf('=');
        const QString written = equals < 0 ? arg : arg.left(equals);
        const QString name = written.mid(dashes);
        if (known.withValue.contains(name)) {
            if (equals < 0)
                ++i; // the value follows
        } else if (!known.flags.contains(name)) {
            unknown << written;
        }
    }
    return unknown;
}

} // namespace tessarin::qt

namespace tessarin::qt {

Options parseCommandLine(const QStringList& arguments) {
    Options options;
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
    parser.addPositionalArgument(
        QStringLiteral("LINK"),
        QStringLiteral("A join link (tessarin://...): the game opens the Join window with it."),
        QStringLiteral("[LINK]"));
    // Options are taken with one dash or two, as Qt takes its own
    // (-platform, -style and the like), which go on to the application.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.parse(arguments);
    // Anything else is most likely a slip of the pen: said, and passed over.
    for (const QString& option : unknownOptions(arguments.mid(1)))
        std::fprintf(stderr, "tessarin: unknown option %s ignored (tessarin --help lists them)\n",
                     qPrintable(option));
    if (parser.isSet(helpOption) || parser.isSet(QStringLiteral("help-all"))) {
        QString usage = parser.helpText();
        usage.replace(QStringLiteral("<executable_name>"), QStringLiteral("tessarin"));
        std::fputs(qPrintable(usage), stdout);
        options.exitNow = 0;
        return options;
    }
    if (parser.isSet(versionOption)) {
        std::printf("Tessarin %s\n", kVersion);
        options.exitNow = 0;
        return options;
    }
    if (parser.isSet(scaleOption)) {
        bool ok = false;
        options.scale = parser.value(scaleOption).toInt(&ok);
        if (!ok || options.scale < 1 || options.scale > 4) {
            std::fprintf(stderr, "tessarin: --scale takes a whole number from 1 to 4\n");
            options.exitNow = 2;
        }
    }
    options.userData = parser.isSet(userDataOption);
    for (const QString& argument : parser.positionalArguments()) {
        if (options.link.isEmpty() &&
            argument.startsWith(QLatin1String("tessarin:"), Qt::CaseInsensitive))
            options.link = argument;
        else
            std::fprintf(stderr, "tessarin: argument %s ignored\n", qPrintable(argument.left(80)));
    }
    return options;
}

} // namespace tessarin::qt

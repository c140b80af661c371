#include "qt/CommandLine.h"

#include <QSet>

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

#pragma once

#include <QStringList>
#include <optional>

namespace tessarin::qt {

// The options on a command line (the program's name left out) that are
// neither the game's own (--help, --help-all, --version, --scale N,
// --user-data) nor ones Qt reads for itself (-platform, -style, -display
// and the like), each as written but without a value given with "=".
// Both kinds are taken with one dash or two; an option's value may follow
// it or be joined to it with "=", and a following value is never taken
// for an option. "--" ends the options.
QStringList unknownOptions(const QStringList& arguments);

// What the command line asks of the program.
struct Options {
    int scale = 0;         // 1 to 4; 0: the screen's density decides
    bool userData = false; // the records in the player's data folder
    // A join link (an argument beginning with "tessarin:", as the desktop
    // hands a clicked link over), read later by the Join window; empty
    // when none was given.
    QString link;
    // Set when the program ends at once with this status (after --help,
    // --version or a wrong value, answered on the standard streams).
    std::optional<int> exitNow;
};
// Reads the options (the program's name first), before the window system
// is reached, so that --help works without a display. Options it does not
// know are said on standard error and passed over.
Options parseCommandLine(const QStringList& arguments);

} // namespace tessarin::qt

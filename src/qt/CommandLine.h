#pragma once

#include <QStringList>

namespace tessarin::qt {

// The options on a command line (the program's name left out) that are
// neither the game's own (--help, --help-all, --version, --scale N,
// --user-data) nor ones Qt reads for itself (-platform, -style, -display
// and the like), each as written but without a value given with "=".
// Both kinds are taken with one dash or two; an option's value may follow
// it or be joined to it with "=", and a following value is never taken
// for an option. "--" ends the options.
QStringList unknownOptions(const QStringList& arguments);

} // namespace tessarin::qt

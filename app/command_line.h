#pragma once
// The program's command line: phonedir [--remember] [DATA_DIR], with --help and --version as
// desktop programs answer them.

#include <QString>
#include <QStringList>
#include <variant>

namespace app {

struct Options {
  QString folder;         // DATA_DIR as given; empty when none was
  bool remember = false;  // save the folder for starts without one
};

// True when the arguments ask only for the help or the version text, which the program
// prints without opening a display.
bool asksForTextOnly(int argc, char** argv);

// Parses the application's arguments (the program's name first). Either the options to run
// with, or the exit code once the help, the version or a usage error has been printed.
std::variant<Options, int> parseCommandLine(const QStringList& arguments);

}  // namespace app

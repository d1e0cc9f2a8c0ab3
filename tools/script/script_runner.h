#pragma once
// The scenario runner: reads a script of user actions, plays them against the program on the
// headless backend and writes the transcript of what happened.

#include <istream>
#include <ostream>

namespace phonedir::script {

// Runs the script; returns 0, or 2 when a line could not run.
int runScript(std::istream& script, std::ostream& transcript);

}  // namespace phonedir::script

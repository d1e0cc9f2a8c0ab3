// The telephone directory program: the Qt backend under the runtime, the main procedure on
// its own thread, the Qt event loop on this one.

#include <QApplication>

#include "gui/icons.h"
#include "gui/qt_backend.h"
#include "runtime/close_signals.h"
#include "runtime/runtime.h"
#include "shell/program.h"

int main(int argc, char* argv[]) {
  // Before any thread starts, so every thread leaves SIGTERM and SIGINT to the runtime.
  const runtime::CloseSignals closeSignals;
  QApplication app(argc, argv);
  QApplication::setApplicationDisplayName(QStringLiteral("Телефонный справочник"));
  QApplication::setWindowIcon(gui::catalogueIcon("Phone.ico"));

  int exitCode = 0;
  {
    gui::QtBackend backend;
    runtime::init(backend);
    runtime::runMain(&phonedir::_main);
    QApplication::exec();
    // The loop ends when the main procedure has returned or halted; the other procedure
    // threads are stopped and joined while the backend still exists.
    runtime::shutdown();
    exitCode = backend.exitCode();
  }
  return exitCode;
}

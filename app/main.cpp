// The telephone directory program: the Qt backend under the runtime, the main procedure on
// its own thread, the Qt event loop on this one, all in the data folder.

#include <QApplication>
#include <cstdlib>
#include <cstring>
#include <iostream>

#include "command_line.h"
#include "data_folder.h"
#include "gui/icons.h"
#include "gui/qt_backend.h"
#include "gui/qt_texts.h"
#include "runtime/close_signals.h"
#include "runtime/runtime.h"
#include "shell/program.h"

namespace {

// The help and the version need no display: they are printed from a console application,
// so they work on a terminal without a graphical session too.
int printText(int argc, char* argv[]) {
  const QCoreApplication console(argc, argv);
  gui::installQtTexts();
  const auto parsed = app::parseCommandLine(QCoreApplication::arguments());
  const int* code = std::get_if<int>(&parsed);
  return code != nullptr ? *code : 1;
}

constexpr char kNoSession[] =
    "phonedir: нет графического сеанса (не заданы DISPLAY и WAYLAND_DISPLAY): "
    "Телефонный справочник запускается на рабочем столе.\n";

// A display that is named but cannot be reached (a stale DISPLAY after ssh or sudo) is found
// only as the window system's library starts, which then stops the program with a fatal
// message of its own, in English, and an abort. Said in Russian, it ends the program with 1.
QtMessageHandler standardMessages = nullptr;

void startMessages(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  if (type != QtFatalMsg) {
    if (standardMessages != nullptr) standardMessages(type, context, text);
    return;
  }
  std::cerr << "phonedir: не удалось открыть окно на экране «"
            << qEnvironmentVariable("DISPLAY", qEnvironmentVariable("WAYLAND_DISPLAY"))
                   .toLocal8Bit()
                   .constData()
            << "»: Телефонный справочник запускается на рабочем столе.\n";
  std::_Exit(1);
}

bool hasDisplay(int argc, char* argv[]) {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
    if (!qEnvironmentVariableIsEmpty(name)) return true;
  }
  // A platform named on the command line is the user's own choice.
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "-platform") == 0) return true;
  }
  return false;
}

}  // namespace

int main(int argc, char* argv[]) {
  // Before any thread starts, so every thread leaves the close signals to the runtime.
  const runtime::CloseSignals closeSignals;
  QCoreApplication::setApplicationName(QStringLiteral("phonedir"));
  QCoreApplication::setApplicationVersion(QStringLiteral(PHONEDIR_VERSION));
  if (app::asksForTextOnly(argc, argv)) return printText(argc, argv);
  // Outside a graphical session the window system's library would stop the program with a
  // message of its own, in English, and a crash's exit code.
  if (!hasDisplay(argc, argv)) {
    std::cerr << kNoSession;
    return 1;
  }

  standardMessages = qInstallMessageHandler(startMessages);
  QApplication application(argc, argv);
  qInstallMessageHandler(standardMessages);
  // No display name: the window system would add it to every caption the program sets.
  QApplication::setDesktopFileName(QStringLiteral("phonedir"));
  QApplication::setWindowIcon(gui::catalogueIcon("Phone.ico"));
  gui::installQtTexts();

  const auto parsed = app::parseCommandLine(QCoreApplication::arguments());
  if (const int* code = std::get_if<int>(&parsed)) return *code;
  const auto& options = std::get<app::Options>(parsed);
  // The system works in its working directory: every data file is opened from there.
  const app::DataFolder folder = app::chooseDataFolder(options.folder);
  if (const QString problem = app::enterDataFolder(folder); !problem.isEmpty()) {
    app::reportStartProblem(problem);
    return 1;
  }
  if (options.remember && !app::rememberDataFolder(folder.path)) {
    app::reportStartProblem(
        QStringLiteral("Не удалось сохранить папку данных в настройках (%1); программа "
                       "работает в ней сейчас, но без аргумента запустится в другой.")
            .arg(app::settingsFile()));
  }

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

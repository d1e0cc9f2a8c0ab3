#include "command_line.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstring>
#include <iostream>

#include "data_folder.h"

namespace app {

bool asksForTextOnly(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    if (std::strcmp(arg, "--") == 0) return false;  // a folder may start with '-' after it
    for (const char* text : {"-h", "--help", "-?", "--help-all", "-v", "--version"}) {
      if (std::strcmp(arg, text) == 0) return true;
    }
  }
  return false;
}

std::variant<Options, int> parseCommandLine(const QStringList& arguments) {
  QCommandLineParser parser;
  parser.setApplicationDescription(
      QStringLiteral("Телефонный справочник города: абоненты, улицы, личный справочник и поиск.\n"
                     "Файлы данных хранятся в папке данных; несколько рабочих мест могут "
                     "работать с одной общей папкой.\n"
                     "Без аргумента используется папка, сохранённая параметром --remember,\n"
                     "а если её нет — %1.")
          .arg(userDataFolder()));
  parser.addHelpOption();
  parser.addVersionOption();
  const QCommandLineOption remember(
      QStringLiteral("remember"),
      QStringLiteral("Запомнить ПАПКУ: запускаться в ней и без аргумента (настройки: %1).")
          .arg(settingsFile()));
  parser.addOption(remember);
  parser.addPositionalArgument(QStringLiteral("ПАПКА"),
                               QStringLiteral("Папка с файлами данных; создаётся, если её нет."),
                               QStringLiteral("[ПАПКА]"));

  const auto fail = [](const QString& error) {
    std::cerr << "phonedir: " << error.toStdString() << "\nСправка: phonedir --help\n";
    return 1;
  };
  if (!parser.parse(arguments)) return fail(parser.errorText());
  if (parser.isSet(QStringLiteral("help")) || parser.isSet(QStringLiteral("help-all"))) {
    std::cout << parser.helpText().toStdString();
    return 0;
  }
  if (parser.isSet(QStringLiteral("version"))) {
    std::cout << "phonedir " << QCoreApplication::applicationVersion().toStdString() << "\n";
    return 0;
  }
  const QStringList folders = parser.positionalArguments();
  if (folders.size() > 1) return fail(QStringLiteral("указано больше одной папки данных."));
  Options options;
  options.remember = parser.isSet(remember);
  if (!folders.isEmpty()) options.folder = folders.front();
  if (options.remember && options.folder.isEmpty())
    return fail(QStringLiteral("параметру --remember нужна ПАПКА."));
  return options;
}

}  // namespace app

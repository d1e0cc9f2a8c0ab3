#include "data_folder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <QSettings>
#include <QStandardPaths>
#include <QTimer>
#include <cerrno>
#include <filesystem>
#include <iostream>
#include <system_error>

#include "runtime/runtime.h"

namespace app {
namespace {

constexpr size_t kLongestFolder = 400;  // bytes; the storage engine opens paths of 512

const char kFolderKey[] = "dataFolder";

QSettings userSettings() {
  return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("phonedir"),
                   QStringLiteral("phonedir"));
}

// The reasons a user can act on, in the program's language; the system's own text (in the
// session's language) only for the rare rest.
QString reason(int error) {
  switch (error) {
    case EACCES:
    case EPERM:
      return QStringLiteral("нет прав доступа");
    case EROFS:
      return QStringLiteral("диск доступен только для чтения");
    case ENOSPC:
    case EDQUOT:
      return QStringLiteral("на диске нет места");
    case ENOTDIR:
      return QStringLiteral("часть пути — файл, а не папка");
    case ENOENT:
      return QStringLiteral("часть пути не существует");
    case ENAMETOOLONG:
      return QStringLiteral("слишком длинный путь");
    case ELOOP:
      return QStringLiteral("символические ссылки замкнуты в кольцо");
    case EIO:
      return QStringLiteral("ошибка чтения или записи на диске");
    default:
      return QStringLiteral("ошибка системы %1 (%2)")
          .arg(error)
          .arg(QString::fromLocal8Bit(std::generic_category().message(error)));
  }
}

QString hint(const DataFolder& folder) {
  switch (folder.source) {
    case FolderSource::CommandLine:
      return QStringLiteral("Укажите другую папку: phonedir ПАПКА");
    case FolderSource::Settings:
      return QStringLiteral(
                 "Эта папка сохранена в настройках (%1). Укажите другую: phonedir --remember "
                 "ПАПКА")
          .arg(settingsFile());
    case FolderSource::UserData:
      break;
  }
  return QStringLiteral("Укажите папку данных: phonedir ПАПКА");
}

// The folder stands on a line of its own: a path wraps only at its slashes, and one broken
// after its first reads badly.
QString problem(const DataFolder& folder, const QString& what) {
  return QStringLiteral("Телефонный справочник не может работать в папке данных\n«%1»:\n%2.\n\n%3")
      .arg(QDir::toNativeSeparators(folder.path), what, hint(folder));
}

// Whether a file can be made in the current folder: the data files and their journals are
// created here, and only trying tells (permissions on a share say little).
int probeWrite() {
  const std::string name = ".phonedir-check-" + std::to_string(getpid());
  const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) return errno;
  ::close(fd);
  ::unlink(name.c_str());
  return 0;
}

}  // namespace

DataFolder chooseDataFolder(const QString& argument) {
  if (!argument.isEmpty())
    return {QDir::cleanPath(QDir::current().absoluteFilePath(argument)), FolderSource::CommandLine};
  // Settings that are there but cannot be read are not taken for none: the station would
  // open a town of its own in the user's data folder, empty, and say nothing.
  const QSettings settings = userSettings();
  // Only a file that is not there at all means no folder was ever remembered; the program
  // writes the file only to remember one.
  struct stat st {};
  if (::stat(QFile::encodeName(settings.fileName()).constData(), &st) != 0) {
    if (errno == ENOENT) return {userDataFolder(), FolderSource::UserData};
    return {{},
            FolderSource::Settings,
            QStringLiteral("файл настроек нельзя прочитать: ") + reason(errno)};
  }
  if (!QFileInfo(settings.fileName()).isReadable())
    return {{}, FolderSource::Settings, QStringLiteral("файл настроек нельзя прочитать")};
  const QVariant saved = settings.value(kFolderKey);
  if (settings.status() != QSettings::NoError)
    return {{}, FolderSource::Settings, QStringLiteral("файл настроек испорчен")};
  if (!settings.contains(kFolderKey))
    return {{}, FolderSource::Settings, QStringLiteral("в нём не записана папка данных")};
  if (saved.typeId() != QMetaType::QString || saved.toString().isEmpty()) {
    return {{},
            FolderSource::Settings,
            QStringLiteral("значение %1 в нём не название папки").arg(kFolderKey)};
  }
  // A hand-written relative name is taken from the home folder, where a menu starts us.
  return {QDir::cleanPath(QDir::home().absoluteFilePath(saved.toString())), FolderSource::Settings};
}

QString userDataFolder() {
  return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

bool rememberDataFolder(const QString& folder) {
  QSettings settings = userSettings();
  settings.setValue(kFolderKey, folder);
  settings.sync();
  return settings.status() == QSettings::NoError;
}

QString settingsFile() {
  return userSettings().fileName();
}

QString enterDataFolder(const DataFolder& folder) {
  if (!folder.settingsProblem.isEmpty()) {
    return QStringLiteral(
               "Телефонный справочник не может взять папку данных из настроек\n«%1»:\n%2.\n\n"
               "Укажите папку: phonedir --remember ПАПКА")
        .arg(QDir::toNativeSeparators(settingsFile()), folder.settingsProblem);
  }
  if (folder.path.isEmpty()) return problem(folder, QStringLiteral("папка не задана"));
  // A name with bytes that are not UTF-8 arrives with stand-ins for them: it names another
  // folder than the one meant, which would be made and opened empty.
  if (folder.path.contains(QChar::ReplacementCharacter))
    return problem(folder, QStringLiteral("в её имени есть байты не в кодировке UTF-8"));
  const std::filesystem::path path(folder.path.toStdString());
  // The data files' names (a journal, the search's file with the station's name in it) must
  // stay within what the storage engine can open.
  if (path.native().size() > kLongestFolder) {
    return problem(folder, QStringLiteral("путь к ней длиннее %1 байт").arg(kLongestFolder));
  }
  std::error_code error;
  const bool exists = std::filesystem::exists(path, error);
  if (exists && !std::filesystem::is_directory(path, error))
    return problem(folder, QStringLiteral("это файл, а не папка"));
  if (!exists && folder.source == FolderSource::Settings) {
    return problem(folder, QStringLiteral("её нет (может быть, сетевой диск ещё не подключён)"));
  }
  std::filesystem::create_directories(path, error);
  if (error)
    return problem(folder, QStringLiteral("её не удалось создать: ") + reason(error.value()));
  if (::chdir(path.c_str()) != 0)
    return problem(folder, QStringLiteral("в неё не удалось перейти: ") + reason(errno));
  if (const int failed = probeWrite())
    return problem(folder, QStringLiteral("в ней нельзя создавать файлы: ") + reason(failed));
  return {};
}

void reportStartProblem(const QString& message) {
  std::cerr << "phonedir: " << message.toLocal8Bit().toStdString() << "\n";
  // Without a screen nobody could answer a box; stderr is all there is.
  const QString platform = QGuiApplication::platformName();
  if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr ||
      platform == QLatin1String("offscreen") || platform == QLatin1String("minimal")) {
    return;
  }
  QMessageBox box(QMessageBox::Critical, QStringLiteral("Телефонный справочник"), message,
                  QMessageBox::Ok);
  // A session that ends meanwhile (SIGTERM) closes the program; nobody is left to answer.
  QTimer watch;
  QObject::connect(&watch, &QTimer::timeout, &box, [&box] {
    if (runtime::stopping()) box.reject();
  });
  watch.start(100);
  box.exec();
}

}  // namespace app

#include "gui/qt_texts.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace gui {

bool installQtTexts() {
  static const bool installed = [] {
    // Kept for the life of the program: the application refers to it, never owns it.
    static QTranslator translator;
    // The program speaks Russian whatever the session's locale says.
    if (!translator.load(QStringLiteral("qtbase_ru"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
      return false;
    }
    return QCoreApplication::installTranslator(&translator);
  }();
  return installed;
}

}  // namespace gui

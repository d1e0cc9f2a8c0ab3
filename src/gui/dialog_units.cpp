#include "gui/dialog_units.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QStringList>
#include <cmath>

namespace gui {
namespace {

// The classic dialog face is a bitmap font no longer shipped; these have the same role.
const QStringList& substitutes() {
  static const QStringList families = {"Liberation Sans", "DejaVu Sans", "Arial", "Helvetica"};
  return families;
}

QString installedFamily(const QString& wanted) {
  const QStringList installed = QFontDatabase::families();
  if (!wanted.isEmpty() && wanted != "MS Sans Serif" && installed.contains(wanted)) {
    return wanted;
  }
  for (const QString& f : substitutes()) {
    if (installed.contains(f)) return f;
  }
  return {};
}

}  // namespace

QFont windowFont(const std::string& name, int pointSize) {
  QFont font;
  const QString family = installedFamily(QString::fromStdString(name));
  if (!family.isEmpty()) {
    font.setFamily(family);
  } else {
    font.setStyleHint(QFont::SansSerif);
    font.setFamily(QFont().defaultFamily());
  }
  font.setPointSize(pointSize > 0 ? pointSize : 8);
  font.setStretch(kTextStretch);
  return font;
}

DialogUnits::DialogUnits(const QFont& textFont) {
  QFont font(textFont);
  font.setStretch(QFont::Unstretched);
  const QFontMetricsF fm(font);
  static const QString alphabet =
      QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
  avgChar_ = fm.horizontalAdvance(alphabet) / alphabet.size();
  height_ = QFontMetrics(font).height();
  if (avgChar_ <= 0) avgChar_ = 6.0;
  if (height_ <= 0) height_ = 13;
}

int DialogUnits::x(int units) const {
  return static_cast<int>(std::lround(units * avgChar_ / 4.0));
}

int DialogUnits::y(int units) const {
  return static_cast<int>(std::lround(units * height_ / 8.0));
}

int DialogUnits::fromX(int pixels) const {
  return static_cast<int>(std::lround(pixels * 4.0 / avgChar_));
}

int DialogUnits::fromY(int pixels) const {
  return static_cast<int>(std::lround(pixels * 8.0 / height_));
}

}  // namespace gui

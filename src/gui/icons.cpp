#include "gui/icons.h"

#include <QHash>
#include <QPainter>
#include <QSvgRenderer>

// Resources of a static library must be registered by hand; this lives outside any
// namespace as the resource macro requires.
static void registerIconResources() {
  Q_INIT_RESOURCE(icons);
}

namespace gui {
namespace {

// Catalogue names are matched without regard to case: "Phone.ico" and "PHONE.ICO" are one
// icon.
QString resourceFor(const std::string& name) {
  static const QHash<QString, QString> names = {
      {"phone.ico", "phone"},   {"fio.ico", "fio"},       {"adress.ico", "adress"},
      {"exit.ico", "exit"},     {"top.ico", "top"},       {"prevp.ico", "prevp"},
      {"prev.ico", "prev"},     {"next.ico", "next"},     {"nextp.ico", "nextp"},
      {"end.ico", "end"},       {"select.ico", "select"}, {"append.ico", "append"},
      {"change.ico", "change"}, {"delete.ico", "delete"}, {"window.gif", "window"},
      {"tool.gif", "tool"},
  };
  static const bool registered = (registerIconResources(), true);
  (void)registered;
  const auto it = names.constFind(QString::fromStdString(name).toLower());
  return it == names.constEnd() ? QString() : ":/icons/" + *it + ".svg";
}

QPixmap render(const QString& resource, QSize size) {
  QSvgRenderer renderer(resource);
  if (!renderer.isValid()) return {};
  QPixmap pixmap(size);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  renderer.render(&painter);
  return pixmap;
}

}  // namespace

QIcon catalogueIcon(const std::string& name) {
  const QString resource = resourceFor(name);
  if (resource.isEmpty()) return {};
  // Rendered here rather than through an icon-engine plugin, so the icons never depend on
  // which plugins the machine has.
  QIcon icon;
  for (int side : {16, 20, 24, 32, 48, 64}) icon.addPixmap(render(resource, QSize(side, side)));
  return icon;
}

QPixmap catalogueWallpaper(const std::string& name) {
  const QString resource = resourceFor(name);
  if (resource.isEmpty()) return {};
  return render(resource, QSize(48, 48));
}

}  // namespace gui

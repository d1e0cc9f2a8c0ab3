#include "gui/popup_menu.h"

namespace gui {

std::vector<PopupItem> parsePopupMenu(const QString& menu) {
  std::vector<PopupItem> items;
  int number = 0;
  for (QString part : menu.split('|')) {
    part = part.trimmed();
    if (part.isEmpty()) continue;
    PopupItem item;
    if (part == "-") {
      item.separator = true;
    } else {
      if (part.startsWith('~')) {
        item.enabled = false;
        part.remove(0, 1);
      }
      item.text = part;
      item.number = ++number;
    }
    items.push_back(item);
  }
  return items;
}

QMenu* buildPopupMenu(const std::vector<PopupItem>& items, QWidget* parent) {
  auto* menu = new QMenu(parent);
  menu->setObjectName("popupMenu");
  for (const PopupItem& item : items) {
    if (item.separator) {
      menu->addSeparator();
      continue;
    }
    QAction* action = menu->addAction(item.text);
    action->setEnabled(item.enabled);
    action->setData(item.number);
  }
  return menu;
}

}  // namespace gui

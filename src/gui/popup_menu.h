#pragma once
// Popup menus from the system's menu text: items separated by '|', '~' before an item greys
// it, '&' marks its access key and "-" is a separator line. Items are numbered from 1 in
// order; separators take no number.

#include <QMenu>
#include <QString>
#include <vector>

namespace gui {

struct PopupItem {
  QString text;  // with its '&' access key
  bool enabled = true;
  bool separator = false;
  int number = 0;  // 1-based; 0 for a separator
};

std::vector<PopupItem> parsePopupMenu(const QString& menu);

// A menu whose actions carry their item numbers as data.
QMenu* buildPopupMenu(const std::vector<PopupItem>& items, QWidget* parent);

}  // namespace gui

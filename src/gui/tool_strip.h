#pragma once
// The toolbar strip at the top of a window: a band of its own, optionally papered with a
// wallpaper tile, on which the toolbar's buttons sit at their catalogue positions.

#include <QPixmap>
#include <QWidget>

#include "runtime/snapshot.h"

namespace gui {

// The height of a window's toolbar strip in dialog units; 0 when it has none.
int toolbarHeightOf(const runtime::WindowSnapshot& window);

class ToolStrip : public QWidget {
 public:
  explicit ToolStrip(QWidget* parent = nullptr);
  void setWallpaper(const QPixmap& tile);
  void setPreferredHeight(int pixels);
  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QPixmap tile_;
  int height_ = 0;
};

}  // namespace gui

#include "gui/tool_strip.h"

#include <QPainter>

namespace gui {

int toolbarHeightOf(const runtime::WindowSnapshot& s) {
  if (s.toolbarHeight > 0) return s.toolbarHeight;
  for (const runtime::ControlSnapshot& c : s.controls) {
    if (c.kind == runtime::ControlKind::Toolbar) return c.rect.h;
  }
  return 0;
}

ToolStrip::ToolStrip(QWidget* parent) : QWidget(parent) {}

void ToolStrip::setWallpaper(const QPixmap& tile) {
  tile_ = tile;
  update();
}

void ToolStrip::setPreferredHeight(int pixels) {
  height_ = pixels;
  setFixedHeight(pixels);
  updateGeometry();
}

QSize ToolStrip::sizeHint() const {
  int right = 0;
  for (const QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    right = std::max(right, child->geometry().right() + 1);
  }
  return {right, height_};
}

void ToolStrip::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (!tile_.isNull()) {
    // A toolbar tile is a vertical shade: stretched to the strip's height, tiled across.
    painter.drawTiledPixmap(rect(), tile_.scaled(tile_.width(), height(), Qt::IgnoreAspectRatio,
                                                 Qt::SmoothTransformation));
  }
  painter.setPen(palette().color(QPalette::Mid));
  painter.drawLine(0, height() - 1, width(), height() - 1);
}

}  // namespace gui

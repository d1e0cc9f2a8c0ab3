#include "gui/page_list.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QPixmap>
#include <QStyleOptionHeader>
#include <algorithm>

#include "gui/key_codes.h"
#include "runtime/locale/charset.h"

namespace gui {
namespace {

constexpr int kThumbMax = 100;
constexpr int kEdgeGrip = 4;     // pixels either side of a header edge that take a drag
constexpr int kLeastColumn = 8;  // pixels a dragged column keeps

Qt::Alignment alignmentOf(char justify) {
  switch (justify) {
    case 'C':
      return Qt::AlignHCenter;
    case 'R':
    case 'D':
      return Qt::AlignRight;
    default:
      return Qt::AlignLeft;
  }
}

}  // namespace

PageList::PageList(QWidget* parent)
    : QFrame(parent),
      bar_(new QScrollBar(Qt::Vertical, this)),
      hbar_(new QScrollBar(Qt::Horizontal, this)) {
  setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_KeyCompression, false);
  setMouseTracking(true);  // the resize cursor over the header's edges
  hbar_->setFocusPolicy(Qt::NoFocus);
  hbar_->setContextMenuPolicy(Qt::NoContextMenu);
  hbar_->hide();
  connect(hbar_, &QScrollBar::valueChanged, this, [this](int value) {
    sideways_ = value;
    update();
  });
  bar_->setRange(0, kThumbMax);
  bar_->setSingleStep(1);
  bar_->setPageStep(10);
  bar_->setFocusPolicy(Qt::NoFocus);
  bar_->setContextMenuPolicy(Qt::NoContextMenu);
  connect(bar_, &QScrollBar::actionTriggered, this, &PageList::barAction);
  connect(bar_, &QScrollBar::sliderReleased, this, [this] {
    emitInput(runtime::ev::ScrollDrag, runtime::key::MouseLeft, bar_->sliderPosition());
  });
}

void PageList::setColumns(const std::vector<runtime::ListColumn>& columns,
                          const DialogUnits& units) {
  // The same format again keeps the widths the user gave the columns.
  const bool same =
      columns.size() == columns_.size() &&
      std::equal(columns.begin(), columns.end(), columns_.begin(),
                 [](const runtime::ListColumn& a, const Column& b) { return a == b.format; });
  if (same) return;
  columns_.clear();
  int start = 0;
  bool leading = true;
  for (const runtime::ListColumn& c : columns) {
    Column col;
    col.format = c;
    col.header = QString::fromStdString(c.header);
    // Edges from the running total, so rounding never accumulates across columns.
    const int left = units.x(start);
    start += c.width;
    col.width = units.x(start) - left;
    col.indent = units.x(c.indent);
    // Only a leading run of fixed columns can stay put: a fixed column after a scrolling one
    // would have to jump over it.
    leading = leading && c.fixed;
    col.scrolls = !leading;
    columns_.push_back(col);
  }
  dragColumn_ = -1;
  placeBars();
}

void PageList::setPage(const std::vector<std::vector<std::string>>& rows, int selected, int thumb,
                       bool scrollbar) {
  std::vector<std::vector<QString>> page;
  page.reserve(rows.size());
  for (const auto& row : rows) {
    std::vector<QString> cells;
    cells.reserve(row.size());
    for (const std::string& cell : row) cells.push_back(QString::fromStdString(cell));
    page.push_back(std::move(cells));
  }
  const int thumbPos = std::clamp(thumb, 0, kThumbMax);
  if (page == rows_ && selected == selected_ && thumbPos == thumb_ && scrollbar == scrollbarOn_) {
    return;
  }
  rows_ = std::move(page);
  selected_ = selected;
  thumb_ = thumbPos;
  if (scrollbar != scrollbarOn_) {
    scrollbarOn_ = scrollbar;
    placeBars();
  }
  // While the user holds the thumb it follows the mouse, not the model.
  if (!bar_->isSliderDown()) bar_->setValue(thumb_);
  update();
}

int PageList::headerHeight() const {
  return fontMetrics().height() + 6;
}

int PageList::rowHeight() const {
  return fontMetrics().height() + 2;
}

QRect PageList::rowsArea() const {
  QRect area = contentsRect();
  area.setTop(area.top() + headerHeight());
  if (scrollbarOn_) area.setRight(bar_->geometry().left() - 1);
  if (sidewaysRange() > 0) area.setBottom(area.bottom() - sidewaysBarHeight());
  return area;
}

int PageList::rowsVisible() const {
  const int bar = sidewaysRange() > 0 ? sidewaysBarHeight() : 0;
  const int h = contentsRect().height() - headerHeight() - bar;
  return h > 0 ? h / rowHeight() : 0;
}

int PageList::sidewaysBarHeight() const {
  return style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, hbar_);
}

int PageList::sidewaysRange() const {
  // The room for the scrolling columns leaves the vertical bar's width whether the model
  // shows the bar or not: the sideways bar then never comes and goes with the page, whose
  // row count it changes. Reckoned from the list's size as it is now, so that the rows the
  // list reports never wait for a layout still to come.
  int scrolling = 0;
  for (const Column& col : columns_) {
    if (col.scrolls) scrolling += col.width;
  }
  const int w = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, bar_);
  const int room = std::max(0, contentsRect().width() - w - fixedWidth());
  return scrolling > room ? scrolling - room : 0;
}

QRect PageList::rowRect(int row) const {
  const QRect area = rowsArea();
  return {area.left(), area.top() + (row - 1) * rowHeight(), area.width(), rowHeight()};
}

int PageList::rowAt(const QPoint& pos) const {
  const QRect area = rowsArea();
  if (!area.contains(pos)) return 0;
  const int row = (pos.y() - area.top()) / rowHeight() + 1;
  return row <= rowsVisible() ? row : 0;
}

QString PageList::headerText(int column) const {
  return column >= 0 && column < columnCount() ? columns_[column].header : QString();
}

int PageList::naturalLeft(int column) const {
  int left = 0;
  for (int i = 0; i < column && i < columnCount(); ++i) left += columns_[i].width;
  return left;
}

int PageList::columnLeft(int column) const {
  if (column < 0 || column >= columnCount()) return 0;
  return naturalLeft(column) - (columns_[column].scrolls ? sideways_ : 0);
}

int PageList::fixedWidth() const {
  int width = 0;
  for (const Column& c : columns_) {
    if (c.scrolls) break;
    width += c.width;
  }
  return width;
}

QRect PageList::drawableFor(const Column& column, const QRect& area) const {
  if (!column.scrolls) return area;
  QRect r = area;
  r.setLeft(area.left() + fixedWidth());
  return r;
}

int PageList::edgeAt(const QPoint& pos) const {
  const QRect area = contentsRect();
  if (pos.y() < area.top() || pos.y() >= area.top() + headerHeight()) return -1;
  // The nearest edge wins, so a narrow column can still be widened from its right.
  int best = -1;
  int bestDistance = kEdgeGrip + 1;
  for (int col = 0; col < columnCount(); ++col) {
    const Column& c = columns_[col];
    if (!c.format.resizable) continue;
    const int edge = area.left() + columnLeft(col) + c.width;
    const QRect room = drawableFor(c, area);
    if (edge < room.left() || edge > room.right() + kEdgeGrip) continue;
    const int distance = std::abs(pos.x() - edge);
    if (distance < bestDistance) {
      best = col;
      bestDistance = distance;
    }
  }
  return best;
}

int PageList::columnWidth(int column) const {
  return column >= 0 && column < columnCount() ? columns_[column].width : 0;
}

QString PageList::cellText(int row, int column) const {
  if (row < 1 || row > pageRows()) return {};
  const auto& cells = rows_[row - 1];
  return column >= 0 && column < static_cast<int>(cells.size()) ? cells[column] : QString();
}

void PageList::placeBars() {
  const QRect c = contentsRect();
  const int w = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, bar_);
  const int h = sidewaysBarHeight();
  const int room = std::max(0, c.width() - w - fixedWidth());
  const int range = sidewaysRange();
  const bool sidewaysBefore = !hbar_->isHidden();
  const bool sideways = range > 0;

  const int top = c.top() + headerHeight();
  const int bottom = sideways ? c.bottom() - h : c.bottom();
  bar_->setGeometry(c.right() - w + 1, top, w, std::max(0, bottom - top + 1));
  bar_->setVisible(scrollbarOn_);
  const int right = scrollbarOn_ ? c.right() - w : c.right();
  hbar_->setGeometry(c.left(), c.bottom() - h + 1, std::max(0, right - c.left() + 1), h);
  hbar_->setRange(0, range);
  hbar_->setPageStep(std::max(1, room));
  hbar_->setSingleStep(std::max(1, fontMetrics().averageCharWidth() * 2));
  hbar_->setVisible(sideways);
  sideways_ = hbar_->value();
  update();
  if (sideways != sidewaysBefore) emit rowsVisibleChanged();
}

void PageList::barAction(int action) {
  int code = 0;
  switch (action) {
    case QAbstractSlider::SliderSingleStepAdd:
      code = runtime::ev::ScrollDown;
      break;
    case QAbstractSlider::SliderSingleStepSub:
      code = runtime::ev::ScrollUp;
      break;
    case QAbstractSlider::SliderPageStepAdd:
      code = runtime::ev::PageDown;
      break;
    case QAbstractSlider::SliderPageStepSub:
      code = runtime::ev::PageUp;
      break;
    case QAbstractSlider::SliderToMinimum:
      code = runtime::ev::ScrollTop;
      break;
    case QAbstractSlider::SliderToMaximum:
      code = runtime::ev::ScrollBottom;
      break;
    default:
      return;  // a drag: reported when the thumb is released
  }
  // The thumb stays where the model put it until the model moves it.
  bar_->setSliderPosition(thumb_);
  emitInput(code, runtime::key::MouseLeft);
}

void PageList::emitInput(int code, int key, int value) {
  emit input(inputEvent(code, key, value));
}

void PageList::select(int row, int key) {
  selected_ = row;
  update();
  emitInput(runtime::ev::NewSelection, key, row);
}

void PageList::resizeEvent(QResizeEvent* event) {
  QFrame::resizeEvent(event);
  placeBars();
}

void PageList::paintEvent(QPaintEvent* event) {
  QFrame::paintEvent(event);
  QPainter painter(this);
  QRect area = contentsRect();
  painter.fillRect(area, palette().color(QPalette::Base));
  paintHeader(painter, area);
  paintRows(painter, rowsArea());
}

void PageList::paintHeader(QPainter& painter, const QRect& area) {
  const int h = headerHeight();
  int right = area.left();
  auto section = [&](const QRect& clip, const QRect& r, const QString& text, Qt::Alignment align) {
    if (clip.isEmpty()) return;
    QStyleOptionHeader opt;
    opt.initFrom(this);
    opt.rect = r;
    opt.text = text;
    opt.textAlignment = align | Qt::AlignVCenter;
    opt.position = QStyleOptionHeader::Middle;
    opt.state |= QStyle::State_Raised | QStyle::State_Horizontal;
    const QRect shown = clip.intersected(area);
    if (shown == r) {
      // The style leaves the painter clipped to nothing when it had no clip before, which
      // would hide whatever is drawn after the section.
      painter.save();
      style()->drawControl(QStyle::CE_Header, &opt, &painter, this);
      painter.restore();
      return;
    }
    // The style clips a header to its own rectangle, whatever the painter's clip: a section
    // only partly in view is drawn whole aside and only its part in view is copied.
    const qreal ratio = devicePixelRatioF();
    QPixmap whole(r.size() * ratio);
    whole.setDevicePixelRatio(ratio);
    whole.fill(Qt::transparent);
    {
      QPainter aside(&whole);
      aside.setFont(painter.font());  // a pixmap's painter starts with the application's font
      opt.rect = QRect(QPoint(0, 0), r.size());
      style()->drawControl(QStyle::CE_Header, &opt, &aside, this);
    }
    const QRect part = shown.translated(-r.topLeft());
    painter.drawPixmap(shown.topLeft(), whole,
                       QRectF(part.topLeft() * ratio, part.size() * ratio).toRect());
  };
  // Scrolling columns first, so that the fixed ones are drawn over any part they would hide.
  for (const bool scrolling : {true, false}) {
    for (int col = 0; col < columnCount(); ++col) {
      const Column& c = columns_[col];
      if (c.scrolls != scrolling) continue;
      const QRect r(area.left() + columnLeft(col), area.top(), c.width, h);
      section(r.intersected(drawableFor(c, area)), r, c.header,
              alignmentOf(c.format.headerJustify));
      right = std::max(right, r.right() + 1);
    }
  }
  if (right <= area.right()) {
    const QRect rest(right, area.top(), area.right() - right + 1, h);
    section(rest, rest, {}, Qt::AlignLeft);
  }
}

QRect PageList::cellTextRect(int row, int column) const {
  const Column& c = columns_[static_cast<size_t>(column)];
  const QRect r = rowRect(row);
  QRect cell(contentsRect().left() + columnLeft(column), r.top(), c.width, r.height());
  // The indent keeps the text off the edge it is justified to; the other edge gives the text
  // all the room there is, or the widest value a column was sized for is cut.
  const Qt::Alignment align = alignmentOf(c.format.justify);
  const int line = c.format.rightLine ? 1 : 0;
  if (align & Qt::AlignLeft) return cell.adjusted(c.indent, 0, -line, 0);
  if (align & Qt::AlignRight) return cell.adjusted(0, 0, -c.indent - line, 0);
  return cell.adjusted(c.indent, 0, -c.indent - line, 0);
}

void PageList::paintRows(QPainter& painter, const QRect& area) {
  painter.save();
  painter.setClipRect(area);
  const bool active = hasFocus() && isActiveWindow();
  const QPalette::ColorGroup group = active ? QPalette::Active : QPalette::Inactive;
  // Whole rows only: the page never holds more than the list shows.
  const int visible = std::min(pageRows(), rowsVisible());
  for (int row = 1; row <= visible; ++row) {
    const QRect r = rowRect(row);
    const bool selected = row == selected_;
    if (selected) painter.fillRect(r, palette().color(group, QPalette::Highlight));
    painter.setPen(palette().color(isEnabled() ? group : QPalette::Disabled,
                                   selected ? QPalette::HighlightedText : QPalette::Text));
    for (int col = 0; col < columnCount(); ++col) {
      const Column& c = columns_[col];
      const QRect cell = cellTextRect(row, col);
      const Qt::Alignment align = alignmentOf(c.format.justify);
      painter.save();
      painter.setClipRect(cell.intersected(drawableFor(c, area)));
      painter.drawText(cell, align | Qt::AlignVCenter, cellText(row, col));
      painter.restore();
    }
    if (selected && hasFocus()) {
      QStyleOptionFocusRect focus;
      focus.initFrom(this);
      focus.rect = r;
      focus.backgroundColor = palette().color(group, QPalette::Highlight);
      style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
  }
  painter.setPen(palette().color(QPalette::Midlight).darker(110));
  for (int col = 0; col < columnCount(); ++col) {
    const Column& c = columns_[col];
    if (!c.format.rightLine) continue;
    const int x = area.left() + columnLeft(col) + c.width - 1;
    const QRect room = drawableFor(c, area);
    if (x < room.left() || x > room.right()) continue;
    painter.drawLine(x, area.top(), x, area.bottom());
  }
  painter.restore();
}

void PageList::mousePressEvent(QMouseEvent* event) {
  keyPopupPoint_.reset();
  if (event->button() == Qt::LeftButton) {
    if (const int col = edgeAt(event->position().toPoint()); col >= 0) {
      dragColumn_ = col;
      dragStartX_ = event->position().toPoint().x();
      dragStartWidth_ = columns_[col].width;
      return;
    }
  }
  const int row = rowAt(event->position().toPoint());
  const bool onRow = row > 0 && row <= pageRows();
  if (event->button() == Qt::LeftButton) {
    if (onRow) select(row, runtime::key::MouseLeft);
    return;
  }
  if (event->button() == Qt::RightButton) {
    if (!alerts(alertKeys_, runtime::key::MouseRight)) {
      if (onRow) select(row, runtime::key::MouseRight);
      return;
    }
    // The popup the alerted right button brings acts on the highlighted row, so the row
    // under the mouse is selected first; that selection carries no key, or it would bring
    // a popup of its own.
    if (onRow && row != selected_) select(row, runtime::key::None);
    emit input(alertEvent(runtime::key::MouseRight));
    return;
  }
  QFrame::mousePressEvent(event);
}

void PageList::mouseMoveEvent(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  if (dragColumn_ >= 0) {
    const int width = std::max(kLeastColumn, dragStartWidth_ + pos.x() - dragStartX_);
    if (width != columns_[dragColumn_].width) {
      columns_[dragColumn_].width = width;
      placeBars();
    }
    return;
  }
  if (edgeAt(pos) >= 0) {
    setCursor(Qt::SplitHCursor);
  } else {
    unsetCursor();
  }
  QFrame::mouseMoveEvent(event);
}

void PageList::mouseReleaseEvent(QMouseEvent* event) {
  if (dragColumn_ >= 0 && event->button() == Qt::LeftButton) {
    dragColumn_ = -1;
    return;
  }
  QFrame::mouseReleaseEvent(event);
}

void PageList::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && rowsArea().contains(event->position().toPoint())) {
    if (alerts(alertKeys_, runtime::key::MouseLeft2)) {
      emit input(alertEvent(runtime::key::MouseLeft2));
    }
    return;
  }
  QFrame::mouseDoubleClickEvent(event);
}

std::optional<QPoint> PageList::takeKeyPopupPoint() {
  return std::exchange(keyPopupPoint_, std::nullopt);
}

void PageList::keyPressEvent(QKeyEvent* event) {
  // The menu key and Shift+F10 bring what the right button brings, under the highlighted row.
  const bool menuKey = event->key() == Qt::Key_Menu ||
                       (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier);
  if (menuKey && alerts(alertKeys_, runtime::key::MouseRight)) {
    const QRect row = rowRect(selected_ > 0 ? selected_ : 1);
    keyPopupPoint_ = mapToGlobal(QPoint(row.left() + row.height(), row.bottom()));
    emit input(alertEvent(runtime::key::MouseRight));
    return;
  }
  const int code = keyCodeOf(*event);
  if (alerts(alertKeys_, code)) {
    emit input(alertEvent(code));
    return;
  }
  switch (code) {
    case runtime::key::Left:
    case runtime::key::Right:
      // Sideways is the list's own business; the page stays.
      if (!hbar_->isHidden()) {
        hbar_->triggerAction(code == runtime::key::Left ? QAbstractSlider::SliderSingleStepSub
                                                        : QAbstractSlider::SliderSingleStepAdd);
      }
      return;
    case runtime::key::Up:
      return emitInput(runtime::ev::ScrollUp, code);
    case runtime::key::Down:
      return emitInput(runtime::ev::ScrollDown, code);
    case runtime::key::PageUp:
      return emitInput(runtime::ev::PageUp, code);
    case runtime::key::PageDown:
      return emitInput(runtime::ev::PageDown, code);
    case runtime::key::Home:
      return emitInput(runtime::ev::ScrollTop, code);
    case runtime::key::End:
      return emitInput(runtime::ev::ScrollBottom, code);
    case runtime::key::Backspace:
      // The locator's own key, alerted or not.
      emit input(alertEvent(code));
      return;
    default:
      break;
  }
  if (typesText(*event)) {
    // Typed characters feed the list's incremental locator, as CP1251 bytes.
    for (char32_t u : event->text().toUcs4()) {
      const int byte = runtime::unicodeToCp1251(u);
      if (byte < 0) {
        QApplication::beep();
        continue;
      }
      emit input(characterEvent(byte));
    }
    return;
  }
  QFrame::keyPressEvent(event);
}

void PageList::wheelEvent(QWheelEvent* event) {
  // Sideways turns (or Shift with the wheel) scroll the columns, not the page.
  const QPoint delta = event->angleDelta();
  if (delta.x() != 0 || (event->modifiers() & Qt::ShiftModifier)) {
    if (!hbar_->isHidden()) {
      const int turn = delta.x() != 0 ? delta.x() : delta.y();
      hbar_->setValue(hbar_->value() - turn * hbar_->singleStep() / 120);
    }
    event->accept();
    return;
  }
  // A turn of the wheel is no key; it still replaces the code of the last one, so that a
  // right click's popup does not come back on the next selection.
  wheel_ += delta.y();
  while (wheel_ >= 120) {
    wheel_ -= 120;
    emitInput(runtime::ev::ScrollUp, runtime::key::None);
  }
  while (wheel_ <= -120) {
    wheel_ += 120;
    emitInput(runtime::ev::ScrollDown, runtime::key::None);
  }
  event->accept();
}

void PageList::focusInEvent(QFocusEvent* event) {
  QFrame::focusInEvent(event);
  update();
}

void PageList::focusOutEvent(QFocusEvent* event) {
  QFrame::focusOutEvent(event);
  update();
}

}  // namespace gui

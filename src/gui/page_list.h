#pragma once
// The list box of a browse: shows exactly the page of rows the model holds, in the columns of
// the list's format, with a scroll bar of its own. The bar does not scroll anything here: its
// arrows, page areas and thumb are requests to the procedure, which builds the next page from
// the file; the thumb shows the procedure's 0..100 position in the whole key, not a row.
// Keys and clicks become the list's events (scroll requests, new selection, alerted keys),
// each carrying the key or mouse button that caused it. Keys the list alerts reach the
// procedure as alerted keys; typed characters and Backspace always do, for the locator.
// Sideways the list is the widget's own business: the user drags the widths of resizable
// columns at the header's edges (kept while the window lives), and when the columns are wider
// than the list a horizontal bar scrolls every column but the leading fixed ones.

#include <QFrame>
#include <QScrollBar>
#include <QString>
#include <optional>
#include <string>
#include <vector>

#include "gui/dialog_units.h"
#include "runtime/event.h"
#include "runtime/list_format.h"

namespace gui {

class PageList : public QFrame {
  Q_OBJECT
 public:
  explicit PageList(QWidget* parent = nullptr);

  void setColumns(const std::vector<runtime::ListColumn>& columns, const DialogUnits& units);
  void setPage(const std::vector<std::vector<std::string>>& rows, int selected, int thumb,
               bool scrollbar);
  // The keys and mouse buttons (runtime::key) the procedure wants to hear of.
  void setAlertKeys(const std::vector<int>& keys) { alertKeys_ = keys; }

  // Whole rows that fit below the header with the list's font.
  int rowsVisible() const;
  // The row (1-based) under a point, 0 when none; counts every visible row position.
  int rowAt(const QPoint& pos) const;
  QRect rowRect(int row) const;

  int columnCount() const { return static_cast<int>(columns_.size()); }
  QString headerText(int column) const;
  // Where a column is drawn, in pixels from the inside of the list's frame, with the
  // sideways scroll applied to the columns that scroll.
  int columnLeft(int column) const;
  int columnWidth(int column) const;
  int headerHeight() const;
  int pageRows() const { return static_cast<int>(rows_.size()); }
  QString cellText(int row, int column) const;  // row 1-based
  // Where a cell's text is drawn, before the scrolling columns are clipped off the fixed ones.
  QRect cellTextRect(int row, int column) const;
  int selectedRow() const { return selected_; }
  QScrollBar* scrollBar() const { return bar_; }
  QScrollBar* sidewaysBar() const { return hbar_; }
  // Where the popup the menu key asked for goes; empty when the mouse asked, or asked last.
  std::optional<QPoint> takeKeyPopupPoint();

 signals:
  // An event for the procedure; its field is left for the owner to fill in.
  void input(const runtime::Event& event);
  // The number of whole rows shown changed without a resize (the sideways bar came or went).
  void rowsVisibleChanged();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  struct Column {
    runtime::ListColumn format;
    QString header;
    int width = 0;  // pixels; the user's width once dragged
    int indent = 0;
    bool scrolls = true;  // false for the leading fixed columns
  };

  int rowHeight() const;
  QRect rowsArea() const;
  int fixedWidth() const;
  // How far the scrolling columns reach past the room they have; 0 when they fit.
  int sidewaysRange() const;
  int sidewaysBarHeight() const;
  int naturalLeft(int column) const;
  // The part of `area` a column may draw in: scrolling columns never cover the fixed ones.
  QRect drawableFor(const Column& column, const QRect& area) const;
  // The resizable column whose right edge is under a header point, or -1.
  int edgeAt(const QPoint& pos) const;
  void placeBars();
  void barAction(int action);
  void emitInput(int code, int key, int value = 0);
  void select(int row, int key);
  void paintHeader(QPainter& painter, const QRect& area);
  void paintRows(QPainter& painter, const QRect& area);

  std::vector<Column> columns_;
  std::vector<std::vector<QString>> rows_;
  int selected_ = 0;
  int thumb_ = 0;
  bool scrollbarOn_ = true;
  int wheel_ = 0;
  std::vector<int> alertKeys_;
  QScrollBar* bar_ = nullptr;
  QScrollBar* hbar_ = nullptr;  // sideways; shown only when the scrolling columns overflow
  int sideways_ = 0;            // pixels the scrolling columns are moved left
  int dragColumn_ = -1;         // the column whose width the mouse is dragging
  int dragStartX_ = 0;
  int dragStartWidth_ = 0;
  std::optional<QPoint> keyPopupPoint_;
};

}  // namespace gui

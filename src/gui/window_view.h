#pragma once
// One window of the system other than the frame: a work window inside the frame's MDI area,
// or a top-level window of its own (card forms, the street list, message-like windows). It
// shows the window model's latest snapshot and hands the user's input back as events; it
// never closes itself: a close request goes to the procedure, which closes the model.

#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <deque>

#include "gui/control_set.h"
#include "gui/dialog_units.h"
#include "runtime/event.h"
#include "runtime/snapshot.h"

class QMdiSubWindow;

namespace gui {

class ToolStrip;

class WindowView : public QWidget {
  Q_OBJECT
 public:
  // Builds the window's parts; apply() then shows the snapshot. `anchor` is the frame that
  // top-level positions are measured from (may be null).
  WindowView(const runtime::WindowSnapshot& snapshot, QWidget* anchor, QWidget* parent);
  ~WindowView() override;

  runtime::WindowId id() const { return id_; }
  runtime::ThreadId thread() const { return thread_; }
  const runtime::WindowSnapshot& snapshot() const { return snap_; }
  const DialogUnits& units() const { return units_; }
  QWidget* control(int number) const { return controls_->widget(number); }
  QWidget* clientArea() const { return client_; }
  ToolStrip* toolStrip() const { return strip_; }

  // The widget the window manager or the MDI area sees: the view or its sub-window.
  QWidget* outer() const;
  void attachSubWindow(QMdiSubWindow* sub);

  void apply(const runtime::WindowSnapshot& snapshot);
  // A message box of the window's thread is up: the thread's windows wait for it.
  void setThreadModal(bool on);
  void setBusyCursor(bool on);
  // The model closed the window: from now on it may go.
  void allowClose() { closing_ = true; }

  QSize sizeHint() const override;

 signals:
  void activated(runtime::WindowId id);
  void statusText(const QString& text);

 protected:
  bool event(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool focusNextPrevChild(bool next) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void send(const runtime::Event& event) const;
  void sendCode(int code, int field = 0) const;
  void build(const runtime::WindowSnapshot& snapshot);
  void layoutParts();
  void applyPlacement(const runtime::WindowSnapshot& snapshot, const runtime::WindowSnapshot& old,
                      bool first);
  void requestClose();
  void reportSize();
  void reportPosition();
  void measureLists();
  void refreshEnabled();
  bool usable() const { return !snap_.blocked && !threadModal_; }
  QPoint origin() const;

  runtime::WindowId id_ = 0;
  runtime::ThreadId thread_ = 0;
  runtime::WindowSnapshot snap_;
  DialogUnits units_;
  QPointer<QWidget> anchor_;
  // The control that had the keyboard when the window was last disabled (a lookup or a box
  // over it): Qt takes the focus from a disabled window and would give it back to the first
  // control.
  QPointer<QWidget> focusBeforeDisabled_;
  ToolStrip* strip_ = nullptr;
  QWidget* client_ = nullptr;
  ControlSet* controls_ = nullptr;
  QPointer<QMdiSubWindow> sub_;
  const QObject* subObject_ = nullptr;
  QTimer timer_;
  bool built_ = false;
  bool closing_ = false;
  bool threadModal_ = false;
  int applying_ = 0;  // geometry changes made from the model are not reported back
  // Sizes and positions sent to the model whose echo has not come back yet.
  std::deque<QSize> sentSizes_;
  std::deque<QPoint> sentPositions_;
};

}  // namespace gui

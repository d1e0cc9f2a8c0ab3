#pragma once
// The application frame: a main window whose MDI area holds the work windows, with the
// frame's menu commands, the shared navigation toolbar and the status bar zones. Menu
// commands and toolbar presses go to the frame's own procedure as accepted events; the frame
// relays toolbar presses to the active work window itself.

#include <QMainWindow>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <map>
#include <vector>

#include "gui/control_set.h"
#include "gui/dialog_units.h"
#include "runtime/snapshot.h"

class QLabel;
class QMdiArea;

namespace gui {

class ToolStrip;

class FrameWindow : public QMainWindow {
  Q_OBJECT
 public:
  explicit FrameWindow(const runtime::WindowSnapshot& snapshot);
  ~FrameWindow() override;

  runtime::WindowId id() const { return id_; }
  runtime::ThreadId thread() const { return thread_; }
  const DialogUnits& units() const { return units_; }
  QMdiArea* mdiArea() const { return mdi_; }
  ToolStrip* toolStrip() const { return strip_; }

  void apply(const runtime::WindowSnapshot& snapshot);
  void applyToolbar(const std::vector<runtime::ControlSnapshot>& buttons);
  // A message box of the frame's thread is up. Only the frame's own commands wait: the
  // work windows inside belong to other threads.
  void setThreadModal(bool on);
  void setBusyCursor(bool on);
  void allowClose() { closing_ = true; }
  // The status text of the focused control, shown in the first zone; empty restores it.
  void showControlStatus(const QString& text);

  // Asked before a toolbar press goes out, which the window in use must see with what its
  // focused entry shows: false drops the press (the entry refused its text).
  void setToolbarGate(std::function<bool()> gate) { toolbarGate_ = std::move(gate); }
  // Whether the user can work with the frame now (its procedure is not busy with a box).
  bool usable() const { return !snap_.blocked && !threadModal_; }
  // Asked before a close of the frame reaches its procedure; false drops the close.
  void setCloseGate(std::function<bool()> gate) { closeGate_ = std::move(gate); }

  QAction* menuAction(int number) const;
  QWidget* toolbarButton(int number) const { return toolbar_->widget(number); }
  QLabel* statusZone(int index) const;

 signals:
  // A toolbar press went out: the frame, come to the front for the click, hands the keyboard
  // back to the window in use.
  void toolbarPressed();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void buildStatusBar(const runtime::WindowSnapshot& snapshot);
  void buildMenu(const runtime::WindowSnapshot& snapshot);
  void refreshEnabled();
  void refreshStatus();
  void keepStatusWhole();
  void sendCode(int code, int field = 0) const;

  runtime::WindowId id_ = 0;
  runtime::ThreadId thread_ = 0;
  runtime::WindowSnapshot snap_;
  DialogUnits units_;
  ToolStrip* strip_ = nullptr;
  ControlSet* toolbar_ = nullptr;
  QMdiArea* mdi_ = nullptr;
  std::vector<QLabel*> zones_;
  std::map<int, QAction*> menu_;
  QTimer timer_;
  QString controlStatus_;
  bool built_ = false;
  std::function<bool()> toolbarGate_;
  std::function<bool()> closeGate_;
  bool minimumSet_ = false;
  bool closing_ = false;
  bool threadModal_ = false;
};

}  // namespace gui

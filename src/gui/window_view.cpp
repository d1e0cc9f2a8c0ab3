#include "gui/window_view.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QScreen>
#include <algorithm>
#include <vector>

#include "gui/icons.h"
#include "gui/tool_strip.h"
#include "gui/window_timer.h"
#include "runtime/runtime.h"

namespace gui {
namespace {

constexpr size_t kMaxUnanswered = 32;  // reports kept while waiting for the model's echo

// True when `value` is one the window reported itself; drops it and every older report.
template <typename T>
bool takeEcho(std::deque<T>& sent, const T& value) {
  const auto it = std::find(sent.begin(), sent.end(), value);
  if (it == sent.end()) return false;
  sent.erase(sent.begin(), it + 1);
  return true;
}

template <typename T>
void remember(std::deque<T>& sent, const T& value) {
  sent.push_back(value);
  if (sent.size() > kMaxUnanswered) sent.pop_front();
}

}  // namespace

WindowView::WindowView(const runtime::WindowSnapshot& s, QWidget* anchor, QWidget* parent)
    : QWidget(parent), id_(s.id), thread_(s.thread), anchor_(anchor) {
  setObjectName(QString::fromStdString(s.proc));
  if (!s.mdiChild) {
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
  }
  build(s);
  connect(&timer_, &QTimer::timeout, this, [this] {
    // A waiting thread would only pile ticks up; it catches up with the next one.
    if (usable()) sendCode(runtime::ev::Timer);
  });
}

WindowView::~WindowView() {
  // The controls report focus changes while their widgets are torn down; they must not
  // reach a view that is half gone.
  delete controls_;
  controls_ = nullptr;
}

void WindowView::build(const runtime::WindowSnapshot& s) {
  setFont(windowFont(s.fontName, s.fontSize));
  units_ = DialogUnits(font());
  if (const int h = toolbarHeightOf(s); h > 0) {
    strip_ = new ToolStrip(this);
    strip_->setObjectName("toolbar");
    strip_->setPreferredHeight(units_.y(h));
    strip_->setWallpaper(catalogueWallpaper(s.toolbarWallpaper));
  }
  client_ = new QWidget(this);
  client_->setObjectName("client");
  controls_ = new ControlSet(
      client_, strip_, [this](const runtime::Event& e) { send(e); }, this);
  controls_->setUnits(units_);
  controls_->setInfoIcon(s.infoIcon);
  connect(controls_, &ControlSet::statusText, this, &WindowView::statusText);
  connect(controls_, &ControlSet::entryEntered, this, [this] {
    if (snap_.entriesPressDefault && usable()) controls_->pressDefault(runtime::key::Enter);
  });
  // Queued: a list finds out while it lays itself out, in the middle of applying a snapshot.
  connect(controls_, &ControlSet::listRowsChanged, this, &WindowView::measureLists,
          Qt::QueuedConnection);
}

QWidget* WindowView::outer() const {
  return sub_ ? static_cast<QWidget*>(sub_.data()) : const_cast<WindowView*>(this);
}

void WindowView::attachSubWindow(QMdiSubWindow* sub) {
  sub_ = sub;
  subObject_ = sub;
  sub->installEventFilter(this);
  sub->setWindowTitle(windowTitle());
  sub->setWindowIcon(windowIcon());
  if (!snap_.resizable) {
    sub->setWindowFlags(Qt::SubWindow | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                        Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
  }
}

QSize WindowView::sizeHint() const {
  return {units_.x(snap_.width), units_.y(snap_.height)};
}

void WindowView::send(const runtime::Event& event) const {
  runtime::deliver(id_, event);
}

void WindowView::sendCode(int code, int field) const {
  runtime::Event e;
  e.code = code;
  e.field = field;
  send(e);
}

void WindowView::apply(const runtime::WindowSnapshot& s) {
  const bool first = !built_;
  built_ = true;
  const runtime::WindowSnapshot old = std::exchange(snap_, s);
  const QString caption = QString::fromStdString(s.caption);
  setWindowTitle(caption);
  if (sub_) sub_->setWindowTitle(caption);
  if (first || s.icon != old.icon) {
    const QIcon icon = catalogueIcon(s.icon);
    if (!icon.isNull()) {
      setWindowIcon(icon);
      if (sub_) sub_->setWindowIcon(icon);
    }
  }
  controls_->apply(s.controls, s.width);
  applyPlacement(s, old, first);
  applyTimerPeriod(timer_, s.timer, old.timer, first);
  refreshEnabled();
  controls_->applyFocus(s.focus, s.focusMoves);
  measureLists();
}

void WindowView::applyPlacement(const runtime::WindowSnapshot& s,
                                const runtime::WindowSnapshot& old, bool first) {
  ++applying_;
  const QSize px(units_.x(s.width), units_.y(s.height));
  if (s.resizable) {
    setMinimumSize(s.minWidth > 0 ? units_.x(s.minWidth) : 0,
                   s.minHeight > 0 ? units_.y(s.minHeight) : 0);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  } else {
    setFixedSize(px);
  }
  const QSize modelSize(s.width, s.height);
  const bool resized = first || modelSize != QSize(old.width, old.height);
  if (resized && (first || !takeEcho(sentSizes_, modelSize))) {
    resize(px);
    if (sub_) sub_->adjustSize();
  }
  const QPoint modelPos(s.x, s.y);
  const bool moved = first || modelPos != QPoint(old.x, old.y);
  const bool placed = s.x >= 0 && s.y >= 0;
  if (placed && moved && (first || !takeEcho(sentPositions_, modelPos))) {
    const QPoint target(units_.x(s.x), units_.y(s.y));
    if (sub_) {
      sub_->move(target);
    } else {
      // The window's own area, as its position is reported: a move places the window system's
      // frame, whose size is not known before the window is shown, and a card reopened where
      // it was reported crept up by the height of its title bar each time.
      setGeometry(QRect(origin() + target, size()));
    }
  } else if (first && !sub_) {
    // An unplaced top-level window opens centred over the frame.
    const QRect over =
        anchor_ ? anchor_->frameGeometry() : (screen() ? screen()->availableGeometry() : QRect());
    if (over.isValid()) move(over.center() - QPoint(px.width() / 2, px.height() / 2));
  }
  --applying_;
}

QPoint WindowView::origin() const {
  return anchor_ ? anchor_->geometry().topLeft() : QPoint(0, 0);
}

void WindowView::layoutParts() {
  const int stripHeight = strip_ != nullptr ? strip_->height() : 0;
  if (strip_ != nullptr) strip_->setGeometry(0, 0, width(), stripHeight);
  client_->setGeometry(0, stripHeight, width(), std::max(0, height() - stripHeight));
}

void WindowView::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  layoutParts();
  reportSize();
}

void WindowView::moveEvent(QMoveEvent* event) {
  QWidget::moveEvent(event);
  if (!sub_) reportPosition();
}

void WindowView::reportSize() {
  if (applying_ != 0 || !built_ || !outer()->isVisible()) return;
  const QSize du(units_.fromX(width()), units_.fromY(height()));
  const QSize expected = sentSizes_.empty() ? QSize(snap_.width, snap_.height) : sentSizes_.back();
  if (du == expected) return;
  remember(sentSizes_, du);
  runtime::Event e;
  e.code = runtime::ev::Sized;
  e.x = snap_.x;
  e.y = snap_.y;
  e.width = du.width();
  e.height = du.height();
  send(e);
}

void WindowView::reportPosition() {
  if (applying_ != 0 || !built_ || !outer()->isVisible()) return;
  const QPoint px = sub_ ? sub_->pos() : geometry().topLeft() - origin();
  const QPoint du(units_.fromX(px.x()), units_.fromY(px.y()));
  const QPoint expected = sentPositions_.empty() ? QPoint(snap_.x, snap_.y) : sentPositions_.back();
  if (du == expected) return;
  remember(sentPositions_, du);
  runtime::Event e;
  e.code = runtime::ev::Moved;
  e.x = du.x();
  e.y = du.y();
  e.width = snap_.width;
  e.height = snap_.height;
  send(e);
}

void WindowView::measureLists() {
  const auto lists = controls_->listsToMeasure();
  for (const auto& [number, rows] : lists) {
    runtime::Event e;
    e.code = runtime::ev::ListGeometry;
    e.field = number;
    e.value = rows;
    send(e);
  }
  if (lists.empty()) return;
  // The model only learns the new row count; a sized event makes the procedure refill its
  // page to what the list really shows. The size is the one the model already has.
  const QSize size = sentSizes_.empty() ? QSize(snap_.width, snap_.height) : sentSizes_.back();
  runtime::Event e;
  e.code = runtime::ev::Sized;
  e.x = snap_.x;
  e.y = snap_.y;
  e.width = size.width();
  e.height = size.height();
  send(e);
}

void WindowView::refreshEnabled() {
  const bool now = usable();
  if (!now && isEnabled()) focusBeforeDisabled_ = focusWidget();
  setEnabled(now);
  if (now && focusBeforeDisabled_) {
    // The window's own focus child again; a control the procedure selects meanwhile takes
    // the focus from it afterwards, as the snapshot that enabled the window applies it.
    if (focusBeforeDisabled_->isEnabled() && focusBeforeDisabled_->isVisibleTo(this))
      focusBeforeDisabled_->setFocus(Qt::OtherFocusReason);
    focusBeforeDisabled_.clear();
  }
}

void WindowView::setThreadModal(bool on) {
  threadModal_ = on;
  refreshEnabled();
}

void WindowView::setBusyCursor(bool on) {
  if (on) {
    outer()->setCursor(Qt::WaitCursor);
  } else {
    outer()->unsetCursor();
  }
}

void WindowView::requestClose() {
  if (!usable()) {
    QApplication::beep();
    return;
  }
  // The closing check must see what the focused entry shows, or an edit goes unasked.
  if (!controls_->acceptFocusedEntry()) return;
  sendCode(runtime::ev::CloseWindow);
}

bool WindowView::event(QEvent* event) {
  if (event->type() == QEvent::WindowActivate && !sub_) emit activated(id_);
  return QWidget::event(event);
}

void WindowView::closeEvent(QCloseEvent* event) {
  if (closing_) {
    event->accept();
    return;
  }
  event->ignore();
  requestClose();
}

// Tab and Shift+Tab go round the window's own controls in their order. Left to Qt, Shift+Tab
// from the first control reached the work window's frame or the frame's window area, which
// show no focus and take no key.
bool WindowView::focusNextPrevChild(bool next) {
  std::vector<QWidget*> chain;
  for (QWidget* w = nextInFocusChain(); w != nullptr && w != this; w = w->nextInFocusChain()) {
    if (isAncestorOf(w) && (w->focusPolicy() & Qt::TabFocus) && w->isEnabled() &&
        w->isVisibleTo(this) && w->focusProxy() == nullptr)
      chain.push_back(w);
  }
  if (chain.empty()) return true;
  // The window's own focus child, which takes its keys: the application's focus widget is
  // none while the frame is not the active window, and Tab would always go to the first.
  const auto at = std::find(chain.begin(), chain.end(), focusWidget());
  const std::ptrdiff_t n = static_cast<std::ptrdiff_t>(chain.size());
  std::ptrdiff_t i = at == chain.end() ? (next ? -1 : 0) : at - chain.begin();
  i = ((next ? i + 1 : i - 1) % n + n) % n;
  chain[static_cast<size_t>(i)]->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
  return true;
}

void WindowView::keyPressEvent(QKeyEvent* event) {
  const bool plain = event->modifiers() == Qt::NoModifier;
  if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && plain) {
    // Enter presses the button that has the focus, as Space does.
    if (auto* b = qobject_cast<QAbstractButton*>(focusWidget()); b != nullptr && b->isEnabled()) {
      b->animateClick();
      return;
    }
    // An entry takes Enter as its own acceptance; elsewhere (a list) it presses the window's
    // default button, when it has one.
    if (qobject_cast<QLineEdit*>(focusWidget()) == nullptr && usable() &&
        controls_->pressDefault(runtime::key::Enter)) {
      return;
    }
  }
  if (event->key() == Qt::Key_Escape && plain) {
    // A form's Esc is its Cancel button; a window of its own without one asks to close.
    if (usable() && controls_->press(snap_.escapeButton, runtime::key::Escape)) return;
    if (!sub_) {
      requestClose();
      return;
    }
  }
  QWidget::keyPressEvent(event);
}

bool WindowView::eventFilter(QObject* watched, QEvent* event) {
  // Compared as a plain object: the sub-window also reports events while it is torn down.
  const QEvent::Type type = event->type();
  if (watched == subObject_ && (type == QEvent::Close || type == QEvent::Move)) {
    if (type == QEvent::Close && !closing_) {
      event->ignore();
      requestClose();
      return true;
    }
    if (type == QEvent::Move) reportPosition();
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace gui

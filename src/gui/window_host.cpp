#include "gui/window_host.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCursor>
#include <QLayout>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMessageBox>
#include <QStyle>
#include <algorithm>
#include <bit>
#include <utility>

#include "gui/entry_edit.h"
#include "gui/frame_window.h"
#include "gui/message_box.h"
#include "gui/page_list.h"
#include "gui/popup_menu.h"
#include "gui/window_view.h"
#include "runtime/locale/charset.h"
#include "runtime/locale/locale_env.h"
#include "runtime/runtime.h"

namespace gui {

WindowHost::WindowHost(PendingReplies& replies, std::atomic<runtime::ThreadId>& activeThread)
    : replies_(replies), activeThread_(activeThread) {
  // The user's presses and keys tell which work window is in use (see eventFilter).
  qApp->installEventFilter(this);
}

WindowHost::~WindowHost() {
  qApp->removeEventFilter(this);
  closeRequests();
  // Work windows die with the frame; what they report while it is half gone reaches no one.
  for (auto& [id, view] : views_) {
    if (view) view->disconnect(this);
  }
  for (auto& [id, view] : views_) {
    if (view && view->outer()->parent() == nullptr) delete view->outer();
  }
  for (const QPointer<QWidget>& w : retired_) delete w.data();
  delete frame_.data();
}

FrameWindow* WindowHost::frame() const {
  return frame_.data();
}

WindowView* WindowHost::view(runtime::WindowId id) const {
  const auto it = views_.find(id);
  return it == views_.end() ? nullptr : it->second.data();
}

std::vector<WindowView*> WindowHost::views() const {
  std::vector<WindowView*> out;
  for (const auto& [id, view] : views_) {
    if (view) out.push_back(view);
  }
  return out;
}

void WindowHost::openWindow(const runtime::WindowSnapshot& s) {
  if (s.frame) {
    if (frame_) return;  // one frame per program
    frame_ = new FrameWindow(s);
    connect(frame_->mdiArea(), &QMdiArea::subWindowActivated, this,
            &WindowHost::subWindowActivated);
    frame_->setCloseGate([this] { return readyToClose(); });
    frame_->setToolbarGate([this] {
      WindowView* v = inUse();
      if (v == nullptr) return true;
      // Its thread waits on a box: a press now would be relayed once the box is answered,
      // to whatever the window shows then.
      if (const auto m = modal_.find(v->thread()); m != modal_.end() && m->second > 0) {
        QApplication::beep();
        return false;
      }
      return handInTyping(*v);
    });
    connect(frame_, &FrameWindow::toolbarPressed, this, [this] {
      if (WindowView* v = inUse(); v != nullptr && v->isEnabled()) activateView(*v);
    });
    frame_->apply(s);
    if (!toolbar_.empty()) frame_->applyToolbar(toolbar_);
    frame_->setThreadModal(modal_[s.thread] > 0);
    frame_->setBusyCursor(busy_[s.thread]);
    frame_->show();
    return;
  }
  if (views_.count(s.id) != 0) return;
  WindowView* view = nullptr;
  QMdiSubWindow* sub = nullptr;
  if (s.mdiChild && frame_) {
    view = new WindowView(s, frame_, nullptr);
    sub = frame_->mdiArea()->addSubWindow(view);
    view->attachSubWindow(sub);
    // A window that keeps its size stays at the sub-window's corner when the sub-window is
    // enlarged (dragged larger or maximised): its controls never move.
    if (!s.resizable && sub->layout() != nullptr) {
      sub->layout()->setAlignment(view, Qt::AlignLeft | Qt::AlignTop);
    }
    connect(sub, &QMdiSubWindow::windowStateChanged, this,
            [this, sub](Qt::WindowStates before, Qt::WindowStates now) {
              if ((now & Qt::WindowMinimized) && !(before & Qt::WindowMinimized)) minimised(sub);
            });
  } else {
    // Windows of their own stay above the frame and close with it.
    view = new WindowView(s, frame_, frame_);
  }
  view->apply(s);
  views_[s.id] = view;
  connect(view, &WindowView::activated, this,
          [this](runtime::WindowId id) { noteActivated(id, true); });
  connect(view, &WindowView::statusText, this, [this](const QString& text) {
    if (frame_) frame_->showControlStatus(text);
  });
  applyThreadState(*view);
  // A new window is the active one from the start; the showing below reports nothing new.
  noteActivated(s.id, false);
  if (sub != nullptr) {
    if (s.x < 0 || s.y < 0) cascade(sub);
    sub->show();
    frame_->mdiArea()->setActiveSubWindow(sub);
  } else {
    view->show();
    view->raise();
    view->activateWindow();
  }
}

void WindowHost::cascade(QMdiSubWindow* sub) {
  // Each new work window opens a title bar's height below and right of the previous one, in
  // the first such place that no other work window has its corner on: a window opened again
  // never covers another exactly. A cascade that would run past the area's right or bottom
  // edge starts again at the top, a step further right, so that on a small screen a window
  // opens whole while there is room; the area scrolls to whatever lies beyond its edges.
  QMdiArea* area = frame_->mdiArea();
  const int step = sub->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, sub) + 4;
  const QSize room = (area->viewport()->size() - sub->size()).expandedTo(QSize(0, 0));
  std::vector<QPoint> taken;
  for (QMdiSubWindow* other : area->subWindowList()) {
    if (other != sub) taken.push_back(other->pos());
  }
  const auto place = [&](QPoint at) {
    if (std::find(taken.begin(), taken.end(), at) != taken.end()) return false;
    sub->move(at);
    return true;
  };
  for (int start = 0; start <= room.width(); start += step) {
    for (QPoint at(start, 0); at.x() <= room.width() && at.y() <= room.height();
         at += QPoint(step, step)) {
      if (place(at)) return;
    }
  }
  for (int k = 0;; ++k) {
    if (place(QPoint(k * step, k * step))) return;
  }
}

void WindowHost::minimised(QMdiSubWindow* sub) {
  // The active window went down to an icon: the one used before it takes over, as when it
  // closes.
  if (!frame_ || frame_->mdiArea()->activeSubWindow() != sub) return;
  for (auto it = activation_.rbegin(); it != activation_.rend(); ++it) {
    const WindowView* v = view(*it);
    auto* other = v != nullptr ? qobject_cast<QMdiSubWindow*>(v->outer()) : nullptr;
    if (other != nullptr && other != sub && !other->isMinimized() && other->isVisible()) {
      frame_->mdiArea()->setActiveSubWindow(other);
      return;
    }
  }
}

void WindowHost::updateWindow(const runtime::WindowSnapshot& s) {
  if (frame_ && frame_->id() == s.id) {
    frame_->apply(s);
    return;
  }
  WindowView* v = view(s.id);
  if (v == nullptr) return;
  v->apply(s);
  if (pendingActivation_ == s.id && v->isEnabled()) {
    pendingActivation_ = 0;
    activateView(*v);
  }
}

void WindowHost::closeWindow(runtime::WindowId id) {
  if (frame_ && frame_->id() == id) {
    // Kept until the program ends: windows of other threads may still live inside it for
    // the moment it takes them to close.
    frame_->allowClose();
    frame_->hide();
    return;
  }
  const auto it = views_.find(id);
  if (it == views_.end()) return;
  QPointer<WindowView> v = it->second;
  views_.erase(it);
  // The window in use, even when its activation is still on its way (a box over it was just
  // answered, and the box's activation of it has not arrived).
  const bool inUse = !activation_.empty() && activation_.back() == id;
  std::erase(activation_, id);
  if (v) windowWent(v->thread(), inUse);
  publishActiveThread();
  if (!v) return;
  v->allowClose();
  QWidget* outer = v->outer();
  // A window of its own that had the keyboard leaves nothing active behind it: with no window
  // manager nobody else hands the activation on. A work window in the area has the area do it.
  const bool hadKeyboard = outer->isWindow() && (outer->isActiveWindow() || inUse);
  outer->hide();
  outer->deleteLater();
  std::erase_if(retired_, [](const QPointer<QWidget>& w) { return w.isNull(); });
  retired_.emplace_back(outer);
  if (hadKeyboard) activateNewest();
}

void WindowHost::windowWent(runtime::ThreadId thread, bool wasInUse) {
  const auto under = std::find_if(activation_.rbegin(), activation_.rend(), [&](auto other) {
    const WindowView* w = view(other);
    return w != nullptr && w->thread() == thread;
  });
  if (under == activation_.rend()) {
    // No say in the toolbar any more: the thread's number may come back for another procedure.
    toolbars_.erase(thread);
  } else if (wasInUse) {
    // The window it stood over (a card over its list, a list over its card) is the one in use
    // again, whatever the user touched while it was open.
    const runtime::WindowId id = *under;
    std::erase(activation_, id);
    activation_.push_back(id);
  }
}

WindowView* WindowHost::inUse() const {
  for (auto it = activation_.rbegin(); it != activation_.rend(); ++it) {
    WindowView* v = view(*it);
    if (v != nullptr && v->outer()->isVisible() && !v->outer()->isMinimized()) return v;
  }
  return nullptr;
}

void WindowHost::activateNewest() {
  // The window used before the one that went: it gets the activation back, and with it the
  // keyboard on its focus control. A window of the same thread is still disabled now, until
  // its procedure's next display: it is activated then, since until then the keyboard would
  // go elsewhere.
  pendingActivation_ = 0;
  const bool frameShown = frame_ && frame_->isVisible() && !frame_->isMinimized();
  WindowView* v = inUse();
  if (v == nullptr) {
    if (frameShown) frame_->activateWindow();
    return;
  }
  if (qobject_cast<QMdiSubWindow*>(v->outer()) != nullptr && !frameShown) return;
  if (v->isEnabled()) {
    activateView(*v);
  } else {
    pendingActivation_ = v->id();
  }
}

QWidget& WindowHost::focusControl(WindowView& v) {
  if (QWidget* control = v.control(v.snapshot().focus)) return *control;
  return v.focusWidget() != nullptr ? *v.focusWidget() : v;
}

void WindowHost::activateView(WindowView& v) {
  // The frame is not raised: windows of their own that are still open stay in front of it.
  if (auto* sub = qobject_cast<QMdiSubWindow*>(v.outer()); sub != nullptr && frame_) {
    frame_->mdiArea()->setActiveSubWindow(sub);
    // As the frame comes to the front it gives the keyboard back to its previous focus widget,
    // which moved to another work window while this one was disabled: the focus is put on
    // this window's focus control once that is done, as its procedure has it by then.
    if (frame_->isActiveWindow()) {
      focusControl(v).setFocus(Qt::OtherFocusReason);
    } else {
      focusOnActivate_ = &v;
      frame_->activateWindow();
    }
  } else {
    v.raise();
    v.activateWindow();
  }
}

void WindowHost::activateWindow(runtime::WindowId id) {
  if (frame_ && frame_->id() == id) {
    if (frame_->isMinimized()) frame_->showNormal();
    frame_->raise();
    frame_->activateWindow();
    return;
  }
  WindowView* v = view(id);
  if (v == nullptr) return;
  // The runtime queued the gain of focus itself.
  noteActivated(id, false);
  if (auto* sub = qobject_cast<QMdiSubWindow*>(v->outer()); sub != nullptr && frame_) {
    if (frame_->isMinimized()) frame_->showNormal();
    if (sub->isMinimized()) sub->showNormal();
  } else if (v->isMinimized()) {
    v->showNormal();
  }
  activateView(*v);
}

bool WindowHost::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::KeyPress:
      if (event->spontaneous() && watched->isWidgetType())
        noteInput(static_cast<QWidget*>(watched));
      break;
    case QEvent::WindowActivate:
      if (watched == frame_.data() && focusOnActivate_) {
        QMetaObject::invokeMethod(
            this,
            [this, view = focusOnActivate_] {
              if (view) focusControl(*view).setFocus(Qt::OtherFocusReason);
            },
            Qt::QueuedConnection);
        focusOnActivate_.clear();
      }
      if (watched == frame_.data() && !frameReturning_) {
        // Everything the activation sets off runs before the queued reset below.
        frameReturning_ = true;
        QMetaObject::invokeMethod(
            this, [this] { frameReturning_ = false; }, Qt::QueuedConnection);
      }
      break;
    default:
      break;
  }
  return false;
}

void WindowHost::noteInput(QWidget* target) {
  pendingActivation_ = 0;  // the user has chosen where to go on
  // Input reaches a work window before the activation it causes: a press into a work window
  // while a card is in front makes that work window the one in use.
  for (QWidget* w = target; w != nullptr; w = w->parentWidget()) {
    auto* v = qobject_cast<WindowView*>(w);
    if (auto* sub = qobject_cast<QMdiSubWindow*>(w); sub != nullptr && v == nullptr) {
      v = qobject_cast<WindowView*>(sub->widget());
    }
    if (v != nullptr) {
      if (view(v->id()) == v) noteActivated(v->id(), true);
      return;
    }
    if (w->isWindow()) return;
  }
}

void WindowHost::subWindowActivated(QMdiSubWindow* sub) {
  if (sub == nullptr) return;  // the frame itself lost the activation
  // As the frame comes to the front (a press on its toolbar, say), the area activates the work
  // window holding the frame's keyboard focus, often not the one in use: a card or the street
  // list may still be in front, and the toolbar press is theirs.
  if (frameReturning_) {
    // Nor is it raised over the work window used last (disabled under its card, it lost the
    // frame's focus to another one).
    for (auto it = activation_.rbegin(); it != activation_.rend(); ++it) {
      WindowView* v = view(*it);
      auto* last = v != nullptr ? qobject_cast<QMdiSubWindow*>(v->outer()) : nullptr;
      if (last == nullptr) continue;
      if (last != sub) {
        QMetaObject::invokeMethod(
            this,
            [this, area = QPointer<QMdiArea>(frame_->mdiArea()),
             last = QPointer<QMdiSubWindow>(last)] {
              if (!area || !last) return;
              const bool returning = std::exchange(frameReturning_, true);
              area->setActiveSubWindow(last);
              frameReturning_ = returning;
            },
            Qt::QueuedConnection);
      }
      break;
    }
    return;
  }
  auto* v = qobject_cast<WindowView*>(sub->widget());
  if (v == nullptr) return;
  noteActivated(v->id(), true);
  // A work window under a card of its own thread (Ctrl+Tab, a click on it) takes no keys:
  // the card, the newest window of the thread, comes forward instead, or the keyboard would
  // be nowhere.
  if (!v->snapshot().blocked) return;
  WindowView* newest = nullptr;
  for (WindowView* w : views()) {
    if (w->thread() == v->thread() && !w->snapshot().blocked &&
        (newest == nullptr || w->id() > newest->id()))
      newest = w;
  }
  if (newest == nullptr || newest == v) return;
  QMetaObject::invokeMethod(
      this,
      [this, card = QPointer<WindowView>(newest)] {
        if (card) activateView(*card);
      },
      Qt::QueuedConnection);
}

void WindowHost::noteActivated(runtime::WindowId id, bool announce) {
  if (views_.count(id) == 0) return;
  const bool changed = activation_.empty() || activation_.back() != id;
  std::erase(activation_, id);
  activation_.push_back(id);
  publishActiveThread();
  if (changed && announce) {
    runtime::Event e;
    e.code = runtime::ev::GainFocus;
    runtime::deliver(id, e);
  }
}

void WindowHost::publishActiveThread() {
  // The frame relays toolbar presses to this thread; its own thread would hand them back to
  // itself for ever, so windows the frame's thread opens (the conversion progress) never
  // count.
  const runtime::ThreadId frameThread = frame_ ? frame_->thread() : 0;
  runtime::ThreadId thread = 0;
  for (auto it = activation_.rbegin(); it != activation_.rend() && thread == 0; ++it) {
    const WindowView* v = view(*it);
    if (v != nullptr && v->thread() != frameThread) thread = v->thread();
  }
  if (activeThread_.exchange(thread) == thread) return;
  // With no work window in use, or one whose thread never set the toolbar, the latest copy.
  const auto it = toolbars_.find(thread);
  showToolbar(thread != 0 && it != toolbars_.end() ? it->second : latestToolbar_);
}

void WindowHost::updateToolbar(runtime::ThreadId thread,
                               const std::vector<runtime::ControlSnapshot>& buttons) {
  toolbars_[thread] = buttons;
  latestToolbar_ = buttons;
  const runtime::ThreadId active = activeThread_.load();
  if (active == 0 || active == thread) showToolbar(buttons);
}

void WindowHost::showToolbar(const std::vector<runtime::ControlSnapshot>& buttons) {
  if (buttons.empty() || buttons == toolbar_) return;
  toolbar_ = buttons;
  if (frame_) frame_->applyToolbar(buttons);
}

void WindowHost::applyThreadState(WindowView& v) {
  v.setThreadModal(modal_[v.thread()] > 0);
  v.setBusyCursor(busy_[v.thread()]);
}

void WindowHost::changeThreadModal(runtime::ThreadId thread, int delta) {
  int& count = modal_[thread];
  count = std::max(0, count + delta);
  for (WindowView* v : views()) {
    if (v->thread() == thread) v->setThreadModal(count > 0);
  }
  if (frame_ && frame_->thread() == thread) frame_->setThreadModal(count > 0);
}

QWidget* WindowHost::dialogParent() const {
  // Never a window of the asking thread: those are disabled while the box is up, and a
  // dialog inherits its parent's disabled state.
  return frame_;
}

void WindowHost::showMessage(const runtime::MessageRequest& r, PendingReplies::Token token) {
  if (replies_.released()) return;
  // Closing on a signal (the session ends), a box that only informs would hold the program
  // up with nobody to read it; a question still waits for its answer.
  if (closedFromOutside_ && runtime::stopping() && std::popcount(unsigned(r.buttons)) == 1) {
    replies_.answer(token, r.buttons);
    return;
  }
  QMessageBox* box = buildMessageBox(r, dialogParent());
  box->setAttribute(Qt::WA_DeleteOnClose);
  const runtime::ThreadId thread = r.thread;
  changeThreadModal(thread, +1);
  connect(box, &QMessageBox::finished, this, [this, box, r, token, thread] {
    replies_.answer(token, messageBoxAnswer(*box, r));
    changeThreadModal(thread, -1);
    // The box was answered, so it had the keyboard: the window under it takes it back. Boxes
    // closed as the program ends leave it where it is.
    if (!closingRequests_) activateNewest();
  });
  std::erase_if(requests_, [](const QPointer<QWidget>& w) { return w.isNull(); });
  requests_.emplace_back(box);
  box->show();
  box->raise();
  box->activateWindow();
}

void WindowHost::showHalt(const std::string& text, PendingReplies::Token token) {
  runtime::MessageRequest r;
  // Before the frame is there (a data file that cannot be made at the start), the program's
  // own name, as the user knows it.
  r.title =
      (frame_ ? frame_->windowTitle() : QStringLiteral("Телефонный справочник")).toStdString();
  r.text = text;
  r.icon = runtime::Icon::Hand;
  r.buttons = runtime::button::Ok;
  r.defaultButton = runtime::button::Ok;
  r.captions.push_back(runtime::toUtf8(runtime::buttonCaption(runtime::ButtonKind::Ok)));
  showMessage(r, token);
}

void WindowHost::showPopup(const runtime::PopupRequest& r, PendingReplies::Token token) {
  const std::vector<PopupItem> items = parsePopupMenu(QString::fromStdString(r.menu));
  const bool any =
      std::any_of(items.begin(), items.end(), [](const PopupItem& i) { return !i.separator; });
  if (!any || replies_.released()) {
    replies_.answer(token, 0);
    return;
  }
  QMenu* menu = buildPopupMenu(items, dialogParent());
  menu->setAttribute(Qt::WA_DeleteOnClose);
  connect(menu, &QMenu::triggered, this,
          [this, token](QAction* action) { replies_.answer(token, action->data().toInt()); });
  // The menu hides before it reports the chosen item; a menu left without a choice answers
  // 0 once the choice had its chance to arrive.
  connect(menu, &QMenu::aboutToHide, this, [this, token] {
    QMetaObject::invokeMethod(
        this, [this, token] { replies_.answer(token, 0); }, Qt::QueuedConnection);
  });
  std::erase_if(requests_, [](const QPointer<QWidget>& w) { return w.isNull(); });
  requests_.emplace_back(menu);
  // A popup asked for by the menu key opens under the list's highlighted row.
  std::optional<QPoint> keyPoint;
  for (WindowView* v : views()) {
    for (PageList* list : v->findChildren<PageList*>()) {
      if (auto p = list->takeKeyPopupPoint(); p && !keyPoint) keyPoint = p;
    }
  }
  menu->popup(keyPoint.value_or(QCursor::pos()));
}

void WindowHost::setWaitCursor(runtime::ThreadId thread, bool on) {
  busy_[thread] = on;
  for (WindowView* v : views()) {
    if (v->thread() == thread) v->setBusyCursor(on);
  }
  if (frame_ && frame_->thread() == thread) frame_->setBusyCursor(on);
}

void WindowHost::closeFromOutside() {
  closedFromOutside_ = true;
  if (frame_ && frame_->isVisible() && frame_->usable()) {
    frame_->close();
  } else {
    // The frame's procedure is busy with a box of its own (a file that would not open), or
    // there is no frame yet: the close is asked directly, and the boxes that only inform go.
    runtime::closeFrame();
    answerInformingBoxes();
  }
}

bool WindowHost::handInTyping(WindowView& v) {
  auto* entry = qobject_cast<EntryEdit*>(v.focusWidget());
  return entry == nullptr || entry->acceptEdited();
}

void WindowHost::answerInformingBoxes() {
  for (const QPointer<QWidget>& w : std::vector<QPointer<QWidget>>(requests_)) {
    auto* box = qobject_cast<QMessageBox*>(w.data());
    if (box != nullptr && box->buttons().size() == 1) box->buttons().front()->click();
  }
}

bool WindowHost::readyToClose() {
  // The text being typed in each window goes to its procedure before the close-down asks that
  // window to close: the closing check has to see the edit. A text the field refuses stops
  // the close, as it stops a button.
  for (WindowView* v : views()) {
    if (!handInTyping(*v)) {
      if (v->isEnabled()) activateView(*v);
      return false;
    }
  }
  // A box that only informs holds nothing to decide, and its procedure can close only once it
  // is answered.
  answerInformingBoxes();
  return true;
}

void WindowHost::closeRequests() {
  std::vector<QPointer<QWidget>> open;
  open.swap(requests_);
  closingRequests_ = true;
  for (const QPointer<QWidget>& w : open) {
    if (w) w->close();
  }
  closingRequests_ = false;
}

}  // namespace gui

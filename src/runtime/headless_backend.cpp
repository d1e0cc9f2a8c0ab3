#include "runtime/headless_backend.h"

#include <algorithm>
#include <array>
#include <cstdlib>

#include "runtime/runtime.h"

namespace runtime {
namespace {

bool takesFocus(ControlKind kind) {
  return kind == ControlKind::Entry || kind == ControlKind::List || kind == ControlKind::Button;
}

// The control that receives the focus the procedure gave: a prompt hands it to the next
// control that can take it.
int focusTarget(const WindowSnapshot& w) {
  for (size_t i = 0; i < w.controls.size(); ++i) {
    if (w.controls[i].number != w.focus) continue;
    if (w.controls[i].kind != ControlKind::Prompt) return w.focus;
    for (size_t j = i + 1; j < w.controls.size(); ++j) {
      const ControlSnapshot& next = w.controls[j];
      if (takesFocus(next.kind) && !next.inToolbar) return next.number;
    }
    return 0;
  }
  return 0;
}

constexpr std::array<const char*, 8> kButtonNames = {"OK",    "Yes",    "No",     "Abort",
                                                     "Retry", "Ignore", "Cancel", "Help"};

std::string quoted(const std::string& s) {
  return "\"" + s + "\"";
}

std::string buttonList(int buttons) {
  std::string out;
  for (size_t i = 0; i < kButtonNames.size(); ++i) {
    if ((buttons & (1 << i)) == 0) continue;
    if (!out.empty()) out += ',';
    out += kButtonNames[i];
  }
  return out;
}

}  // namespace

int HeadlessBackend::buttonValue(const std::string& name) {
  for (size_t i = 0; i < kButtonNames.size(); ++i) {
    if (name == kButtonNames[i]) return 1 << i;
  }
  return 0;
}

std::string HeadlessBackend::buttonName(int value) {
  for (size_t i = 0; i < kButtonNames.size(); ++i) {
    if (value == (1 << i)) return kButtonNames[i];
  }
  return {};
}

void HeadlessBackend::openWindow(const WindowSnapshot& w) {
  {
    std::lock_guard lock(mutex_);
    windows_[w.id] = w;
    order_.push_back(w.id);
    transcript_.push_back("open " + w.proc + " " + quoted(w.caption));
  }
  applyFocus(w);
}

void HeadlessBackend::updateWindow(const WindowSnapshot& w) {
  {
    std::lock_guard lock(mutex_);
    const auto it = windows_.find(w.id);
    if (it == windows_.end()) return;
    copyChanges(w, it->second);
  }
  applyFocus(w);
  measureLists(w);
}

// As the Qt backend does, a list whose height the procedure changed (a resize strategy)
// reports the rows it now shows, one per 10 dialog units, and a sized event of the window's
// own size makes the procedure refill its page to them.
void HeadlessBackend::measureLists(const WindowSnapshot& w) {
  std::vector<std::pair<int, int>> changed;
  {
    std::lock_guard lock(mutex_);
    auto& reported = reportedRows_[w.id];
    for (const ControlSnapshot& c : w.controls) {
      if (c.kind != ControlKind::List) continue;
      const int rows = defaultRowsShown(c.rect.h);
      if (rows == c.rowsShown) {
        reported.erase(c.number);
        continue;
      }
      // Reported once: the displays until the procedure has taken it still show the old count.
      const auto [it, fresh] = reported.try_emplace(c.number, rows);
      if (!fresh && it->second == rows) continue;
      it->second = rows;
      changed.emplace_back(c.number, rows);
    }
  }
  if (changed.empty()) return;
  for (const auto& [number, rows] : changed) {
    Event e;
    e.code = ev::ListGeometry;
    e.field = number;
    e.value = rows;
    deliver(w.id, e);
  }
  Event sized;
  sized.code = ev::Sized;
  sized.width = w.width;
  sized.height = w.height;
  deliver(w.id, sized);
}

// As a real display does, the focus the procedure gives a control is reported back as the
// control's focus event (257), once per change.
void HeadlessBackend::applyFocus(const WindowSnapshot& w) {
  int target = 0;
  {
    std::lock_guard lock(mutex_);
    if (w.blocked || w.focus == 0) return;
    Focus& f = focus_[w.id];
    if (w.focus == f.requested || w.focus == f.target) return;
    target = focusTarget(w);
    f = {w.focus, target};
  }
  if (target == 0) return;
  Event e;
  e.code = ev::Selected;
  e.field = target;
  deliver(w.id, e);
}

void HeadlessBackend::focusGiven(WindowId window, int control) {
  std::lock_guard lock(mutex_);
  focus_[window] = {control, control};
}

void HeadlessBackend::note(const std::string& line) {
  std::lock_guard lock(mutex_);
  transcript_.push_back(line);
}

void HeadlessBackend::closeWindow(WindowId id) {
  std::lock_guard lock(mutex_);
  auto it = windows_.find(id);
  if (it == windows_.end()) return;
  transcript_.push_back("close " + it->second.proc);
  windows_.erase(it);
  focus_.erase(id);
  reportedRows_.erase(id);
  std::erase(order_, id);
}

void HeadlessBackend::activateWindow(WindowId id) {
  std::lock_guard lock(mutex_);
  if (windows_.count(id) == 0) return;
  std::erase(order_, id);
  order_.push_back(id);
}

void HeadlessBackend::updateToolbar(ThreadId, const std::vector<ControlSnapshot>& buttons) {
  std::lock_guard lock(mutex_);
  toolbar_ = buttons;
}

int HeadlessBackend::messageBox(const MessageRequest& r) {
  std::lock_guard lock(mutex_);
  int answer = 0;
  if (!answers_.empty()) {
    const int v = buttonValue(answers_.front());
    if (v != 0 && (r.buttons & v) != 0) {
      answer = v;
      answers_.pop_front();
    }
  }
  std::string line =
      "message " + quoted(r.title) + " " + quoted(r.text) + " " + buttonList(r.buttons) + " -> ";
  if (answer == 0) {
    answer = r.defaultButton;
    line += buttonName(answer) + " (default)";
  } else {
    line += buttonName(answer);
  }
  transcript_.push_back(line);
  return answer;
}

int HeadlessBackend::popup(const PopupRequest& r) {
  std::lock_guard lock(mutex_);
  int item = 0;
  bool scripted = false;
  if (!answers_.empty()) {
    const std::string& a = answers_.front();
    if (a.rfind("item ", 0) == 0) {
      item = std::atoi(a.c_str() + 5);
      scripted = true;
    } else if (a == "none") {
      scripted = true;
    }
    if (scripted) answers_.pop_front();
  }
  std::string line = "popup " + quoted(r.menu) + " -> ";
  line += item > 0 ? "item " + std::to_string(item) : std::string("none");
  if (!scripted) line += " (default)";
  transcript_.push_back(line);
  return item;
}

void HeadlessBackend::halt(const std::string& text) {
  std::lock_guard lock(mutex_);
  transcript_.push_back("halt " + quoted(text));
}

void HeadlessBackend::beep() {
  std::lock_guard lock(mutex_);
  transcript_.push_back("beep");
}

void HeadlessBackend::setWaitCursor(ThreadId thread, bool on) {
  std::lock_guard lock(mutex_);
  waitCursor_[thread] = on;
}

std::optional<WindowId> HeadlessBackend::activeLocked() const {
  for (auto it = order_.rbegin(); it != order_.rend(); ++it) {
    if (!windows_.at(*it).frame) return *it;
  }
  if (!order_.empty()) return order_.back();
  return std::nullopt;
}

ThreadId HeadlessBackend::activeThread() {
  std::lock_guard lock(mutex_);
  const auto id = activeLocked();
  if (!id) return 0;
  const WindowSnapshot& w = windows_.at(*id);
  // The frame relays toolbar presses to the active window's thread; it is never that thread.
  return w.frame ? 0 : w.thread;
}

void HeadlessBackend::quit(int exitCode) {
  std::lock_guard lock(mutex_);
  if (!exitCode_) exitCode_ = exitCode;
}

void HeadlessBackend::queueAnswer(const std::string& answer) {
  std::lock_guard lock(mutex_);
  answers_.push_back(answer);
}

std::vector<std::string> HeadlessBackend::takeTranscript() {
  std::lock_guard lock(mutex_);
  std::vector<std::string> out;
  out.swap(transcript_);
  return out;
}

std::vector<WindowSnapshot> HeadlessBackend::windows() const {
  std::lock_guard lock(mutex_);
  std::vector<WindowSnapshot> out;
  for (const auto& [id, w] : windows_) out.push_back(w);
  return out;
}

std::optional<WindowSnapshot> HeadlessBackend::window(WindowId id) const {
  std::lock_guard lock(mutex_);
  auto it = windows_.find(id);
  if (it == windows_.end()) return std::nullopt;
  return it->second;
}

std::optional<WindowSnapshot> HeadlessBackend::activeWindow() const {
  std::lock_guard lock(mutex_);
  const auto id = activeLocked();
  if (!id) return std::nullopt;
  return windows_.at(*id);
}

namespace {

// A numbered control before an unnumbered one of the same label (a prompt, say).
const ControlSnapshot* findLabel(const WindowSnapshot& w, const std::string& label) {
  const ControlSnapshot* found = nullptr;
  for (const auto& c : w.controls) {
    if (c.label != label || (found != nullptr && c.number == 0)) continue;
    found = &c;
    if (c.number != 0) break;
  }
  return found;
}

}  // namespace

std::optional<HeadlessBackend::Target> HeadlessBackend::activeTarget(
    const std::string& label) const {
  std::lock_guard lock(mutex_);
  const auto id = activeLocked();
  if (!id) return std::nullopt;
  const WindowSnapshot& w = windows_.at(*id);
  const ControlSnapshot* c = findLabel(w, label);
  if (c == nullptr) return std::nullopt;
  return Target{w.id, w.focus, c->number, c->kind, c->alertKeys};
}

std::optional<ControlSnapshot> HeadlessBackend::activeControl(const std::string& label) const {
  std::lock_guard lock(mutex_);
  const auto id = activeLocked();
  if (!id) return std::nullopt;
  const ControlSnapshot* c = findLabel(windows_.at(*id), label);
  if (c == nullptr) return std::nullopt;
  return *c;
}

const WindowSnapshot* HeadlessBackend::windowOfLocked(const std::string& proc) const {
  for (auto it = order_.rbegin(); it != order_.rend(); ++it) {
    if (windows_.at(*it).proc == proc) return &windows_.at(*it);
  }
  return nullptr;
}

std::optional<WindowSnapshot> HeadlessBackend::windowOf(const std::string& proc) const {
  std::lock_guard lock(mutex_);
  const WindowSnapshot* w = windowOfLocked(proc);
  if (w == nullptr) return std::nullopt;
  return *w;
}

std::optional<HeadlessBackend::WindowTarget> HeadlessBackend::windowTargetOf(
    const std::string& proc) const {
  std::lock_guard lock(mutex_);
  const WindowSnapshot* w = windowOfLocked(proc);
  if (w == nullptr) return std::nullopt;
  return WindowTarget{w->id, w->focus, w->blocked};
}

std::vector<ControlSnapshot> HeadlessBackend::toolbar() const {
  std::lock_guard lock(mutex_);
  return toolbar_;
}

bool HeadlessBackend::waitCursor(ThreadId thread) const {
  std::lock_guard lock(mutex_);
  auto it = waitCursor_.find(thread);
  return it != waitCursor_.end() && it->second;
}

std::optional<int> HeadlessBackend::exitCode() const {
  std::lock_guard lock(mutex_);
  return exitCode_;
}

}  // namespace runtime

#include "runtime/window.h"

#include <algorithm>
#include <utility>

#include "runtime/locale/charset.h"

namespace runtime {

int defaultRowsShown(int height) {
  return height > 10 ? (height - 10) / 10 : 0;
}

Window::Window(const WindowDef& d, WindowId windowId, ThreadId owner)
    : id(windowId),
      thread(owner),
      proc(d.proc),
      caption(cp(d.caption)),
      width(d.width),
      height(d.height),
      timer(d.timer),
      statusTexts(d.statusZones.size()),
      def(d) {
  controls.reserve(d.controls.size());
  for (const ControlDef& cd : d.controls) {
    Control c;
    c.number = cd.number;
    c.kind = cd.kind;
    c.label = cd.label;
    c.text = cp(cd.text);
    c.tip = cp(cd.tip);
    c.rect = cd.rect;
    c.inToolbar = cd.parent == "toolbar";
    c.hidden = cd.hidden;
    c.disabled = cd.disabled;
    c.skip = cd.skip;
    c.centred = cd.centred;
    c.statusText = cp(cd.statusText);
    c.icon = cd.icon;
    c.shortcut = cd.shortcut;
    c.picture = cd.picture;
    if (cd.kind == ControlKind::List) {
      c.columns = parseListFormat(cp(cd.format));
      c.rowsShown = defaultRowsShown(cd.rect.h);
    }
    if (cd.kind == ControlKind::Toolbar) c.inToolbar = true;
    controls.push_back(std::move(c));
  }
  for (size_t i = 0; i < d.controls.size(); ++i) {
    const std::string& parent = d.controls[i].parent;
    if (parent.empty() || parent == "toolbar") continue;
    if (const Control* p = find(parent)) controls[i].parent = p->number;
  }
}

// A control is looked up by number on nearly every call a procedure makes: by a table, not a
// walk through the window's controls.
int Window::indexOf(int number) const {
  if (number == 0) return -1;
  if (indexed_ != controls.size()) {
    int most = 0;
    for (const Control& c : controls) most = std::max(most, c.number);
    positions_.assign(static_cast<size_t>(most) + 1, -1);
    for (size_t i = controls.size(); i-- > 0;) {
      if (controls[i].number > 0)
        positions_[static_cast<size_t>(controls[i].number)] = static_cast<int>(i);
    }
    indexed_ = controls.size();
  }
  if (number > 0 && static_cast<size_t>(number) < positions_.size()) {
    const int i = positions_[static_cast<size_t>(number)];
    if (i < 0) return -1;
    if (controls[static_cast<size_t>(i)].number == number) return i;
  } else if (number > 0) {
    return -1;  // beyond every number the window has
  }
  // A number below 0, or a table gone out of step with controls changed in place.
  for (size_t i = 0; i < controls.size(); ++i) {
    if (controls[i].number == number) return static_cast<int>(i);
  }
  return -1;
}

Control* Window::find(int number) {
  const int i = indexOf(number);
  if (i < 0) return nullptr;
  Control& c = controls[static_cast<size_t>(i)];
  c.stamp = ++stamps_;
  return &c;
}

const Control* Window::find(int number) const {
  const int i = indexOf(number);
  return i < 0 ? nullptr : &controls[static_cast<size_t>(i)];
}

bool Window::change(int number, bool (*change)(Control&)) {
  const int i = indexOf(number);
  if (i < 0) return false;
  Control& c = controls[static_cast<size_t>(i)];
  if (change(c)) c.stamp = ++stamps_;
  return true;
}

const Control* Window::find(std::string_view label) const {
  for (const Control& c : controls) {
    if (c.label == label) return &c;
  }
  return nullptr;
}

Control* Window::find(std::string_view label) {
  auto* c = const_cast<Control*>(std::as_const(*this).find(label));
  if (c != nullptr) c->stamp = ++stamps_;
  return c;
}

}  // namespace runtime

#include "runtime/window.h"

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

Control* Window::find(int number) {
  for (Control& c : controls) {
    if (c.number == number && number != 0) {
      c.stamp = ++stamps_;
      return &c;
    }
  }
  return nullptr;
}

const Control* Window::find(int number) const {
  for (const Control& c : controls) {
    if (c.number == number && number != 0) return &c;
  }
  return nullptr;
}

bool Window::change(int number, bool (*change)(Control&)) {
  for (Control& c : controls) {
    if (c.number == number && number != 0) {
      if (change(c)) c.stamp = ++stamps_;
      return true;
    }
  }
  return false;
}

Control* Window::find(std::string_view label) {
  for (Control& c : controls) {
    if (c.label == label) {
      c.stamp = ++stamps_;
      return &c;
    }
  }
  return nullptr;
}

}  // namespace runtime

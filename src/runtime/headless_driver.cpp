#include "runtime/headless_driver.h"

#include <algorithm>
#include <map>
#include <sstream>

#include "runtime/alert_keys.h"
#include "runtime/runtime.h"

namespace runtime {
namespace {

const char* kindName(ControlKind k) {
  switch (k) {
    case ControlKind::Toolbar:
      return "toolbar";
    case ControlKind::Button:
      return "button";
    case ControlKind::Region:
      return "region";
    case ControlKind::GroupBox:
      return "group";
    case ControlKind::List:
      return "list";
    case ControlKind::Entry:
      return "entry";
    case ControlKind::Prompt:
      return "prompt";
    case ControlKind::String:
      return "string";
    case ControlKind::VarString:
      return "varstring";
    case ControlKind::Image:
      return "image";
    case ControlKind::Progress:
      return "progress";
    case ControlKind::MenuItem:
      return "menu";
  }
  return "control";
}

std::string quoted(const std::string& s) {
  return "\"" + s + "\"";
}

void flags(std::ostringstream& out, const ControlSnapshot& c) {
  if (c.disabled) out << " [disabled]";
  if (c.hidden) out << " [hidden]";
}

}  // namespace

std::optional<ControlSnapshot> HeadlessDriver::control(const std::string& label) const {
  return backend_.activeControl(label);
}

bool HeadlessDriver::send(const std::string& label, Event e) {
  const auto target = backend_.activeTarget(label);
  if (!target || target->number == 0) return false;
  e.field = target->number;
  deliver(target->window, e);
  return settle();
}

bool HeadlessDriver::sendToFrame(Event e) {
  for (const auto& w : backend_.windows()) {
    if (w.frame) {
      deliver(w.id, e);
      return settle();
    }
  }
  return false;
}

bool HeadlessDriver::press(const std::string& label) {
  Event e;
  e.code = ev::Accepted;
  e.key = key::MouseLeft;
  return send(label, e);
}

// Typing into a control, or pressing a key in it, puts the focus there first, as the click or
// the Tab that takes the user into it would.
bool HeadlessDriver::focusOn(const std::string& label) {
  const auto target = backend_.activeTarget(label);
  if (!target || target->number == 0) return false;
  if (target->focus == target->number ||
      (target->kind != ControlKind::Entry && target->kind != ControlKind::List))
    return true;
  Event e;
  e.code = ev::Selected;
  e.field = target->number;
  e.key = key::MouseLeft;
  backend_.focusGiven(target->window, target->number);
  deliver(target->window, e);
  return settle();
}

bool HeadlessDriver::type(const std::string& label, const std::string& text) {
  if (!focusOn(label)) return false;
  Event e;
  e.code = ev::Accepted;
  e.text = text;
  e.key = key::Enter;
  return send(label, e);
}

bool HeadlessDriver::key(const std::string& label, int keyCode, int keyChar) {
  if (!focusOn(label)) return false;
  const auto target = backend_.activeTarget(label);
  if (!target || target->number == 0) return false;
  // A key the control does not take does nothing the procedure sees.
  ControlProps props;
  props.kind = target->kind;
  props.alertKeys = target->alertKeys;
  const int code = alertedKey(props, keyCode, keyChar);
  if (code == key::None) return settle();
  Event e;
  e.code = ev::AlertKey;
  e.field = target->number;
  e.value = code;
  e.key = code;
  e.keyChar = keyChar;
  deliver(target->window, e);
  return settle();
}

bool HeadlessDriver::scroll(const std::string& label, int eventCode) {
  static const std::map<int, int> keys = {
      {ev::ScrollUp, key::Up},       {ev::ScrollDown, key::Down}, {ev::PageUp, key::PageUp},
      {ev::PageDown, key::PageDown}, {ev::ScrollTop, key::Home},  {ev::ScrollBottom, key::End},
  };
  Event e;
  e.code = eventCode;
  const auto it = keys.find(eventCode);
  e.key = it != keys.end() ? it->second : key::MouseLeft;
  return send(label, e);
}

bool HeadlessDriver::thumb(const std::string& label, int position) {
  Event e;
  e.code = ev::ScrollDrag;
  e.value = position;
  e.key = key::MouseLeft;
  return send(label, e);
}

bool HeadlessDriver::selectRow(const std::string& label, int row) {
  Event e;
  e.code = ev::NewSelection;
  e.value = row;
  e.key = key::MouseLeft;
  return send(label, e);
}

bool HeadlessDriver::close() {
  const auto w = backend_.activeWindow();
  if (!w) return false;
  Event e;
  e.code = ev::CloseWindow;
  e.key = key::MouseLeft;
  deliver(w->id, e);
  return settle();
}

bool HeadlessDriver::closeFrame() {
  Event e;
  e.code = ev::CloseWindow;
  e.key = key::MouseLeft;
  return sendToFrame(e);
}

bool HeadlessDriver::resize(int width, int height) {
  const auto w = backend_.activeWindow();
  if (!w) return false;
  Event e;
  e.code = ev::Sized;
  e.width = width;
  e.height = height;
  e.key = key::MouseLeft;
  deliver(w->id, e);
  return settle();
}

bool HeadlessDriver::menu(int number) {
  Event e;
  e.code = ev::Accepted;
  e.field = number;
  e.key = key::MouseLeft;
  return sendToFrame(e);
}

bool HeadlessDriver::toolbar(int number) {
  return menu(number);
}

bool HeadlessDriver::focus(const std::string& proc) {
  const auto w = backend_.windowTargetOf(proc);
  if (!w) return false;
  backend_.activateWindow(w->window);
  Event e;
  e.code = ev::GainFocus;
  e.key = key::MouseLeft;
  deliver(w->window, e);
  // The control that holds the window's focus gets it back with the window, as on a display.
  if (w->focus != 0 && !w->blocked) {
    Event f;
    f.code = ev::Selected;
    f.field = w->focus;
    f.key = key::MouseLeft;
    deliver(w->window, f);
  }
  return settle();
}

bool HeadlessDriver::settle() {
  return waitIdle();
}

std::string HeadlessDriver::dump() const {
  const auto w = backend_.activeWindow();
  if (!w) return {};
  std::ostringstream out;
  out << "window " << w->proc << " " << quoted(w->caption) << " " << w->width << "x" << w->height
      << "\n";
  std::vector<const ControlSnapshot*> controls;
  for (const auto& c : w->controls) {
    if (c.number != 0) controls.push_back(&c);
  }
  std::stable_sort(
      controls.begin(), controls.end(),
      [](const ControlSnapshot* a, const ControlSnapshot* b) { return a->number < b->number; });
  for (const ControlSnapshot* c : controls) {
    out << "  " << kindName(c->kind) << " " << c->label;
    switch (c->kind) {
      case ControlKind::List: {
        out << " rows=" << c->rows.size() << " selected=" << c->selected << " thumb=" << c->thumb
            << " scrollbar=" << (c->scrollbar ? "on" : "off");
        flags(out, *c);
        out << "\n";
        for (size_t r = 0; r < c->rows.size(); ++r) {
          out << "    " << (static_cast<int>(r) + 1 == c->selected ? "> " : "  ");
          for (size_t i = 0; i < c->rows[r].size(); ++i) out << (i ? " | " : "") << c->rows[r][i];
          out << "\n";
        }
        continue;
      }
      case ControlKind::Entry:
      case ControlKind::VarString:
        out << " " << quoted(c->value);
        break;
      case ControlKind::Progress:
        out << " " << c->progress;
        break;
      default:
        out << " " << quoted(c->text);
        if (!c->tip.empty()) out << " tip " << quoted(c->tip);
        break;
    }
    flags(out, *c);
    out << "\n";
  }
  auto buttons = backend_.toolbar();
  std::sort(buttons.begin(), buttons.end(),
            [](const ControlSnapshot& a, const ControlSnapshot& b) { return a.number < b.number; });
  if (!buttons.empty()) {
    out << "toolbar";
    bool first = true;
    for (const auto& b : buttons) {
      out << (first ? " " : " | ") << b.number << " " << (b.disabled ? "disabled" : "enabled")
          << " " << quoted(b.tip);
      first = false;
    }
    out << "\n";
  }
  return out.str();
}

}  // namespace runtime

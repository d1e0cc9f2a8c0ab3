#include "layout/control_builders.h"

namespace phonedir::layout {

using runtime::ControlKind;

namespace {

ControlSpec make(int number, ControlKind kind, std::string label, Rect rect) {
  ControlSpec c;
  c.number = number;
  c.kind = kind;
  c.label = std::move(label);
  c.rect = rect;
  return c;
}

}  // namespace

ControlSpec toolbarStrip(int height) {
  return make(0, ControlKind::Toolbar, {}, {0, 0, kFullWidth, height});
}

ControlSpec toolbarButton(int number, std::string label, std::string tip, int x, std::string icon) {
  ControlSpec c = make(number, ControlKind::Button, std::move(label), {x, 1, 20, 18});
  c.in("toolbar").withTip(std::move(tip)).withIcon(std::move(icon));
  return c;
}

ControlSpec toolbarRegion(int number, std::string label, Rect rect) {
  ControlSpec c = make(number, ControlKind::Region, std::move(label), rect);
  c.in("toolbar");
  return c;
}

ControlSpec groupBox(int number, std::string label, Rect rect, std::string text) {
  ControlSpec c = make(number, ControlKind::GroupBox, std::move(label), rect);
  c.text = std::move(text);
  return c;
}

ControlSpec prompt(int number, std::string label, std::string text, Rect rect) {
  ControlSpec c = make(number, ControlKind::Prompt, std::move(label), rect);
  c.text = std::move(text);
  return c;
}

ControlSpec prompt(int number, std::string label, std::string text, int x, int y) {
  return prompt(number, std::move(label), std::move(text), {x, y, kNaturalSize, kNaturalSize});
}

ControlSpec entry(int number, std::string label, Rect rect, std::string picture) {
  ControlSpec c = make(number, ControlKind::Entry, std::move(label), rect);
  c.picture = std::move(picture);
  return c;
}

ControlSpec button(int number, std::string label, std::string text, Rect rect) {
  ControlSpec c = make(number, ControlKind::Button, std::move(label), rect);
  c.text = std::move(text);
  return c;
}

ControlSpec list(int number, std::string label, Rect rect, std::string format) {
  ControlSpec c = make(number, ControlKind::List, std::move(label), rect);
  c.format = std::move(format);
  return c;
}

ControlSpec progressBar(int number, std::string label, Rect rect) {
  return make(number, ControlKind::Progress, std::move(label), rect);
}

ControlSpec fixedString(int number, std::string label, std::string text, int x, int y) {
  ControlSpec c =
      make(number, ControlKind::String, std::move(label), {x, y, kNaturalSize, kNaturalSize});
  c.text = std::move(text);
  return c;
}

ControlSpec variableString(int number, std::string label, Rect rect, std::string picture) {
  ControlSpec c = make(number, ControlKind::VarString, std::move(label), rect);
  c.picture = std::move(picture);
  return c;
}

ControlSpec image(int number, std::string label, Rect rect) {
  return make(number, ControlKind::Image, std::move(label), rect);
}

ControlSpec menuItem(int number, std::string label, std::string text) {
  ControlSpec c = make(number, ControlKind::MenuItem, std::move(label), {});
  c.text = std::move(text);
  return c;
}

runtime::WindowDef workWindow(std::string proc) {
  runtime::WindowDef w;
  w.proc = std::move(proc);
  w.width = 294;
  w.height = 184;
  w.fontName = "MS Sans Serif";
  w.fontSize = 10;
  w.mdiChild = true;
  w.toolbarHeight = 20;
  return w;
}

}  // namespace phonedir::layout

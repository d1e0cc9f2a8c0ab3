#pragma once
// Builders for the catalogue's control definitions: a factory per kind of control and chainable
// setters for the occasional attribute, so a window's definition reads like its table.

#include <string>

#include "runtime/window_def.h"

namespace phonedir::layout {

using runtime::kFullWidth;
using runtime::kNaturalSize;
using runtime::Rect;

// A control definition under construction; it converts to runtime::ControlDef by slicing.
struct ControlSpec : runtime::ControlDef {
  ControlSpec& in(std::string parentLabel) {
    parent = std::move(parentLabel);
    return *this;
  }
  ControlSpec& withTip(std::string tipText) {
    tip = std::move(tipText);
    return *this;
  }
  ControlSpec& withIcon(std::string file) {
    icon = std::move(file);
    return *this;
  }
  ControlSpec& withShortcut(std::string key) {
    shortcut = std::move(key);
    return *this;
  }
  ControlSpec& withStatus(std::string text) {
    statusText = std::move(text);
    return *this;
  }
  ControlSpec& hide() {
    hidden = true;
    return *this;
  }
  ControlSpec& disable() {
    disabled = true;
    return *this;
  }
  ControlSpec& skipTab() {
    skip = true;
    return *this;
  }
  ControlSpec& centre() {
    centred = true;
    return *this;
  }
};

// The strip a window's toolbar controls sit on; the system never addresses it, so number 0.
ControlSpec toolbarStrip(int height);
// An icon button of a toolbar: 20 by 18 units, one unit below the strip's top edge.
ControlSpec toolbarButton(int number, std::string label, std::string tip, int x, std::string icon);
// An area of a toolbar that groups its buttons.
ControlSpec toolbarRegion(int number, std::string label, Rect rect);

ControlSpec groupBox(int number, std::string label, Rect rect, std::string text = {});
ControlSpec prompt(int number, std::string label, std::string text, Rect rect);
// A prompt as large as its text.
ControlSpec prompt(int number, std::string label, std::string text, int x, int y);
ControlSpec entry(int number, std::string label, Rect rect, std::string picture);
ControlSpec button(int number, std::string label, std::string text, Rect rect);
// A list; `format` is its column format string.
ControlSpec list(int number, std::string label, Rect rect, std::string format);
ControlSpec progressBar(int number, std::string label, Rect rect);
// Fixed text as large as itself.
ControlSpec fixedString(int number, std::string label, std::string text, int x, int y);
ControlSpec variableString(int number, std::string label, Rect rect, std::string picture);
ControlSpec image(int number, std::string label, Rect rect);
ControlSpec menuItem(int number, std::string label, std::string text);

// A work window inside the frame (city directory, personal directory, search): 294 by 184 in
// the 10-point dialog font, with a toolbar strip 20 units high and no caption of its own (the
// frame's caption names it).
runtime::WindowDef workWindow(std::string proc);

}  // namespace phonedir::layout

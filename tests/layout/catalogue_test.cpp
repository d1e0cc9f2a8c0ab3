#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "layout/windows.h"
#include "runtime/list_format.h"
#include "runtime/locale/charset.h"
#include "runtime/picture.h"
#include "runtime/window.h"

namespace phonedir::layout {
namespace {

using runtime::ControlDef;
using runtime::ControlKind;
using runtime::kFullWidth;
using runtime::kNaturalSize;
using runtime::Rect;
using runtime::WindowDef;

struct WindowCase {
  const WindowDef& (*def)();
  const char* proc;
  const char* caption;
  int width, height, fontSize;
  const char* helpId;
  bool mdiChild, resizable, infoIcon;
  int toolbarHeight;
  long numbered;  // controls with a number
};

const WindowCase kWindows[] = {
    {frameWindow, "START", "Телефонный справочник (личный)", 293, 180, 10, "", 0, 0, 0, 20, 14},
    {gorodWindow, "GOROD", "", 294, 184, 10, "", 1, 0, 0, 20, 23},
    {streetWindow, "STREET", "Справочник улиц", 151, 233, 8, "Street", 0, 1, 0, 0, 6},
    {personalWindow, "PERSONAL", "", 294, 184, 10, "", 1, 0, 0, 20, 11},
    {phoneCardWindow, "UPDATEPHONE", "Телефонная карточка", 179, 95, 8, "UpdatePhone", 0, 1, 0, 0,
     14},
    {streetCardWindow, "STREET_UPD", "Карточка улицы", 237, 70, 8, "Street_Upd", 0, 1, 0, 0, 7},
    {personalCardWindow, "PERS_UPD", "Карточка", 208, 79, 8, "Pers_Upd", 0, 1, 0, 0, 11},
    {poiskWindow, "POISK", "", 294, 184, 10, "", 1, 0, 0, 20, 23},
    {convertWindow, "CONVERT", "Структура базы изменена. Придется подожнать", 262, 41, 8, "", 0, 0,
     0, 0, 3},
    {waitWindow, "BUILDKEYS", "Ждите...", 442, 38, 8, "", 0, 0, 1, 0, 3},
};

const ControlDef* find(const WindowDef& w, const std::string& label) {
  auto it = std::find_if(w.controls.begin(), w.controls.end(),
                         [&](const ControlDef& c) { return c.label == label; });
  return it != w.controls.end() ? &*it : nullptr;
}

// A window with a toolbar has its strip first, across the full width, and its toolbar controls
// within the strip's height; a window without one has neither.
TEST(Catalogue, EachWindowHasItsSizeFontFlagsAndToolbar) {
  for (const WindowCase& t : kWindows) {
    const WindowDef& w = t.def();
    SCOPED_TRACE(t.proc);
    EXPECT_EQ(&w, &t.def()) << "one definition, built once";
    EXPECT_EQ(w.proc, t.proc);
    EXPECT_EQ(w.caption, t.caption);
    EXPECT_EQ(w.width, t.width);
    EXPECT_EQ(w.height, t.height);
    EXPECT_EQ(w.fontName, "MS Sans Serif");
    EXPECT_EQ(w.fontSize, t.fontSize);
    EXPECT_EQ(w.helpId, t.helpId);
    EXPECT_EQ(w.mdiChild, t.mdiChild);
    EXPECT_EQ(w.resizable, t.resizable);
    EXPECT_EQ(w.infoIcon, t.infoIcon);
    EXPECT_EQ(w.frame, w.proc == "START");
    EXPECT_EQ(w.toolbarHeight, t.toolbarHeight);
    EXPECT_EQ(std::count_if(w.controls.begin(), w.controls.end(),
                            [](const ControlDef& c) { return c.number != 0; }),
              t.numbered);
    for (size_t i = 0; i < w.controls.size(); ++i) {
      const ControlDef& c = w.controls[i];
      if (c.kind == ControlKind::Toolbar) {
        EXPECT_EQ(i, 0u);
        EXPECT_EQ(c.rect, (Rect{0, 0, kFullWidth, w.toolbarHeight}));
      }
      if (c.kind == ControlKind::Toolbar || c.parent == "toolbar") {
        EXPECT_GT(w.toolbarHeight, 0) << c.label;
        EXPECT_LE(c.rect.y + c.rect.h, w.toolbarHeight) << c.label;
      }
    }
  }
}

// What the logic and the runtime rely on of every control: numbers from 1 in definition order
// (the frame's toolbar and menu have fixed numbers of their own), unique labels, a parent that
// is an earlier group box and encloses the child's corner (the city directory's locator boxes
// are defined inside the list's group but sit above it), explicit sizes within the window,
// texts the model's character set holds, and pictures the runtime can measure ("-" widths).
TEST(Catalogue, EveryControlIsWellFormed) {
  for (const WindowCase& t : kWindows) {
    const WindowDef& w = t.def();
    SCOPED_TRACE(t.proc);
    const runtime::Window model(w, 1, 1);
    std::set<std::string> labels;
    int number = 1;
    for (size_t i = 0; i < w.controls.size(); ++i) {
      const ControlDef& c = w.controls[i];
      SCOPED_TRACE(c.label);
      if (!w.frame && c.kind != ControlKind::Toolbar) {
        EXPECT_EQ(c.number, number++);
      }
      EXPECT_TRUE(c.label.empty() || labels.insert(c.label).second);
      if (c.kind != ControlKind::MenuItem) {
        EXPECT_TRUE(c.rect.w > 0 || c.rect.w == kNaturalSize || c.rect.w == kFullWidth);
        EXPECT_TRUE(c.rect.h > 0 || c.rect.h == kNaturalSize);
      }
      EXPECT_TRUE(c.rect.w <= 0 || c.rect.x + c.rect.w <= w.width);
      EXPECT_TRUE(c.rect.h <= 0 || c.rect.y + c.rect.h <= w.height);
      for (const std::string* text : {&c.text, &c.tip, &c.statusText, &c.format}) {
        EXPECT_EQ(runtime::toUtf8(runtime::cp(*text)), *text);
      }
      const bool shows = c.kind == ControlKind::Entry || c.kind == ControlKind::VarString;
      EXPECT_EQ(shows, !c.picture.empty());
      EXPECT_TRUE(!shows || runtime::Picture(c.picture).width() > 0);
      for (const runtime::ListColumn& col : runtime::parseListFormat(runtime::cp(c.format))) {
        EXPECT_GT(runtime::Picture(col.picture).width(), 0) << col.picture;
      }
      if (c.parent.empty() || c.parent == "toolbar") continue;
      const ControlDef* parent = find(w, c.parent);
      ASSERT_NE(parent, nullptr);
      EXPECT_LT(parent, &c) << "a parent comes before its children";
      EXPECT_EQ(parent->kind, ControlKind::GroupBox);
      EXPECT_EQ(model.controls[i].parent, parent->number);
      if (w.proc == "GOROD" && c.kind == ControlKind::GroupBox) continue;
      EXPECT_GE(c.rect.x, parent->rect.x);
      EXPECT_GE(c.rect.y, parent->rect.y);
      EXPECT_TRUE(c.rect.w <= 0 || c.rect.x + c.rect.w <= parent->rect.x + parent->rect.w);
      EXPECT_TRUE(c.rect.h <= 0 || c.rect.y + c.rect.h <= parent->rect.y + parent->rect.h);
    }
  }
}

TEST(Catalogue, FrameToolbarCarriesTheFixedNumbers) {
  const WindowDef& w = frameWindow();
  std::set<int> toolbar, menu;
  for (const ControlDef& c : w.controls) {
    if (c.kind == ControlKind::MenuItem) menu.insert(c.number);
    if (c.kind != ControlKind::Button) continue;
    EXPECT_TRUE(toolbar.insert(c.number).second) << c.number;
    EXPECT_EQ(c.parent, "toolbar");
    EXPECT_FALSE(c.icon.empty() || c.tip.empty()) << c.number;
    EXPECT_EQ(c.hidden, c.number == 2010) << c.number;
    EXPECT_EQ(c.disabled, c.number == 2010) << c.number;
  }
  EXPECT_EQ(toolbar,
            (std::set<int>{2000, 2001, 2002, 2003, 2004, 2005, 2006, 2007, 2008, 2009, 2010}));
  EXPECT_EQ(menu, (std::set<int>{-3, -2, -1}));
  EXPECT_EQ(find(w, "?TBARBRWLOCATE")->rect, find(w, "?TBARBRWDOWN")->rect);
}

struct Column {
  int width;
  const char* header;
  const char* picture;
  bool fixed, resizable;
};

// Every column is left-justified with indent 2 and a line at its right; every header centred.
TEST(Catalogue, ListFormatsGiveTheDocumentedColumns) {
  const struct {
    const WindowDef& (*def)();
    const char* label;
    std::vector<Column> columns;
  } lists[] = {
      {gorodWindow,
       "?LIST",
       {{39, "Телефон", "P<#-##-##P", true, true},
        {83, "Фамилия", "s17", true, true},
        {97, "Улица", "s19", true, true},
        {25, "Дом", "s4", true, true},
        {16, "Кв.", "s4", true, false}}},
      {streetWindow, "?BROWSE:1", {{80, "Улица", "s19", false, true}}},
      {personalWindow,
       "?LIST:2",
       {{44, "Телефон", "s10", true, true},
        {24, "Код", "s5", true, true},
        {123, "Фамилия", "s30", true, true},
        {120, "Примечание", "s30", true, true}}},
      {poiskWindow,
       "?LIST",
       {{40, "Телефон", "P<#-##-##P", false, true},
        {79, "Фамилия", "s17", false, true},
        {93, "Улица", "s19", false, true},
        {27, "Дом", "s4", false, true},
        {16, "Кв.", "s4", false, true}}},
  };
  for (const auto& t : lists) {
    SCOPED_TRACE(t.def().proc);
    const ControlDef* list = find(t.def(), t.label);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->kind, ControlKind::List);
    const auto columns = runtime::parseListFormat(runtime::cp(list->format));
    ASSERT_EQ(columns.size(), t.columns.size());
    for (size_t i = 0; i < columns.size(); ++i) {
      const runtime::ListColumn& got = columns[i];
      const Column& want = t.columns[i];
      SCOPED_TRACE(i + 1);
      EXPECT_EQ(got.width, want.width);
      EXPECT_EQ(runtime::toUtf8(got.header), want.header);
      EXPECT_EQ(got.picture, want.picture);
      EXPECT_EQ(got.fixed, want.fixed);
      EXPECT_EQ(got.resizable, want.resizable);
      EXPECT_TRUE(got.rightLine);
      EXPECT_EQ(std::tie(got.justify, got.indent, got.headerJustify, got.headerIndent),
                std::make_tuple('L', 2, 'C', 0));
    }
  }
}

// The city browse shows one locator box at a time, always in the same place; the browses'
// insert, change and delete buttons lie hidden over their list.
TEST(Catalogue, LocatorBoxesOverlapAndUpdateButtonsHideOverTheList) {
  const WindowDef& gorod = gorodWindow();
  EXPECT_EQ(find(gorod, "?GROUP1")->number, 8);
  EXPECT_EQ(find(gorod, "?GROUP2")->number, 11);
  EXPECT_EQ(find(gorod, "?GROUP3")->number, 14);
  EXPECT_EQ(find(gorod, "?GROUP1")->rect, find(gorod, "?GROUP2")->rect);
  EXPECT_EQ(find(gorod, "?GROUP1")->rect, find(gorod, "?GROUP3")->rect);

  const struct {
    const WindowDef& (*def)();
    const char* list;
    std::vector<const char*> buttons;
  } browses[] = {
      {gorodWindow, "?LIST", {"?INSERT", "?CHANGE", "?DELETE"}},
      {streetWindow, "?BROWSE:1", {"?INSERT:3", "?CHANGE:3", "?DELETE:3"}},
      {personalWindow, "?LIST:2", {"?INSERT:2", "?CHANGE:2", "?DELETE:2"}},
  };
  for (const auto& b : browses) {
    const Rect& list = find(b.def(), b.list)->rect;
    for (const char* label : b.buttons) {
      const ControlDef* button = find(b.def(), label);
      ASSERT_NE(button, nullptr) << label;
      const Rect& r = button->rect;
      EXPECT_TRUE(button->hidden) << label;
      EXPECT_TRUE(r.x >= list.x && r.y >= list.y && r.x + r.w <= list.x + list.w &&
                  r.y + r.h <= list.y + list.h)
          << label;
    }
  }
}

}  // namespace
}  // namespace phonedir::layout

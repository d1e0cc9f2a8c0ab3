#include "layout/windows.h"

namespace phonedir::layout {

using runtime::ControlDef;
using runtime::ControlKind;
using runtime::Rect;

namespace {

ControlDef toolbarButton(int number, const char* label, const char* tip, int x, const char* icon,
                         bool hidden = false) {
  ControlDef c;
  c.number = number;
  c.kind = ControlKind::Button;
  c.label = label;
  c.tip = tip;
  c.rect = {x, 1, 20, 18};
  c.parent = "toolbar";
  c.icon = icon;
  c.hidden = hidden;
  c.disabled = hidden;
  return c;
}

ControlDef region(const char* label, Rect rect) {
  ControlDef c;
  c.kind = ControlKind::Region;
  c.label = label;
  c.rect = rect;
  c.parent = "toolbar";
  return c;
}

ControlDef menuItem(int number, const char* label, const char* text) {
  ControlDef c;
  c.number = number;
  c.kind = ControlKind::MenuItem;
  c.label = label;
  c.text = text;
  return c;
}

runtime::WindowDef makeFrame() {
  runtime::WindowDef w;
  w.proc = "START";
  w.caption = "Телефонный справочник (личный)";
  w.width = 293;
  w.height = 180;
  w.fontSize = 10;
  w.icon = "Phone.ico";
  w.wallpaper = "Window.gif";
  w.frame = true;
  w.toolbarHeight = 20;
  w.toolbarWallpaper = "Tool.gif";
  w.statusZones = {-1, 90, 89};
  ControlDef strip;
  strip.kind = ControlKind::Toolbar;
  strip.rect = {0, 0, runtime::kFullWidth, 20};
  w.controls = {
      strip,
      toolbarButton(2005, "?TBARBRWTOP", "Первая страница", 1, "Top.ico"),
      toolbarButton(2007, "?TBARBRWPAGEUP", "Переход к предыдущей странице", 21, "PrevP.ico"),
      toolbarButton(2009, "?TBARBRWUP", "Переход к предыдущей записи", 41, "Prev.ico"),
      toolbarButton(2010, "?TBARBRWLOCATE", "Поиск записи", 61, "Next.ico", true),
      toolbarButton(2008, "?TBARBRWDOWN", "Переход к следующей записи", 61, "Next.ico"),
      toolbarButton(2006, "?TBARBRWPAGEDOWN", "Переход к следующей странице", 81, "NextP.ico"),
      toolbarButton(2004, "?TBARBRWBOTTOM", "Переход к последней странице", 101, "End.ico"),
      region("?REGION1", {0, 1, 124, 18}),
      toolbarButton(2003, "?TBARBRWSELECT", "Выбор записи", 126, "Select.ico"),
      toolbarButton(2000, "?TBARBRWINSERT", "Добавление записи", 146, "Append.ico"),
      toolbarButton(2001, "?TBARBRWCHANGE", "Изменение записи", 166, "Change.ico"),
      toolbarButton(2002, "?TBARBRWDELETE", "Удаление записи", 186, "Delete.ico"),
      region("?REGION2", {124, 1, 85, 18}),
      menuItem(-1, "?PERSONAL", "Личный справочник"),
      menuItem(-2, "?GJROD", "Городской справочник"),
      menuItem(-3, "?POISK", "Поиск"),
  };
  return w;
}

}  // namespace

const runtime::WindowDef& frameWindow() {
  static const runtime::WindowDef w = makeFrame();
  return w;
}

}  // namespace phonedir::layout

#include "layout/control_builders.h"
#include "layout/windows.h"

namespace phonedir::layout {

namespace {

runtime::WindowDef makeFrame() {
  runtime::WindowDef w;
  w.proc = "START";
  w.caption = "Телефонный справочник (личный)";
  w.width = 293;
  w.height = 180;
  w.fontName = "MS Sans Serif";
  w.fontSize = 10;
  w.icon = "Phone.ico";
  w.wallpaper = "Window.gif";
  w.frame = true;
  w.toolbarHeight = 20;
  w.toolbarWallpaper = "Tool.gif";
  w.statusZones = {-1, 90, 89};
  // The locate button lies under the next-record button and never shows; the numbers are the
  // fixed ones by which every window addresses the shared toolbar.
  w.controls = {
      toolbarStrip(w.toolbarHeight),
      toolbarButton(2005, "?TBARBRWTOP", "Первая страница", 1, "Top.ico"),
      toolbarButton(2007, "?TBARBRWPAGEUP", "Переход к предыдущей странице", 21, "PrevP.ico"),
      toolbarButton(2009, "?TBARBRWUP", "Переход к предыдущей записи", 41, "Prev.ico"),
      toolbarButton(2010, "?TBARBRWLOCATE", "Поиск записи", 61, "Next.ico").hide().disable(),
      toolbarButton(2008, "?TBARBRWDOWN", "Переход к следующей записи", 61, "Next.ico"),
      toolbarButton(2006, "?TBARBRWPAGEDOWN", "Переход к следующей странице", 81, "NextP.ico"),
      toolbarButton(2004, "?TBARBRWBOTTOM", "Переход к последней странице", 101, "End.ico"),
      toolbarRegion(0, "?REGION1", {0, 1, 124, 18}),
      toolbarButton(2003, "?TBARBRWSELECT", "Выбор записи", 126, "Select.ico"),
      toolbarButton(2000, "?TBARBRWINSERT", "Добавление записи", 146, "Append.ico"),
      toolbarButton(2001, "?TBARBRWCHANGE", "Изменение записи", 166, "Change.ico"),
      toolbarButton(2002, "?TBARBRWDELETE", "Удаление записи", 186, "Delete.ico"),
      toolbarRegion(0, "?REGION2", {124, 1, 85, 18}),
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

#include "layout/frame_window.h"

#include "layout/control_builders.h"
#include "layout/windows.h"

namespace phonedir::layout {

namespace {

using namespace frame;

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
  // fixed ones by which every window addresses the shared toolbar. The keys press the
  // navigation and insert buttons from any window, a card's entries too: a card that has
  // taken the toolbar over saves and moves on by them without the mouse.
  w.controls = {
      toolbarStrip(w.toolbarHeight),
      toolbarButton(TBARBRWTOP, "?TBARBRWTOP", "Первая страница", 1, "Top.ico")
          .withShortcut("Ctrl+Shift+PgUp"),
      toolbarButton(TBARBRWPAGEUP, "?TBARBRWPAGEUP", "Переход к предыдущей странице", 21,
                    "PrevP.ico")
          .withShortcut("Ctrl+PgUp"),
      toolbarButton(TBARBRWUP, "?TBARBRWUP", "Переход к предыдущей записи", 41, "Prev.ico")
          .withShortcut("Ctrl+Up"),
      toolbarButton(TBARBRWLOCATE, "?TBARBRWLOCATE", "Поиск записи", 61, "Next.ico")
          .hide()
          .disable(),
      toolbarButton(TBARBRWDOWN, "?TBARBRWDOWN", "Переход к следующей записи", 61, "Next.ico")
          .withShortcut("Ctrl+Down"),
      toolbarButton(TBARBRWPAGEDOWN, "?TBARBRWPAGEDOWN", "Переход к следующей странице", 81,
                    "NextP.ico")
          .withShortcut("Ctrl+PgDown"),
      toolbarButton(TBARBRWBOTTOM, "?TBARBRWBOTTOM", "Переход к последней странице", 101, "End.ico")
          .withShortcut("Ctrl+Shift+PgDown"),
      toolbarRegion(0, "?REGION1", {0, 1, 124, 18}),
      toolbarButton(TBARBRWSELECT, "?TBARBRWSELECT", "Выбор записи", 126, "Select.ico"),
      toolbarButton(TBARBRWINSERT, "?TBARBRWINSERT", "Добавление записи", 146, "Append.ico")
          .withShortcut("Alt+Ins"),
      toolbarButton(TBARBRWCHANGE, "?TBARBRWCHANGE", "Изменение записи", 166, "Change.ico"),
      toolbarButton(TBARBRWDELETE, "?TBARBRWDELETE", "Удаление записи", 186, "Delete.ico"),
      toolbarRegion(0, "?REGION2", {124, 1, 85, 18}),
      menuItem(PERSONAL, "?PERSONAL", "Личный справочник"),
      menuItem(GJROD, "?GJROD", "Городской справочник"),
      menuItem(POISK, "?POISK", "Поиск"),
  };
  return w;
}

}  // namespace

const runtime::WindowDef& frameWindow() {
  static const runtime::WindowDef w = makeFrame();
  return w;
}

}  // namespace phonedir::layout

#include "layout/gorod_window.h"

#include "layout/control_builders.h"
#include "layout/windows.h"

namespace phonedir::layout {

namespace {

using namespace gorod;

runtime::WindowDef makeGorod() {
  runtime::WindowDef w = workWindow("GOROD");
  // The three locator group boxes share one rectangle; the browse shows the one that suits the
  // sort order. The insert, change and delete buttons lie hidden over the list: the frame's
  // toolbar carries those commands.
  w.controls = {
      toolbarStrip(w.toolbarHeight),
      toolbarButton(BUTTON1, "?BUTTON1", "Сортировка по телефону", 3, "Phone.ico"),
      toolbarButton(BUTTON2, "?BUTTON2", "Сортировка по фамилии", 23, "Fio.ico"),
      toolbarButton(BUTTON3, "?BUTTON3", "Сортировка по адресу", 43, "Adress.ico"),
      toolbarButton(BUTTON4, "?BUTTON4", "Завершение работы", 63, "Exit.ico"),
      toolbarRegion(REGION1, "?REGION1", {0, 1, kNaturalSize, 18}),
      groupBox(GROUP4, "?GROUP4", {2, 18, 289, 144}),
      list(LIST, "?LIST", {5, 25, 283, 134},
           "39L(2)|FM~Телефон~C(0)@P<#-##-##P@83L(2)|FM~Фамилия~C(0)@s17@"
           "97L(2)|FM~Улица~C(0)@s19@25L(2)|FM~Дом~C(0)@s4@16L(2)|F~Кв.~C(0)@s4@")
          .in("?GROUP4"),
      groupBox(GROUP1, "?GROUP1", {2, -3, 289, 23}).in("?GROUP4"),
      entry(PHO_PHONE, "?PHO:PHONE", {8, 5, kNaturalSize, 10}, "P##-##-##PB")
          .in("?GROUP1")
          .disable()
          .skipTab(),
      prompt(PROMPT1, "?PROMPT1", "Телефон", 48, 6).in("?GROUP1"),
      groupBox(GROUP2, "?GROUP2", {2, -3, 289, 23}).in("?GROUP4"),
      entry(PHO_FIO, "?PHO:FIO", {51, 5, kNaturalSize, 10}, "s17")
          .in("?GROUP2")
          .disable()
          .skipTab(),
      prompt(PROMPT2, "?PROMPT2", "Фамилия", 13, 6).in("?GROUP2"),
      groupBox(GROUP3, "?GROUP3", {2, -3, 289, 23}).in("?GROUP4"),
      prompt(PHO_HOME_PROMPT, "?PHO:HOME:PROMPT", "Дом", 118, 6).in("?GROUP3"),
      // Tab passes the street list's button by; F4 presses it.
      button(BUTTON8, "?BUTTON8", "Справочник улиц", {8, 4, 96, 12})
          .in("?GROUP3")
          .skipTab()
          .withShortcut("F4"),
      entry(LOC_HOME, "?LOC:HOME", {136, 5, 22, 10}, "s4").in("?GROUP3"),
      prompt(PHO_KVART_PROMPT, "?PHO:KVART:PROMPT", "Квартира", 165, 6).in("?GROUP3"),
      entry(LOC_KVART, "?LOC:KVART", {203, 5, 22, 10}, "s4").in("?GROUP3"),
      button(BUTTON9, "?BUTTON9", "Позиционир.", {237, 4, 51, 12}).in("?GROUP3"),
      button(INSERT, "?INSERT", "&Добавить", {7, 115, 41, 11}).in("?GROUP4").hide(),
      button(CHANGE, "?CHANGE", "&Изменить", {7, 127, 41, 11}).in("?GROUP4").hide(),
      button(DELETE, "?DELETE", "&Удалить", {7, 139, 41, 11}).in("?GROUP4").hide(),
  };
  return w;
}

}  // namespace

const runtime::WindowDef& gorodWindow() {
  static const runtime::WindowDef w = makeGorod();
  return w;
}

}  // namespace phonedir::layout

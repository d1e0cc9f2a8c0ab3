#include "layout/control_builders.h"
#include "layout/windows.h"

namespace phonedir::layout {

namespace {

runtime::WindowDef makeGorod() {
  runtime::WindowDef w = workWindow("GOROD");
  // The three locator group boxes share one rectangle; the browse shows the one that suits the
  // sort order. The insert, change and delete buttons lie hidden over the list: the frame's
  // toolbar carries those commands.
  w.controls = {
      toolbarStrip(w.toolbarHeight),
      toolbarButton(1, "?BUTTON1", "Сортировка по телефону", 3, "Phone.ico"),
      toolbarButton(2, "?BUTTON2", "Сортировка по фамилии", 23, "Fio.ico"),
      toolbarButton(3, "?BUTTON3", "Сортировка по адресу", 43, "Adress.ico"),
      toolbarButton(4, "?BUTTON4", "Завершение работы", 63, "Exit.ico"),
      toolbarRegion(5, "?REGION1", {0, 1, kNaturalSize, 18}),
      groupBox(6, "?GROUP4", {2, 18, 289, 144}),
      list(7, "?LIST", {5, 25, 283, 134},
           "39L(2)|FM~Телефон~C(0)@P<#-##-##P@83L(2)|FM~Фамилия~C(0)@s17@"
           "97L(2)|FM~Улица~C(0)@s19@25L(2)|FM~Дом~C(0)@s4@16L(2)|F~Кв.~C(0)@s4@")
          .in("?GROUP4"),
      groupBox(8, "?GROUP1", {2, -3, 289, 23}).in("?GROUP4"),
      entry(9, "?PHO:PHONE", {8, 5, kNaturalSize, 10}, "P##-##-##PB")
          .in("?GROUP1")
          .disable()
          .skipTab(),
      prompt(10, "?PROMPT1", "Телефон", 48, 6).in("?GROUP1"),
      groupBox(11, "?GROUP2", {2, -3, 289, 23}).in("?GROUP4"),
      entry(12, "?PHO:FIO", {51, 5, kNaturalSize, 10}, "s17").in("?GROUP2").disable().skipTab(),
      prompt(13, "?PROMPT2", "Фамилия", 13, 6).in("?GROUP2"),
      groupBox(14, "?GROUP3", {2, -3, 289, 23}).in("?GROUP4"),
      prompt(15, "?PHO:HOME:PROMPT", "Дом", 118, 6).in("?GROUP3"),
      button(16, "?BUTTON8", "Справочник улиц", {8, 4, 96, 12}).in("?GROUP3").skipTab(),
      entry(17, "?LOC:HOME", {136, 5, 22, 10}, "s4").in("?GROUP3"),
      prompt(18, "?PHO:KVART:PROMPT", "Квартира", 165, 6).in("?GROUP3"),
      entry(19, "?LOC:KVART", {203, 5, 22, 10}, "s4").in("?GROUP3"),
      button(20, "?BUTTON9", "Позиционир.", {237, 4, 51, 12}).in("?GROUP3"),
      button(21, "?INSERT", "&Добавить", {7, 115, 41, 11}).in("?GROUP4").hide(),
      button(22, "?CHANGE", "&Изменить", {7, 127, 41, 11}).in("?GROUP4").hide(),
      button(23, "?DELETE", "&Удалить", {7, 139, 41, 11}).in("?GROUP4").hide(),
  };
  return w;
}

}  // namespace

const runtime::WindowDef& gorodWindow() {
  static const runtime::WindowDef w = makeGorod();
  return w;
}

}  // namespace phonedir::layout

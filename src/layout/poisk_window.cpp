#include "layout/control_builders.h"
#include "layout/windows.h"

namespace phonedir::layout {

namespace {

runtime::WindowDef makePoisk() {
  runtime::WindowDef w = workWindow("POISK");
  // The progress bar lies across the upper rows of the result list; it shows only while a
  // search runs.
  w.controls = {
      toolbarStrip(w.toolbarHeight),
      toolbarButton(1, "?BUTTON1", "Сортировка по телефону", 3, "Phone.ico"),
      toolbarButton(2, "?BUTTON2", "Сортировка по фамилии", 23, "Fio.ico"),
      toolbarButton(3, "?BUTTON3", "Сортировка по адресу", 43, "Adress.ico"),
      toolbarButton(4, "?BUTTON4", "Завершение работы", 63, "Exit.ico"),
      toolbarRegion(5, "?REGION1", {0, 1, kNaturalSize, 18}),
      groupBox(6, "?GROUP1", {2, 0, 289, 46}, "Условия поиска"),
      prompt(7, "?PROMPT1", "Телефон", 6, 10).in("?GROUP1"),
      entry(8, "?LOC:PHONE", {41, 10, kNaturalSize, 9}, "S6").in("?GROUP1"),
      prompt(9, "?PROMPT6",
             "(без знаков - )        Допускается использование масок (напр. 3** или  3??89 )", 74,
             10)
          .in("?GROUP1"),
      entry(10, "?LOC:STREETNAME", {41, 21, 78, 9}, "s20")
          .in("?GROUP1")
          .withTip("Правая кн. мыши для очистки поля")
          .skipTab(),
      button(11, "?BUTTON5", "...", {121, 20, 10, 10}).in("?GROUP1"),
      prompt(12, "?LOC:HOME:PROMPT", "Дом", 135, 21).in("?GROUP1"),
      entry(13, "?LOC:HOME", {151, 21, 22, 9}, "s4").in("?GROUP1"),
      prompt(14, "?LOC:KVART:PROMPT", "Кв", 178, 21).in("?GROUP1"),
      entry(15, "?LOC:KVART", {190, 21, 22, 9}, "s4").in("?GROUP1"),
      button(16, "?BUTTON6", "Поиск", {235, 20, 39, 11}).in("?GROUP1").skipTab(),
      prompt(17, "?PROMPT3", "Фамилия", 6, 32).in("?GROUP1"),
      entry(18, "?LOC:FIO", {41, 32, 78, 9}, "s17").in("?GROUP1"),
      prompt(19, "?PROMPT7", "Допускается ввод нескольких первых символов фамилии", 122, 34)
          .in("?GROUP1"),
      prompt(20, "?PROMPT2", "Улица", 6, 21).in("?GROUP1"),
      groupBox(21, "?GROUP2", {2, 44, 289, 120}),
      list(22, "?LIST", {5, 51, 283, 110},
           "40L(2)|M~Телефон~C(0)@P<#-##-##P@79L(2)|M~Фамилия~C(0)@s17@"
           "93L(2)|M~Улица~C(0)@s19@27L(2)|M~Дом~C(0)@s4@16L(2)|M~Кв.~C(0)@s4@")
          .in("?GROUP2"),
      progressBar(23, "?LOC:NUM", {6, 61, 282, 8}).in("?GROUP2"),
  };
  return w;
}

}  // namespace

const runtime::WindowDef& poiskWindow() {
  static const runtime::WindowDef w = makePoisk();
  return w;
}

}  // namespace phonedir::layout

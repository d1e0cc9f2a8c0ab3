#include "layout/poisk_window.h"

#include "layout/control_builders.h"
#include "layout/windows.h"

namespace phonedir::layout {

namespace {

using namespace poisk;

runtime::WindowDef makePoisk() {
  runtime::WindowDef w = workWindow("POISK");
  // The progress bar lies across the upper rows of the result list; it shows only while a
  // search runs.
  w.controls = {
      toolbarStrip(w.toolbarHeight),
      toolbarButton(BUTTON1, "?BUTTON1", "Сортировка по телефону", 3, "Phone.ico"),
      toolbarButton(BUTTON2, "?BUTTON2", "Сортировка по фамилии", 23, "Fio.ico"),
      toolbarButton(BUTTON3, "?BUTTON3", "Сортировка по адресу", 43, "Adress.ico"),
      toolbarButton(BUTTON4, "?BUTTON4", "Завершение работы", 63, "Exit.ico"),
      toolbarRegion(REGION1, "?REGION1", {0, 1, kNaturalSize, 18}),
      groupBox(GROUP1, "?GROUP1", {2, 0, 289, 46}, "Условия поиска"),
      prompt(PROMPT1, "?PROMPT1", "Телефон", 6, 10).in("?GROUP1"),
      entry(LOC_PHONE, "?LOC:PHONE", {41, 10, kNaturalSize, 9}, "S6").in("?GROUP1"),
      prompt(PROMPT6, "?PROMPT6",
             "(без знаков - )        Допускается использование масок (напр. 3** или  3??89 )", 74,
             10)
          .in("?GROUP1"),
      entry(LOC_STREETNAME, "?LOC:STREETNAME", {41, 21, 78, 9}, "s20")
          .in("?GROUP1")
          .withTip("Правая кн. мыши для очистки поля")
          .skipTab(),
      button(BUTTON5, "?BUTTON5", "...", {121, 20, 10, 10}).in("?GROUP1"),
      prompt(LOC_HOME_PROMPT, "?LOC:HOME:PROMPT", "Дом", 135, 21).in("?GROUP1"),
      entry(LOC_HOME, "?LOC:HOME", {151, 21, 22, 9}, "s4").in("?GROUP1"),
      prompt(LOC_KVART_PROMPT, "?LOC:KVART:PROMPT", "Кв", 178, 21).in("?GROUP1"),
      entry(LOC_KVART, "?LOC:KVART", {190, 21, 22, 9}, "s4").in("?GROUP1"),
      button(BUTTON6, "?BUTTON6", "Поиск", {235, 20, 39, 11}).in("?GROUP1").skipTab(),
      prompt(PROMPT3, "?PROMPT3", "Фамилия", 6, 32).in("?GROUP1"),
      entry(LOC_FIO, "?LOC:FIO", {41, 32, 78, 9}, "s17").in("?GROUP1"),
      prompt(PROMPT7, "?PROMPT7", "Допускается ввод нескольких первых символов фамилии", 122, 34)
          .in("?GROUP1"),
      prompt(PROMPT2, "?PROMPT2", "Улица", 6, 21).in("?GROUP1"),
      groupBox(GROUP2, "?GROUP2", {2, 44, 289, 120}),
      list(LIST, "?LIST", {5, 51, 283, 110},
           "40L(2)|M~Телефон~C(0)@P<#-##-##P@79L(2)|M~Фамилия~C(0)@s17@"
           "93L(2)|M~Улица~C(0)@s19@27L(2)|M~Дом~C(0)@s4@16L(2)|M~Кв.~C(0)@s4@")
          .in("?GROUP2"),
      progressBar(LOC_NUM, "?LOC:NUM", {6, 61, 282, 8}).in("?GROUP2"),
  };
  return w;
}

}  // namespace

const runtime::WindowDef& poiskWindow() {
  static const runtime::WindowDef w = makePoisk();
  return w;
}

}  // namespace phonedir::layout

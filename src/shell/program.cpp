#include "shell/program.h"

#include "runtime/locale/charset.h"
#include "runtime/locale/locale_env.h"

namespace phonedir {

void SETLOCALEENV() {
  using runtime::cp;
  runtime::setLocaleValue("CASE", cp("ABCDEFGHIJKLMNOPQRSTUVWXYZАБВГДЕЖЗИЙКЛМНОПРСТУФХЦЧШЩЬЫЪЭЮЯ,"
                                     "abcdefghijklmnopqrstuvwxyzабвгдежзийклмнопрстуфхцчшщьыъэюя"));
  runtime::setLocaleValue("CHARSET", "Windows");
  runtime::setLocaleValue("COLSEQ", "WINDOWS");
  runtime::setLocaleValue(
      "MONTH",
      cp("Январь,Февраль,Март,Апрель,Май,Июнь,Июль,Август,Сентябрь,Октябрь,Ноябрь,Декабрь"));
  runtime::setLocaleValue("MON", cp("Янв,Фев,Мар,Апр,Май,Июн,Июл,Авг,Сен,Окт,Ноя,Дек"));
  runtime::setLocaleValue("AMPM", "WINDOWS");
  runtime::setLocaleValue("BUTTON",
                          cp("&ОК,&Да,&Нет,&Прервать,По&вторить,П&ропустить,&Отменить,&Справка"));
}

void _main() {
  SETLOCALEENV();
  START();
}

}  // namespace phonedir

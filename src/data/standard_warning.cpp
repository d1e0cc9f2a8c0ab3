#include "data/standard_warning.h"

#include <string>

#include "data/errors.h"
#include "runtime/backend.h"
#include "runtime/locale/charset.h"
#include "runtime/runtime.h"
#include "shell/globals.h"

namespace phonedir {
namespace {

using runtime::cp;
using runtime::Icon;

constexpr size_t kErrorTextRoom = 150;

std::string trimRight(std::string_view s) {
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return std::string(s);
}

struct Inserts {
  std::string text1;
  std::string text2;
  std::string error;  // ERRORTEXT
  int32_t code = 0;   // CURRENTERRORCODE
};

struct Message {
  int32_t number;
  const char* title;
  Icon icon;
  int buttons;
  int defaultButton;
  const char* halt;  // nullptr: the program goes on
  std::string (*text)(const Inserts&);
};

// The literal pieces are UTF-8 here and become CP1251 as they are joined.
std::string t(const char* utf8) {
  return cp(utf8);
}

const Message kMessages[] = {
    {1, "Файл неправильной структуры", Icon::Exclamation, 1, 1, "Неправильная структура файла!",
     [](const Inserts& in) {
       return t("Файл ") + in.text1 + t(" не соответствует описанию.") +
              t(" Нажмите OK для завершения программы.");
     }},
    {3, "Ошибка при восстановлении ключа", Icon::Exclamation, 1, 1,
     "Ошибка при восстановлении ключа!",
     [](const Inserts& in) {
       return t("Ошибка: (") + in.error + t(") при восстановлении ключей ") + in.text1 +
              t(".  Нажмите OK для завершения программы.");
     }},
    {4, "Ошибка создания файла", Icon::Exclamation, 1, 1, "Ошибка создания файла!",
     [](const Inserts& in) {
       return t("Ошибка: (") + in.error + t(") при создании ") + in.text1 +
              t(".  Нажмите OK для завершения программы.");
     }},
    {5, "Ошибка при создании файла", Icon::Exclamation, 1, 1, "Ошибка  при создании файла!",
     [](const Inserts& in) {
       return t("Ошибка: (") + in.error + t(") при открытии созданного ") + t("файла:") + in.text1 +
              t(".  Нажмите OK для завершения программы.");
     }},
    {14, "Ошибка при добавлении записи", Icon::Exclamation, 1, 1, nullptr,
     [](const Inserts& in) {
       return t("Возникла ошибка при попытке обновления записи.  Ошибка: ") + in.error + t(".");
     }},
    {15, "Ошибка при обновлении записи", Icon::Exclamation, 1, 1, nullptr,
     [](const Inserts& in) {
       if (in.code == 0 || in.code == 89) return t("Эта запись была изменена с другой станции.");
       return t("Возникла ошибка(") + in.error + t(") ") +
              t(" при попытке обновить запись файла.  Возможная причина: ") + in.text1 + t(".");
     }},
    {16, "Ошибка при обновлении записи", Icon::Exclamation, 70, 64, nullptr,
     [](const Inserts&) {
       return t("Возникла ошибка при попытке изменения этой записи. Хотите повторить перезапись?");
     }},
    {17, "Ошибка при стирании записи", Icon::Exclamation, 1, 1, nullptr,
     [](const Inserts& in) {
       return t("Возникла ошибка(") + in.error + t(") ") + t("при попытке стереть запись файла ") +
              in.text1 + t(".");
     }},
    {18, "Ошибка при удалении записи", Icon::Exclamation, 70, 64, nullptr,
     [](const Inserts&) {
       return t("Возникла ошибка при удалении этой записи. Хотите попробовать еще раз?");
     }},
    {22, "Создание файла не предусмотрено", Icon::Exclamation, 1, 1, "Ошибка создания файла!",
     [](const Inserts& in) {
       return t("Файл ") + in.text1 + t(" не найден, ") +
              t("а создание файла не предусмотрено (не разрешается).  Нажмите OK для завершения ") +
              t("этой программы.");
     }},
    {23, "Отмена редактирования", Icon::Question, 6, 4, nullptr,
     [](const Inserts&) { return t("Вы уверены, что хотите отменить изменения в этой записи?"); }},
    {30, "Ошибка при доступе к файлу", Icon::Exclamation, 1, 1, nullptr,
     [](const Inserts& in) {
       return t("Файл(") + in.text1 + t(") не может быть ") + t("открыт.  Ошибка: ") + in.error +
              t(".");
     }},
    {32, "Подтвердите удаление", Icon::Question, 65, 64, nullptr,
     [](const Inserts&) {
       return t(
           "Вы потребовали удалить текущую запись.Нажатием на OK подтвердите необходимость "
           "удаления этой записи.");
     }},
    {34, "Ошибка выполнения транзакции", Icon::Exclamation, 1, 1, nullptr,
     [](const Inserts& in) {
       return t("Ошибка (") + in.error + t(") при попытке выполнить ") + t("транзакцию ") +
              in.text1 + t(" для ") + in.text2 + t(".  Транзакция ") + in.text1 + t(" отменена.");
     }},
    {35, "Ошибка извлечения записи", Icon::Exclamation, 1, 1, nullptr,
     [](const Inserts& in) {
       return t("Ошибка (") + in.error + t(") При попытке доступа к ") + t("записи файла ") +
              in.text1 + t(".  Возвращаемся в ") + t("предыдущее окно.");
     }},
    {36, "Ошибка открытия View", Icon::Exclamation, 1, 1, nullptr,
     [](const Inserts& in) {
       return t("Ошибка: (") + in.error + t(") при открытии View.") +
              t("Фильтр и ограничения диапазона игнорируются.  ");
     }},
    {38, "Ошибка при обновлении записи", Icon::Exclamation, 1, 1, nullptr,
     [](const Inserts&) {
       return t(
           "Эта запись была изменена с другой станции. Эти изменения могут быть показаны. "
           "Используйте ту же кнопку или Ctrl+' для обновления измененных данных.");
     }},
};

// ERRORTEXT and CURRENTERRORCODE: the saved error when there is one, else the current one.
Inserts composeError(const SavedError& saved) {
  Inserts in;
  if (saved.SAVEERRORCODE != 0) {
    in.code = saved.SAVEERRORCODE;
    in.error =
        saved.SAVEERRORCODE == 90
            ? trimRight(saved.SAVEFILEERROR) + " (" + std::to_string(saved.SAVEFILEERRORCODE) + ")"
            : trimRight(saved.SAVEERROR) + " (" + std::to_string(saved.SAVEERRORCODE) + ")";
  } else {
    const CurrentError current = currentError();
    in.code = current.code;
    in.error = current.code == 90
                   ? trimRight(current.fileText) + " (" + std::to_string(current.fileCode) + ")"
                   : trimRight(current.text) + " (" + std::to_string(current.code) + ")";
  }
  if (in.error.size() > kErrorTextRoom) in.error.resize(kErrorTextRoom);
  return in;
}

}  // namespace

int32_t STANDARDWARNING(int32_t WARNINGID, std::string_view WARNINGTEXT1,
                        std::string_view WARNINGTEXT2) {
  Inserts in = composeError(takeSavedError());
  in.text1 = trimRight(WARNINGTEXT1);
  in.text2 = trimRight(WARNINGTEXT2);
  for (const Message& m : kMessages) {
    if (m.number != WARNINGID) continue;
    const int answer =
        runtime::messageBox(m.text(in), cp(m.title), m.icon, m.buttons, m.defaultButton);
    if (m.halt != nullptr) runtime::halt(cp(m.halt));
    return answer;
  }
  return 0;
}

}  // namespace phonedir

#include "data/errors.h"

#include "data/driver_text.h"
#include "runtime/locale/charset.h"
#include "storage/error.h"

namespace phonedir {

CurrentError currentError() {
  const storage::Error& e = storage::lastError();
  CurrentError out;
  out.code = e.code;
  out.text = errorText(e.code);
  if (e.code == storage::kDriverError) {
    out.fileCode = e.driverCode;
    out.fileText = driverTextInRussian(e.driverText);
  }
  return out;
}

std::string errorText(int32_t code) {
  const char* text = "Нет ошибки";
  switch (code) {
    case 0:
      break;
    case 2:
      text = "Файл не найден";
      break;
    case 3:
      text = "Путь не найден";
      break;
    case 5:
      text = "Доступ запрещен";
      break;
    case 33:
      text = "Запись не найдена";
      break;
    case 40:
      text = "Запись с таким ключом уже есть";
      break;
    case 46:
      text = "Ключи файла требуют восстановления";
      break;
    case 47:
      text = "Структура файла не совпадает с описанием";
      break;
    case 52:
      text = "Файл уже открыт";
      break;
    case 89:
      text = "Запись изменена другой станцией";
      break;
    case 90:
      text = "Ошибка файловой системы";
      break;
    default:
      text = "Ошибка";
      break;
  }
  return runtime::cp(text);
}

}  // namespace phonedir

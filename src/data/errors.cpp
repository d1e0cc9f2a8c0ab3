#include "data/errors.h"

#include <string_view>
#include <utility>

#include "runtime/locale/charset.h"
#include "storage/error.h"

namespace phonedir {
namespace {

// The storage engine's own texts for the failures a user meets (a full disk, a damaged or
// foreign file), said in the interface's language; any other text is shown as it stands.
std::string driverText(const std::string& text) {
  static constexpr std::pair<std::string_view, const char*> kTexts[] = {
      {"database or disk is full", "диск переполнен"},
      {"disk I/O error", "ошибка чтения или записи на диске"},
      {"database disk image is malformed", "файл повреждён"},
      {"file is not a database", "это не файл данных"},
      {"unable to open database file", "файл не удалось открыть"},
      {"attempt to write a readonly database", "файл доступен только для чтения"},
      {"out of memory", "не хватает памяти"},
  };
  for (const auto& [english, russian] : kTexts) {
    if (text.rfind(english, 0) == 0) return runtime::cp(russian);
  }
  return runtime::cp(text);
}

}  // namespace

CurrentError currentError() {
  const storage::Error& e = storage::lastError();
  CurrentError out;
  out.code = e.code;
  out.text = errorText(e.code);
  if (e.code == storage::kDriverError) {
    out.fileCode = e.driverCode;
    out.fileText = driverText(e.driverText);
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

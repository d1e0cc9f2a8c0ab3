#include "data/driver_text.h"

#include <string_view>
#include <utility>

#include "runtime/locale/charset.h"

namespace phonedir {
namespace {

using Pair = std::pair<std::string_view, std::string_view>;

// The storage engine's own texts for the failures a user meets: a full disk, a damaged or
// foreign file, a constraint a hand edit added. They begin its message.
constexpr Pair kEngineTexts[] = {
    {"database or disk is full", "диск переполнен"},
    {"disk I/O error", "ошибка чтения или записи на диске"},
    {"database disk image is malformed", "файл повреждён"},
    {"file is not a database", "это не файл данных"},
    {"unable to open database file", "файл не удалось открыть"},
    {"attempt to write a readonly database", "файл доступен только для чтения"},
    {"out of memory", "не хватает памяти"},
    {"UNIQUE constraint failed", "запись нарушает уникальность ключа, добавленного в файл"},
    {"NOT NULL constraint failed", "запись нарушает ограничение, добавленное в файл"},
    {"CHECK constraint failed", "запись нарушает ограничение, добавленное в файл"},
};

// What the system says of a file it cannot work with; these end a text "<path>: <reason>".
constexpr Pair kFileReasons[] = {
    {"is a directory", "это папка, а не файл"},
    {"not a regular file", "это не обычный файл"},
    {"No space left on device", "на диске нет места"},
    {"Disk quota exceeded", "превышена дисковая квота"},
    {"Input/output error", "ошибка чтения или записи на диске"},
    {"File name too long", "слишком длинное имя"},
    {"Too many levels of symbolic links", "слишком много символических ссылок"},
    {"Too many open files", "открыто слишком много файлов"},
    {"Cannot allocate memory", "не хватает памяти"},
    {"Stale file handle", "файл на сетевом диске стал недоступен"},
};

// What a value read from a record holds when it does not fit its field (a hand edit).
constexpr Pair kValueKinds[] = {
    {"a number", "число"},
    {"a real number", "дробное число"},
    {"text", "текст"},
    {"bytes", "байты"},
    {"NULL", "пустое значение (NULL)"},
    {"a NUL inside its text", "нулевой байт внутри текста"},
};

bool startsWith(std::string_view s, std::string_view prefix) {
  return s.substr(0, prefix.size()) == prefix;
}

bool endsWith(std::string_view s, std::string_view suffix) {
  return s.size() >= suffix.size() && s.substr(s.size() - suffix.size()) == suffix;
}

std::string valueKind(std::string_view what) {
  for (const auto& [english, russian] : kValueKinds) {
    if (what == english) return std::string(russian);
  }
  constexpr std::string_view kBeyond = ", beyond 32 bits";
  if (startsWith(what, "the number ") && endsWith(what, kBeyond)) {
    const std::string_view number = what.substr(11, what.size() - 11 - kBeyond.size());
    return "число " + std::string(number) + ", не умещающееся в 32 бита";
  }
  // "<n> bytes, room for <m>"
  const size_t bytes = what.find(" bytes, room for ");
  if (bytes != std::string_view::npos) {
    return std::string(what.substr(0, bytes)) + " байт, а места в поле " +
           std::string(what.substr(bytes + 17));
  }
  return std::string(what);
}

// "record <n>: <FIELD> holds <what>", "the file is damaged: record <n> is out of its key's
// order": a record the driver could not take as it stands.
bool recordText(std::string_view text, std::string& out) {
  constexpr std::string_view kOutOfOrder = " is out of its key's order";
  constexpr std::string_view kDamaged = "the file is damaged: record ";
  if (startsWith(text, kDamaged) && endsWith(text, kOutOfOrder)) {
    const std::string_view id =
        text.substr(kDamaged.size(), text.size() - kDamaged.size() - kOutOfOrder.size());
    out = "файл повреждён: запись " + std::string(id) + " стоит не на своём месте в ключе";
    return true;
  }
  if (!startsWith(text, "record ")) return false;
  const size_t colon = text.find(": ");
  const size_t holds = text.find(" holds ");
  if (colon == std::string_view::npos || holds == std::string_view::npos || holds < colon)
    return false;
  out = "запись " + std::string(text.substr(7, colon - 7)) + ": поле " +
        std::string(text.substr(colon + 2, holds - colon - 2)) + " содержит " +
        valueKind(text.substr(holds + 7));
  return true;
}

}  // namespace

std::string driverTextInRussian(const std::string& text) {
  for (const auto& [english, russian] : kEngineTexts) {
    if (startsWith(text, english)) return runtime::cp(russian);
  }
  std::string out;
  if (recordText(text, out)) return runtime::cp(out);
  for (const auto& [english, russian] : kFileReasons) {
    if (endsWith(text, english)) {
      return runtime::cp(text.substr(0, text.size() - english.size()) + std::string(russian));
    }
  }
  return runtime::cp(text);
}

}  // namespace phonedir

#include "runtime/locale/locale_env.h"

#include <array>
#include <atomic>
#include <map>
#include <mutex>
#include <vector>

#include "runtime/locale/charset.h"

namespace runtime {
namespace {

struct Defaults {
  std::map<std::string, std::string, std::less<>> values;
  Defaults() {
    values["CASE"] =
        cp("ABCDEFGHIJKLMNOPQRSTUVWXYZАБВГДЕЖЗИЙКЛМНОПРСТУФХЦЧШЩЬЫЪЭЮЯ,"
           "abcdefghijklmnopqrstuvwxyzабвгдежзийклмнопрстуфхцчшщьыъэюя");
    values["CHARSET"] = "Windows";
    values["COLSEQ"] = "WINDOWS";
    values["MONTH"] =
        cp("Январь,Февраль,Март,Апрель,Май,Июнь,Июль,Август,Сентябрь,Октябрь,Ноябрь,Декабрь");
    values["MON"] = cp("Янв,Фев,Мар,Апр,Май,Июн,Июл,Авг,Сен,Окт,Ноя,Дек");
    values["AMPM"] = "WINDOWS";
    values["BUTTON"] = cp("&ОК,&Да,&Нет,&Прервать,По&вторить,П&ропустить,&Отменить,&Справка");
  }
};

// Case tables are read on every comparison of every thread, so they are atomics rather than
// a locked structure; the text values are read rarely and sit behind a mutex.
struct CaseTables {
  std::array<std::atomic<unsigned char>, 256> up;
  std::array<std::atomic<unsigned char>, 256> down;
};

std::mutex& valuesMutex() {
  static std::mutex m;
  return m;
}

std::map<std::string, std::string, std::less<>>& values() {
  static Defaults d;
  return d.values;
}

void buildCase(CaseTables& t, std::string_view spec) {
  std::array<unsigned char, 256> up{};
  std::array<unsigned char, 256> down{};
  for (int i = 0; i < 256; ++i) up[i] = down[i] = static_cast<unsigned char>(i);
  const size_t comma = spec.find(',');
  if (comma != std::string_view::npos) {
    const std::string_view u = spec.substr(0, comma);
    const std::string_view l = spec.substr(comma + 1);
    for (size_t i = 0; i < u.size() && i < l.size(); ++i) {
      const auto cu = static_cast<unsigned char>(u[i]);
      const auto cl = static_cast<unsigned char>(l[i]);
      up[cl] = cu;
      down[cu] = cl;
    }
  }
  for (int i = 0; i < 256; ++i) {
    t.up[i].store(up[i], std::memory_order_relaxed);
    t.down[i].store(down[i], std::memory_order_relaxed);
  }
}

CaseTables& caseTables() {
  static CaseTables* t = [] {
    auto* tables = new CaseTables;
    std::lock_guard lock(valuesMutex());
    buildCase(*tables, values()["CASE"]);
    return tables;
  }();
  return *t;
}

std::vector<std::string> split(std::string_view s) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (true) {
    const size_t comma = s.find(',', start);
    parts.emplace_back(s.substr(start, comma - start));
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  return parts;
}

std::string listItem(std::string_view key, int index) {
  const auto parts = split(localeValue(key));
  return index >= 0 && static_cast<size_t>(index) < parts.size() ? parts[index] : std::string();
}

}  // namespace

void setLocaleValue(std::string_view key, std::string_view value) {
  static constexpr std::array<std::string_view, 7> kKeys = {"CASE", "CHARSET", "COLSEQ", "MONTH",
                                                            "MON",  "AMPM",    "BUTTON"};
  bool known = false;
  for (auto k : kKeys) known = known || k == key;
  if (!known) return;
  CaseTables& tables = caseTables();
  std::lock_guard lock(valuesMutex());
  values()[std::string(key)] = std::string(value);
  if (key == "CASE") buildCase(tables, value);
}

std::string localeValue(std::string_view key) {
  std::lock_guard lock(valuesMutex());
  const auto it = values().find(key);
  return it == values().end() ? std::string() : it->second;
}

char upperChar(char c) {
  return static_cast<char>(
      caseTables().up[static_cast<unsigned char>(c)].load(std::memory_order_relaxed));
}

char lowerChar(char c) {
  return static_cast<char>(
      caseTables().down[static_cast<unsigned char>(c)].load(std::memory_order_relaxed));
}

std::string upper(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = upperChar(c);
  return out;
}

std::string lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = lowerChar(c);
  return out;
}

std::string monthName(int month) {
  return listItem("MONTH", month - 1);
}

std::string monthShortName(int month) {
  return listItem("MON", month - 1);
}

std::string buttonCaption(ButtonKind button) {
  return listItem("BUTTON", static_cast<int>(button));
}

}  // namespace runtime

#include "demo_town.h"

#include <filesystem>
#include <ostream>
#include <random>
#include <vector>

#include "runtime/locale/charset.h"
#include "storage/keyed_file.h"
#include "storage/record_fields.h"

namespace datatool {
namespace {

using phonedir::PER_RECORD;
using phonedir::PHO_RECORD;
using phonedir::STR_RECORD;

// Named after people and things: these take every kind of street.
const char* const kGenitiveNames[] = {
    "Ленина",      "Гагарина",    "Пушкина",      "Лермонтова", "Чехова",      "Горького",
    "Кирова",      "Мира",        "Победы",       "Строителей", "Нефтяников",  "Энергетиков",
    "Фрунзе",      "Калинина",    "Свердлова",    "Чапаева",    "Маяковского", "Толстого",
    "Гоголя",      "Тургенева",   "Некрасова",    "Крылова",    "Суворова",    "Кутузова",
    "Жукова",      "Королёва",    "Циолковского", "Мичурина",   "Островского", "Герцена",
    "Белинского",  "Декабристов", "Дзержинского", "Куйбышева",  "Урицкого",    "Щорса",
    "Космонавтов", "Ломоносова",  "Менделеева",   "Попова",     "Павлова",     "Титова",
    "Матросова",   "Гастелло",    "Шевченко",     "Есенина",    "Блока",       "Пирогова",
    "Курчатова",   "Ватутина",
};

// Adjectives agree with "улица" only.
const char* const kAdjectiveNames[] = {
    "Садовая",    "Лесная",      "Полевая",      "Школьная",      "Заводская",    "Набережная",
    "Молодёжная", "Октябрьская", "Первомайская", "Комсомольская", "Пролетарская", "Рабочая",
    "Зелёная",    "Солнечная",   "Речная",       "Луговая",       "Береговая",    "Северная",
    "Южная",      "Восточная",   "Западная",     "Центральная",   "Новая",        "Весенняя",
    "Сосновая",   "Берёзовая",   "Кедровая",     "Рябиновая",     "Вокзальная",   "Почтовая",
    "Советская",  "Цветочная",   "Озёрная",      "Горная",        "Степная",
};

const char* const kSurnames[] = {
    "Иванов",     "Петров",      "Сидоров",    "Смирнов",    "Кузнецов",  "Попов",     "Васильев",
    "Соколов",    "Михайлов",    "Новиков",    "Фёдоров",    "Морозов",   "Волков",    "Алексеев",
    "Лебедев",    "Семёнов",     "Егоров",     "Павлов",     "Козлов",    "Степанов",  "Николаев",
    "Орлов",      "Андреев",     "Макаров",    "Никитин",    "Захаров",   "Зайцев",    "Соловьёв",
    "Борисов",    "Яковлев",     "Григорьев",  "Романов",    "Воробьёв",  "Сергеев",   "Кузьмин",
    "Фролов",     "Александров", "Дмитриев",   "Королёв",    "Гусев",     "Киселёв",   "Ильин",
    "Максимов",   "Поляков",     "Сорокин",    "Виноградов", "Ковалёв",   "Белов",     "Медведев",
    "Антонов",    "Тарасов",     "Жуков",      "Баранов",    "Филиппов",  "Комаров",   "Давыдов",
    "Беляев",     "Герасимов",   "Богданов",   "Осипов",     "Матвеев",   "Титов",     "Марков",
    "Миронов",    "Крылов",      "Куликов",    "Карпов",     "Власов",    "Мельников", "Денисов",
    "Гаврилов",   "Тихонов",     "Казаков",    "Афанасьев",  "Данилов",   "Савельев",  "Тимофеев",
    "Фомин",      "Чернов",      "Абрамов",    "Мартынов",   "Ефимов",    "Федотов",   "Щербаков",
    "Назаров",    "Калинин",     "Исаев",      "Чернышёв",   "Быков",     "Маслов",    "Родионов",
    "Коновалов",  "Лазарев",     "Воронин",    "Климов",     "Филатов",   "Пономарёв", "Голубев",
    "Кудрявцев",  "Прохоров",    "Наумов",     "Потапов",    "Журавлёв",  "Трофимов",  "Леонов",
    "Соболев",    "Ермаков",     "Колесников", "Гончаров",   "Емельянов", "Никифоров", "Грачёв",
    "Котов",      "Гришин",      "Ефремов",    "Архипов",    "Громов",    "Кириллов",  "Малышев",
    "Панов",      "Моисеев",     "Румянцев",   "Акимов",     "Бирюков",   "Горбунов",  "Анисимов",
    "Ерёмин",     "Галкин",      "Лукьянов",   "Михеев",     "Скворцов",  "Юдин",      "Белоусов",
    "Нестеров",   "Симонов",     "Князев",     "Цветков",    "Левин",     "Воронов",   "Аксёнов",
    "Мальцев",    "Логинов",     "Горшков",    "Савин",      "Краснов",   "Майоров",   "Демидов",
    "Елисеев",    "Рыбаков",     "Сафонов",    "Плотников",  "Дёмин",     "Хохлов",    "Жданов",
    "Шевченко",   "Бондаренко",  "Коваленко",  "Черных",     "Седых",     "Белых",     "Ковальский",
    "Вишневский", "Чайковский",  "Ястребов",   "Эйдельман",  "Юсупов",    "Щукин",     "Шубин",
};

const char kFirstInitials[] = "АБВГДЕИКЛМНОПРСТФЮЯ";
const char kSecondInitials[] = "АБВГДЕИКЛМНОПРСФЮЯ";

struct PersonalEntry {
  const char* phone;
  const char* kod;
  const char* name;
  const char* prim;
};

const PersonalEntry kPersonal[] = {
    {"01", "", "Пожарная охрана", "круглосуточно"},
    {"02", "", "Полиция", "дежурная часть"},
    {"03", "", "Скорая помощь", "круглосуточно"},
    {"04", "", "Аварийная газовая служба", ""},
    {"2-12-40", "", "Поликлиника", "регистратура с 7:30"},
    {"2-15-03", "", "Аптека на Ленина", "до 21:00"},
    {"2-20-20", "", "Такси", "заказ заранее"},
    {"3-45-67", "", "Горводоканал", "аварийная"},
    {"3-11-22", "", "Электросети", "диспетчер"},
    {"2-33-44", "", "Управляющая компания", "мастер по дому"},
    {"2-71-15", "", "Школа №3", "приёмная директора"},
    {"2-71-16", "", "Детский сад «Солнышко»", "группа «Пчёлка»"},
    {"4-05-05", "", "Вокзал", "справочная"},
    {"4-10-10", "", "Автовокзал", "расписание"},
    {"2-50-00", "", "Почта", "отделение 1"},
    {"2-44-18", "", "Библиотека", "абонемент"},
    {"2-90-90", "", "Городская администрация", "приёмная"},
    {"2-66-70", "", "Ветеринарная клиника", ""},
    {"3-80-81", "", "Мастерская по ремонту обуви", "у рынка"},
    {"3-00-12", "", "Парикмахерская «Локон»", "запись"},
    {"51-23-45", "34345", "Иванов Пётр Сергеевич", "брат, дача"},
    {"45-67-89", "34345", "Сидорова Анна", "коллега по работе"},
    {"12-34-56", "495", "Кузнецов Илья", "Москва"},
    {"98-76-54", "812", "Смирнова Ольга", "Санкт-Петербург"},
    {"22-11-00", "34345", "Лебедев Николай", "сосед по гаражу"},
    {"3-21-09", "", "Орлова Мария Ивановна", "врач-терапевт"},
    {"3-21-10", "", "Павлов Дмитрий", "электрик"},
    {"2-58-47", "", "Морозова Елена", "репетитор, английский"},
    {"2-61-33", "", "Волков Андрей", "сантехник"},
    {"4-44-40", "", "Новиков Сергей", "автомастерская"},
    {"3-09-87", "", "Егорова Татьяна", "портниха"},
    {"2-17-71", "", "Фёдоров Игорь", "тренер, бассейн"},
    {"55-66-77", "34346", "Соколова Вера", "сестра"},
    {"2-02-02", "", "Зайцев Виктор", "нотариус"},
    {"3-33-30", "", "Ёлкина Светлана", "бухгалтер"},
    {"2-80-08", "", "Яковлев Борис", "юрист"},
};

std::string feminine(const std::string& surname) {
  auto endsWith = [&](const std::string& tail) {
    return surname.size() >= tail.size() &&
           surname.compare(surname.size() - tail.size(), tail.size(), tail) == 0;
  };
  if (endsWith("ский")) return surname.substr(0, surname.size() - std::string("ий").size()) + "ая";
  if (endsWith("ов") || endsWith("ев") || endsWith("ёв") || endsWith("ин")) return surname + "а";
  return surname;  // -енко, -ых and the like do not change
}

// The i-th letter of a string of Cyrillic letters written in UTF-8 (two bytes each).
std::string letter(const char* letters, size_t i) {
  return std::string(letters + 2 * i, 2);
}

}  // namespace

void demoStreets(const std::function<void(const STR_RECORD&)>& emit) {
  std::vector<std::string> names;
  for (const char* n : kAdjectiveNames) names.push_back(std::string("ул. ") + n);
  for (const char* kind : {"ул. ", "пер. ", "пр. ", "б-р "}) {
    for (const char* n : kGenitiveNames) {
      if (names.size() < kDemoStreets) names.push_back(kind + std::string(n));
    }
  }
  // Numbered out of alphabetical order, as streets are numbered when they are built.
  for (size_t i = 0; i < names.size(); ++i) {
    STR_RECORD r{};
    r.NUM = static_cast<int32_t>((i * 37) % names.size()) + 1;
    storage::setText(phonedir::STREET_FILE().fields[1], &r, runtime::cp(names[i]));
    emit(r);
  }
}

void demoSubscribers(int64_t count, const std::function<void(const PHO_RECORD&)>& emit) {
  std::mt19937_64 rng(19570412);
  const auto& f = phonedir::PHONE_FILE().fields;
  const size_t surnames = sizeof kSurnames / sizeof kSurnames[0];
  const size_t firsts = (sizeof kFirstInitials - 1) / 2;
  const size_t seconds = (sizeof kSecondInitials - 1) / 2;
  // Every number once, in scattered order: five-digit 10000..99999 and six-digit
  // 100000..999999, stepped through by a multiplier prime to their count.
  constexpr uint64_t kNumbers = 990000;
  constexpr uint64_t kStep = 676039;
  std::vector<std::string> cpSurnames[2];
  for (size_t s = 0; s < surnames; ++s) {
    cpSurnames[0].push_back(runtime::cp(kSurnames[s]));
    cpSurnames[1].push_back(runtime::cp(feminine(kSurnames[s])));
  }
  for (int64_t i = 0; i < count; ++i) {
    PHO_RECORD r{};
    const uint64_t v = (static_cast<uint64_t>(i) % kNumbers * kStep + 12345) % kNumbers;
    const std::string phone = std::to_string(v < 90000 ? 10000 + v : 100000 + (v - 90000));
    storage::setText(f[0], &r, phone);
    // Larger streets get more subscribers.
    const double u = std::uniform_real_distribution<double>(0.0, 1.0)(rng);
    r.STREET = 1 + static_cast<int32_t>(kDemoStreets * u * u) % kDemoStreets;
    const std::string initials = letter(kFirstInitials, rng() % firsts) + "." +
                                 letter(kSecondInitials, rng() % seconds) + ".";
    const std::string& surname = cpSurnames[rng() % 2][rng() % surnames];
    storage::setText(f[2], &r, surname + " " + runtime::cp(initials));
    const int house = 1 + static_cast<int>(rng() % 120);
    std::string home = std::to_string(house);
    const unsigned extra = rng() % 20;
    if (extra == 0) home += runtime::cp("а");
    if (extra == 1) home += runtime::cp("б");
    if (extra == 2 && house < 100) home += "/2";
    storage::setText(f[3], &r, home);
    const bool privateHouse = rng() % 10 < 3;
    storage::setText(f[4], &r, privateHouse ? "" : std::to_string(1 + rng() % 240));
    emit(r);
  }
}

void demoPersonal(const std::function<void(const PER_RECORD&)>& emit) {
  const auto& f = phonedir::PERSONAL_FILE().fields;
  for (const PersonalEntry& e : kPersonal) {
    PER_RECORD r{};
    storage::setText(f[0], &r, e.phone);
    storage::setText(f[1], &r, e.kod);
    storage::setText(f[2], &r, runtime::cp(e.name));
    storage::setText(f[3], &r, runtime::cp(e.prim));
    emit(r);
  }
}

namespace {

// Makes one file: appended in one stream, then its keys built once.
template <typename Record, typename Fill>
bool makeFile(const storage::FileDecl& decl, const std::string& dir, Fill fill, std::ostream& out,
              std::ostream& err) {
  Record record{};
  const std::string path = (std::filesystem::path(dir) / (decl.name + ".db")).string();
  storage::KeyedFile f(decl, &record, path);
  int rc = f.create();
  if (rc == storage::kOk) rc = f.open(storage::kExclusive);
  if (rc == storage::kOk) rc = f.stream();
  int64_t n = 0;
  fill([&](const Record& r) {
    if (rc != storage::kOk) return;
    record = r;
    rc = f.append();
    ++n;
  });
  if (rc == storage::kOk) rc = f.flush();
  if (rc == storage::kOk) rc = f.buildKeys();
  if (rc != storage::kOk) {
    err << "phonedir-data: making " << path << " failed: " << storage::errorText(f.errorCode())
        << " (" << f.errorCode() << ") " << f.error().driverText << "\n";
    return false;
  }
  f.close();
  out << "made " << path << ": " << n << " record" << (n == 1 ? "" : "s") << "\n";
  return true;
}

}  // namespace

int demo(const std::string& dir, int64_t subscribers, std::ostream& out, std::ostream& err) {
  for (const char* name : {"STREET.db", "PHONE.db", "PERSONAL.db"}) {
    if (std::filesystem::exists(std::filesystem::path(dir) / name)) {
      err << "phonedir-data: " << dir << " already holds " << name
          << "; demo makes new files only\n";
      return 1;
    }
  }
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (ec) {
    err << "phonedir-data: cannot make " << dir << ": " << ec.message() << "\n";
    return 1;
  }
  const bool ok =
      makeFile<STR_RECORD>(
          phonedir::STREET_FILE(), dir, [](const auto& emit) { demoStreets(emit); }, out, err) &&
      makeFile<PHO_RECORD>(
          phonedir::PHONE_FILE(), dir,
          [subscribers](const auto& emit) { demoSubscribers(subscribers, emit); }, out, err) &&
      makeFile<PER_RECORD>(
          phonedir::PERSONAL_FILE(), dir, [](const auto& emit) { demoPersonal(emit); }, out, err);
  return ok ? 0 : 1;
}

}  // namespace datatool

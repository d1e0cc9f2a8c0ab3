#include "data/records.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstring>
#include <filesystem>

#include "runtime/locale/charset.h"
#include "storage/keyed_file.h"
#include "storage/record_fields.h"
#include "storage/view.h"

namespace phonedir {
namespace {

using runtime::cp;
using storage::FieldType;

struct FieldRow {
  const char* name;
  FieldType type;
  size_t offset;
  size_t width;
};

void expectLayout(const storage::FileDecl& decl, size_t size, std::vector<FieldRow> rows) {
  SCOPED_TRACE(decl.name);
  EXPECT_EQ(storage::checkDeclaration(decl), "");
  EXPECT_EQ(decl.recordSize, size);
  ASSERT_EQ(decl.fields.size(), rows.size());
  for (size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(decl.fields[i].name, rows[i].name);
    EXPECT_EQ(decl.fields[i].type, rows[i].type) << rows[i].name;
    EXPECT_EQ(decl.fields[i].offset, rows[i].offset) << rows[i].name;
    EXPECT_EQ(decl.fields[i].width, rows[i].width) << rows[i].name;
  }
}

TEST(Records, DeclarationsMatchTheRecordLayouts) {
  const std::vector<FieldRow> subscriber = {{"PHONE", FieldType::kString, 0, 6},
                                            {"STREET", FieldType::kLong, 6, 4},
                                            {"FIO", FieldType::kCString, 10, 18},
                                            {"HOME", FieldType::kString, 28, 4},
                                            {"KVART", FieldType::kString, 32, 4}};
  expectLayout(PHONE_FILE(), 36, subscriber);
  expectLayout(POISK_FILE(), 36, subscriber);
  expectLayout(STREET_FILE(), 24,
               {{"NUM", FieldType::kLong, 0, 4}, {"NAME", FieldType::kCString, 4, 20}});
  expectLayout(PERSONAL_FILE(), 75,
               {{"PHONE", FieldType::kString, 0, 10},
                {"KOD", FieldType::kString, 10, 5},
                {"NAME", FieldType::kString, 15, 30},
                {"PRIM", FieldType::kString, 45, 30}});
  EXPECT_EQ(PHONE_FILE().name, "PHONE");
  EXPECT_EQ(STREET_FILE().name, "STREET");
  EXPECT_EQ(PERSONAL_FILE().name, "PERSONAL");
  EXPECT_EQ(POISK_FILE().name, "POISK");
}

TEST(Records, KeyConstantsNameTheirKeys) {
  struct Row {
    const storage::FileDecl& decl;
    int index;
    const char* name;
    std::vector<std::string> components;
  };
  const Row rows[] = {
      {PHONE_FILE(), PHO_NUM_KEY, "NUM_KEY", {"PHONE"}},
      {PHONE_FILE(), PHO_ADRESS_KEY, "ADRESS_KEY", {"STREET", "HOME", "KVART"}},
      {PHONE_FILE(), PHO_NAME_KEY, "NAME_KEY", {"FIO"}},
      {STREET_FILE(), STR_NUM_KEY, "NUM_KEY", {"NUM"}},
      {STREET_FILE(), STR_NAME_KEY, "NAME_KEY", {"NAME"}},
      {PERSONAL_FILE(), PER_BY_NAME, "BY_NAME", {"NAME"}},
      {PERSONAL_FILE(), PER_BY_PHONE, "BY_PHONE", {"PHONE"}},
      {POISK_FILE(), POI_NUM_KEY, "NUM_KEY", {"PHONE"}},
      {POISK_FILE(), POI_ADRESS_KEY, "ADRESS_KEY", {"STREET", "HOME", "KVART"}},
      {POISK_FILE(), POI_NAME_KEY, "NAME_KEY", {"FIO"}},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(r.decl.keyIndex(r.name), r.index) << r.decl.name << " " << r.name;
    EXPECT_EQ(r.decl.keys[r.index].components, r.components) << r.name;
  }
  EXPECT_EQ(PHONE_FILE().keys.size(), 3u);
  EXPECT_EQ(STREET_FILE().keys.size(), 2u);
  EXPECT_EQ(PERSONAL_FILE().keys.size(), 2u);
}

TEST(Records, ClearingFollowsTheFieldTypes) {
  PHO_RECORD pho;
  std::memset(&pho, 'x', sizeof pho);
  clearRecord(pho);
  EXPECT_EQ(std::string(pho.PHONE, 6), "      ");
  EXPECT_EQ(int32_t{pho.STREET}, 0);
  EXPECT_EQ(std::string(pho.FIO, 18), std::string(18, '\0'));
  EXPECT_EQ(std::string(pho.HOME, 4) + std::string(pho.KVART, 4), "        ");
  STR_RECORD str;
  std::memset(&str, 'x', sizeof str);
  clearRecord(str);
  EXPECT_EQ(int32_t{str.NUM}, 0);
  EXPECT_EQ(str.NAME[0], '\0');
  PER_RECORD per;
  std::memset(&per, 'x', sizeof per);
  clearRecord(per);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&per), sizeof per), std::string(75, ' '));
  POI_RECORD poi;
  std::memset(&poi, 'x', sizeof poi);
  clearRecord(poi);
  EXPECT_EQ(int32_t{poi.STREET}, 0);
  EXPECT_EQ(std::string(poi.KVART, 4), "    ");
}

class DataFiles : public ::testing::Test {
 protected:
  DataFiles() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "phonedir-data-XXXXXX").string();
    dir = ::mkdtemp(pattern.data());
  }
  ~DataFiles() override { std::filesystem::remove_all(dir); }

  std::string file(const char* name) const { return dir + "/" + name + ".db"; }

  static PHO_RECORD subscriber(const std::string& phone, int32_t street, const std::string& fio,
                               const std::string& home, const std::string& kvart) {
    PHO_RECORD r{};
    const auto& f = PHONE_FILE().fields;
    storage::setText(f[0], &r, phone);
    r.STREET = street;
    storage::setText(f[2], &r, fio);
    storage::setText(f[3], &r, home);
    storage::setText(f[4], &r, kvart);
    return r;
  }

  std::string dir;
};

TEST_F(DataFiles, RecordsRoundTripByteForByte) {
  PHO_RECORD pho = subscriber("12345", 17, cp("Иванов И.И."), "12а", "7");
  std::memcpy(pho.PHONE, "12345\0", 6);  // a number in the older form
  STR_RECORD str{};
  str.NUM = -3;
  storage::setText(STREET_FILE().fields[1], &str, cp("пр. Мира"));
  PER_RECORD per;
  std::memset(&per, ' ', sizeof per);
  std::memcpy(per.NAME, cp("Врач").data(), 4);
  per.PRIM[29] = '\xB8';  // ё in the last byte
  struct Case {
    const storage::FileDecl& decl;
    void* record;
    size_t size;
  };
  POI_RECORD poi;
  std::memcpy(&poi, &pho, sizeof poi);
  const Case cases[] = {{PHONE_FILE(), &pho, sizeof pho},
                        {STREET_FILE(), &str, sizeof str},
                        {PERSONAL_FILE(), &per, sizeof per},
                        {POISK_FILE(), &poi, sizeof poi}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.decl.name);
    std::vector<char> buffer(c.size);
    std::memcpy(buffer.data(), c.record, c.size);
    storage::KeyedFile f(c.decl, buffer.data(), file(c.decl.name.c_str()));
    ASSERT_EQ(f.create(), storage::kOk);
    ASSERT_EQ(f.open(), storage::kOk);
    ASSERT_EQ(f.add(), storage::kOk);
    std::memset(buffer.data(), '?', c.size);
    ASSERT_EQ(f.set(0), storage::kOk);
    ASSERT_EQ(f.next(), storage::kOk);
    EXPECT_EQ(std::memcmp(buffer.data(), c.record, c.size), 0);
  }
}

TEST_F(DataFiles, TextFieldsKeepTheirRoom) {
  PHO_RECORD pho{};
  storage::KeyedFile phone(PHONE_FILE(), &pho, file("PHONE"));
  ASSERT_EQ(phone.create(), storage::kOk);
  ASSERT_EQ(phone.open(), storage::kOk);
  pho = subscriber("1", 1, "", "1", "1");
  std::memcpy(pho.FIO, cp("Константинопольски").data(), 18);  // 18 letters, no room for the NUL
  ASSERT_EQ(phone.add(), storage::kOk);
  ASSERT_EQ(phone.getByNumber(1), storage::kOk);
  EXPECT_EQ(std::string(pho.FIO), cp("Константинопольск"));

  STR_RECORD str{};
  storage::KeyedFile street(STREET_FILE(), &str, file("STREET"));
  ASSERT_EQ(street.create(), storage::kOk);
  ASSERT_EQ(street.open(), storage::kOk);
  storage::setText(STREET_FILE().fields[1], &str, cp("Краснознаменская ул"));
  ASSERT_EQ(street.add(), storage::kOk);
  ASSERT_EQ(street.getByNumber(1), storage::kOk);
  EXPECT_EQ(std::string(str.NAME), cp("Краснознаменская ул"));
}

TEST_F(DataFiles, CityDirectoryOrders) {
  PHO_RECORD pho{};
  storage::KeyedFile phone(PHONE_FILE(), &pho, file("PHONE"));
  ASSERT_EQ(phone.create(), storage::kOk);
  ASSERT_EQ(phone.open(), storage::kOk);
  const PHO_RECORD subscribers[] = {
      subscriber("523456", 10, cp("Яковлев Я.Я."), "2", "5"),
      subscriber("21345", 2, cp("ёлкин Е.Е."), "10", "12"),
      subscriber("301234", 2, cp("Ежов А.А."), "2", "3"),
      subscriber("31234", 10, "Smith J.", "1", ""),
      subscriber("213451", 2, cp("Абрамов Б.Б."), "10", "2"),
  };
  for (const PHO_RECORD& s : subscribers) {
    pho = s;
    ASSERT_EQ(phone.add(), storage::kOk);
  }
  auto read = [&](int key) {
    std::string out;
    EXPECT_EQ(phone.set(key), storage::kOk);
    while (phone.next() == storage::kOk) {
      out += std::string(pho.PHONE, 6) + "|";
    }
    return out;
  };
  // Text as text: "21345 " before "213451"; streets as numbers (2 before 10); houses as text
  // ("10" before "2"); then flats as text ("12" before "2"); names by the alphabet, Latin
  // first, case ignored, Ё after Е.
  EXPECT_EQ(read(PHO_NUM_KEY), "21345 |213451|301234|31234 |523456|");
  EXPECT_EQ(read(PHO_ADRESS_KEY), "21345 |213451|301234|31234 |523456|");
  EXPECT_EQ(read(PHO_NAME_KEY), "31234 |213451|301234|21345 |523456|");
}

TEST_F(DataFiles, CityViewShowsStreetNamesAndBlanksForMissingStreets) {
  PHO_RECORD pho{};
  STR_RECORD str{};
  storage::KeyedFile phone(PHONE_FILE(), &pho, file("PHONE"));
  storage::KeyedFile street(STREET_FILE(), &str, file("STREET"));
  for (storage::KeyedFile* f : {&phone, &street}) {
    ASSERT_EQ(f->create(), storage::kOk);
    ASSERT_EQ(f->open(), storage::kOk);
  }
  str.NUM = 4;
  storage::setText(STREET_FILE().fields[1], &str, cp("Ленина"));
  ASSERT_EQ(street.add(), storage::kOk);
  pho = subscriber("200000", 4, cp("Петров"), "1", "1");
  ASSERT_EQ(phone.add(), storage::kOk);
  pho = subscriber("200001", 9, cp("Сидоров"), "1", "1");
  ASSERT_EQ(phone.add(), storage::kOk);

  storage::View view(phone);
  ASSERT_EQ(view.join(street, STR_NUM_KEY, {"STREET"}), storage::kOk);
  ASSERT_EQ(view.open(), storage::kOk);
  ASSERT_EQ(view.set(PHO_NUM_KEY), storage::kOk);
  ASSERT_EQ(view.next(), storage::kOk);
  EXPECT_EQ(std::string(str.NAME), cp("Ленина"));
  ASSERT_EQ(view.next(), storage::kOk);
  EXPECT_EQ(int32_t{pho.STREET}, 9);
  EXPECT_EQ(int32_t{str.NUM}, 0);
  EXPECT_EQ(std::string(str.NAME), "");
  phone.close();
  street.close();
  for (const char* name : {"PHONE", "STREET"}) {
    const std::string command =
        std::string(SQLITE3_PROGRAM) + " " + file(name) + " 'PRAGMA integrity_check'";
    FILE* p = popen(command.c_str(), "r");
    char line[64] = {};
    ASSERT_NE(fgets(line, sizeof line, p), nullptr);
    pclose(p);
    EXPECT_STREQ(line, "ok\n");
  }
}

}  // namespace
}  // namespace phonedir

#include "storage/declaration.h"

#include <gtest/gtest.h>

#include <cstring>

#include "storage/record_fields.h"
#include "test_files.h"

namespace storage::test {
namespace {

TEST(Declaration, RefusesLayoutsTheDriverCannotStore) {
  struct Case {
    const char* what;
    void (*spoil)(FileDecl&);
    const char* complaint;
  };
  const Case cases[] = {
      {"field name not an identifier", [](FileDecl& d) { d.fields[0].name = "PHO:PHONE"; },
       "not an identifier"},
      {"field name repeats ignoring case", [](FileDecl& d) { d.fields[1].name = "code"; },
       "repeats"},
      {"field named like the row id", [](FileDecl& d) { d.fields[1].name = "id"; }, "repeats"},
      {"field outside the record", [](FileDecl& d) { d.fields[3].offset = 30; }, "outside"},
      {"fields overlap", [](FileDecl& d) { d.fields[2].offset = 9; }, "overlap"},
      {"LONG of 2 bytes", [](FileDecl& d) { d.fields[1].width = 2; }, "not 4 bytes"},
      {"field clashing with a sort key", [](FileDecl& d) { d.fields[3].name = "TITLE_SORT"; },
       "sort key"},
      {"key over an unknown field", [](FileDecl& d) { d.keys[1].components[1] = "KVART"; },
       "unknown field"},
      {"key without components", [](FileDecl& d) { d.keys[0].components.clear(); },
       "no components"},
      {"keys of one name", [](FileDecl& d) { d.keys[2].name = "by_code"; }, "repeats"},
  };
  EXPECT_EQ(checkDeclaration(itemDecl()), "");
  for (const Case& c : cases) {
    FileDecl d = itemDecl();
    c.spoil(d);
    EXPECT_NE(checkDeclaration(d).find(c.complaint), std::string::npos)
        << c.what << ": " << checkDeclaration(d);
  }
}

TEST(Declaration, SignatureFollowsLayoutNotName) {
  FileDecl renamed = itemDecl();
  renamed.name = "OTHER";
  EXPECT_EQ(layoutSignature(renamed), layoutSignature(itemDecl()));

  FileDecl wider = itemDecl();
  wider.fields[0].width = 5;
  FileDecl rekeyed = itemDecl();
  rekeyed.keys[1].components = {"TAG", "GROUP"};
  FileDecl retyped = itemDecl();
  retyped.fields[2].type = FieldType::kString;
  for (const FileDecl* d : {&wider, &rekeyed, &retyped}) {
    EXPECT_NE(layoutSignature(*d), layoutSignature(itemDecl()));
  }
}

TEST(RecordFields, PaddingRulesOfEachType) {
  const auto& f = itemDecl().fields;
  Item i{};
  std::memset(&i, 'x', sizeof i);
  setText(f[0], &i, "12345");
  EXPECT_EQ(std::string(i.CODE, 6), "12345 ");
  setText(f[0], &i, "1234567");
  EXPECT_EQ(std::string(i.CODE, 6), "123456");
  setText(f[2], &i, "abc");
  EXPECT_EQ(std::string(i.TITLE, 18), std::string("abc") + std::string(15, '\0'));
  EXPECT_EQ(storedText(f[2], &i), "abc");
  // A CSTRING keeps n-1 characters; the last byte is always the terminator.
  setText(f[2], &i, std::string(20, 'z'));
  EXPECT_EQ(storedText(f[2], &i), std::string(17, 'z'));
  EXPECT_EQ(i.TITLE[17], '\0');
  // A CSTRING without any NUL still reads as at most n-1 characters.
  std::memset(i.TITLE, 'q', 18);
  EXPECT_EQ(storedText(f[2], &i), std::string(17, 'q'));
  // A STRING is stored whole, a NUL inside it included.
  std::memcpy(i.CODE, "12345\0", 6);
  EXPECT_EQ(storedText(f[0], &i), std::string("12345\0", 6));

  clearRecord(itemDecl(), &i);
  EXPECT_EQ(std::string(i.CODE, 6), "      ");
  EXPECT_EQ(int32_t{i.GROUP}, 0);
  EXPECT_EQ(std::string(i.TITLE, 18), std::string(18, '\0'));
  EXPECT_EQ(std::string(i.TAG, 4), "    ");
}

}  // namespace
}  // namespace storage::test

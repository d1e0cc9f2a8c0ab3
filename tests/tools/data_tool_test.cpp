// The data tool as the operator runs it: a separate program, its exit code and its messages.

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "csv.h"
#include "demo_town.h"
#include "runtime/locale/charset.h"

namespace datatool {
namespace {

namespace fs = std::filesystem;

struct Outcome {
  int exit = -1;
  std::string out;
  std::string err;
};

class DataToolTest : public ::testing::Test {
 protected:
  DataToolTest() {
    std::string pattern = (fs::temp_directory_path() / "phonedir-tool-XXXXXX").string();
    dir = ::mkdtemp(pattern.data());
  }
  ~DataToolTest() override { fs::remove_all(dir); }

  static std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

  Outcome tool(const std::string& args) {
    const std::string out = dir + "/out.txt";
    const std::string err = dir + "/err.txt";
    const int status = std::system(
        (std::string("'") + DATA_TOOL + "' " + args + " >'" + out + "' 2>'" + err + "'").c_str());
    Outcome r;
    r.exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = slurp(out);
    r.err = slurp(err);
    return r;
  }

  std::string write(const std::string& name, const std::string& text) {
    const std::string path = dir + "/" + name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }

  static std::vector<std::vector<std::string>> rows(const std::string& csv) {
    CsvError error;
    std::vector<std::vector<std::string>> out;
    for (const CsvRecord& r : parseCsv(csv, error)) out.push_back(r.fields);
    EXPECT_EQ(error.what, "");
    return out;
  }

  std::string dir;
};

TEST_F(DataToolTest, LoadThenDumpRoundTrips) {
  struct Case {
    const char* file;
    std::string csv;
  };
  const Case cases[] = {
      {"PHONE",
       "PHONE,STREET,FIO,HOME,KVART\r\n"
       "21345,2,Ёлкин Е.Е.,10,12\r\n"
       "213451,-7,\"O'Neil, \"\"Jr\"\"\",2,\r\n"
       "301234,2147483647,ежов а.а.,12а,2\r\n"
       ",0,,,\r\n"},
      {"STREET", "NUM,NAME\r\n1,ул. Ленина\r\n2,пер. Садовый\r\n-3,\"пр. Мира, 1-й\"\r\n"},
      {"PERSONAL",
       "PHONE,KOD,NAME,PRIM\r\n2-12-40,,Поликлиника,\"регистратура, с "
       "7:30\"\r\n03,34345,Скорая,№1\r\n"},
      {"POISK", "PHONE,STREET,FIO,HOME,KVART\r\n12345,1,Жуков,1,1\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    const std::string csv = write(std::string(c.file) + ".csv", c.csv);
    Outcome load = tool("load '" + dir + "/a' " + c.file + " '" + csv + "'");
    ASSERT_EQ(load.exit, 0) << load.err;
    EXPECT_NE(load.out.find("loaded"), std::string::npos);
    Outcome first = tool("dump '" + dir + "/a' " + c.file);
    ASSERT_EQ(first.exit, 0) << first.err;
    auto in = rows(c.csv);
    auto back = rows(first.out);
    std::sort(in.begin() + 1, in.end());
    std::sort(back.begin() + 1, back.end());
    EXPECT_EQ(back, in);

    const std::string again = write(std::string(c.file) + "2.csv", first.out);
    ASSERT_EQ(tool("load '" + dir + "/b' " + c.file + " '" + again + "'").exit, 0);
    Outcome second = tool("dump '" + dir + "/b' " + c.file);
    EXPECT_EQ(second.out, first.out);
  }
}

// A town whose numbers are still of the older form (five digits ended by a NUL, the start
// converts them) dumps them as five digits, which load back.
TEST_F(DataToolTest, NumbersOfTheOlderFormDumpAsTheirDigits) {
  const std::string csv = write("old.csv", "PHONE,STREET,FIO,HOME,KVART\n30000,1,Ан,1,1\n");
  ASSERT_EQ(tool("load '" + dir + "/a' PHONE '" + csv + "'").exit, 0);
  const std::string edit = std::string("'") + SQLITE3_PROGRAM + "' '" + dir +
                           "/a/PHONE.db' \"UPDATE records SET PHONE = x'333030303000'\"";
  ASSERT_EQ(std::system(edit.c_str()), 0);
  ASSERT_EQ(tool("rebuild '" + dir + "/a' PHONE").exit, 0);
  Outcome dump = tool("dump '" + dir + "/a' PHONE");
  ASSERT_EQ(dump.exit, 0) << dump.err;
  EXPECT_EQ(dump.out.find('\0'), std::string::npos);
  ASSERT_EQ(rows(dump.out).size(), 2u);
  EXPECT_EQ(rows(dump.out)[1][0], "30000");
  const std::string again = write("again.csv", dump.out);
  EXPECT_EQ(tool("load '" + dir + "/b' PHONE '" + again + "'").exit, 0);
}

TEST_F(DataToolTest, OneBadRowLoadsNothingAndIsNamed) {
  struct Case {
    std::string row;
    std::string complaint;
  };
  const Case cases[] = {
      {"100001,1,Константинопольский,1,1",
       "FIO: 'Константинопольский' is too long: 19 characters, room for 17"},
      {"100001,1,Ли 李,1,1", "FIO: 'Ли 李' holds a character that CP1251 cannot hold"},
      {"100001,1x,Ли,1,1", "STREET: '1x' is not a number"},
      {"100001,99999999999,Ли,1,1", "STREET: '99999999999' is not a number of 32 bits"},
      {"1000001,1,Ли,1,1", "PHONE: '1000001' is too long"},
      {"100001,1,Ли,1", "4 fields, the header has 5"},
      {"100001,1,\"" + std::string(100, 'x') + "\",1,1",
       "FIO: '" + std::string(60, 'x') + "...' is too long: 100 characters, room for 17"},
      {"10000\x01,1,Ли,1,1", "PHONE: '10000?' holds a control character (0x01) at character 6"},
      {"100001,1,\"Ли\nЛи\",1,1", "FIO: 'Ли?Ли' holds a control character (0x0A) at character 3"},
      {"100001,1,Ли,\x7f,1", "HOME: '?' holds a control character (0x7F) at character 1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.row);
    std::string text = "PHONE,STREET,FIO,HOME,KVART\n";
    for (int i = 1; i <= 10000; ++i) {
      text += i == 7777 ? c.row : std::to_string(200000 + i) + ",5,Иванов И.И.,1,2";
      text += "\n";
    }
    const std::string csv = write("bad.csv", text);
    Outcome r = tool("load '" + dir + "/town' PHONE '" + csv + "'");
    EXPECT_EQ(r.exit, 1);
    SCOPED_TRACE(r.err);
    EXPECT_NE(r.err.find(csv + ":7778: " + c.complaint), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("nothing loaded: 1 bad row"), std::string::npos) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 2) << "only the bad row is named";
    EXPECT_EQ(r.err.find(std::string(61, 'x')), std::string::npos) << "at most 60 characters";
    EXPECT_FALSE(fs::exists(dir + "/town/PHONE.db"));
  }
}

TEST_F(DataToolTest, LoadAddsToAnExistingFileAndRefusesBadHeadersAndTakenNumbers) {
  const std::string one = write("one.csv", "NUM,NAME\n1,A\n");
  const std::string two = write("two.csv", "name,num\nB,2\n");
  ASSERT_EQ(tool("load '" + dir + "' STREET '" + one + "'").exit, 0);
  ASSERT_EQ(tool("load '" + dir + "' street '" + two + "'").exit, 0)
      << "names of any case, columns in any order";
  EXPECT_EQ(tool("dump '" + dir + "' STREET STR:NAME_KEY").out, "NUM,NAME\r\n1,A\r\n2,B\r\n");

  struct Case {
    const char* csv;
    const char* complaint;
  };
  const Case cases[] = {
      {"NUM,NAME,COLOUR\n", "unknown field 'COLOUR'"},
      {"NUM\n", "field NAME is missing"},
      {"NUM,NAME,NUM\n", "repeated field 'NUM'"},
      {"NUM,NAME\n1,\"open\n", ":2: a quoted field is not closed"},
      {"NUM,NAME\n1,A\n2,B\"\n", ":3: a quote inside an unquoted field"},
      {"", "no header row"},
      // A street's number is taken once: by another row, or by a street already in the file.
      {"NUM,NAME\n3,C\n4,D\n3,E\n", ":4: NUM_KEY 3 is taken on line 2"},
      {"NUM,NAME\n5,F\n2,G\n", ":3: NUM_KEY 2 is taken in the file"},
  };
  for (const Case& c : cases) {
    Outcome r = tool("load '" + dir + "' STREET '" + write("h.csv", c.csv) + "'");
    EXPECT_EQ(r.exit, 1) << c.csv;
    EXPECT_NE(r.err.find(c.complaint), std::string::npos) << r.err;
  }
  EXPECT_EQ(tool("dump '" + dir + "' STREET").out, "NUM,NAME\r\n1,A\r\n2,B\r\n");
}

TEST_F(DataToolTest, ClearMessagesForMistakes) {
  struct Case {
    std::string args;
    int exit;
    const char* complaint;
  };
  const Case cases[] = {
      {"", 2, "usage:"},
      {"frobnicate x", 2, "usage:"},
      {"dump '" + dir + "' PHONES", 1, "unknown file 'PHONES'"},
      {"dump '" + dir + "' PHONE", 1, "File not found (2)"},
      {"dump '" + dir + "' PHONE NO_KEY", 1, "no key 'NO_KEY' (NUM_KEY, ADRESS_KEY, NAME_KEY)"},
      {"load '" + dir + "' PHONE /no/such.csv", 1, "cannot read /no/such.csv"},
      {"demo '" + dir + "' many", 2, "N must be a number"},
  };
  for (const Case& c : cases) {
    Outcome r = tool(c.args);
    EXPECT_EQ(r.exit, c.exit) << c.args;
    EXPECT_NE(r.err.find(c.complaint), std::string::npos) << c.args << "\n" << r.err;
  }
}

TEST_F(DataToolTest, DemoMakesAPlausibleTown) {
  Outcome r = tool("demo '" + dir + "/town' 3000");
  ASSERT_EQ(r.exit, 0) << r.err;
  const auto streets = rows(tool("dump '" + dir + "/town' STREET").out);
  ASSERT_EQ(streets.size(), 201u);
  std::set<std::string> names;
  std::set<std::string> nums;
  for (size_t i = 1; i < streets.size(); ++i) {
    names.insert(streets[i][1]);
    nums.insert(streets[i][0]);
    EXPECT_LE(runtime::fromUtf8(streets[i][1])->size(), 19u);
  }
  EXPECT_EQ(names.size(), 200u);
  EXPECT_EQ(nums.size(), 200u);

  const auto phones = rows(tool("dump '" + dir + "/town' PHONE").out);
  ASSERT_EQ(phones.size(), 3001u);
  std::set<std::string> numbers;
  int fiveDigit = 0;
  for (size_t i = 1; i < phones.size(); ++i) {
    const auto& p = phones[i];
    numbers.insert(p[0]);
    EXPECT_TRUE(p[0].size() == 5 || p[0].size() == 6) << p[0];
    fiveDigit += p[0].size() == 5;
    EXPECT_TRUE(nums.count(p[1])) << "every subscriber lives on a street of the town";
    EXPECT_NE(p[2].find(' '), std::string::npos);
    EXPECT_EQ(p[2].back(), '.') << "surname and initials: " << p[2];
  }
  EXPECT_EQ(numbers.size(), 3000u) << "no number twice";
  EXPECT_GT(fiveDigit, 0);
  const auto personal = rows(tool("dump '" + dir + "/town' PERSONAL").out);
  EXPECT_GE(personal.size(), 25u);

  EXPECT_EQ(tool("demo '" + dir + "/town' 10").exit, 1) << "never over existing files";
}

}  // namespace
}  // namespace datatool

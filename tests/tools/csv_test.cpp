#include "csv.h"

#include <gtest/gtest.h>

namespace datatool {
namespace {

TEST(Csv, ParsesWhatRfc4180Allows) {
  struct Case {
    const char* text;
    std::vector<std::vector<std::string>> fields;
    std::vector<int> lines;
  };
  const Case cases[] = {
      {"a,b\nc,d\n", {{"a", "b"}, {"c", "d"}}, {1, 2}},
      {"a,b\r\nc,d", {{"a", "b"}, {"c", "d"}}, {1, 2}},
      {"\"x,y\",\"say \"\"hi\"\"\"\n", {{"x,y", "say \"hi\""}}, {1}},
      {"\"two\nlines\",z\nnext,row\n", {{"two\nlines", "z"}, {"next", "row"}}, {1, 3}},
      {",,\n\n\"\",x\n", {{"", "", ""}, {"", "x"}}, {1, 3}},
      {"\xEF\xBB\xBFh1,h2\n", {{"h1", "h2"}}, {1}},
      {" spaced , kept \n", {{" spaced ", " kept "}}, {1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    CsvError error;
    const auto records = parseCsv(c.text, error);
    EXPECT_EQ(error.what, "");
    ASSERT_EQ(records.size(), c.fields.size());
    for (size_t i = 0; i < records.size(); ++i) {
      EXPECT_EQ(records[i].fields, c.fields[i]);
      EXPECT_EQ(records[i].line, c.lines[i]);
    }
  }
}

TEST(Csv, NamesTheLineOfASyntaxError) {
  struct Case {
    const char* text;
    int line;
    const char* what;
  };
  const Case cases[] = {
      {"a,b\nc\"d,e\n", 2, "a quote inside an unquoted field"},
      {"a,b\n\"c\"d,e\n", 2, "text after a closing quote"},
      {"a,b\nx,y\n\"open\n\n", 3, "a quoted field is not closed"},
  };
  for (const Case& c : cases) {
    CsvError error;
    parseCsv(c.text, error);
    EXPECT_EQ(error.line, c.line) << c.text;
    EXPECT_EQ(error.what, c.what) << c.text;
  }
}

TEST(Csv, WritesWhatItReadsBack) {
  const std::vector<std::string> fields = {"plain",      "with,comma", "with \"quote\"",
                                           "two\nlines", "",           " edge "};
  const std::string line = csvLine(fields);
  EXPECT_EQ(line, "plain,\"with,comma\",\"with \"\"quote\"\"\",\"two\nlines\",, edge \r\n");
  CsvError error;
  const auto back = parseCsv(line, error);
  ASSERT_EQ(back.size(), 1u);
  EXPECT_EQ(back[0].fields, fields);
}

}  // namespace
}  // namespace datatool

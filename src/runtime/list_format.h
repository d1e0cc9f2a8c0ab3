#pragma once
// List column formats as the window definitions store them, e.g.
// "39L(2)|FM~Телефон~C(0)@P<#-##-##P@": width, justification and indent, "|" a line at the
// right edge, F fixed when scrolling sideways, M resizable, the header between tildes with its
// own justification, the column's picture between at-signs.

#include <string>
#include <string_view>
#include <vector>

namespace runtime {

struct ListColumn {
  int width = 0;
  char justify = 'L';
  int indent = 0;
  bool rightLine = false;
  bool fixed = false;
  bool resizable = false;
  std::string header;
  char headerJustify = 'L';
  int headerIndent = 0;
  std::string picture;

  bool operator==(const ListColumn&) const = default;
};

// Parses a format string; a malformed tail ends the list of columns.
std::vector<ListColumn> parseListFormat(std::string_view format);

}  // namespace runtime

#include "runtime/list_format.h"

#include <cctype>

namespace runtime {
namespace {

class Reader {
 public:
  explicit Reader(std::string_view s) : s_(s) {}
  bool done() const { return pos_ >= s_.size(); }
  char peek() const { return done() ? '\0' : s_[pos_]; }
  bool take(char c) {
    if (peek() != c) return false;
    ++pos_;
    return true;
  }
  bool number(int& out) {
    size_t start = pos_;
    out = 0;
    while (!done() && std::isdigit(static_cast<unsigned char>(s_[pos_]))) {
      out = out * 10 + (s_[pos_++] - '0');
    }
    return pos_ > start;
  }
  // Text up to the next `end`, which is consumed.
  bool until(char end, std::string& out) {
    const size_t close = s_.find(end, pos_);
    if (close == std::string_view::npos) return false;
    out = std::string(s_.substr(pos_, close - pos_));
    pos_ = close + 1;
    return true;
  }
  // A justification letter with an optional "(indent)".
  void justification(char& letter, int& indent) {
    const char c = peek();
    if (c == 'L' || c == 'R' || c == 'C' || c == 'D') {
      letter = c;
      ++pos_;
      if (take('(')) {
        number(indent);
        take(')');
      }
    }
  }

 private:
  std::string_view s_;
  size_t pos_ = 0;
};

}  // namespace

std::vector<ListColumn> parseListFormat(std::string_view format) {
  std::vector<ListColumn> columns;
  Reader r(format);
  while (!r.done()) {
    ListColumn c;
    if (!r.number(c.width)) break;
    r.justification(c.justify, c.indent);
    for (bool more = true; more;) {
      if (r.take('|')) {
        c.rightLine = true;
      } else if (r.take('F')) {
        c.fixed = true;
      } else if (r.take('M')) {
        c.resizable = true;
      } else {
        more = false;
      }
    }
    if (r.take('~')) {
      if (!r.until('~', c.header)) break;
      r.justification(c.headerJustify, c.headerIndent);
    }
    if (r.take('@')) {
      if (!r.until('@', c.picture)) break;
    }
    columns.push_back(std::move(c));
  }
  return columns;
}

}  // namespace runtime

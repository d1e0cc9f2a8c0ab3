#include "runtime/picture.h"

#include <charconv>
#include <cstdio>

#include "runtime/clock.h"

namespace runtime {
namespace {

std::string_view trimRight(std::string_view s) {
  while (!s.empty() && (s.back() == ' ' || s.back() == '\0')) s.remove_suffix(1);
  return s;
}

std::string_view trim(std::string_view s) {
  s = trimRight(s);
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  return s;
}

bool allDigits(std::string_view s) {
  for (char c : s) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

// The leading number of a stored value ("23456 " is 23456; "" is nothing).
std::optional<long long> leadingNumber(std::string_view stored) {
  stored = trim(stored);
  size_t n = 0;
  while (n < stored.size() && stored[n] >= '0' && stored[n] <= '9') ++n;
  if (n == 0) return std::nullopt;
  long long v = 0;
  std::from_chars(stored.data(), stored.data() + std::min<size_t>(n, 18), v);
  return v;
}

int parseInt(std::string_view s, int fallback) {
  int v = fallback;
  if (!s.empty()) std::from_chars(s.data(), s.data() + s.size(), v);
  return v;
}

}  // namespace

Picture::Picture(std::string_view spec) : spec_(spec) {
  if (spec.size() >= 2 && (spec[0] == 's' || spec[0] == 'S') && allDigits(spec.substr(1))) {
    kind_ = Kind::Text;
    length_ = parseInt(spec.substr(1), 0);
  } else if (spec.size() >= 2 && spec[0] == 'n') {
    kind_ = Kind::Number;
    std::string_view digits = spec.substr(1);
    while (!digits.empty() && (digits[0] < '0' || digits[0] > '9')) digits.remove_prefix(1);
    length_ = parseInt(digits, 9);
  } else if (spec.size() >= 2 && spec[0] == 'P') {
    const size_t close = spec.find('P', 1);
    kind_ = Kind::Pattern;
    pattern_ = std::string(spec.substr(1, close == std::string_view::npos ? spec.npos : close - 1));
    blankWhenEmpty_ =
        close != std::string_view::npos && spec.substr(close + 1).find('B') != spec.npos;
    for (char c : pattern_) length_ += (c == '#' || c == '<');
  } else if (!spec.empty() && spec[0] == 'D') {
    kind_ = Kind::Date;
  } else if (!spec.empty() && spec[0] == 'T') {
    kind_ = Kind::Time;
  }
}

int Picture::width() const {
  switch (kind_) {
    case Kind::Text:
      return length_;
    case Kind::Number:
      return length_ + 1;
    case Kind::Pattern:
      return static_cast<int>(pattern_.size());
    case Kind::Date:
      return 10;
    case Kind::Time:
      return 8;
  }
  return 0;
}

std::string Picture::format(std::string_view stored) const {
  std::string shown;
  format(stored, shown);
  return shown;
}

std::optional<std::string_view> Picture::asIs(std::string_view stored) const {
  if (kind_ == Kind::Text) return trimRight(stored);
  if (kind_ == Kind::Number) return trim(stored);
  return std::nullopt;
}

void Picture::format(std::string_view stored, std::string& into) const {
  switch (kind_) {
    case Kind::Text:
      into.assign(trimRight(stored));
      return;
    case Kind::Number:
      into.assign(trim(stored));
      return;
    case Kind::Pattern: {
      into.clear();
      const auto value = leadingNumber(stored);
      if (!value && blankWhenEmpty_) return;
      // The value's last length_ digits, zeros in front.
      char number[24];
      const auto end = std::to_chars(number, number + sizeof number, value.value_or(0)).ptr;
      const auto digits = static_cast<int>(end - number);
      size_t d = 0;
      bool leading = true;
      into.resize(pattern_.size());  // a character of the pattern shows one of the value
      char* out = into.data();
      for (char c : pattern_) {
        if (c == '#' || c == '<') {
          const int at = digits - length_ + static_cast<int>(d++);
          const char digit = at < 0 ? '0' : number[at];
          leading = leading && digit == '0';
          *out++ = (c == '<' && leading) ? ' ' : digit;
        } else {
          *out++ = c;
        }
      }
      return;
    }
    case Kind::Date: {
      into.clear();
      const auto day = leadingNumber(stored);
      if (!day || *day == 0) return;
      const CivilDate date = civilDate(static_cast<int>(*day));
      char buf[16];
      std::snprintf(buf, sizeof buf, "%02d.%02d.%04d", date.day, date.month, date.year);
      into.assign(buf);
      return;
    }
    case Kind::Time: {
      into.clear();
      const auto t = leadingNumber(stored);
      if (!t) return;
      const long long seconds = *t / 100;
      char buf[16];
      std::snprintf(buf, sizeof buf, "%02lld:%02lld:%02lld", seconds / 3600 % 24, seconds / 60 % 60,
                    seconds % 60);
      into.assign(buf);
      return;
    }
  }
  into.assign(stored);
}

std::optional<std::string> Picture::deformat(std::string_view input) const {
  switch (kind_) {
    case Kind::Text: {
      const auto t = trimRight(input);
      if (length_ > 0 && static_cast<int>(t.size()) > length_) return std::nullopt;
      return std::string(t);
    }
    case Kind::Number: {
      auto t = trim(input);
      const bool negative = !t.empty() && t[0] == '-';
      if (negative) t.remove_prefix(1);
      if (!allDigits(t) || static_cast<int>(t.size()) > length_) return std::nullopt;
      if (t.empty()) return negative ? std::nullopt : std::optional<std::string>("0");
      const auto v = leadingNumber(t).value_or(0);
      return (negative && v != 0 ? "-" : "") + std::to_string(v);
    }
    case Kind::Pattern: {
      std::string digits;
      for (char c : input) {
        if (c >= '0' && c <= '9') {
          digits += c;
        } else if (c != ' ' && pattern_.find(c) == std::string::npos) {
          return std::nullopt;
        }
      }
      if (static_cast<int>(digits.size()) > length_) return std::nullopt;
      if (digits.empty()) return std::string();
      return std::to_string(leadingNumber(digits).value_or(0));
    }
    case Kind::Date: {
      const auto t = trim(input);
      if (t.empty()) return std::string("0");
      int d = 0, m = 0, y = 0;
      char tail = 0;
      const std::string s(t);
      if (std::sscanf(s.c_str(), "%d.%d.%d%c", &d, &m, &y, &tail) != 3) return std::nullopt;
      if (y < 100) y += 2000;
      if (m < 1 || m > 12 || d < 1 || d > 31) return std::nullopt;
      const int number = dayNumber({y, m, d});
      if (civilDate(number).month != m) return std::nullopt;
      return std::to_string(number);
    }
    case Kind::Time: {
      const auto t = trim(input);
      if (t.empty()) return std::string("0");
      int h = 0, mi = 0, se = 0;
      char tail = 0;
      const std::string s(t);
      const int n = std::sscanf(s.c_str(), "%d:%d:%d%c", &h, &mi, &se, &tail);
      if (n < 2 || n > 3 || h < 0 || h > 23 || mi < 0 || mi > 59 || se < 0 || se > 59) {
        return std::nullopt;
      }
      return std::to_string((h * 3600 + mi * 60 + se) * 100);
    }
  }
  return std::string(input);
}

}  // namespace runtime

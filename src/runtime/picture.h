#pragma once
// Pictures: how an entry, a variable string or a list column shows a stored value and turns
// what the user typed back into one. The notations used by the windows:
//   "sN", "SN"       text of up to N characters
//   "n_N"            a whole number of up to N digits
//   "P...P", "P...PB" a digit pattern: '#' a digit, '<' a digit shown blank while it and every
//                    digit before it are zero, anything else literal (not stored); a trailing
//                    B shows the whole field blank while the value is empty
//   "D6."            a date (day number) as dd.mm.yyyy
//   "T4"             a time of day (hundredths) as hh:mm:ss
// Values are CP1251 text as the bound variable holds it (numbers in decimal).

#include <optional>
#include <string>
#include <string_view>

namespace runtime {

class Picture {
 public:
  explicit Picture(std::string_view spec = {});

  // The stored value as shown; the second writes it into `into`, reusing its storage.
  std::string format(std::string_view stored) const;
  void format(std::string_view stored, std::string& into) const;
  // The stored value as shown, when the picture shows a part of it as it is (text); nullopt
  // when the picture rewrites it.
  std::optional<std::string_view> asIs(std::string_view stored) const;

  // The value to store for what the user typed, or nullopt when the input does not fit the
  // picture (too long, letters in a number, an impossible date).
  std::optional<std::string> deformat(std::string_view input) const;

  // Characters the picture shows (its natural width); 0 when unbounded.
  int width() const;

  const std::string& spec() const { return spec_; }

 private:
  enum class Kind { Text, Number, Pattern, Date, Time };
  std::string spec_;
  Kind kind_ = Kind::Text;
  int length_ = 0;       // Text: characters; Number: digits
  std::string pattern_;  // Pattern: between the P's
  bool blankWhenEmpty_ = false;
};

}  // namespace runtime

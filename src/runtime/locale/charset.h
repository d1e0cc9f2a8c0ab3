#pragma once
// The single-byte character set of all stored and internal text (Windows-1251) and its
// conversion to and from UTF-8, which the backends and the tools use at their boundary.
// A character that CP1251 cannot hold is refused, never replaced behind the caller's back.

#include <optional>
#include <string>
#include <string_view>

namespace runtime {

// The Unicode code point of a CP1251 byte; 0 for the one byte (0x98) that has no character.
char32_t cp1251ToUnicode(unsigned char byte);

// The CP1251 byte of a code point, or -1 when CP1251 has no such character.
int unicodeToCp1251(char32_t code);

// CP1251 text as UTF-8. The unassigned byte 0x98 becomes the control character of its number,
// U+0098, which fromUtf8() turns back into it: text that holds it (a file edited with other
// tools) can be edited and saved without losing it. The second writes it into
// `into`, reusing its storage, and must not be given a view of `into` itself.
std::string toUtf8(std::string_view cp1251);
void toUtf8(std::string_view cp1251, std::string& into);

// UTF-8 text as CP1251; nullopt when the text is not valid UTF-8 or holds a character that
// CP1251 cannot hold.
std::optional<std::string> fromUtf8(std::string_view utf8);

// For the system's own texts written in the source as UTF-8 literals: every one of them is
// representable, so a failure here is a programming error and shows as '?'.
std::string cp(std::string_view utf8);

}  // namespace runtime

#pragma once
// The field types of record buffers and bound variables, with their rules written once:
// STRING(n) is n bytes padded with blanks; CSTRING(n) holds at most n-1 bytes followed by a
// NUL (bytes after the first NUL do not count, and n-1 bytes are read when no NUL comes
// first); LONG is a signed 32-bit integer in host order. Beside them, the trailing-blank trim,
// padding and comparison that text fields are handled with.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace runtime {

enum class FieldType {
  kString,   // STRING(n)
  kCString,  // CSTRING(n)
  kLong,     // LONG, 4 bytes
};

// How many bytes of text a field of `width` bytes holds: n for a STRING, n-1 for a CSTRING,
// 0 for a LONG.
size_t textRoom(FieldType type, size_t width);

// The text a field holds: a STRING's n bytes exactly (blanks and NULs included), a CSTRING's
// bytes before its NUL, at most n-1 of them. Empty for a LONG.
std::string_view fieldText(FieldType type, const char* field, size_t width);

// Puts text into a text field: a STRING is padded with blanks, a CSTRING NUL-filled after the
// text. Text beyond the field's room is cut; the result says whether it fitted whole. Does
// nothing for a LONG (and returns false).
bool putFieldText(FieldType type, char* field, size_t width, std::string_view text);

int32_t fieldLong(const char* field);
void putFieldLong(char* field, int32_t value);

// STRING to blanks, CSTRING to empty, LONG to 0.
void clearField(FieldType type, char* field, size_t width);

// Text without its trailing blanks.
std::string_view trimRight(std::string_view text);
// Text cut or padded with blanks to `width` bytes.
std::string padRight(std::string_view text, size_t width);
// Byte order of two texts with trailing blanks ignored: "ab" and "ab  " are equal.
int compareTrimmed(std::string_view a, std::string_view b);

}  // namespace runtime

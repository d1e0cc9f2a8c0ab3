#pragma once
// Reading and writing the fields of a record buffer by their declaration, with the rules of
// each field type (runtime/field.h). The driver stores what these read; callers use them to fill or
// clear buffers generically.

#include <cstdint>
#include <string_view>

#include "storage/declaration.h"

namespace storage {

// The text of a field as it is stored: a STRING's n bytes exactly (blanks and NULs included),
// a CSTRING's bytes before its NUL, at most n-1 of them. Empty for a LONG.
std::string_view storedText(const Field& field, const void* record);

int32_t longValue(const Field& field, const void* record);

// Puts text into a text field: a STRING is cut to n bytes or padded with blanks, a CSTRING is
// cut to n-1 bytes and NUL-filled after the text. True when the text fitted whole; does
// nothing (false) for a LONG.
bool setText(const Field& field, void* record, std::string_view text);

void setLong(const Field& field, void* record, int32_t value);

// STRING fields to blanks, CSTRING fields to empty, LONG fields to 0.
void clearField(const Field& field, void* record);
void clearRecord(const FileDecl& decl, void* record);

}  // namespace storage

#pragma once
// Text order for comparisons and for every text key: Russian alphabetical order with Ё right
// after Е, letter case ignored, trailing blanks ignored, and the groups in this order:
// control characters, blanks, punctuation and symbols, digits, Latin letters, Russian
// letters, other Cyrillic letters. Works on CP1251 bytes.
//
// sortKey() maps a text onto bytes whose plain byte order (memcmp, shorter prefix first) is
// this order, so an index over sort keys needs no collation of its own.

#include <string>
#include <string_view>

namespace runtime {

// The collation weight of one CP1251 byte (1..255); case pairs share a weight, NUL is 0.
unsigned char collationWeight(unsigned char byte);

// The sort key of a text: its weights with trailing blanks removed.
std::string sortKey(std::string_view text);
// Whether `key` is the sort key of `text`, without making it: a read checks the stored key of
// every record it reads.
bool isSortKeyOf(std::string_view key, std::string_view text);

// <0, 0 or >0 as a sorts before, equal to or after b.
int compareText(std::string_view a, std::string_view b);

}  // namespace runtime

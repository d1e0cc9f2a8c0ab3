#pragma once
// The locale environment: the (key, value) settings the program makes once at start, and
// what the runtime derives from them - the case pairs used by upper() and lower(), the month
// names of date pictures and the captions of message-box buttons. Values are CP1251.
//
// Until a key is set the runtime uses the program's own defaults, which are the values the
// program sets at start, so a component used without the start-up sequence (a tool, a test)
// behaves the same.

#include <string>
#include <string_view>

namespace runtime {

// Sets one locale key: "CASE", "CHARSET", "COLSEQ", "MONTH", "MON", "AMPM" or "BUTTON".
// An unknown key is ignored. "CASE" holds the upper-case letters, a comma, and the lower-case
// letters in the same order.
void setLocaleValue(std::string_view key, std::string_view value);

// The value last set for a key (or its default); empty for an unknown key.
std::string localeValue(std::string_view key);

// Case conversion by the pairs of "CASE"; a byte in no pair is returned unchanged.
char upperChar(char c);
char lowerChar(char c);
std::string upper(std::string_view text);
std::string lower(std::string_view text);

// Month names, month 1..12; empty outside that range.
std::string monthName(int month);
std::string monthShortName(int month);

// The message-box buttons in the order of the "BUTTON" value.
enum class ButtonKind { Ok, Yes, No, Abort, Retry, Ignore, Cancel, Help };
// Caption with its "&" access-key marker.
std::string buttonCaption(ButtonKind button);

}  // namespace runtime

#pragma once
// The message catalogue: every error report and standard question of the system, by number,
// with its fixed title, text, icon, buttons and default button. Messages that report a
// condition the program cannot go on from stop it with their halt text once answered.

#include <cstdint>
#include <string_view>

namespace phonedir {

// Shows message WARNINGID with the texts (CP1251) inserted; returns the button pressed, or 0
// for a number the catalogue does not hold. The error it reports is the saved one when there
// is one, else the thread's current error; the saved error is emptied at every call.
int32_t STANDARDWARNING(int32_t WARNINGID, std::string_view WARNINGTEXT1 = {},
                        std::string_view WARNINGTEXT2 = {});

}  // namespace phonedir

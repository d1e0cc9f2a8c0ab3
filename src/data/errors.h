#pragma once
// The calling thread's current error: the outcome of its last storage operation, as the
// message catalogue and the saved error state read it. Texts are CP1251.

#include <cstdint>
#include <string>

namespace phonedir {

struct CurrentError {
  int32_t code = 0;      // 0, 2, 3, 5, 33, 46, 47, 52, 89 or 90
  std::string text;      // the text of the code
  int32_t fileCode = 0;  // with code 90: the driver's own code
  std::string fileText;  // with code 90: the driver's own text
};

CurrentError currentError();

// The text of an error code, as messages show it.
std::string errorText(int32_t code);

}  // namespace phonedir

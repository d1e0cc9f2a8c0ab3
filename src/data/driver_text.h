#pragma once
// The storage layer's texts of a failure (its own and the storage engine's) as the interface
// says them: in Russian, CP1251. A text with no Russian form is kept as it stands.

#include <string>

namespace phonedir {

std::string driverTextInRussian(const std::string& text);

}  // namespace phonedir

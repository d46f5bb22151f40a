#pragma once
#include <string>

namespace velmora {
// A new random GUID in braces, upper-case hexadecimal: 38 characters.
std::string newGuid();
}  // namespace velmora

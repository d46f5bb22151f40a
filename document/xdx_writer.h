#pragma once
// Writing an XDX document: the declaration, XMLPackage and its 66 elements in
// their fixed order, GBK encoded, no whitespace between elements.
#include <string>
#include <vector>

#include "record/record.h"

namespace velmora {

// The complete file content (GBK bytes). The record's ProjectID is written as
// it stands; PASSBY is always "0"; `problems` become the verifylist element.
std::string buildXdx(const Record& record, const std::vector<std::string>& problems);

}  // namespace velmora

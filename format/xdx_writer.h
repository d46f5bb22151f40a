#pragma once
// Writing an XDX document: the declaration, XMLPackage and its 66 elements in
// their fixed order, GBK encoded, no whitespace between elements.
#include <optional>
#include <string>
#include <vector>

#include "record/record.h"

namespace velmora {

// The complete file content (GBK bytes). The record's ProjectID is written as
// it stands; PASSBY is always "0"; `problems` become the verifylist element.
std::string buildXdx(const Record& record, const std::vector<std::string>& problems);

// Why the record cannot be written so that it opens again: a text holding a
// character GBK cannot hold or a control character XML cannot carry (all but
// tab, line feed and carriage return, NUL included). nullopt when it can.
std::optional<std::string> unwritableText(const Record& record);

// Why the document `bytes` built from `record` must not be written: the
// reader would refuse it (larger than it reads, since markup escapes make a
// text grow, "<" taking four bytes; more entity references than it takes),
// naming the field that does it. nullopt when it opens again.
std::optional<std::string> unopenableDocument(const Record& record, std::string_view bytes);

}  // namespace velmora

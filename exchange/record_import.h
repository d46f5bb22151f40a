#pragma once
// Builds a record from the JSON shape velmora-cli dump prints, holding it to
// every rule the window holds typed input to.
#include <string>
#include <string_view>
#include <vector>

#include "record/record.h"

namespace velmora {

struct ImportViolation {
  std::string key;      // the element name (or "" for the document as a whole)
  std::string message;
};

struct ImportResult {
  Record record = Record::initial();
  std::vector<ImportViolation> violations;
  bool ok() const { return violations.empty(); }
};

// Keys missing from the object keep a fresh record's initial values; PASSBY,
// verifylist and ProjectID are accepted and ignored (saving makes them anew).
ImportResult importRecordJson(std::string_view json);

}  // namespace velmora

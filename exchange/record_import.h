#pragma once
// Builds a record from the JSON shape velmora-cli dump prints, holding it to
// every rule the window holds typed input to.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "record/record.h"

namespace velmora {

struct ImportViolation {
  std::string key;  // the element name (or "" for the document as a whole)
  std::string message;
};

struct ImportResult {
  Record record = Record::initial();
  std::vector<ImportViolation> violations;
  bool ok() const { return violations.empty(); }
};

// The most bytes of JSON taken for one record: as much as a document may
// hold. Readers stop one byte beyond it, whatever the source.
inline constexpr std::size_t kMaxImportBytes = std::size_t{64} * 1024 * 1024;
// Why text beyond kMaxImportBytes is refused, wherever it is read.
std::string jsonTooLarge();
// The most values (strings, numbers, literals, arrays and objects) a JSON
// text for one record may hold. The fullest record holds about 8 500 (its
// long texts as empty lines); beyond that every value the parser keeps costs
// memory for a text that can never be a record.
inline constexpr std::size_t kMaxImportValues = 100'000;
// The most keys one object may hold: a record has fewer fields.
inline constexpr std::size_t kMaxImportKeys = 256;

// Keys missing from the object keep a fresh record's initial values; PASSBY,
// verifylist and ProjectID are accepted and ignored (saving makes them anew).
// Text longer than kMaxImportBytes, holding more than kMaxImportValues
// values or an object of more than kMaxImportKeys keys is refused before a
// record is built.
ImportResult importRecordJson(std::string_view json);

}  // namespace velmora

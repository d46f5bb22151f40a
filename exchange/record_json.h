#pragma once
// A record and a check's outcome as JSON, for scripts and other tools: the
// shape that record_import.h reads back.
#include <string>
#include <string_view>
#include <vector>

#include "record/record.h"

namespace velmora {

// The record as one JSON object, one key a line: element names in document
// order (without `ver`), long texts as arrays of lines, tables as arrays of
// rows; `PASSBY` from `formal` after ExpectProduction2 and `verifylist` (the
// problem lines) after HuoYe, where a document holds them.
std::string recordJson(const Record& record, bool formal, const std::vector<std::string>& problems);

// One document's check as one line of JSON: file, status, formal, problems,
// messages. File names are bytes, not always UTF-8: what is not valid UTF-8
// is replaced.
struct CheckReport {
  std::string_view file;
  std::string_view status;  // complete, problems or refused
  bool formal = false;
  const std::vector<std::string>& problems;
  const std::vector<std::string>& messages;
  // The file name's bytes in hexadecimal when `file` is not the name itself
  // (a name that is no UTF-8); empty otherwise.
  std::string_view fileBytes = {};
};
std::string checkReportJson(const CheckReport& report);

}  // namespace velmora

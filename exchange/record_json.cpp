#include "exchange/record_json.h"

#include <nlohmann/json.hpp>

namespace velmora {
namespace {

using Json = nlohmann::ordered_json;

// File names are bytes, not always UTF-8; JSON output replaces what is not.
std::string dumpJson(const Json& value) { return value.dump(-1, ' ', false, Json::error_handler_t::replace); }

}  // namespace

std::string recordJson(const Record& record, bool formal, const std::vector<std::string>& problems) {
  Json object = Json::object();
  for (const FieldDef& d : allFields()) {
    switch (d.kind) {
      case Kind::LongText: object[std::string(d.name)] = record.lines(d.id); break;
      case Kind::Table: object[std::string(d.name)] = record.rows(d.id); break;
      default: object[std::string(d.name)] = record.valueText(d.id);
    }
    if (d.id == Field::ExpectProduction2) object["PASSBY"] = formal ? "1" : "0";
    if (d.id == Field::AnonymousSheet) object["verifylist"] = problems;
  }
  // One key a line, each value on its line whole: easy to read and to diff.
  std::string out = "{\n";
  for (const auto& [key, value] : object.items()) {
    if (out.size() > 2) out += ",\n";
    out += "  " + dumpJson(key) + ": " + dumpJson(value);
  }
  return out + "\n}\n";
}

std::string checkReportJson(const CheckReport& report) {
  Json line;
  line["file"] = report.file;
  if (!report.fileBytes.empty()) line["file_bytes"] = report.fileBytes;
  line["status"] = report.status;
  line["formal"] = report.formal;
  line["problems"] = report.problems;
  line["messages"] = report.messages;
  return dumpJson(line);
}

}  // namespace velmora

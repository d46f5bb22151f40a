#include "cli/commands.h"

#include <nlohmann/json.hpp>

#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

#include "cli/batch.h"
#include "cli/cli_messages.h"
#include "cli/cli_prompter.h"
#include "document/document_actions.h"
#include "document/record_import.h"

namespace velmora::cli {
namespace {

using Json = nlohmann::ordered_json;

// File names are bytes, not always UTF-8; JSON output replaces what is not.
std::string dumpJson(const Json& value) { return value.dump(-1, ' ', false, Json::error_handler_t::replace); }

void reportAll(const std::string& path, const std::vector<std::string>& messages) {
  for (const auto& m : messages) report(path, m);
}

struct Checked {
  Status status = Status::Refused;
  bool formal = false;
  std::vector<std::string> problems;
  std::vector<std::string> messages;
};

Checked checkDocument(const std::string& path) {
  FormState state;
  Opened opened = openDocumentAt(path, state);
  Checked c;
  c.status = statusOf(opened, state);
  // A refused document has no problem list of its own.
  if (opened.readable) {
    c.formal = state.formal();
    c.problems = state.problems();
  }
  c.messages = std::move(opened.messages);
  return c;
}

std::string checkJson(const std::string& path, const Checked& c) {
  Json line;
  line["file"] = path;
  line["status"] = statusName(c.status);
  line["formal"] = c.formal;
  line["problems"] = c.problems;
  line["messages"] = c.messages;
  return dumpJson(line);
}

bool readAll(const std::string& path, std::string& bytes) {
  std::ostringstream s;
  if (path == "-") {
    s << std::cin.rdbuf();
  } else {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    s << in.rdbuf();
  }
  bytes = s.str();
  return true;
}

}  // namespace

std::string recordJson(const FormState& s) {
  Json record = Json::object();
  for (const FieldDef& d : allFields()) {
    switch (d.kind) {
      case Kind::LongText: record[std::string(d.name)] = s.record().lines(d.id); break;
      case Kind::Table: record[std::string(d.name)] = s.record().rows(d.id); break;
      default: record[std::string(d.name)] = s.record().valueText(d.id);
    }
    if (d.id == Field::ExpectProduction2) record["PASSBY"] = s.formal() ? "1" : "0";
    if (d.id == Field::HuoYe) record["verifylist"] = s.problems();
  }
  // One key a line, each value on its line whole: easy to read and to diff.
  std::string out = "{\n";
  for (const auto& [key, value] : record.items()) {
    if (out.size() > 2) out += ",\n";
    out += "  " + dumpJson(key) + ": " + dumpJson(value);
  }
  return out + "\n}\n";
}

int checkCommand(bool json, const std::vector<std::string>& inputs) {
  const Batch batch = collectDocuments(inputs);
  const bool missing = reportEmptyFolders(batch);
  const auto& docs = batch.documents;
  std::vector<Checked> results(docs.size());
  forEachInParallel(docs.size(), "检查", [&](std::size_t i) { results[i] = checkDocument(docs[i].path); });

  int exit = missing ? kRefused : kClean;
  std::array<std::size_t, 3> counts{};
  for (std::size_t i = 0; i < docs.size(); ++i) {
    const Checked& c = results[i];
    const std::string& path = docs[i].path;
    if (json) {
      std::cout << checkJson(path, c) << '\n';
    } else {
      reportAll(path, c.messages);
      for (const auto& line : c.problems) {
        if (docs.size() > 1) std::cout << path << ": ";
        std::cout << line << '\n';
      }
    }
    ++counts[static_cast<std::size_t>(c.status)];
    if (c.status == Status::Refused)
      exit = kRefused;
    else if (c.status == Status::Problems && exit == kClean)
      exit = kProblems;
  }
  std::cout.flush();
  if (!docs.empty()) printSummary(counts);
  return exit;
}

int dumpCommand(const std::string& file) {
  FormState state;
  Opened opened = openDocumentAt(file, state);
  reportAll(file, opened.messages);
  if (!opened.readable) return kRefused;
  std::cout << recordJson(state);
  return state.problems().empty() ? kClean : kProblems;
}

int resaveCommand(const std::string& in, const std::string& out) {
  FormState state;
  Opened opened = openDocumentAt(in, state);
  reportAll(in, opened.messages);
  if (!opened.readable) return kRefused;
  CliPrompter prompter(out);
  const SaveOutcome outcome = saveDocument(state, prompter);
  // A refusal is about the document read; a failed write about the file written.
  reportAll(outcome == SaveOutcome::Failed ? out : in, prompter.messages);
  return outcome == SaveOutcome::Written ? kClean : kRefused;
}

int importCommand(const std::string& jsonPath, const std::string& out) {
  std::string json;
  if (!readAll(jsonPath, json)) {
    report(jsonPath, std::string("无法读取文件：") + std::strerror(errno));
    return kRefused;
  }
  ImportResult imported = importRecordJson(json);
  if (!imported.ok()) {
    for (const auto& v : imported.violations) report(jsonPath, v.key.empty() ? v.message : v.key + "：" + v.message);
    return kRefused;
  }
  FormState state;
  state.replaceRecord(std::move(imported.record));
  CliPrompter prompter(out);
  const SaveOutcome outcome = saveDocument(state, prompter);
  reportAll(out, prompter.messages);
  return outcome == SaveOutcome::Written ? kClean : kRefused;
}

int pdfCommand(const std::string& outDir, const std::vector<std::string>& files) {
  const Batch batch = outDir.empty() ? Batch{} : collectDocuments(files);
  const bool missing = reportEmptyFolders(batch);
  const auto& docs = batch.documents;
  if (!outDir.empty() && docs.empty()) return kRefused;
  const std::string program = printProgram();
  if (program.empty()) {
    std::cerr << "velmora-cli：找不到打印程序 velmora-print\n";
    return kRefused;
  }
  if (outDir.empty()) return runProgram(program, files) == 0 ? kClean : kRefused;

  namespace fs = std::filesystem;
  std::error_code ec;
  fs::create_directories(outDir, ec);
  if (!fs::is_directory(outDir)) {
    report(outDir, "无法创建输出文件夹：" + (ec ? ec.message() : std::strerror(ENOTDIR)));
    return kRefused;
  }
  // Each document is printed by a process of its own, as many at a time as
  // there are cores, so one broken document never takes the batch down.
  std::vector<int> results(docs.size(), 0);
  forEachInParallel(docs.size(), "生成PDF", [&](std::size_t i) {
    const fs::path pdf = fs::path(outDir) / (docs[i].name + ".pdf");
    std::error_code made;
    fs::create_directories(pdf.parent_path(), made);
    results[i] = runProgram(program, {docs[i].path, pdf.string()});
  });
  if (missing) return kRefused;
  for (int r : results)
    if (r != 0) return kRefused;
  return kClean;
}

}  // namespace velmora::cli

#include "cli/cli_messages.h"

#include <iostream>

#include "cli/cli_prompter.h"
#include "document/document_actions.h"

namespace velmora::cli {

std::string messageLine(const std::string& path, const std::string& text) {
  std::string line = path + "：";
  line.reserve(line.size() + text.size());
  for (char c : text) line += c == '\n' || c == '\r' || c == '\t' ? ' ' : c;
  return line;
}

void report(const std::string& path, const std::string& text) { std::cerr << messageLine(path, text) << '\n'; }

void reportAll(const std::string& path, const std::vector<std::string>& messages) {
  for (const auto& m : messages) report(path, m);
}

std::string describeReadError(const ReadError& error) {
  if (error.line > 0) {
    std::string where = "第 " + std::to_string(error.line) + " 行";
    if (!error.excerpt.empty()) where += "“" + error.excerpt + "”";
    return "XML 格式错误（" + where + "）：" + error.reason;
  }
  if (!error.element.empty()) return "元素 " + error.element + " 的内容不是单一的文本";
  if (error.message == "Out of memory") return "内存不足";
  return error.message;  // the file's own errors are Chinese already
}

const char* statusName(Status status) {
  switch (status) {
    case Status::Complete: return "complete";
    case Status::Problems: return "problems";
    case Status::Refused: break;
  }
  return "refused";
}

OpenedDocument openDocumentAt(const std::string& path) {
  OpenedDocument opened;
  const ReadResult read = readXdxFile(path);
  CliPrompter prompter;
  opened.state.pendingPath = path;
  const OpenOutcome outcome = applyReadResult(opened.state, prompter, read);
  const bool readable = outcome == OpenOutcome::Opened || outcome == OpenOutcome::EmptyRoot;
  opened.status = !readable ? Status::Refused : opened.state.problems.empty() ? Status::Complete : Status::Problems;
  // The error box's text is written for the box; the structured error says more.
  if (const auto* error = std::get_if<ReadError>(&read))
    opened.messages = {describeReadError(*error)};
  else
    opened.messages = std::move(prompter.messages);
  return opened;
}

std::optional<FormState> openReporting(const std::string& path) {
  OpenedDocument opened = openDocumentAt(path);
  reportAll(path, opened.messages);
  if (!opened.readable()) return std::nullopt;
  return std::move(opened.state);
}

}  // namespace velmora::cli

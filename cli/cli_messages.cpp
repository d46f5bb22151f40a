#include "cli/cli_messages.h"

#include <iostream>
#include <string_view>

#include "cli/cli_prompter.h"
#include "cli/display_name.h"
#include "cli/file_probe.h"
#include "document/document_actions.h"
#include "format/xml_code_units.h"

namespace velmora::cli {

std::string messageLine(const std::string& path, const std::string& text) {
  std::string flat;
  flat.reserve(text.size());
  for (char c : text) flat += c == '\n' || c == '\r' || c == '\t' ? ' ' : c;
  // Whatever a document or a file name holds reaches the terminal escaped:
  // no control byte sets its title or clears its screen.
  return displayPath(path) + "：" + displayQuote(flat, std::string::npos);
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

namespace {

enum class Start { Markup, Empty, Other };

// How the file at `path` begins: with markup ("<", after a byte-order mark
// and blanks, in any of the encodings a document may be written in), with
// nothing at all, or with anything else. Only regular files are looked at: a
// pipe or a device has been read already and is no document file.
Start howFileStarts(const std::string& path) {
  constexpr std::size_t kLookedAt = 512;
  const std::optional<std::string> head = regularFileHead(path, kLookedAt);
  if (!head) return Start::Other;
  for (char c : markupAfterMark(*head))
    if (c != ' ' && c != '\t' && c != '\r' && c != '\n') return c == '<' ? Start::Markup : Start::Other;
  return head->size() < kLookedAt ? Start::Empty : Start::Other;
}

// A file that is no XML document at all (a link to some other file, a
// binary) is refused without a word of its content: the parser's excerpt and
// some of its reasons ("Bytes: 0xC0 0x80 …") would quote it into a report.
std::string describeUnreadable(const std::string& path, const ReadError& error) {
  if (error.line > 0) switch (howFileStarts(path)) {
      case Start::Markup: break;
      case Start::Empty: return "文件为空，不是申报文档";
      case Start::Other: return "不是 XML 文档，不是申报文档";
    }
  return describeReadError(error);
}

}  // namespace

OpenedDocument openDocumentAt(const std::string& path) {
  OpenedDocument opened;
  const ReadResult read = readXdxFile(path);
  CliPrompter prompter;
  opened.state.setPendingPath(path);
  const OpenOutcome outcome = applyReadResult(opened.state, prompter, read);
  const bool readable = outcome == OpenOutcome::Opened || outcome == OpenOutcome::EmptyRoot;
  opened.status = !readable ? Status::Refused : opened.state.problems().empty() ? Status::Complete : Status::Problems;
  // The error box's text is written for the box; the structured error says more.
  if (const auto* error = std::get_if<ReadError>(&read))
    opened.messages = {describeUnreadable(path, *error)};
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

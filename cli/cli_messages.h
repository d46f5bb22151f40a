#pragma once
// What velmora-cli and velmora-print tell on standard error: one line per
// message, the document's path, "：", then the message in Chinese, so that a
// script can split it at the first "：" and a clerk can read it.
#include <optional>
#include <string>
#include <vector>

#include "document/form_state.h"
#include "format/xdx_reader.h"

namespace velmora::cli {

// The path as displayPath shows it, "：" and the text with its line breaks
// and tabs turned into blanks and any other control character escaped.
std::string messageLine(const std::string& path, const std::string& text);
// Writes messageLine to standard error.
void report(const std::string& path, const std::string& text);
void reportAll(const std::string& path, const std::vector<std::string>& messages);

// A read error as one Chinese sentence: where the parser stopped and why, or
// which element held more than a single text.
std::string describeReadError(const ReadError& error);

// What a document is to an office, by its problem lines.
enum class Status { Complete, Problems, Refused };
const char* statusName(Status status);  // complete, problems, refused

// A document opened exactly as the window's open action would open it (the
// same steps, the same rules), with what the window would have shown,
// described for the command line.
struct OpenedDocument {
  FormState state;
  Status status = Status::Refused;
  std::vector<std::string> messages;
  bool readable() const { return status != Status::Refused; }
};
// Every command opens its documents through this one function.
OpenedDocument openDocumentAt(const std::string& path);

// For the commands that work on one document: opens it, reports its
// messages, and gives its state when it could be read.
std::optional<FormState> openReporting(const std::string& path);

}  // namespace velmora::cli

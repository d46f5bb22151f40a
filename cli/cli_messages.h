#pragma once
// What velmora-cli and velmora-print tell on standard error: one line per
// message, the document's path, "：", then the message in Chinese, so that a
// script can split it at the first "：" and a clerk can read it.
#include <string>
#include <vector>

#include "document/form_state.h"
#include "format/xdx_reader.h"

namespace velmora::cli {

// The path, "：" and the text with its line breaks and tabs turned into blanks.
std::string messageLine(const std::string& path, const std::string& text);
// Writes messageLine to standard error.
void report(const std::string& path, const std::string& text);

// A read error as one Chinese sentence: where the parser stopped and why, or
// which element held more than a single text.
std::string describeReadError(const ReadError& error);

// Opens `path` into `state` exactly as the window's open action would (the
// same steps, the same rules) and returns what the window would have shown,
// described for the command line. `readable` is false when the file was
// refused or could not be read.
struct Opened {
  bool readable = false;
  std::vector<std::string> messages;
};
Opened openDocumentAt(const std::string& path, FormState& state);

// What a document is to an office, by its problem lines.
enum class Status { Complete, Problems, Refused };
Status statusOf(const Opened& opened, const FormState& state);
const char* statusName(Status status);  // complete, problems, refused

}  // namespace velmora::cli

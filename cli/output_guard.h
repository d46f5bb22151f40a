#pragma once
// What a command that writes must never replace: a file it reads (after
// links, so a link to an input counts as the input), and, where it writes
// something else than a document, an application document. An office that
// mistypes an output name must not lose an applicant's work to a PDF.
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "cli/file_probe.h"

namespace velmora::cli {

class OutputGuard {
 public:
  // The files the command reads; names that do not exist are left out.
  explicit OutputGuard(const std::vector<std::string>& inputs);

  // Why `out` must not be written, as a message line's text, or nullopt.
  // `documentsToo`: an existing XDX document (by its .xdx name or by its
  // root element, whatever its name) is refused as well.
  std::optional<std::string> refusal(const std::string& out, bool documentsToo) const;

 private:
  std::map<FileIdentity, std::string> inputs_;
};

// True for an existing file that is an XDX document: its name (or the name
// its links lead to) ends in .xdx, or it begins, after the XML declaration,
// comments and blanks, with the root element XMLPackage.
bool isXdxDocument(const std::string& path);

}  // namespace velmora::cli

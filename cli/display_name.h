#pragma once
// File names and quoted text as velmora-cli shows them: on a terminal, in
// JSON and in a workbook, all of which take UTF-8 text only.
#include <string>
#include <string_view>

namespace velmora::cli {

// A path for display, one component at a time: a component of valid UTF-8
// is shown as it is; one that is not (a name from Windows, in GBK) is shown
// decoded from GBK with the mark "〔GBK〕" when it decodes cleanly, else with
// its undecodable bytes as \xNN. Control characters are escaped (\xNN, \uNNNN)
// and a backslash and the mark's bracket are written \\ and \u3014, so that
// two different paths never show the same. On Windows, where a backslash
// separates folders as a slash does, it is shown as it is, here and in
// displayQuote.
std::string displayPath(std::string_view path);

// The path's bytes in hexadecimal, for a script to find the file by.
std::string hexBytes(std::string_view bytes);

// Text quoted from a document or an input for display: control characters
// escaped as in displayPath, cut after `limit` characters with "…".
std::string displayQuote(std::string_view text, std::size_t limit = 60);

}  // namespace velmora::cli

#pragma once

// Which characters a value may hold, for every path a value takes: the
// window's fields, the import of a record, the writing of a document.

namespace velmora {

// An XDX document is XML 1.0, which carries no control character but tab,
// line feed and carriage return: a value holding another one could be saved
// but never opened again.
constexpr bool documentCarries(char32_t c) { return c >= 0x20 || c == U'\t' || c == U'\n' || c == U'\r'; }

// A field takes less. No DEL, which no key types and no form wants; and no
// carriage return, since a field keeps a line break as a line feed alone (in
// a one-line field or a cell, a pasted break becomes a blank before this).
constexpr bool fieldTakes(char32_t c) { return documentCarries(c) && c != 0x7f && c != U'\r'; }

}  // namespace velmora

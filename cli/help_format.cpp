#include "cli/help_format.h"

#ifdef _WIN32
#include <io.h>

#include <cstdio>

#include "format/windows_system.h"
#else
#include <sys/ioctl.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <vector>

namespace velmora::cli {
namespace {

// One UTF-8 character from `s` at `i`, advancing `i`; malformed bytes count
// as one character each.
char32_t next(std::string_view s, std::size_t& i) {
  const auto b = static_cast<unsigned char>(s[i]);
  const std::size_t n = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 1;
  if (n == 1 || i + n > s.size()) {
    ++i;
    return b;
  }
  char32_t c = b & (0x7F >> n);
  for (std::size_t k = 1; k < n; ++k) c = (c << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
  i += n;
  return c;
}

// East Asian wide and full-width characters: the ranges Chinese text uses.
bool wide(char32_t c) {
  return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0x303E) || (c >= 0x3041 && c <= 0x33FF) ||
         (c >= 0x3400 && c <= 0x4DBF) || (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xA000 && c <= 0xA4CF) ||
         (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) ||
         (c >= 0xFF00 && c <= 0xFF60) || (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x20000 && c <= 0x3FFFD);
}

std::size_t columns(char32_t c) { return wide(c) ? 2 : 1; }

// Punctuation no line starts with.
bool closing(char32_t c) {
  static constexpr std::u32string_view kClosing = U"，。、；：？！）》」』】〕”’,.;:?!)]}";
  return kClosing.find(c) != std::u32string_view::npos;
}

// Punctuation no line ends with.
bool opening(char32_t c) {
  static constexpr std::u32string_view kOpening = U"（《「『【〔“‘([{";
  return kOpening.find(c) != std::u32string_view::npos;
}

// A piece that is never broken: a Latin word, or one wide character, with
// the closing punctuation after it and the opening punctuation before it.
struct Piece {
  std::string text;
  std::size_t width = 0;
  bool blankBefore = false;
  char32_t last = 0;
};

std::vector<Piece> pieces(std::string_view line) {
  std::vector<Piece> out;
  bool blank = false;
  for (std::size_t i = 0; i < line.size();) {
    const std::size_t at = i;
    const char32_t c = next(line, i);
    if (c == U' ') {
      blank = true;
      continue;
    }
    // A Latin word may break after a slash ("complete/problems/refused").
    const bool joins = !out.empty() && !blank &&
                       (closing(c) || opening(out.back().last) ||
                        (!wide(c) && !wide(out.back().last) && !opening(c) && out.back().last != U'/'));
    if (!joins) out.push_back(Piece{{}, 0, blank, 0});
    out.back().text += line.substr(at, i - at);
    out.back().width += columns(c);
    out.back().last = c;
    blank = false;
  }
  return out;
}

}  // namespace

std::size_t displayWidth(std::string_view utf8) {
  std::size_t w = 0;
  for (std::size_t i = 0; i < utf8.size();) w += columns(next(utf8, i));
  return w;
}

std::string wrapText(std::string_view text, std::size_t width, std::size_t indent) {
  width = std::max<std::size_t>(width, indent + 10);
  const std::string pad(indent, ' ');
  std::string out;
  std::size_t used = 0;  // columns on the current line, the indent included
  bool lineStart = true;
  auto newLine = [&] {
    out += '\n' + pad;
    used = indent;
    lineStart = true;
  };
  std::size_t from = 0;
  for (bool first = true; from <= text.size(); first = false) {
    std::size_t end = text.find('\n', from);
    if (end == std::string_view::npos) end = text.size();
    if (!first) newLine();
    if (first) used = indent;
    for (const Piece& p : pieces(text.substr(from, end - from))) {
      const std::size_t gap = p.blankBefore && !lineStart ? 1 : 0;
      if (!lineStart && used + gap + p.width > width) {
        newLine();
      } else if (gap) {
        out += ' ';
        used += 1;
      }
      if (used + p.width <= width) {
        out += p.text;
        used += p.width;
      } else {
        // Longer than a whole line: broken wherever the line ends.
        for (std::size_t i = 0; i < p.text.size();) {
          const std::size_t at = i;
          const std::size_t w = columns(next(p.text, i));
          if (used + w > width && used > indent) newLine();
          out += p.text.substr(at, i - at);
          used += w;
        }
      }
      lineStart = false;
    }
    from = end + 1;
  }
  return out;
}

std::size_t terminalWidth() {
#ifdef _WIN32
  // The columns of the console window, not of its buffer, which is often
  // far wider than what shows.
  CONSOLE_SCREEN_BUFFER_INFO console{};
  if (::_isatty(::_fileno(stdout)) && ::GetConsoleScreenBufferInfo(::GetStdHandle(STD_OUTPUT_HANDLE), &console)) {
    const int columns = console.srWindow.Right - console.srWindow.Left + 1;
    if (columns >= 40) return static_cast<std::size_t>(columns);
  }
  return 80;
#else
  winsize size{};
  if (::isatty(STDOUT_FILENO) && ::ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col >= 40)
    return size.ws_col;
  return 80;
#endif
}

HelpFormatter::HelpFormatter(std::size_t width) : width_(width) {}

std::string HelpFormatter::entry(const std::string& name, const std::string& description) const {
  std::string out = "  " + name;
  const std::size_t used = 2 + displayWidth(name);
  const std::size_t column = get_column_width();
  if (description.empty()) return out + "\n";
  if (used >= column) {
    out += '\n' + std::string(column, ' ');
  } else {
    out += std::string(column - used, ' ');
  }
  return out + wrapText(description, width_, column) + "\n";
}

std::string HelpFormatter::make_option(const CLI::Option* opt, bool is_positional) const {
  return entry(make_option_name(opt, is_positional) + make_option_opts(opt), make_option_desc(opt));
}

// An argument whose name lists its parts ("IN OUT") shows no count of its own.
std::string HelpFormatter::make_option_opts(const CLI::Option* opt) const {
  if (!opt->get_positional() || opt->get_name().find(' ') == std::string::npos || opt->get_expected_max() < 2)
    return CLI::Formatter::make_option_opts(opt);
  return opt->get_required() ? " " + get_label("REQUIRED") : std::string();
}

std::string HelpFormatter::make_option_usage(const CLI::Option* opt) const {
  if (opt->get_name().find(' ') == std::string::npos || opt->get_expected_max() < 2)
    return CLI::Formatter::make_option_usage(opt);
  return opt->get_required() ? opt->get_name() : "[" + opt->get_name() + "]";
}

std::string HelpFormatter::make_subcommand(const CLI::App* sub) const {
  return entry(sub->get_display_name(true), sub->get_description());
}

std::string HelpFormatter::make_description(const CLI::App* app) const {
  const std::string desc = app->get_description();
  return desc.empty() ? std::string() : wrapText(desc, width_) + "\n";
}

std::string HelpFormatter::make_expanded(const CLI::App* sub) const {
  // CLI11 indents a command's whole block by two columns.
  width_ -= 2;
  std::string block = CLI::Formatter::make_expanded(sub);
  width_ += 2;
  return block;
}

std::string HelpFormatter::make_footer(const CLI::App* app) const {
  const std::string footer = app->get_footer();
  return footer.empty() ? std::string() : wrapText(footer, width_) + "\n";
}

}  // namespace velmora::cli

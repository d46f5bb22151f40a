#pragma once
// velmora-cli's help in Chinese as a terminal shows it: columns aligned by
// the width characters take on screen (an ideograph takes two), descriptions
// wrapped at the terminal's width (80 columns when the output is no
// terminal), lines never begun with closing punctuation.
#include <CLI/CLI.hpp>

#include <cstddef>
#include <string>
#include <string_view>

namespace velmora::cli {

// Columns `utf8` takes on a terminal.
std::size_t displayWidth(std::string_view utf8);

// `text` broken into lines of at most `width` columns (a word longer than
// that stands alone), each after the first starting with `indent` blanks;
// explicit line breaks are kept.
std::string wrapText(std::string_view text, std::size_t width, std::size_t indent = 0);

// The width of the terminal standard output goes to, 80 when it is none.
std::size_t terminalWidth();

class HelpFormatter : public CLI::Formatter {
 public:
  explicit HelpFormatter(std::size_t width);
  std::string make_option(const CLI::Option* opt, bool is_positional) const override;
  std::string make_subcommand(const CLI::App* sub) const override;
  std::string make_description(const CLI::App* app) const override;
  std::string make_footer(const CLI::App* app) const override;
  std::string make_expanded(const CLI::App* sub) const override;
  std::string make_option_opts(const CLI::Option* opt) const override;
  std::string make_option_usage(const CLI::Option* opt) const override;

 private:
  // "  name" padded to the description column, then the description wrapped.
  std::string entry(const std::string& name, const std::string& description) const;
  mutable std::size_t width_;  // less the indent of the block being made
};

}  // namespace velmora::cli

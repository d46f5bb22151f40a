#pragma once
#include <string>
#include <vector>

namespace velmora::cli {

// velmora-cli pdf IN OUT.pdf: opens IN as the window would and writes every
// sheet of the printed application to OUT. Needs no display.
int pdfCommand(int argc, char** argv, const std::vector<std::string>& args);

}  // namespace velmora::cli

#pragma once
// The commands of velmora-cli, called with their parsed arguments.
#include <string>
#include <vector>

namespace velmora::cli {

// Exit codes shared by every command.
enum Exit { kClean = 0, kProblems = 1, kRefused = 2 };

int checkCommand(bool json, const std::vector<std::string>& inputs);
int dumpCommand(const std::string& file);
int resaveCommand(const std::string& in, const std::string& out);
int importCommand(const std::string& json, const std::string& out);
// Without an output folder `files` is IN and OUT.pdf; `paper` is "a4" or "letter".
int pdfCommand(const std::string& outDir, const std::string& paper, const std::vector<std::string>& files);
int rosterCommand(const std::vector<std::string>& inputs, const std::string& out);

}  // namespace velmora::cli

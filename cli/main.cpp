// velmora-cli: checks, dumps and re-saves application documents without a
// window, with the same record, rules and document code as the program.
#include <iostream>
#include <string>
#include <vector>

#include "cli/commands.h"
#ifdef VELMORA_CLI_PDF
#include "cli/pdf_command.h"
#endif

namespace {

void usage(std::ostream& out) {
  out << "用法: velmora-cli COMMAND [ARGS]\n"
         "\n"
         "命令:\n"
         "  check FILE...    列出每个文档（或文件夹中所有文档）的完整性检查问题\n"
         "  dump FILE        把文档记录输出为 JSON\n"
         "  resave IN OUT    打开 IN 并按保存操作写入 OUT\n"
         "  import JSON OUT  由 dump 格式的 JSON 生成文档 OUT\n"
#ifdef VELMORA_CLI_PDF
         "  pdf IN OUT.pdf   打开 IN 并把打印的申请书写入 OUT（PDF）\n"
#endif
         "\n"
         "每个命令都接受 --help。\n";
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) {
    usage(std::cerr);
    return 2;
  }
  const std::string command = args.front();
  args.erase(args.begin());
  if (command == "--help" || command == "-h" || command == "help") {
    usage(std::cout);
    return 0;
  }
  if (command == "check") return velmora::cli::checkCommand(args);
  if (command == "dump") return velmora::cli::dumpCommand(args);
  if (command == "resave") return velmora::cli::resaveCommand(args);
  if (command == "import") return velmora::cli::importCommand(args);
#ifdef VELMORA_CLI_PDF
  if (command == "pdf") return velmora::cli::pdfCommand(argc, argv, args);
#endif
  std::cerr << "velmora-cli: 未知命令“" << command << "”\n";
  usage(std::cerr);
  return 2;
}

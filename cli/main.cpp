// velmora-cli: checks, dumps, imports, re-saves and prints application
// documents and lists a round of them, without a window, with the same
// record, rules and document code as the program.
#include <CLI/CLI.hpp>

#include <algorithm>
#include <clocale>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/commands.h"
#include "cli/help_format.h"
#include "cli/program_start.h"
#include "record/fields.h"

namespace {

using namespace velmora::cli;

// CLI11 speaks English; the headings of its help and the gist of its errors
// are given in the program's language.
void chineseLabels(CLI::App& app) {
  auto f = std::make_shared<HelpFormatter>(terminalWidth());
  app.formatter(f);
  f->label("Usage", "用法");
  f->label("OPTIONS", "选项");
  f->label("Options", "选项");
  f->label("Positionals", "参数");
  f->label("SUBCOMMAND", "命令");
  f->label("SUBCOMMANDS", "命令");
  f->label("Subcommands", "命令");
  f->label("REQUIRED", "必需");
  f->label("TEXT", "文本");
  f->column_width(34);
}

// The gist of a parse error. Arguments nobody took are named first: CLI11
// tests for missing ones before it tests for those, and "check -x" is about
// the -x.
std::string usageError(const CLI::ParseError& e, const std::vector<std::string>& unexpected) {
  if (!unexpected.empty()) {
    std::string list;
    for (const auto& a : unexpected) list += (list.empty() ? "" : " ") + a;
    return "未知的选项或多余的参数：" + list;
  }
  const std::string what = e.what();
  if (dynamic_cast<const CLI::RequiredError*>(&e)) {
    // "FILE|FOLDER is required", "--out is required", "A subcommand is required".
    constexpr std::string_view kIsRequired = " is required";
    if (what.ends_with(kIsRequired) && what != "A subcommand is required")
      return "缺少必需的命令或参数（" + what.substr(0, what.size() - kIsRequired.size()) + "）";
    return "缺少命令：check、dump、import、resave、pdf 或 roster";
  }
  if (dynamic_cast<const CLI::ArgumentMismatch*>(&e)) return "参数个数不对";
  // Our own validators speak Chinese; CLI11's other texts are English.
  if (dynamic_cast<const CLI::ValidationError*>(&e)) return "参数错误（" + what + "）";
  return "参数错误";
}

int run(int argc, char** argv) {
#ifndef _WIN32
  // System errors (strerror) in the user's language and its character set,
  // as the window shows them; nothing else depends on the locale. On
  // Windows the C library tells them in English whatever the locale, and a
  // locale of the ANSI code page would take bytes of UTF-8 for its letters.
  std::setlocale(LC_CTYPE, "");
  std::setlocale(LC_MESSAGES, "");
#endif

  CLI::App app("Velmora课题申报系统（个人版）的命令行工具：检查、导出、导入、另存、打印申报文档，汇总申报名册。",
               "velmora-cli");
  chineseLabels(app);
  app.option_defaults()->group("选项");
  app.set_help_flag("-h,--help", "显示帮助后退出")->group("选项");
  app.set_version_flag("--version", std::string("velmora-cli ") + VELMORA_VERSION, "显示版本后退出")->group("选项");
  app.require_subcommand(1);
  app.footer(
      "FILE|FOLDER: 文件夹代表其中（含子文件夹）所有 .xdx 文档；-- 之后的参数都是文件名。\n"
      "退出码: 0 完整或已写入, 1 有问题, 2 有文档被拒绝或无法读取、未找到文档、参数错误。");

  // Every command's file arguments, counted below: one list, so that those
  // after "--" can join it whatever the command.
  std::vector<std::string> files;
  std::string out, outDir, paper = "a4";
  bool json = false;

  CLI::App* check =
      app.add_subcommand("check",
                         "打开每个文档（如同程序的打开操作），逐行列出完整性检查发现的问题。"
                         "多个文档时每行以文档路径和“: ”开头。退出码: 0 无问题, 1 有问题, 2 有文档被拒绝或无法读取");
  check->add_flag("--json", json,
                  "每个文档输出一行 JSON 对象：file、status（complete/problems/refused）、formal、problems、messages");
  check->add_option("FILE|FOLDER", files, "文档或文件夹")->required()->type_name("");

  CLI::App* dump = app.add_subcommand("dump",
                                      "打开文档，把记录输出为一个 JSON 对象：键为元素名（按文档顺序，不含 ver），"
                                      "长文本为行数组，表格为行数组，verifylist 为打开时检查的问题行。退出码同 check");
  dump->add_option("FILE", files, "文档")->required()->expected(1)->type_name("");

  CLI::App* resave = app.add_subcommand("resave",
                                        "打开 IN，按保存操作写入 OUT：新的标识、PASSBY 为 0、检查问题写入 verifylist。"
                                        "正式文档和必填项（" +
                                            std::string(velmora::kRequiredToSaveInWords) +
                                            "）不全的文档被拒绝。退出码: 0 已写入, 2 被拒绝");
  resave->add_option("IN OUT", files, "打开的文档和写入的文档")->required()->expected(2)->type_name("");

  CLI::App* import =
      app.add_subcommand("import",
                         "由 dump 格式的 JSON 生成文档 OUT；缺少的键取新申报书的初始值。与程序窗口相同的规则："
                         "字节长度限制、GBK 字符、选项文字、表格大小、三个必填项；有违反时逐条列出，不写文件。"
                         "退出码: 0 已写入, 2 被拒绝");
  import->add_option("JSON OUT", files, "JSON 文件（- 表示标准输入）和写入的文档")
      ->required()
      ->expected(2)
      ->type_name("");

  CLI::App* pdf =
      app.add_subcommand("pdf",
                         "打开文档（如同程序的打开操作），把打印的申请书的全部页写成 PDF；正式文档带水印，"
                         "其他文档带“非正式文档 仅供个人校对”。退出码: 0 已写入, 2 有文档被拒绝、无法读取或无法写入");
  pdf->add_option("--out-dir", outDir,
                  "每个文档写成 DIR 下同名的 .pdf，保留文件夹结构；两个文档会写成同一个 PDF 时什么也不写。此时参数为 "
                  "FILE|FOLDER...")
      ->type_name("DIR");
  pdf->add_option("--paper", paper, "纸张：a4（默认）或 letter")
      ->type_name("a4|letter")
      ->check(CLI::Validator(
          [](std::string& value) {
            return value == "a4" || value == "letter" ? std::string() : "纸张只能是 a4 或 letter";
          },
          "", "纸张"));
  pdf->add_option("IN OUT.pdf", files, "没有 --out-dir 时：文档和写入的 PDF")->required()->type_name("");

  CLI::App* roster =
      app.add_subcommand("roster",
                         "每个文档一行的申报名册：文件、状态、问题行数、是否正式文档和常用字段；"
                         ".xlsx（首行冻结并可筛选）或 .csv（UTF-8，带 BOM）。退出码同 check，无法写入时为 2");
  roster->add_option("FILE|FOLDER", files, "文档或文件夹")->required()->type_name("");
  roster->add_option("--out", out, "名册文件，.xlsx 或 .csv")->required()->type_name("FILE");

  // Each command took the program's help flag and formatter when it was
  // added; the flag goes with the other options.
  for (CLI::App* sub : {check, dump, resave, import, pdf, roster}) {
    sub->group("命令");
    sub->get_help_ptr()->group("选项");
  }

  auto refuse = [&](const std::string& why) {
    std::cerr << wrapText("velmora-cli：" + why, terminalWidth()) << '\n'
              << (app.get_subcommands().empty() ? app.help("", CLI::AppFormatMode::Normal) : app.help());
    return kRefused;
  };
  // CLI11 2.1 honours "--" only while a positional still lacks its first
  // value ("check a.xdx -- -b.xdx" would be refused): everything after the
  // first "--" is taken here, as file names.
  int parsed = argc;
  for (int i = 1; i < argc; ++i)
    if (std::string_view(argv[i]) == "--") {
      parsed = i;
      break;
    }
  const std::vector<std::string> afterDashes(argv + std::min(parsed + 1, argc), argv + argc);
  if (parsed < argc)
    for (CLI::App* sub : {check, dump, resave, import, pdf, roster})
      for (CLI::Option* opt : sub->get_options())
        if (opt->get_positional()) opt->required(false);

  try {
    app.parse(parsed, argv);
  } catch (const CLI::CallForHelp&) {
    // The program's own help lists every command with its options.
    std::cout << (app.get_subcommands().empty() ? app.help("", CLI::AppFormatMode::All) : app.help());
    return kClean;
  } catch (const CLI::CallForVersion& e) {
    std::cout << e.what() << '\n';
    return kClean;
  } catch (const CLI::ArgumentMismatch& e) {
    // dump, resave and import take a fixed number of files: say how many they got.
    CLI::App* fixed = dump->parsed() ? dump : resave->parsed() ? resave : import->parsed() ? import : nullptr;
    if (!fixed) return refuse(usageError(e, app.remaining(true)));
    int given = 0;
    bool afterCommand = false;
    for (int i = 1; i < parsed; ++i) {
      const std::string_view arg(argv[i]);
      if (afterCommand && !arg.starts_with('-')) ++given;
      afterCommand = afterCommand || arg == fixed->get_name();
    }
    return refuse("参数个数不对（需要 " + std::string(fixed == dump ? "1" : "2") + " 个，实际 " +
                  std::to_string(given) + " 个）");
  } catch (const CLI::ParseError& e) {
    return refuse(usageError(e, app.remaining(true)));
  }
  files.insert(files.end(), afterDashes.begin(), afterDashes.end());

  const bool batch = check->parsed() || roster->parsed() || (pdf->parsed() && !outDir.empty());
  const std::size_t wanted = dump->parsed() ? 1 : 2;
  if (batch ? files.empty() : files.size() != wanted)
    return refuse(batch ? "缺少文档或文件夹"
                        : "参数个数不对（需要 " + std::to_string(wanted) + " 个，实际 " + std::to_string(files.size()) +
                              " 个）");

  if (check->parsed()) return checkCommand(json, files);
  if (dump->parsed()) return dumpCommand(files[0]);
  if (resave->parsed()) return resaveCommand(files[0], files[1]);
  if (import->parsed()) return importCommand(files[0], files[1]);
  if (pdf->parsed()) return pdfCommand(outDir, paper, files);
  return rosterCommand(files, out);
}

}  // namespace

int main(int argc, char** argv) {
  const velmora::cli::ConsoleInUtf8 console;
  velmora::cli::ArgumentsInUtf8 arguments(argc, argv);
  argc = arguments.count();
  argv = arguments.values();
  // Nothing escapes as an abort: what no command caught is told in a line.
  try {
    return run(argc, argv);
  } catch (const std::bad_alloc&) {
    std::cerr << "velmora-cli：内存不足\n";
  } catch (const std::exception& e) {
    std::cerr << "velmora-cli：" << e.what() << '\n';
  }
  return velmora::cli::kRefused;
}

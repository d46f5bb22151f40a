#include "cli/commands.h"

#include <iostream>

#include "cli/cli_prompter.h"
#include "cli/json_writer.h"
#include "document/document_actions.h"

namespace velmora::cli {
namespace {

enum Exit { kClean = 0, kProblems = 1, kRefused = 2 };

bool wantsHelp(const Args& args) {
  for (const auto& a : args)
    if (a == "--help" || a == "-h") return true;
  return false;
}

void printMessages(const std::string& path, const CliPrompter& p) {
  for (const auto& m : p.messages) std::cerr << path << ": " << m << '\n';
}

// Opens `path` into a fresh record exactly as the window's open action would.
// Returns false (after reporting) when the file was refused or unreadable.
bool openFresh(const std::string& path, FormState& state) {
  CliPrompter prompter;
  state.pendingPath = path;
  OpenOutcome outcome = openDocument(state, prompter);
  printMessages(path, prompter);
  return outcome == OpenOutcome::Opened || outcome == OpenOutcome::EmptyRoot;
}

std::string rowsJson(const Rows& rows) {
  std::string out = "[";
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (i) out += ',';
    out += jsonStringArray(rows[i]);
  }
  return out + "]";
}

}  // namespace

std::string recordJson(const FormState& s) {
  std::string out = "{\n";
  auto add = [&](std::string_view key, const std::string& json) {
    if (out.size() > 2) out += ",\n";
    out += "  " + jsonString(key) + ": " + json;
  };
  for (const FieldDef& d : allFields()) {
    switch (d.kind) {
      case Kind::LongText: add(d.name, jsonStringArray(s.record.lines(d.id))); break;
      case Kind::Table: add(d.name, rowsJson(s.record.rows(d.id))); break;
      default: add(d.name, jsonString(s.record.valueText(d.id)));
    }
    if (d.id == Field::ExpectProduction2) add("PASSBY", jsonString(s.formal ? "1" : "0"));
    if (d.id == Field::HuoYe) add("verifylist", jsonStringArray(s.problems));
  }
  return out + "\n}\n";
}

int checkCommand(const Args& files) {
  if (wantsHelp(files) || files.empty()) {
    (files.empty() ? std::cerr : std::cout) << "用法: velmora-cli check FILE...\n"
                 "  打开每个文档（如同程序的打开操作），逐行列出完整性检查发现的问题。\n"
                 "  多个文档时每行以文档路径和“: ”开头。\n"
                 "  退出码: 0 无问题, 1 有问题, 2 有文档被拒绝或无法读取。\n";
    return files.empty() ? kRefused : kClean;
  }
  int exit = kClean;
  for (const auto& path : files) {
    FormState state;
    if (!openFresh(path, state)) {
      exit = kRefused;
      continue;
    }
    for (const auto& line : state.problems) {
      if (files.size() > 1) std::cout << path << ": ";
      std::cout << line << '\n';
    }
    if (!state.problems.empty() && exit == kClean) exit = kProblems;
  }
  return exit;
}

int dumpCommand(const Args& args) {
  if (wantsHelp(args) || args.size() != 1) {
    (wantsHelp(args) ? std::cout : std::cerr) << "用法: velmora-cli dump FILE\n"
                 "  打开文档，把记录输出为一个 JSON 对象：键为元素名（按文档顺序，不含 ver），\n"
                 "  长文本为行数组，表格为行数组（每行含全部单元格），verifylist 为打开时检查的问题行。\n"
                 "  退出码同 check。\n";
    return wantsHelp(args) ? kClean : kRefused;
  }
  FormState state;
  if (!openFresh(args[0], state)) return kRefused;
  std::cout << recordJson(state);
  return state.problems.empty() ? kClean : kProblems;
}

int resaveCommand(const Args& args) {
  if (wantsHelp(args) || args.size() != 2) {
    (wantsHelp(args) ? std::cout : std::cerr) << "用法: velmora-cli resave IN OUT\n"
                 "  打开 IN，按保存操作写入 OUT：新的标识、PASSBY 为 0、检查问题写入 verifylist。\n"
                 "  正式文档和缺少必填项（课题名称、主持人、电子邮箱）的文档被拒绝（退出码 2）。\n";
    return wantsHelp(args) ? kClean : kRefused;
  }
  FormState state;
  if (!openFresh(args[0], state)) return kRefused;
  CliPrompter prompter(args[1]);
  SaveOutcome outcome = saveDocument(state, prompter);
  printMessages(args[0], prompter);
  return outcome == SaveOutcome::Written ? kClean : kRefused;
}

}  // namespace velmora::cli

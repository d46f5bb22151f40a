#include "cli/commands.h"

#include <fstream>
#include <iostream>
#include <sstream>

#include "cli/batch.h"
#include "cli/cli_prompter.h"
#include "cli/json_writer.h"
#include "document/document_actions.h"
#include "document/record_import.h"

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

namespace {

struct CheckedDocument {
  bool readable = false;
  std::vector<std::string> problems;
  std::vector<std::string> messages;
};

CheckedDocument checkDocument(const std::string& path) {
  CheckedDocument result;
  FormState state;
  CliPrompter prompter;
  state.pendingPath = path;
  OpenOutcome outcome = openDocument(state, prompter);
  result.readable = outcome == OpenOutcome::Opened || outcome == OpenOutcome::EmptyRoot;
  // A refused document has no problem list of its own.
  if (result.readable) result.problems = std::move(state.problems);
  result.messages = std::move(prompter.messages);
  return result;
}

std::string checkJson(const std::string& path, const CheckedDocument& d) {
  const char* status = !d.readable ? "refused" : d.problems.empty() ? "complete" : "problems";
  std::string out = "{\"file\":" + jsonString(path) + ",\"status\":\"" + status + "\",\"problems\":";
  out += jsonStringArray(d.problems);
  out += ",\"messages\":" + jsonStringArray(d.messages) + "}";
  return out;
}

}  // namespace

int checkCommand(const Args& args) {
  bool json = false;
  Args inputs;
  for (const auto& a : args) {
    if (a == "--json")
      json = true;
    else
      inputs.push_back(a);
  }
  if (wantsHelp(args) || inputs.empty()) {
    (inputs.empty() && !wantsHelp(args) ? std::cerr : std::cout)
        << "用法: velmora-cli check [--json] FILE|FOLDER...\n"
           "  打开每个文档（如同程序的打开操作），逐行列出完整性检查发现的问题。\n"
           "  文件夹代表其中（含子文件夹）所有 .xdx 文档。多个文档时每行以文档路径和“: ”开头。\n"
           "  --json  每个文档输出一行 JSON 对象：file、status（complete/problems/refused）、problems、messages。\n"
           "  退出码: 0 无问题, 1 有问题, 2 有文档被拒绝或无法读取。\n";
    return wantsHelp(args) ? kClean : kRefused;
  }
  const std::vector<std::string> files = expandDocuments(inputs);
  std::vector<CheckedDocument> results(files.size());
  forEachInParallel(files.size(), "检查", [&](std::size_t i) { results[i] = checkDocument(files[i]); });

  int exit = kClean;
  for (std::size_t i = 0; i < files.size(); ++i) {
    const CheckedDocument& d = results[i];
    if (json) {
      std::cout << checkJson(files[i], d) << '\n';
    } else {
      for (const auto& m : d.messages) std::cerr << files[i] << ": " << m << '\n';
      for (const auto& line : d.problems) {
        if (files.size() > 1) std::cout << files[i] << ": ";
        std::cout << line << '\n';
      }
    }
    if (!d.readable)
      exit = kRefused;
    else if (!d.problems.empty() && exit == kClean)
      exit = kProblems;
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



int importCommand(const Args& args) {
  if (wantsHelp(args) || args.size() != 2) {
    (wantsHelp(args) ? std::cout : std::cerr)
        << "用法: velmora-cli import JSON OUT\n"
           "  由 dump 输出格式的 JSON（- 表示标准输入）生成文档 OUT；缺少的键取新申报书的初始值。\n"
           "  与程序窗口相同的规则：字节长度限制、GBK 字符、选项文字、表格大小、三个必填项。\n"
           "  有任何违反时逐条列出（键和原因），不写文件，退出码 2。\n";
    return wantsHelp(args) ? kClean : kRefused;
  }
  std::string json;
  if (args[0] == "-") {
    std::ostringstream s;
    s << std::cin.rdbuf();
    json = s.str();
  } else {
    std::ifstream in(args[0], std::ios::binary);
    if (!in) {
      std::cerr << args[0] << ": 无法读取文件\n";
      return kRefused;
    }
    std::ostringstream s;
    s << in.rdbuf();
    json = s.str();
  }
  ImportResult imported = importRecordJson(json);
  if (!imported.ok()) {
    for (const auto& v : imported.violations)
      std::cerr << args[0] << ": " << (v.key.empty() ? std::string() : v.key + ": ") << v.message << '\n';
    return kRefused;
  }
  FormState state;
  state.record = std::move(imported.record);
  CliPrompter prompter(args[1]);
  SaveOutcome outcome = saveDocument(state, prompter);
  printMessages(args[1], prompter);
  return outcome == SaveOutcome::Written ? kClean : kRefused;
}

}  // namespace velmora::cli

#include "bench/hostile_documents.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "bench/maximal_record.h"
#include "format/xdx_writer.h"

namespace velmora::bench {

// The size limit is 64 MiB (67 108 864 bytes); the largest application
// takes about 46 KB of it.
constexpr std::size_t kFill = 66000000;

const std::vector<HostileShape>& hostileShapes() {
  static const std::vector<HostileShape> shapes = {
      {"word_in_long_text_64MB", "ProjectAnalyze", "x", kFill},
      {"table_cell_64MB", "MainActor1", "x", kFill},
      {"line_field_64MB", "ProjectName", "x", kFill},
      {"long_text_200000_characters", "ProjectAnalyze", "\xBD\xCC", 199000},
      {"row_of_commas_64MB", "MainActor1", ",", kFill},
      {"long_text_of_commas_64MB", "ProjectAnalyze", ",", kFill},           // refused: lines
      {"chinese_long_text_64MB", "ProjectAnalyze", "\xBD\xCC", kFill / 2},  // 教
      {"long_text_100000_lines", "ProjectAnalyze", "x,", 99999, "x"},
      {"attributes_256_on_25000_elements_58MB", "", "<a" /* attributes added below */, 25000},
      {"attributes_100000_on_one_element", "", "<b", 1},  // refused: attributes
      {"elements_99000", "", "<a/>", 99000},
      {"densest_printable", "*", "", 0},
      {"most_sheets", "+", "", 0},
  };
  return shapes;
}

namespace {

std::string replaceText(std::string doc, const std::string& element, const std::string& text) {
  const std::size_t open = doc.find("<" + element + ">");
  if (open == std::string::npos) throw std::runtime_error("no element " + element);
  const std::size_t from = open + element.size() + 2;
  doc.replace(from, doc.find("</" + element + ">", from) - from, text);
  return doc;
}

std::string repeated(const std::string& unit, std::size_t times) {
  std::string out;
  out.reserve(unit.size() * times);
  for (std::size_t i = 0; i < times; ++i) out += unit;
  return out;
}

}  // namespace

std::string hostileDocument(const HostileShape& shape) {
  std::string doc = buildXdx(maximalRecord(), {});
  const std::string unit = shape.unit;
  if (std::string(shape.element) == "*") {
    // Every long text one word as long as it may be.
    for (const char* element :
         {"ProjectReasoning", "ProjectAnalyze", "HuoYe", "tuijian1", "tuijian2", "danweiyijian", "jiaoyujuyijian"})
      doc = replaceText(doc, element, std::string(199999, 'x'));
    return doc;
  }
  if (std::string(shape.element) == "+") {
    // Every text that runs on to further sheets in short lines, each just
    // short of the 300 sheets a page may run to.
    for (const auto& [element, lines] : std::vector<std::pair<std::string, std::size_t>>{{"ProjectReasoning", 13000},
                                                                                         {"ProjectAnalyze", 12500},
                                                                                         {"HuoYe", 12000},
                                                                                         {"tuijian1", 6800},
                                                                                         {"tuijian2", 5000}})
      doc = replaceText(doc, element, repeated("xxxxxxxxxxxxxx,", lines));
    return doc;
  }
  if (*shape.element) return replaceText(doc, shape.element, repeated(unit, shape.repeat) + shape.tail);
  std::string tag = unit;
  if (unit == "<a" || unit == "<b") {
    const int attributes = unit == "<a" ? 256 : 100000;
    for (int i = 0; i < attributes; ++i) tag += " a" + std::to_string(i) + "=\"\"";
    tag += "/>";
  }
  doc.insert(doc.rfind("</XMLPackage>"), repeated(tag, shape.repeat));
  return doc;
}

std::string writeHostileDocument(const HostileShape& shape) {
  const std::string path = "/tmp/velmora-hostile-" + std::to_string(::getpid()) + "-" + shape.name + ".xdx";
  std::ofstream(path, std::ios::binary) << hostileDocument(shape);
  return path;
}

void resetPeakMemory() { std::ofstream("/proc/self/clear_refs") << "5"; }

double peakMemoryMB() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("VmHWM:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
  return 0;
}

ProgramRun runProgram(const std::vector<std::string>& argv) {
  ProgramRun run;
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = ::fork();
  if (pid == 0) {
    const int null = ::open("/dev/null", O_WRONLY);
    ::dup2(null, 1);
    ::dup2(null, 2);
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    ::execv(args[0], args.data());
    ::_exit(127);
  }
  int status = 0;
  rusage usage{};
  ::wait4(pid, &status, 0, &usage);
  run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  run.exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  // wait4 reports the larger of the program's own peak and that of the
  // programs it ran and waited for (velmora-cli pdf runs velmora-print).
  run.peakMB = static_cast<double>(usage.ru_maxrss) / 1024.0;
  return run;
}

}  // namespace velmora::bench

// velmora-cli roster: one table of a round of applications, one row per
// document, for the office that received them.
#ifdef _WIN32
#include <io.h>
#else
#include <dlfcn.h>
#include <unistd.h>
#endif
#include <xlsxwriter.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <type_traits>

#include "cli/batch.h"
#include "cli/cli_messages.h"
#include "cli/commands.h"
#include "cli/display_name.h"
#include "cli/output_guard.h"
#include "format/atomic_file.h"
#include "format/file_system.h"
#include "record/amount.h"
#include "record/gbk.h"
#ifdef _WIN32
#include "format/windows_system.h"
#endif

namespace velmora::cli {
namespace {

// The fields an office sorts and filters by, in the order of the columns.
constexpr std::array kRosterFields = {
    Field::SN,           Field::ProjectName,        Field::Presider,     Field::Department,    Field::BelongCity,
    Field::BelongSystem, Field::ProjectClass,       Field::SubjectClass, Field::ResearchClass, Field::ApplyOutlay,
    Field::BudgetTotal,  Field::ExpectCompleteDate, Field::ContactMail,  Field::ContactMobile};

struct RosterRow {
  std::string path;  // as given: the bytes of the file's name
  std::string file;  // as shown: UTF-8 (displayPath)
  Status status = Status::Refused;
  std::size_t problems = 0;
  bool formal = false;
  std::array<std::string, kRosterFields.size()> values;
  std::string messages;  // why a document was refused
};

RosterRow rosterRow(const std::string& path) {
  const OpenedDocument opened = openDocumentAt(path);
  RosterRow row;
  row.path = path;
  row.file = displayPath(path);
  row.status = opened.status;
  if (opened.readable()) {
    row.problems = opened.state.problems().size();
    row.formal = opened.state.formal();
    for (std::size_t i = 0; i < kRosterFields.size(); ++i)
      row.values[i] = opened.state.record().valueText(kRosterFields[i]);
  }
  for (const auto& m : opened.messages) row.messages += (row.messages.empty() ? "" : "；") + m;
  return row;
}

std::vector<std::string> headers() {
  std::vector<std::string> h = {"file", "status", "problems", "formal"};
  for (Field f : kRosterFields) h.emplace_back(fieldDef(f).name);
  h.emplace_back("messages");
  return h;
}

// An amount the spreadsheet can add up and sort as a number; anything else
// (empty, or text the document happened to hold) stays text.
std::optional<double> amount(const std::string& text) {
  if (text.empty() || text.find_first_not_of("0123456789.") != std::string::npos) return std::nullopt;
  return parseAmount(text);
}

bool isAmount(Field f) { return fieldDef(f).allowed == Allowed::Amount; }

// A number a spreadsheet reads as one, a negative one too.
bool isNumber(const std::string& text) {
  double value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return !text.empty() && ec == std::errc() && end == text.data() + text.size();
}

// A cell a spreadsheet would take for a formula ("=HYPERLINK(…)", "@SUM",
// "-2+3", or one behind a tab or CR) is written with a leading apostrophe,
// which shows it as the text it is. A number of an amount column stays a
// number, negative or not.
std::string neutralised(const std::string& text, bool amountColumn) {
  if (text.empty() || std::string_view("=+-@\t\r").find(text.front()) == std::string_view::npos) return text;
  if (amountColumn && isNumber(text)) return text;
  return "'" + text;
}

std::string csvField(const std::string& raw, bool amountColumn = false) {
  std::string text = neutralised(raw, amountColumn);
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + "\"";
}

// UTF-8 with a byte-order mark, by which spreadsheets recognise UTF-8 instead
// of guessing the local code page; lines end in CR LF as RFC 4180 has it.
std::string rosterCsv(const std::vector<RosterRow>& rows) {
  std::string out = "\xEF\xBB\xBF";
  // The columns before the fields: file, status, problems, formal.
  constexpr std::size_t kFirstField = 4;
  auto isAmountColumn = [](std::size_t column) {
    return column >= kFirstField && column - kFirstField < kRosterFields.size() &&
           isAmount(kRosterFields[column - kFirstField]);
  };
  auto line = [&](const std::vector<std::string>& cells) {
    for (std::size_t i = 0; i < cells.size(); ++i) out += (i ? "," : "") + csvField(cells[i], isAmountColumn(i));
    out += "\r\n";
  };
  line(headers());
  for (const RosterRow& r : rows) {
    const bool read = r.status != Status::Refused;
    std::vector<std::string> cells = {r.file, statusName(r.status), read ? std::to_string(r.problems) : "",
                                      read ? (r.formal ? "TRUE" : "FALSE") : ""};
    cells.insert(cells.end(), r.values.begin(), r.values.end());
    cells.push_back(displayQuote(r.messages, std::string::npos));
    line(cells);
  }
  return out;
}

// The functions of libxlsxwriter the roster uses, from the library opened at
// run time (see cli/CMakeLists.txt); typed by its own declarations.
struct XlsxWriter {
  decltype(&::workbook_new) workbookNew;
  decltype(&::workbook_add_worksheet) addWorksheet;
  decltype(&::workbook_add_format) addFormat;
  decltype(&::format_set_bold) setBold;
  decltype(&::worksheet_write_string) writeString;
  decltype(&::worksheet_write_number) writeNumber;
  decltype(&::worksheet_write_boolean) writeBoolean;
  decltype(&::worksheet_set_column) setColumn;
  decltype(&::worksheet_freeze_panes) freezePanes;
  decltype(&::worksheet_autofilter) autofilter;
  decltype(&::workbook_close) workbookClose;
};

#ifdef _WIN32

// The system's words for a Windows error, in the user's language, with its
// number, which a search finds whatever the language.
std::string windowsReason(DWORD error) {
  wchar_t* text = nullptr;
  const DWORD n =
      ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring words = n ? std::wstring(text, n) : std::wstring();
  ::LocalFree(text);
  while (!words.empty() && (words.back() == L'\n' || words.back() == L'\r' || words.back() == L' ')) words.pop_back();
  return (words.empty() ? std::string() : utf8FromWide(words) + " ") + "(" + std::to_string(error) + ")";
}

#endif

// Loaded once and kept for the process; nullptr (with the loader's reason)
// when the library is not installed.
const XlsxWriter* xlsxWriter(std::string& error) {
  static std::string failure;
  static const std::optional<XlsxWriter> loaded = []() -> std::optional<XlsxWriter> {
#ifdef _WIN32
    HMODULE lib = ::LoadLibraryW(widePath(VELMORA_XLSXWRITER_SONAME).c_str());
    if (!lib) {
      failure = std::string(VELMORA_XLSXWRITER_SONAME) + ": " + windowsReason(::GetLastError());
      return std::nullopt;
    }
    // Through the type of no arguments, which any function's address may
    // take and give back.
    auto symbol = [&](const char* name) { return reinterpret_cast<void (*)()>(::GetProcAddress(lib, name)); };
#else
    void* lib = ::dlopen(VELMORA_XLSXWRITER_SONAME, RTLD_NOW | RTLD_LOCAL);
    if (!lib) {
      failure = ::dlerror();
      return std::nullopt;
    }
    auto symbol = [&](const char* name) { return ::dlsym(lib, name); };
#endif
    bool complete = true;
    auto get = [&](auto& fn, const char* name) {
      fn = reinterpret_cast<std::remove_reference_t<decltype(fn)>>(symbol(name));
      complete = complete && fn;
    };
    XlsxWriter x{};
    get(x.workbookNew, "workbook_new");
    get(x.addWorksheet, "workbook_add_worksheet");
    get(x.addFormat, "workbook_add_format");
    get(x.setBold, "format_set_bold");
    get(x.writeString, "worksheet_write_string");
    get(x.writeNumber, "worksheet_write_number");
    get(x.writeBoolean, "worksheet_write_boolean");
    get(x.setColumn, "worksheet_set_column");
    get(x.freezePanes, "worksheet_freeze_panes");
    get(x.autofilter, "worksheet_autofilter");
    get(x.workbookClose, "workbook_close");
    if (!complete) {
      failure = std::string(VELMORA_XLSXWRITER_SONAME) + " lacks a function";
      return std::nullopt;
    }
    return x;
  }();
  if (!loaded) error = "无法加载 " + failure;
  return loaded ? &*loaded : nullptr;
}

// The workbook's bytes. libxlsxwriter writes only to a named file, and
// prints its own English complaint when it cannot; it gets a temporary file
// beside `out`, named and locked as a save's, so that a killed run leaves
// nothing the next save there does not clear, and the bytes go to `out`
// like every other file this program writes.
std::optional<std::string> rosterXlsx(const std::vector<RosterRow>& rows, const std::string& out, std::string& error,
                                      std::vector<std::string>& notes) {
  const XlsxWriter* x = xlsxWriter(error);
  if (!x) return std::nullopt;
  int fd = -1;
  const std::string temporary = temporaryBeside(out, fd, error);
  if (temporary.empty()) return std::nullopt;
#ifdef _WIN32
  // Windows holds the temporary locked by opening it unshared, which would
  // keep libxlsxwriter out: it is closed now. The name alone marks it as
  // this process's while the process runs.
  ::_close(fd);
  struct Remove {
    const std::string& path;
    ~Remove() { removeFile(path); }
  } remove{temporary};
  // libxlsxwriter built by MinGW opens the workbook by a name in the ANSI
  // code page, which need not hold the folder's name: it is given the bare
  // name, which is ASCII, in the folder made current meanwhile.
  const std::string folder = utf8Path(systemPath(temporary).parent_path());
  const std::string bareName = utf8Path(systemPath(temporary).filename());
  struct CurrentFolder {
    std::wstring before;
    bool changed = false;
    explicit CurrentFolder(const std::string& to) {
      const DWORD n = ::GetCurrentDirectoryW(0, nullptr);
      before.resize(n);
      before.resize(::GetCurrentDirectoryW(n, before.data()));
      changed = !before.empty() && ::SetCurrentDirectoryW(widePath(to).c_str());
    }
    ~CurrentFolder() {
      if (changed) ::SetCurrentDirectoryW(before.c_str());
    }
  };
  std::optional<CurrentFolder> inFolder;
  inFolder.emplace(folder);
  if (!inFolder->changed) {
    error = "无法生成工作簿";
    return std::nullopt;
  }
  lxw_workbook* book = x->workbookNew(bareName.c_str());
#else
  struct Remove {
    const std::string& path;
    int fd;
    ~Remove() {
      ::unlink(path.c_str());
      ::close(fd);
    }
  } remove{temporary, fd};
  lxw_workbook* book = x->workbookNew(temporary.c_str());
#endif
  if (!book) {
    error = "无法生成工作簿";
    return std::nullopt;
  }
  lxw_worksheet* sheet = x->addWorksheet(book, "申报名册");
  lxw_format* bold = x->addFormat(book);
  x->setBold(bold);

  const std::vector<std::string> h = headers();
  for (std::size_t c = 0; c < h.size(); ++c) x->writeString(sheet, 0, static_cast<lxw_col_t>(c), h[c].c_str(), bold);
  // A cell holds at most 32 767 characters; libxlsxwriter leaves a longer
  // text out altogether. Its beginning is written, and the cell named.
  constexpr std::size_t kCellCharacters = 32767;
  auto writeText = [&](lxw_row_t row, lxw_col_t col, const std::string& text) {
    const std::string cut = firstCharacters(text, kCellCharacters);
    if (cut.size() < text.size())
      notes.push_back("单元格 " + std::string(1, static_cast<char>('A' + col)) + std::to_string(row + 1) + "（" +
                      h[col] + "）超过 32767 个字符，只写入了前 32767 个；CSV 名册保留全文");
    x->writeString(sheet, row, col, cut.c_str(), nullptr);
  };
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const RosterRow& r = rows[i];
    const auto row = static_cast<lxw_row_t>(i + 1);
    writeText(row, 0, r.file);
    x->writeString(sheet, row, 1, statusName(r.status), nullptr);
    if (r.status != Status::Refused) {
      x->writeNumber(sheet, row, 2, static_cast<double>(r.problems), nullptr);
      x->writeBoolean(sheet, row, 3, r.formal, nullptr);
    }
    for (std::size_t f = 0; f < kRosterFields.size(); ++f) {
      const std::string& v = r.values[f];
      if (v.empty()) continue;
      const auto col = static_cast<lxw_col_t>(4 + f);
      // Identifiers, telephone numbers and dates stay text: a number would
      // lose their leading zeros and show long ones in exponent form.
      if (auto value = isAmount(kRosterFields[f]) ? amount(v) : std::nullopt)
        x->writeNumber(sheet, row, col, *value, nullptr);
      else
        writeText(row, col, v);
    }
    // A workbook holds UTF-8 only: a quoted byte of another encoding would
    // make its XML invalid.
    if (!r.messages.empty())
      writeText(row, static_cast<lxw_col_t>(h.size() - 1), displayQuote(r.messages, std::string::npos));
  }
  // Wide columns for paths and names; one range per column, as spreadsheets
  // take overlapping ranges for a damaged file.
  for (std::size_t c = 0; c < h.size(); ++c) {
    const bool wide = c == 0 || h[c] == "ProjectName" || h[c] == "Department" || h[c] == "messages";
    x->setColumn(sheet, static_cast<lxw_col_t>(c), static_cast<lxw_col_t>(c), wide ? 36 : c < 4 ? 10 : 16, nullptr);
  }
  x->freezePanes(sheet, 1, 0);
  x->autofilter(sheet, 0, 0, static_cast<lxw_row_t>(rows.size()), static_cast<lxw_col_t>(h.size() - 1));

  if (x->workbookClose(book) != LXW_NO_ERROR) {
    error = "无法生成工作簿";
    return std::nullopt;
  }
#ifdef _WIN32
  inFolder.reset();
#endif
  std::ifstream in(systemPath(temporary), std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  if (!in) {
    error = "无法生成工作簿";
    return std::nullopt;
  }
  return bytes.str();
}

std::string lowerExtension(const std::string& path) {
  std::string ext = utf8Path(systemPath(path).extension());
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
  return ext;
}

}  // namespace

int rosterCommand(const std::vector<std::string>& inputs, const std::string& out) {
  const std::string ext = lowerExtension(out);
  if (ext != ".xlsx" && ext != ".csv") {
    report(out, "名册只能写成 .xlsx 或 .csv 文件");
    return kRefused;
  }
  const Batch batch = collectDocuments(inputs);
  const bool incomplete = reportCollectionProblems(batch);
  const auto& docs = batch.documents;
  if (docs.empty()) return kRefused;
  // The table never replaces a document, least of all one it lists.
  std::vector<std::string> paths;
  paths.reserve(docs.size());
  for (const auto& d : docs) paths.push_back(d.path);
  if (auto why = OutputGuard(paths).refusal(out, true)) {
    report(out, *why);
    return kRefused;
  }
  std::vector<RosterRow> rows(docs.size());
  forEachInParallel(docs.size(), "汇总", [&](std::size_t i) { rows[i] = rosterRow(docs[i].path); });

  int exit = incomplete ? kRefused : kClean;
  std::array<std::size_t, 3> counts{};
  for (const RosterRow& r : rows) {
    if (!r.messages.empty()) report(r.path, r.messages);
    ++counts[static_cast<std::size_t>(r.status)];
    if (r.status == Status::Refused)
      exit = kRefused;
    else if (r.status == Status::Problems && exit == kClean)
      exit = kProblems;
  }
  std::string error;
  std::vector<std::string> notes;
  std::optional<std::string> bytes = ext == ".csv" ? rosterCsv(rows) : rosterXlsx(rows, out, error, notes);
  if (!bytes || !writeFileAtomically(out, *bytes, error)) {
    report(out, error);
    return kRefused;
  }
  reportAll(out, notes);
  printSummary(counts);
  return exit;
}

}  // namespace velmora::cli

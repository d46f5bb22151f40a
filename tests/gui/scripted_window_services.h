#pragma once
// The window's dialogs and message boxes answered from a script, so the GUI
// tests drive the real window without modal loops.
#include <deque>

#include "app/window_services.h"
#include "test_support.h"

namespace velmora::test {

class ScriptedWindowServices : public WindowServices {
 public:
  ScriptedPrompter script;
  std::vector<std::string> opened;  // what the desktop was asked to open
  int beeps = 0;
  // The preview's PDF dialogs: the answers, in turn (cancelled when none is
  // left), and which dialog was asked, over which window.
  std::deque<std::optional<std::string>> reportPaths;
  std::vector<ReportFileDialog> reportDialogs;
  std::vector<std::string> reportProposals;    // what each of them proposed
  std::vector<std::string> errorTitles;        // of the error boxes shown over a window
  std::vector<std::string> informationTitles;  // of the information boxes shown over a window
  QWidget* lastOver = nullptr;

  std::optional<std::string> askOpenPath() override { return script.askOpenPath(); }
  std::optional<std::string> askSavePath(const std::string& p) override { return script.askSavePath(p); }
  void showMessage(const std::string& t) override { script.showMessage(t); }
  void showInformation(const std::string& t) override { script.showInformation(t); }
  void showError(const std::string& t) override { script.showError(t); }
  bool confirm(const std::string& t) override { return script.confirm(t); }
  Answer askYesNoCancel(const std::string& t) override { return script.askYesNoCancel(t); }
  std::optional<std::string> askReportPath(ReportFileDialog which, QWidget* over,
                                           const std::string& proposed) override {
    reportDialogs.push_back(which);
    reportProposals.push_back(proposed);
    lastOver = over;
    if (reportPaths.empty()) return std::nullopt;
    auto answer = reportPaths.front();
    reportPaths.pop_front();
    return answer;
  }
  void showErrorOver(QWidget* over, const std::string& title, const std::string& text) override {
    lastOver = over;
    errorTitles.push_back(title);
    script.showError(text);
  }
  void showInformationOver(QWidget* over, const std::string& title, const std::string& text) override {
    lastOver = over;
    informationTitles.push_back(title);
    script.showInformation(text);
  }
  void openExternally(const std::string& target) override { opened.push_back(target); }
  void beep() override { ++beeps; }

  const std::vector<Shown>& shown() const { return script.shown; }
};

}  // namespace velmora::test

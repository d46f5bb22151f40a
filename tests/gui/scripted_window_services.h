#pragma once
// The window's dialogs and message boxes answered from a script, so the GUI
// tests drive the real window without modal loops.
#include "app/window_services.h"
#include "test_support.h"

namespace velmora::test {

class ScriptedWindowServices : public WindowServices {
 public:
  ScriptedPrompter script;
  std::vector<std::string> opened;  // what the desktop was asked to open
  int beeps = 0;

  std::optional<std::string> askOpenPath() override { return script.askOpenPath(); }
  std::optional<std::string> askSavePath(const std::string& p) override { return script.askSavePath(p); }
  void showMessage(const std::string& t) override { script.showMessage(t); }
  void showInformation(const std::string& t) override { script.showInformation(t); }
  void showError(const std::string& t) override { script.showError(t); }
  bool confirm(const std::string& t) override { return script.confirm(t); }
  Answer askYesNoCancel(const std::string& t) override { return script.askYesNoCancel(t); }
  void openExternally(const std::string& target) override { opened.push_back(target); }
  void beep() override { ++beeps; }

  const std::vector<Shown>& shown() const { return script.shown; }
};

}  // namespace velmora::test

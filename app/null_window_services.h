#pragma once
// The window's services with nobody to ask, as NullPrompter is for the
// document actions: dialogs cancelled, boxes dropped, nothing opened, no
// beep. For benchmarks that drive a real window.
#include "app/window_services.h"

namespace velmora {

class NullWindowServices : public WindowServices {
 public:
  std::optional<std::string> askOpenPath() override { return std::nullopt; }
  std::optional<std::string> askSavePath(const std::string&) override { return std::nullopt; }
  void showMessage(const std::string&) override {}
  void showInformation(const std::string&) override {}
  void showError(const std::string&) override {}
  bool confirm(const std::string&) override { return false; }
  std::optional<std::string> askReportPath(ReportFileDialog, QWidget*, const std::string&) override {
    return std::nullopt;
  }
  void showErrorOver(QWidget*, const std::string&, const std::string&) override {}
  void showInformationOver(QWidget*, const std::string&, const std::string&) override {}
  void openExternally(const std::string&) override {}
  void beep() override {}
};

}  // namespace velmora

#pragma once
#include <QString>

#include "app/install_paths.h"
#include "app/window_services.h"

class QWidget;

namespace velmora {

// Real dialogs and message boxes, captioned and equipped as the program's
// conventions want them.
class QtWindowServices : public WindowServices {
 public:
  explicit QtWindowServices(QWidget* owner = nullptr) : owner_(owner) {}
  void setOwner(QWidget* owner) { owner_ = owner; }
  // Given the program's folder, the open dialog starts there when the program
  // runs from its build tree and in the user's documents once installed.
  void setOpenFolder(const QString& programFolder) { openFolder_ = openDialogFolder(programFolder); }

  std::optional<std::string> askOpenPath() override;
  std::optional<std::string> askSavePath(const std::string& proposedName) override;
  void showMessage(const std::string& text) override;
  void showInformation(const std::string& text) override;
  void showError(const std::string& text) override;
  bool confirm(const std::string& text) override;
  Answer askYesNoCancel(const std::string& text) override;
  std::optional<std::string> askReportPath(ReportFileDialog which, QWidget* over, const std::string& proposed) override;
  void showErrorOver(QWidget* over, const std::string& title, const std::string& text) override;
  void showInformationOver(QWidget* over, const std::string& title, const std::string& text) override;
  void openExternally(const std::string& urlOrPath) override;
  void beep() override;

 private:
  QWidget* owner_;
  QString openFolder_;
  QString lastOpened_;
};

}  // namespace velmora

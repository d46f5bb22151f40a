#pragma once
// The window's seam to the user and the desktop: the document actions'
// dialogs and message boxes (Prompter) plus the few desktop services the
// window calls. The real window uses QtWindowServices; GUI tests script it.
#include <optional>
#include <string>

#include "document/prompter.h"

class QWidget;

namespace velmora {

// The preview's two file dialogs for the printed form as a PDF file.
enum class ReportFileDialog {
  Save,  // "保存报表"
  Open,  // "打开报表"
};

class WindowServices : public Prompter {
 public:
  // The preview's dialogs open over the preview (`over`), not the main
  // window, so that no window manager stacks them beneath it. The path of a
  // PDF file, nullopt when cancelled. `proposed` is the file the save dialog
  // offers (in its folder), or where the open dialog starts; empty: no
  // proposal. A name typed without ".pdf" gets it before the dialog asks
  // whether to replace an existing file.
  virtual std::optional<std::string> askReportPath(ReportFileDialog which, QWidget* over,
                                                   const std::string& proposed) = 0;
  // An error box, or an information box, under the title of the window it
  // belongs to.
  virtual void showErrorOver(QWidget* over, const std::string& title, const std::string& text) = 0;
  virtual void showInformationOver(QWidget* over, const std::string& title, const std::string& text) = 0;

  // Opens a local document with the desktop's associated program, or a web
  // address in the browser; the outcome is not examined.
  virtual void openExternally(const std::string& urlOrPath) = 0;
  virtual void beep() = 0;
};

}  // namespace velmora

#pragma once
// Everything the document actions ask of the user or tell the user goes
// through this seam: the window answers with real dialogs, velmora-cli and the
// tests with preset answers.
#include <optional>
#include <string>

namespace velmora {

// The answers of a question that can also be withdrawn.
enum class Answer { Yes, No, Cancel };

class Prompter {
 public:
  virtual ~Prompter() = default;
  // The open dialog; nullopt when cancelled.
  virtual std::optional<std::string> askOpenPath() = 0;
  // The save dialog, proposing `proposedName`; nullopt when cancelled.
  virtual std::optional<std::string> askSavePath(const std::string& proposedName) = 0;
  // Plain box: application title, no icon, OK.
  virtual void showMessage(const std::string& text) = 0;
  // "Information" box with its icon.
  virtual void showInformation(const std::string& text) = 0;
  // Error box: application title, stop icon; `text` already ends as shown.
  virtual void showError(const std::string& text) = 0;
  // "Confirm" box: Yes (default) or No; Escape is No.
  virtual bool confirm(const std::string& text) = 0;
  // "Confirm" box with Yes (default), No and Cancel; Escape is Cancel. A
  // prompter that cannot ask withdraws, so nothing is lost.
  virtual Answer askYesNoCancel(const std::string& /*text*/) { return Answer::Cancel; }
};

}  // namespace velmora

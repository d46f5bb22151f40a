#pragma once
// One seeded soak run: a real main window with scripted dialogs, fed a
// random sequence of the inputs a user can give it.
#include <QPointer>
#include <QTimer>
#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "gui/scripted_window_services.h"
#include "user_values.h"

namespace velmora::soak {

struct SoakConfig {
  // Documents the open dialog may answer with: ones that open to legal values
  // and ones that do not open at all.
  std::vector<std::string> documents;
  // A folder of this process's own; every session starts it afresh, with
  // its saved documents and the window's recovery copies.
  std::string workDir;
};

class Session {
 public:
  Session(std::uint64_t seed, const SoakConfig& config);
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // One random user action, then the events the window queued after it.
  void step();

  // Values of the record no user could have entered since the last document
  // was opened (or the window started).
  std::vector<IllegalValue> illegalValues() const;

  // A modal window the script did not answer ("" when none opened): it would
  // wait for a user forever.
  const std::string& unexpectedModal() const { return unexpectedModal_; }

 private:
  // Building blocks of the actions.
  int pick(int n);
  bool chance(double p);
  QString randomTypedText();
  QString randomPasteText();
  QString documentAnswer();
  std::string savePathAnswer();
  void settle();
  void createWindow();
  QWidget* keyTarget() const;
  void sendKey(Qt::Key key, Qt::KeyboardModifiers modifiers, const QString& text);
  void typeText(const QString& text);
  bool click(QWidget* w, QPoint local, Qt::MouseButton button = Qt::LeftButton,
             Qt::KeyboardModifiers modifiers = Qt::NoModifier, bool doubleClick = false);
  bool clickSomewhere(QWidget* w);
  bool showPageOf(QWidget* w);
  void clearScript();

  // The actions.
  void actType();
  void actKey();
  void actInputMethod();
  void actClick();
  void actClickField();
  void actSwitchPage();
  void actPaste();
  void actContextMenu();
  void actDrop();
  void actCheck();
  void actProblemLine();
  void actOpen();
  void actSave();
  void actFillRequired();
  void actSideButton(const char* name);
  void actClose();

  std::mt19937_64 rng_;
  const SoakConfig& config_;
  test::ScriptedWindowServices services_;
  std::unique_ptr<MainWindow> window_;
  Record baseline_ = Record::blank();
  std::string savesDir_, recoveryDir_;
  std::vector<std::string> saved_;  // documents this session wrote, in the order they appeared
  int saves_ = 0;
  QTimer watchdog_;
  bool inContextMenu_ = false;
  std::string unexpectedModal_;
};

// The last actions, kept for the report of a failure or a crash.
void note(std::string action);
void printRecentActions(std::FILE* out);
void setTrace(bool on);
void setCurrentStep(long step);

}  // namespace velmora::soak

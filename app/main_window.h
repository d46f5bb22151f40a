#pragma once
// The one window of the program: the side panel and the eleven pages, bound
// to the application's FormState. Every rule and document action lives in
// FormState and the document actions; the window only shows the state and
// passes the user's edits and clicks on.
#include <QElapsedTimer>
#include <QPointer>
#include <QStringList>
#include <QTabWidget>
#include <QTimer>
#include <QWidget>
#include <memory>

#include "app/deferred_messages.h"
#include "app/notice_line.h"
#include "app/page_builder.h"
#include "app/page_tabs.h"
#include "app/side_panel.h"
#include "app/window_services.h"
#include "document/document_actions.h"
#include "document/form_state.h"
#include "document/recovery.h"

namespace velmora {

// The web page on which an education electronic identity number is applied for.
inline constexpr const char* kEduCodeSite = "https://www.eduyun.cn/";

class MainWindow : public QWidget {
  Q_OBJECT
 public:
  // `recoveryFolder` holds the recovery copies of unsaved edits (empty: the
  // user's state folder).
  explicit MainWindow(WindowServices& services, QWidget* parent = nullptr, std::string recoveryFolder = {});
  ~MainWindow() override;

  FormState& state() { return state_; }
  PageControl* pages() const { return pageControl_; }

  // Start-up: the command-line arguments joined with single blanks name the
  // document to open before the window is shown; then edits that a window
  // which no longer runs left unsaved are offered.
  void startUp(const QStringList& arguments);

  // How long typing must rest before the recovery copy is written, and the
  // longest it waits while typing goes on.
  static constexpr int kRecoveryIdleMs = 3000;
  static constexpr int kRecoveryMaxDelayMs = 30000;
  void setRecoveryDelays(int idleMs, int maxDelayMs) {
    recoveryIdleMs_ = idleMs;
    recoveryMaxDelayMs_ = maxDelayMs;
  }
  RecoverySlot& recovery() { return *recovery_; }
  // Writes the recovery copy now (when there are unsaved edits).
  void writeRecoveryCopy();
  // Offers the copies that windows no longer running left behind; true when
  // one was restored.
  bool offerRecovery();
  NoticeLine& notices() { return *notices_; }

  // The leave check of the field being edited (the identity number): false,
  // with the field reported and focused again, while it holds a value its
  // rule forbids. Every command that takes the user away from the field or
  // writes, prints or ends runs it first and does not go on when it fails.
  bool fieldsCanBeLeft();

  // Opens a document as a drop on the window does.
  void openDropped(const QString& path);
  // The side panel's commands (检查, 打开, 保存, 帮助, 打印) and the EduCode
  // link, also run by program exactly as a click would.
  void runCheck();
  OpenOutcome askAndOpenDocument();  // the pending path, else the open dialog
  SaveOutcome saveToFile();
  void showHelp();
  void previewReport();
  void openEduCodeSite();

  // Shows the state in the widgets.
  void refresh();

 protected:
  void closeEvent(QCloseEvent* e) override;
  void dragEnterEvent(QDragEnterEvent* e) override;
  void dropEvent(QDropEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  void bindFields();
  void setTabOrder();
  void onText(Field f, const QString& text);
  void onLines(Field f);
  void onPick(Field f, int item);
  void onCell(Field table, int row, int column, const QString& text);
  void onProblemChosen(int row);
  void refreshField(const FieldDef& d);
  void refreshLongText(Field f);
  void noteEdit();
  void addShortcuts();
  void turnToPage(int page);
  void showRoom();
  void markPagesWithProblems();
  void recoverFrom(const LeftCopy& copy, const DocumentContent& content);
  void recoveryWritten(const std::string& error);

  WindowServices& services_;
  // The input rules' messages, shown after the event that raised them.
  DeferredMessages ruleMessages_;
  FormState state_;
  FieldWidgets fields_;
  SidePanel* panel_;
  NoticeLine* notices_;
  // The field whose accessible description tells the room left in it.
  QPointer<QWidget> roomDescribed_;
  PageControl* pageControl_;
  // Set while a reaction runs: a cell editor closed by its message box must
  // not start the same reaction again.
  bool reacting_ = false;
  unsigned shownCheck_ = ~0u;
  // What refresh() shows besides the fields: mirrors, the labels shown with
  // their fields, the formal mark.
  struct Shown {
    QLabel* projectId;
    QLineEdit* presider1;
    MaskedEdit* eduCode1;
    QLabel* label67;
    QLabel* lbl8;
    QLabel* passby;
  } shown_{};

  std::string recoveryFolder_;
  std::unique_ptr<RecoverySlot> recovery_;
  QTimer recoveryTimer_;
  QElapsedTimer unsavedSince_;  // the first edit not yet in the recovery copy
  bool copyWritten_ = false;
  bool recoveryFailing_ = false;  // told once, until a copy is written again
  int recoveryIdleMs_ = kRecoveryIdleMs;
  int recoveryMaxDelayMs_ = kRecoveryMaxDelayMs;
};

}  // namespace velmora

#pragma once
// The one window of the program: the side panel and the eleven pages, bound
// to the application's FormState. Every rule and document action lives in
// FormState and the document actions; the window only shows the state and
// passes the user's edits and clicks on.
#include <QStringList>
#include <QTabWidget>
#include <QWidget>

#include "app/page_builder.h"
#include "app/side_panel.h"
#include "app/window_services.h"
#include "document/document_actions.h"
#include "document/form_state.h"

namespace velmora {

// The web page on which an education electronic identity number is applied for.
inline constexpr const char* kEduCodeSite = "https://www.eduyun.cn/";

class MainWindow : public QWidget {
  Q_OBJECT
 public:
  explicit MainWindow(WindowServices& services, QWidget* parent = nullptr);
  ~MainWindow() override;

  FormState& state() { return state_; }
  QTabWidget* pages() const { return pageControl_; }

  // Start-up: the command-line arguments joined with single blanks name the
  // document to open before the window is shown.
  void startUp(const QStringList& arguments);

  // The side panel's commands, also run by program exactly as a click would.
  void verifydataClick();
  OpenOutcome openxmlfileClick();
  SaveOutcome savexmlfileClick();
  void helpinfoClick();
  void printreportClick();
  void label41Click();

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

  WindowServices& services_;
  FormState state_;
  FieldWidgets fields_;
  SidePanel* panel_;
  QTabWidget* pageControl_;
  // Set while a reaction runs: a cell editor closed by its message box must
  // not start the same reaction again.
  bool reacting_ = false;
  std::array<Lines, kFieldCount> shownLines_;
  unsigned shownCheck_ = ~0u;
};

}  // namespace velmora

#include "app/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMimeData>
#include <QTabBar>

#include "app/icons.h"
#include "app/install_paths.h"
#include "app/page_tabs.h"
#include "app/pages.h"
#include "app/read_only_look.h"
#include "app/required_child.h"
#include "app/text_fit.h"
#include "app/window_fonts.h"
#include "app/window_palette.h"
#include "check/completeness_check.h"
#include "document/messages.h"

#ifdef VELMORA_HAS_PREVIEW
#include "app/preview/report_preview.h"
#endif

namespace velmora {
namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }
QString q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<int>(s.size())); }

}  // namespace

MainWindow::MainWindow(WindowServices& services, QWidget* parent, std::string recoveryFolder)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      services_(services),
      ruleMessages_(services, this),
      recoveryFolder_(recoveryFolder.empty() ? defaultRecoveryFolder() : std::move(recoveryFolder)),
      recovery_(std::make_unique<RecoverySlot>(recoveryFolder_)) {
  recoveryTimer_.setSingleShot(true);
  connect(&recoveryTimer_, &QTimer::timeout, this, [this] { writeRecoveryCopy(); });
  setObjectName(QStringLiteral("MainForm"));
  // A paper form: its fixed colours are chosen for a light ground, whatever
  // the desktop's theme.
  setPalette(lightWindowPalette());
  setWindowTitle(q(msg::kAppTitle));
  setWindowIcon(icons::application());
  setFont(PageBuilder::defaultFont());
  resize(852, 562);

  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);

  pageControl_ = new PageControl(this);
  pageControl_->setObjectName(QStringLiteral("PageControl1"));
  pageControl_->setUsesScrollButtons(false);
  pageControl_->tabBar()->setExpanding(false);
  pageControl_->tabBar()->setElideMode(Qt::ElideNone);
  pageControl_->tabBar()->setFont(windowFont("MS Sans Serif", 11));
  // The selected tab stands out as the sheet in front; the others recede.
  // On the tab bar alone: a style sheet on the tab control would hand its
  // pages the desktop's palette instead of the window's.
  pageControl_->tabBar()->setStyleSheet(
      QStringLiteral("QTabBar::tab { padding: 3px 3px; color: navy; border: 1px solid #a0a0a0; border-bottom: none;"
                     " background: #dcdcdc; margin-top: 2px; }"
                     "QTabBar::tab:selected { background: white; margin-top: 0px; font-weight: bold; }"
                     "QTabBar::tab:focus { text-decoration: underline; }"));
  pageControl_->tabBar()->setAccessibleName(QStringLiteral("页面"));
  struct Page {
    QWidget* (*build)(FieldWidgets&);
    const char* caption;
  };
  const Page kPages[] = {
      {pages::basic, "基本资料"},      {pages::presider, "负责人信息"}, {pages::mainActor, "主要参加者"},
      {pages::production, "相关成果"}, {pages::researched, "承担课题"}, {pages::reasoning, "设计论证"},
      {pages::analyze, "可行性分析"},  {pages::results, "预期成果"},    {pages::funding, "经费"},
      {pages::opinions, "推荐意见"},   {pages::looseLeaf, "活页"}};
  for (const Page& p : kPages) pageControl_->addTab(p.build(fields_), QString::fromUtf8(p.caption));
  layout->addWidget(pageControl_, 1);

  panel_ = new SidePanel(this);
  layout->addWidget(panel_);
  notices_ = new NoticeLine(requiredChild<QLabel>(panel_, "notice"));
  connect(&InputNotices::instance(), &InputNotices::charactersDropped, this,
          [this](int count) { notices_->showPassing(QStringLiteral("已略去 %1 个无法保存的字符").arg(count)); });
  // The copy is written on the slot's thread; its outcome is shown here.
  recovery_->setWriteObserver([this](const std::string& error) {
    QMetaObject::invokeMethod(
        this, [this, error] { recoveryWritten(error); }, Qt::QueuedConnection);
  });

  connect(panel_->verifydata, &QPushButton::clicked, this, [this] { runCheck(); });
  connect(panel_->openxmlfile, &QToolButton::clicked, this, [this] { askAndOpenDocument(); });
  connect(panel_->savexmlfile, &QToolButton::clicked, this, [this] { saveToFile(); });
  connect(panel_->helpinfo, &QToolButton::clicked, this, [this] { showHelp(); });
  connect(panel_->printreport, &QToolButton::clicked, this, [this] { previewReport(); });
  connect(panel_->verifylist, &QListWidget::currentRowChanged, this, [this](int row) { onProblemChosen(row); });
  connect(panel_->verifylist, &QListWidget::itemClicked, this,
          [this](QListWidgetItem* item) { onProblemChosen(panel_->verifylist->row(item)); });
  requiredChild<QLabel>(this, "Label41")->installEventFilter(this);
  // A tab clicked leaves the field being edited: its leave check comes first.
  pageControl_->tabBar()->installEventFilter(this);

  // Looked up once: refresh() runs after every key.
  shown_ = {requiredChild<QLabel>(this, "ProjectID"),    requiredChild<QLineEdit>(this, "Presider1"),
            requiredChild<MaskedEdit>(this, "EduCode1"), requiredChild<QLabel>(this, "Label67"),
            requiredChild<QLabel>(this, "lbl8"),         requiredChild<QLabel>(this, "passby")};
  bindFields();
  setTabOrder();
  addShortcuts();
  connect(qApp, &QApplication::focusChanged, this, [this] { showRoom(); });
  setAcceptDrops(true);
  refresh();
}

MainWindow::~MainWindow() {
  // The children outlive the state while QWidget deletes them: a cell editor
  // closed then must not reach the state any more.
  for (QObject* child : findChildren<QObject*>()) child->disconnect(this);
  // Nor may the focus leaving a child being deleted reach this window.
  disconnect(qApp, nullptr, this, nullptr);
  // Ending normally drops the copy; a crash leaves it for the next start.
  if (copyWritten_) recovery_->discard();
}

void MainWindow::bindFields() {
  for (const FieldDef& d : allFields()) {
    QWidget* w = fields_[d.id];
    if (!w) continue;
    const Field f = d.id;
    if (auto* e = qobject_cast<MaskedEdit*>(w)) {
      connect(e, &QLineEdit::textEdited, this, [this, e, f] { onText(f, e->digits()); });
      e->onInvalid = [this] {
        // One gesture refused twice (a tab's press and its release, a
        // problem line's press and its click) is told once.
        if (ruleMessages_.busy()) return;
        services_.beep();
        ruleMessages_.showError(msg::errorBoxText(msg::kInvalidMaskInput));
      };
      e->bringIntoView = [this, e] {
        for (int page = 0; page < pageControl_->count(); ++page)
          if (pageControl_->widget(page)->isAncestorOf(e)) pageControl_->setCurrentIndex(page);
      };
    } else if (auto* line = qobject_cast<LimitedLineEdit*>(w)) {
      connect(line, &LimitedLineEdit::userEdited, this, [this, f](const QString& text) { onText(f, text); });
    } else if (auto* choices = qobject_cast<ChoiceBox*>(w)) {
      connect(choices, &QComboBox::activated, this, [this, f](int item) { onPick(f, item); });
    } else if (auto* longText = qobject_cast<LongTextEdit*>(w)) {
      connect(longText, &LongTextEdit::userEdited, this, [this, f] { onLines(f); });
    } else if (auto* table = qobject_cast<RecordTable*>(w)) {
      connect(table, &RecordTable::cellEdited, this,
              [this, f](int row, int column, const QString& text) { onCell(f, row, column, text); });
      connect(table, &RecordTable::editorClosed, this,
              [this, f](int row, int column, const QString& text) { onCell(f, row, column, text); });
    }
  }
}

void MainWindow::setTabOrder() {
  const char* const kOrder[] = {"verifylist", "openxmlfile", "savexmlfile", "helpinfo", "printreport", "verifydata",
                                // 01
                                "ProjectName", "KeyWord", "ProjectClass", "SubjectClass", "Edit4", "Presider",
                                "EduCode", "ExpectProduction2", "InputDate", "ExpectCompleteDate", "Basis", "GuideNum",
                                "Purpose", "ExpectProduction1", "ResearchClass", "ApplyOutlay", "Edit1", "KeyWord2",
                                "KeyWord3",
                                // 02
                                "Presider1", "Nation", "Sex", "IDcard", "ContactMail", "ContactAddress", "PostCode",
                                "BelongSystem", "ContactTelArea", "ContactTelHome", "ContactTelDepartmet",
                                "ContactMobile", "BelongCity", "Department", "EduCode1", "Birthday", "Age", "Tutor",
                                "LastDiploma", "DutySpecial", "LastDegree", "ResearchSpecial", "DutyAdmin",
                                // 03 to 08
                                "MainActor", "Production", "ResearchedProject", "Memo1", "ProjectReasoning", "Memo3",
                                "ProjectAnalyze", "ExpectProduction", "FinallyProduction",
                                // 09
                                "OutlayAddress", "OutlayBank", "OutlayPostcode", "OutlayAccounts", "OutlayPromises",
                                "OutlayDepartment", "OutlayGrid", "OutlayGrid2", "OutlayGrid3", "OutlayPromises2",
                                // 10, 11
                                "tuijian1", "tuijian2", "danweiyijian", "jiaoyujuyijian", "HuoYe", "MaskName"};
  QWidget* previous = nullptr;
  for (const char* name : kOrder) {
    QWidget* w = requiredChild<QWidget>(this, name);
    if (previous) QWidget::setTabOrder(previous, w);
    previous = w;
    // The tab control follows the side panel, before the fields of its pages;
    // its tab bar is its one stop in the chain.
    if (w == panel_->verifydata) {
      pageControl_->setFocusPolicy(Qt::NoFocus);             // passed on to the tab bar,
      pageControl_->tabBar()->setFocusPolicy(Qt::TabFocus);  // which keeps its own
      QWidget::setTabOrder(w, pageControl_->tabBar());
      previous = pageControl_->tabBar();
    }
  }
}

void MainWindow::startUp(const QStringList& arguments) {
  state_.setModified(false);
  // Edits left unsaved are offered before the command line's document opens:
  // restored, they take its place (they name their own document); declined,
  // the document opens as asked.
  const bool restored = offerRecovery();
  const QString path = arguments.join(QLatin1Char(' '));
  if (!restored) {
    state_.setPendingPath(path.toStdString());  // made absolute on the way in
    if (!path.isEmpty()) askAndOpenDocument();
  }
  panel_->verifylist->setFocus();
}

bool MainWindow::fieldsCanBeLeft() {
  auto* code = static_cast<MaskedEdit*>(fields_[Field::EduCode]);
  if (!code->holdsRefusedValue()) return true;
  code->refuseLeaving();
  return false;
}

void MainWindow::onText(Field f, const QString& text) {
  state_.setText(f, text.toStdString());
  refresh();
  noteEdit();
}

void MainWindow::onLines(Field f) {
  auto* edit = static_cast<LongTextEdit*>(fields_[f]);
  // Only the lines of the paragraphs the edit touched are new: a key costs
  // the same in the longest text as in a short one.
  LinesChange change = edit->takeLinesChange();
  state_.editShownLines(f, change.first, change.removed, std::move(change.inserted));
  refresh();
  noteEdit();
}

void MainWindow::onPick(Field f, int item) {
  if (reacting_) return;
  reacting_ = true;
  state_.pickChoice(f, item, ruleMessages_);
  reacting_ = false;
  refresh();
  noteEdit();
}

void MainWindow::onCell(Field table, int row, int column, const QString& text) {
  if (reacting_) {
    state_.keepCellAsShown(table, row, column, text.toStdString());
    return;
  }
  reacting_ = true;
  state_.editCell(table, row, column, text.toStdString(), ruleMessages_);
  reacting_ = false;
  refresh();
  noteEdit();
}

void MainWindow::markPagesWithProblems() {
  std::vector<bool> marked(static_cast<std::size_t>(pageControl_->count()), false);
  for (const auto& line : state_.problems()) {
    const int page = problemPage(line);
    if (page >= 1 && page <= pageControl_->count()) marked[static_cast<std::size_t>(page - 1)] = true;
  }
  for (int i = 0; i < pageControl_->count(); ++i)
    pageControl_->pageTabBar()->setMarked(i, marked[static_cast<std::size_t>(i)]);
}

void MainWindow::onProblemChosen(int row) {
  if (row < 0 || row >= panel_->verifylist->count() || !fieldsCanBeLeft()) return;
  const QString line = panel_->verifylist->item(row)->text();
  const int page = problemPage(line.toStdString());
  if (page >= 1 && page <= pageControl_->count()) pageControl_->setCurrentIndex(page - 1);
  panel_->verifylist->setToolTip(line);
}

void MainWindow::runCheck() {
  state_.runCheck();
  refresh();
}

OpenOutcome MainWindow::askAndOpenDocument() {
  if (!fieldsCanBeLeft()) return OpenOutcome::Cancelled;
  OpenOutcome outcome = openDocumentOverEdits(state_, services_);
  // Shows the document; long texts take the lines as their fields wrap them,
  // which is no edit.
  refresh();
  return outcome;
}

SaveOutcome MainWindow::saveToFile() {
  if (!fieldsCanBeLeft()) return SaveOutcome::Cancelled;
  SaveOutcome outcome = saveDocument(state_, services_);
  refresh();
  return outcome;
}

void MainWindow::showHelp() {
  const QString path = helpToOpen(QCoreApplication::applicationDirPath());
  if (!path.isEmpty())
    services_.openExternally(path.toStdString());
  else
    services_.showMessage("程序目录下没有找到帮助文档help.doc，请上网下载帮助文档！");
}

void MainWindow::previewReport() {
  if (!fieldsCanBeLeft()) return;
#ifdef VELMORA_HAS_PREVIEW
  const QString refused = showReportPreview(this, state_, services_);
  if (!refused.isEmpty()) services_.showError(refused.toStdString());
#else
  services_.showMessage("报表组件未安装，无法预览和打印。");
#endif
}

void MainWindow::openEduCodeSite() { services_.openExternally(kEduCodeSite); }

bool MainWindow::eventFilter(QObject* watched, QEvent* e) {
  if (watched->objectName() == QLatin1String("Label41") && e->type() == QEvent::MouseButtonRelease) {
    openEduCodeSite();
    return true;
  }
  if (watched == pageControl_->tabBar() && (e->type() == QEvent::MouseButtonPress ||
                                            e->type() == QEvent::MouseButtonRelease || e->type() == QEvent::Wheel)) {
    // Refused, the press (or the wheel) does not reach the tab bar, so the
    // page stays where the field is.
    if (!fieldsCanBeLeft()) return true;
  }
  return QWidget::eventFilter(watched, e);
}

void MainWindow::closeEvent(QCloseEvent* e) {
  // A value the identity number's rule forbids is neither saved nor left
  // behind: the field is shown again and the window stays.
  if (!fieldsCanBeLeft()) {
    e->ignore();
    return;
  }
  // Unsaved edits are never dropped silently: a non-formal document with
  // edits always asks, and a save that did not write keeps the window open.
  if (!state_.formal() && state_.modified() && services_.confirm(std::string(msg::kSaveBeforeExit))) {
    if (saveToFile() != SaveOutcome::Written) {
      e->ignore();
      return;
    }
  }
  e->accept();
  // Saved, or "No": the recovery copy has done its work.
  recoveryTimer_.stop();
  if (copyWritten_) {
    recovery_->discard();
    copyWritten_ = false;
  }
}

namespace {
// The first local .xdx file among dropped URLs.
QString droppedDocument(const QMimeData* data) {
  if (!data || !data->hasUrls()) return {};
  for (const QUrl& url : data->urls())
    if (url.isLocalFile() && url.toLocalFile().endsWith(QStringLiteral(".xdx"), Qt::CaseInsensitive))
      return url.toLocalFile();
  return {};
}
}  // namespace

void MainWindow::dragEnterEvent(QDragEnterEvent* e) {
  if (!droppedDocument(e->mimeData()).isEmpty()) e->acceptProposedAction();
}

// A dropped document is opened as the open button would open it, with the
// file taken as the pending document instead of asking. The drop is finished
// first: the questions and boxes of opening must not run inside the drag and
// drop protocol, whose source waits for the answer.
void MainWindow::dropEvent(QDropEvent* e) {
  const QString path = droppedDocument(e->mimeData());
  if (path.isEmpty()) return;
  e->acceptProposedAction();
  QMetaObject::invokeMethod(
      this, [this, path] { openDropped(path); }, Qt::QueuedConnection);
}

void MainWindow::openDropped(const QString& path) {
  if (!fieldsCanBeLeft()) return;
  openDocumentOverEdits(state_, services_, path.toStdString());
  refresh();
}

void MainWindow::refreshLongText(Field f) {
  auto* edit = static_cast<LongTextEdit*>(fields_[f]);
  if (edit->displays(state_.record().lines(f))) return;
  edit->showLines(state_.record().lines(f));
  // Without changing the modified flag: the text is the same, only broken
  // where the field breaks it.
  state_.rewrapLines(f, edit->displayedLines());
}

void MainWindow::refreshField(const FieldDef& d) {
  QWidget* w = fields_[d.id];
  if (!w) return;
  switch (d.kind) {
    case Kind::Text: {
      const QString t = q(state_.record().text(d.id));
      if (auto* e = qobject_cast<LimitedLineEdit*>(w))
        e->showText(t);
      else if (auto* plain = static_cast<QLineEdit*>(w); plain->text() != t)
        plain->setText(t);
      break;
    }
    case Kind::Masked: static_cast<MaskedEdit*>(w)->setDigits(q(state_.record().text(d.id))); break;
    case Kind::Choice: {
      auto* c = static_cast<ChoiceBox*>(w);
      if (c->currentIndex() != state_.record().choice(d.id)) c->setCurrentIndex(state_.record().choice(d.id));
      break;
    }
    case Kind::LongText: refreshLongText(d.id); break;
    case Kind::Table: static_cast<RecordTable*>(w)->showRows(state_.record().rows(d.id)); break;
  }
  if (isUserField(d.id)) {
    // A formal document's fields are read-only rather than disabled, so every
    // page can still be read to its end, selected and copied.
    w->setEnabled(state_.formal() || state_.isEnabled(d.id));
    setFormalReadOnly(w, state_.formal());
  }
}

void MainWindow::refresh() {
  // Only the fields an operation changed: a key in one field leaves the
  // other sixty as they are shown.
  const auto changed = state_.takeChangedFields();
  for (const FieldDef& d : allFields())
    if (changed.test(index(d.id))) refreshField(d);
  // Saved or opened: nothing unsaved is left to recover.
  if (!state_.modified() && (copyWritten_ || recoveryTimer_.isActive())) {
    recoveryTimer_.stop();
    unsavedSince_.invalidate();
    if (copyWritten_) recovery_->discard();
    copyWritten_ = false;
  }
  // Nothing unsaved: no copy is missing any more.
  if (!state_.modified() && recoveryFailing_) {
    recoveryFailing_ = false;
    notices_->clearLasting();
  }

  shown_.projectId->setText(q(state_.record().text(Field::ProjectID)));
  shown_.presider1->setText(q(state_.view().presider1));
  shown_.eduCode1->setDigits(q(state_.view().eduCode1));

  const bool fourth = state_.view().expectProduction2Shown;
  shown_.label67->setVisible(fourth);
  fields_[Field::ExpectProduction2]->setVisible(fourth);
  shown_.lbl8->setVisible(state_.view().guideNumShown);
  fields_[Field::GuideNum]->setVisible(state_.view().guideNumShown);
  shown_.passby->setVisible(state_.formal());
  panel_->savexmlfile->setEnabled(state_.view().saveEnabled());

  // Every check empties and refills the list, leaving no line selected.
  QListWidget* list = panel_->verifylist;
  if (shownCheck_ != state_.view().checksRun) {
    shownCheck_ = state_.view().checksRun;
    const bool was = list->blockSignals(true);
    list->clear();
    for (const auto& line : state_.problems()) list->addItem(q(line));
    list->setCurrentRow(-1);
    list->blockSignals(was);
    list->setAccessibleDescription(state_.problems().empty()
                                       ? QStringLiteral("检查未发现问题")
                                       : QStringLiteral("检查发现 %1 处问题").arg(state_.problems().size()));
    markPagesWithProblems();
  }
  showRoom();
}

}  // namespace velmora

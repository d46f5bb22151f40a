// The window for every applicant: keyboard commands, names for screen
// readers, readable formal documents, marks on the pages with problems, the
// room left in a field, and a light form under a dark desktop.
#include <QAccessible>
#include <QClipboard>
#include <QListWidget>
#include <QScrollBar>
#include <QShortcut>
#include <QTabBar>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <functional>
#include <set>

#include "dark_desktop.h"
#include "format/xdx_writer.h"
#include "window_fixture.h"

using namespace velmora;
using namespace velmora::test;

using Usability = WindowTest;

namespace {

QString accessibleName(QWidget* w) {
  QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
  return a ? a->text(QAccessible::Name) : QString();
}

// The controls Tab reaches on the current page, and the side panel's.
std::vector<QWidget*> focusableControls(MainWindow* window, int page) {
  std::vector<QWidget*> out;
  QWidget* pageWidget = window->pages()->widget(page);
  for (QWidget* w : window->findChildren<QWidget*>()) {
    const bool onPanel = w->parentWidget() && w->parentWidget()->objectName() == QLatin1String("Panel1");
    if (!onPanel && !pageWidget->isAncestorOf(w)) continue;
    if (!(w->focusPolicy() & Qt::TabFocus) || !w->isVisibleTo(window) || !w->isEnabled()) continue;
    // The parts of a composite control (a table's viewport) are not stops.
    if (w->parentWidget() && qobject_cast<QAbstractScrollArea*>(w->parentWidget()->parentWidget())) continue;
    out.push_back(w);
  }
  return out;
}

double luminance(QColor c) {
  auto lin = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
  return 0.2126 * lin(c.redF()) + 0.7152 * lin(c.greenF()) + 0.0722 * lin(c.blueF());
}
double contrast(QColor a, QColor b) {
  double la = luminance(a), lb = luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

}  // namespace

TEST_F(Usability, KeyboardCommandsReachEveryAction) {
  QWidget* focus = find("ProjectName");
  showPageOf(focus);
  focus->setFocus();
  auto press = [&](QKeySequence keys) {
    QApplication::setActiveWindow(window.get());
    QWidget* target = QApplication::focusWidget();
    QTest::keySequence(target ? target : window.get(), keys);
    settle();
  };
  press(QKeySequence(Qt::Key_F5));
  EXPECT_EQ(find<QListWidget>("verifylist")->count(), 52);
  services.script.shown.clear();
  find<QListWidget>("verifylist")->clear();
  press(QKeySequence(Qt::CTRL | Qt::Key_Return));
  EXPECT_EQ(find<QListWidget>("verifylist")->count(), 52);

  press(QKeySequence(Qt::CTRL | Qt::Key_O));
  EXPECT_EQ(services.script.openDialogs, 1);
  press(QKeySequence(Qt::CTRL | Qt::Key_S));
  ASSERT_EQ(services.shown().size(), 1u);  // refused: the required fields are empty
  EXPECT_EQ(services.shown()[0].text, "保存失败！“课题名称”, “主持人”和“电子邮箱”必须填写！");
  press(QKeySequence(Qt::Key_F1));
  ASSERT_EQ(services.shown().size(), 2u);
  EXPECT_EQ(services.shown()[1].text, "程序目录下没有找到帮助文档help.doc，请上网下载帮助文档！");

  window->pages()->setCurrentIndex(0);
  find("ProjectName")->setFocus();
  press(QKeySequence(Qt::CTRL | Qt::Key_PageDown));
  EXPECT_EQ(window->pages()->currentIndex(), 1);
  EXPECT_EQ(QApplication::focusWidget(), find("Nation"));  // the page's first field
  press(QKeySequence(Qt::CTRL | Qt::Key_PageUp));
  press(QKeySequence(Qt::CTRL | Qt::Key_PageUp));  // stays on the first page
  EXPECT_EQ(window->pages()->currentIndex(), 0);
  press(QKeySequence(Qt::CTRL | Qt::Key_9));
  EXPECT_EQ(window->pages()->currentIndex(), 8);
  press(QKeySequence(Qt::CTRL | Qt::Key_3));
  EXPECT_EQ(window->pages()->currentIndex(), 2);
  // The preview is modal: close it once it shows.
  QString previewTitle;
  QTimer closer;
  closer.setInterval(50);
  QObject::connect(&closer, &QTimer::timeout, [&] {
    if (QWidget* modal = QApplication::activeModalWidget()) {
      previewTitle = modal->windowTitle();
      modal->close();
      closer.stop();
    }
  });
  closer.start();
  press(QKeySequence(Qt::CTRL | Qt::Key_P));
  EXPECT_TRUE(previewTitle.startsWith(QStringLiteral("报表预览"))) << previewTitle.toStdString();
}

// Each button of the panel names its shortcut in its tooltip (the save
// button after its own advice); every key named is one the window has, and
// pressed it does what a click on the button does.
TEST_F(Usability, ThePanelsButtonsNameShortcutsThatDoWhatTheyDo) {
  int previews = 0;
  QTimer closer;
  closer.setInterval(20);
  QObject::connect(&closer, &QTimer::timeout, [&] {
    if (QWidget* modal = QApplication::activeModalWidget()) {
      ++previews;
      modal->close();
    }
  });
  closer.start();
  auto told = [&] { return int(services.shown().size() + services.opened.size()); };
  const struct {
    const char* button;
    std::function<int()> done;  // counts what the button does
  } cases[] = {
      {"verifydata", [&] { return int(state().view().checksRun); }},
      {"openxmlfile", [&] { return services.script.openDialogs; }},
      {"savexmlfile", told},  // refused: the required fields are empty
      {"helpinfo", told},
      {"printreport", [&] { return previews; }},
  };
  std::vector<QKeySequence> registered;
  for (QShortcut* s : window->findChildren<QShortcut*>(QString(), Qt::FindDirectChildrenOnly))
    for (const QKeySequence& k : s->keys()) registered.push_back(k);
  const QString prefix = QStringLiteral("快捷键：");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.button);
    auto* button = find<QAbstractButton>(c.button);
    const QStringList lines = button->toolTip().split(u'\n');
    ASSERT_TRUE(lines.back().startsWith(prefix)) << button->toolTip().toStdString();
    int before = c.done();
    QTest::mouseClick(button, Qt::LeftButton);
    settle();
    ASSERT_EQ(c.done(), before + 1);
    for (const QString& name : lines.back().mid(prefix.size()).split(QStringLiteral(" 或 "))) {
      const QKeySequence keys = QKeySequence::fromString(name, QKeySequence::PortableText);
      ASSERT_FALSE(keys.isEmpty()) << name.toStdString();
      EXPECT_NE(std::find(registered.begin(), registered.end(), keys), registered.end()) << name.toStdString();
      before = c.done();
      QApplication::setActiveWindow(window.get());
      QWidget* target = QApplication::focusWidget();
      QTest::keySequence(target ? target : window.get(), keys);
      settle();
      EXPECT_EQ(c.done(), before + 1) << name.toStdString();
    }
  }
  EXPECT_TRUE(find("savexmlfile")->toolTip().startsWith(QStringLiteral("保存文档前请先审核\n")));
}

TEST_F(Usability, EveryControlHasItsOwnAccessibleName) {
  for (int page = 0; page < window->pages()->count(); ++page) {
    window->pages()->setCurrentIndex(page);
    settle();
    std::set<QString> names;
    for (QWidget* w : focusableControls(window.get(), page)) {
      const QString name = accessibleName(w);
      EXPECT_FALSE(name.isEmpty()) << "page " << page + 1 << ": " << w->objectName().toStdString() << " "
                                   << w->metaObject()->className();
      EXPECT_TRUE(names.insert(name).second) << "page " << page + 1 << ": " << name.toStdString() << " twice";
    }
  }
  const struct {
    const char* control;
    const char* name;
  } expected[] = {
      {"ProjectName", "课题名称"},
      {"ProjectClass", "课题类别"},
      {"Presider", "负责人"},
      {"EduCode", "教育电子身份证号"},
      {"IDcard", "身份证号"},
      {"ContactTelHome", "住宅电话"},
      {"MainActor", "主要参加者（限填15人，不包括负责人）"},
      {"FinallyProduction", "最终研究成果"},
      {"ProjectReasoning", "设计论证"},
      {"tuijian1", "第一推荐人意见:（请填写推荐意见、推荐人姓名、专业职称、职务、研究专长）"},
      {"MaskName", "课题名称"},
      {"verifylist", "检查结果"},
      {"openxmlfile", "打开"},
  };
  for (const auto& e : expected) EXPECT_EQ(accessibleName(find(e.control)).toStdString(), e.name) << e.control;

  QTest::mouseClick(find("verifydata"), Qt::LeftButton);
  QAccessibleInterface* list = QAccessible::queryAccessibleInterface(find("verifylist"));
  EXPECT_EQ(list->text(QAccessible::Description), QStringLiteral("检查发现 52 处问题"));
}

TEST_F(Usability, AFormalDocumentCanBeReadToItsEndButNotChanged) {
  TempDir dir;
  Record r = completeRecord();
  Lines reasoning;
  for (int i = 0; i < 200; ++i) reasoning.push_back("第" + std::to_string(i + 1) + "行：正式文档的长文本");
  r.setLines(Field::ProjectReasoning, reasoning);
  r.setText(Field::ProjectName, std::string(30, 'x') + "很长的课题名称的结尾");
  std::string bytes = buildXdx(r, {});
  const auto passby = bytes.find("<PASSBY>0</PASSBY>");
  ASSERT_NE(passby, std::string::npos);
  bytes.replace(passby, 18, "<PASSBY>1</PASSBY>");
  writeFile(dir.path("formal.xdx"), bytes);
  services.script.openAnswers = {dir.path("formal.xdx")};
  window->askAndOpenDocument();
  ASSERT_TRUE(state().formal());

  // Single-line fields show their beginning.
  auto* name = find<QLineEdit>("ProjectName");
  EXPECT_EQ(name->cursorPosition(), 0);

  // The long text scrolls to its last line, selects and copies.
  auto* text = find<QPlainTextEdit>("ProjectReasoning");
  showPageOf(text);
  QScrollBar* bar = text->verticalScrollBar();
  ASSERT_GT(bar->maximum(), 0);
  text->setFocus();
  QTest::keyClick(text, Qt::Key_End, Qt::ControlModifier);
  settle();
  EXPECT_EQ(bar->value(), bar->maximum());
  QTest::keyClick(text, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClick(text, Qt::Key_C, Qt::ControlModifier);
  EXPECT_TRUE(QApplication::clipboard()->text().contains(QStringLiteral("第200行")));

  // Nothing changes the record: typing, pasting, choosing, editing a cell.
  const Record before = state().record();
  QApplication::clipboard()->setText(QStringLiteral("粘贴"));
  for (QWidget* w : {static_cast<QWidget*>(name), static_cast<QWidget*>(text)}) {
    showPageOf(w);
    w->setFocus();
    keys(w, QStringLiteral("改"));
    QTest::keySequence(w, QKeySequence::Paste);
    QTest::keyClick(w, Qt::Key_Delete);
  }
  auto* sex = find<ChoiceBox>("Sex");
  showPageOf(sex);
  sex->setFocus();
  QTest::keyClick(sex, Qt::Key_Down);
  sex->showPopup();
  EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
  auto* actors = find<RecordTable>("MainActor");
  showPageOf(actors);
  actors->setFocus();
  actors->setCurrentCell(0, 0);
  keys(actors, QStringLiteral("张"));
  settle();
  EXPECT_TRUE(state().record() == before);
  EXPECT_FALSE(state().modified());
  // It looks read-only: the field's ground is the window's.
  EXPECT_EQ(name->palette().color(QPalette::Base), name->palette().color(QPalette::Window));

  // An ordinary document afterwards is edited again, on a white ground.
  services.script.openAnswers = {fixture("sample.xdx")};
  window->askAndOpenDocument();
  EXPECT_FALSE(name->isReadOnly());
  EXPECT_FALSE(text->isReadOnly());
  EXPECT_FALSE(sex->isReadOnly());
  EXPECT_NE(actors->editTriggers(), QAbstractItemView::NoEditTriggers);
  EXPECT_TRUE(find<QLineEdit>("ApplyOutlay")->isReadOnly());  // read-only as built
  EXPECT_EQ(name->palette().color(QPalette::Base), QColor(Qt::white));
}

namespace {
// The right end of a field as drawn, where an active choice list shows its
// drop-down arrow and a short line edit only its ground.
QImage rightEnd(QWidget* w) {
  const QImage all = w->grab().toImage().convertToFormat(QImage::Format_ARGB32);
  return all.copy(all.width() - 24, 0, 24, all.height());
}
bool drawsIn(QWidget* w, QColor color) {
  const QImage all = w->grab().toImage().convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < all.height(); ++y)
    for (int x = 0; x < all.width(); ++x)
      if (all.pixelColor(x, y) == color) return true;
  return false;
}
}  // namespace

TEST_F(Usability, AFormalDocumentsChoiceListsLookLikeItsOtherReadOnlyFields) {
  if (runsUnderWine()) GTEST_SKIP() << "Wine draws the window's faces with faces and metrics of its own";
  auto* sex = find<ChoiceBox>("Sex");
  showPageOf(sex);
  const QImage active = rightEnd(sex);

  services.script.openAnswers = {fixture("formal.xdx")};
  window->askAndOpenDocument();
  ASSERT_TRUE(state().formal());
  auto* guide = find<QLineEdit>("GuideNum");  // "12": its right end is bare ground
  ASSERT_TRUE(guide->isReadOnly());
  showPageOf(guide);
  const QImage readOnly = rightEnd(guide);
  const QColor ground = guide->palette().color(QPalette::Base);
  ASSERT_NE(ground, QColor(Qt::white));
  int lists = 0;
  for (ChoiceBox* c : window->findChildren<ChoiceBox*>()) {
    showPageOf(c);
    if (!c->isVisibleTo(window.get())) continue;  // not shown in this document
    ++lists;
    const std::string name = c->objectName().toStdString();
    EXPECT_EQ(c->palette().color(QPalette::Base), ground) << name;
    EXPECT_EQ(c->palette().color(QPalette::Button), ground) << name;
    ASSERT_EQ(c->height(), guide->height()) << name;
    // The read-only field's frame and ground, no arrow; the choice is shown.
    EXPECT_TRUE(rightEnd(c) == readOnly) << name;
    EXPECT_FALSE(c->currentText().isEmpty()) << name;
    EXPECT_TRUE(drawsIn(c, c->palette().color(QPalette::Text))) << name;
  }
  EXPECT_GE(lists, 16);  // those of pages 01 and 02

  // An ordinary document afterwards shows the active list again.
  services.script.openAnswers = {fixture("sample.xdx")};
  window->askAndOpenDocument();
  showPageOf(sex);
  EXPECT_TRUE(rightEnd(sex) == active);
  EXPECT_FALSE(rightEnd(sex) == readOnly);
}

TEST_F(Usability, TabsOfPagesWithProblemsAreMarked) {
  PageTabBar* tabs = window->pages()->pageTabBar();
  auto marked = [&] {
    std::vector<int> pages;
    for (int i = 0; i < tabs->count(); ++i)
      if (tabs->isMarked(i)) pages.push_back(i + 1);
    return pages;
  };
  const int width = tabs->sizeHint().width();
  EXPECT_TRUE(marked().empty());
  services.script.openAnswers = {fixture("sample.xdx")};
  window->askAndOpenDocument();
  EXPECT_TRUE(marked().empty());
  type(find("PostCode"), QString());
  find<QLineEdit>("PostCode")->clear();
  keys(find("PostCode"), QStringLiteral("123"));
  type(find("MaskName"), QString());
  QTest::keyClick(find("MaskName"), Qt::Key_A, Qt::ControlModifier);
  QTest::keyClick(find("MaskName"), Qt::Key_Delete);
  window->runCheck();
  EXPECT_EQ(marked(), (std::vector<int>{2, 11})) << state().problems().size();
  EXPECT_EQ(tabs->tabText(1), QStringLiteral("负责人信息"));  // the caption stays, and the width
  EXPECT_EQ(tabs->sizeHint().width(), width);
  EXPECT_EQ(tabs->accessibleTabName(1), QStringLiteral("负责人信息（有问题）"));
  keys(find("MaskName"), QStringLiteral("题目"));
  find<QLineEdit>("PostCode")->clear();
  keys(find("PostCode"), QStringLiteral("100875"));
  window->runCheck();
  EXPECT_TRUE(marked().empty());
}

TEST_F(Usability, TheRoomLeftIsShownWhileALimitedFieldHasTheFocus) {
  auto* room = find<QLabel>("room");
  EXPECT_FALSE(room->isVisible());
  type(find("ProjectName"), QStringLiteral("课题"));
  EXPECT_TRUE(room->isVisible());
  EXPECT_EQ(room->text(), QStringLiteral("还可输入 76 字节"));
  keys(find("ProjectName"), repeat(QStringLiteral("课"), 40));
  EXPECT_EQ(room->text(), QStringLiteral("还可输入 0 字节"));
  EXPECT_EQ(room->palette().color(QPalette::WindowText), QColor(255, 0, 0));
  auto* sex = find("Sex");
  showPageOf(sex);
  sex->setFocus();
  settle();
  EXPECT_FALSE(room->isVisible());
  type(find("tuijian1"), QStringLiteral("同意"));
  EXPECT_EQ(room->text(), QStringLiteral("还可输入 1096 字节"));
  EXPECT_EQ(room->palette().color(QPalette::WindowText), QColor(0, 0, 128));
}

// The form keeps its light ground and its contrasts under a dark desktop.
TEST(WindowUnderADarkTheme, KeepsTheFormsContrasts) {
  const QPalette desktop = QApplication::palette();
  QApplication::setPalette(darkDesktopPalette());
  {
    ScriptedWindowServices services;
    MainWindow window(services);
    window.show();
    settle();
    int checked = 0;
    for (QLabel* l : window.findChildren<QLabel*>()) {
      if (l->text().isEmpty() || l->isHidden()) continue;
      const QColor fg = l->palette().color(QPalette::WindowText), bg = l->palette().color(QPalette::Window);
      // Red notes keep the 4:1 of red on a light ground; every other text 4.5:1.
      const double needed = fg.red() > 200 && fg.green() < 60 ? 3.0 : 4.5;
      EXPECT_GE(contrast(fg, bg), needed) << l->text().toStdString();
      ++checked;
    }
    EXPECT_GT(checked, 80);
    auto* name = window.findChild<QLineEdit*>(QStringLiteral("ProjectName"));
    EXPECT_GE(contrast(name->palette().color(QPalette::Text), name->palette().color(QPalette::Base)), 4.5);
    window.state().setModified(false);
  }
  QApplication::setPalette(desktop);
}

// Every field is named by the label the form shows beside or above it, and
// that label is its buddy (so a screen reader reads them as one, and the
// label's mnemonic would lead to it); where the label alone would not tell
// a field apart, or a field has none, by a name of its own. Named where the
// page pairs them, not guessed from where they stand.
TEST_F(Usability, EveryFieldIsNamedByItsLabel) {
  const struct {
    const char* control;
    const char* name;
    const char* label;  // the buddy label's text; none for a field without one
  } cases[] = {
      {"ProjectName", "课题名称", "课题名称："},
      {"KeyWord", "关键词1", "关键词1："},
      {"KeyWord2", "关键词2", "关键词2："},
      {"KeyWord3", "关键词3", "关键词3："},
      {"Basis", "选题依据", "选题依据："},
      {"GuideNum", "指南题号", "指南题号："},
      {"SubjectClass", "学科分类", "学科分类："},
      {"ProjectClass", "课题类别", "课题类别："},
      {"ResearchClass", "研究类型", "研究类型："},
      {"ApplyOutlay", "申请经费（万元）", "申请经费（万元）："},
      {"Presider", "负责人", "负责人：  "},
      {"EduCode", "教育电子身份证号", "教育电子身份证号：     "},
      {"InputDate", "申报日期", "申报日期："},
      {"ExpectCompleteDate", "预期完成时间", "预期完成时间：   "},
      {"Edit4", "预期最终成果1", "预期最终成果：1、      "},
      {"Edit1", "预期最终成果2", "2、"},
      {"ExpectProduction1", "预期最终成果3", "3、"},
      {"Sex", "性别", "性别："},
      {"Nation", "民族", "民族："},
      {"Age", "年龄", "年龄："},
      {"Birthday", "出生日期", "出生日期："},
      {"IDcard", "身份证号", "身份证号："},
      {"DutyAdmin", "行政职级", "行政职级："},
      {"DutySpecial", "专业职务", "专业职务："},
      {"LastDiploma", "最后学历", "最后学历："},
      {"LastDegree", "最后学位", "最后学位："},
      {"ResearchSpecial", "研究专长", "研究专长："},
      {"Tutor", "担任导师", "担任导师："},
      {"BelongCity", "所在省（自治区、直辖市）", "所在省（自治区、直辖市）"},
      {"BelongSystem", "所属系统", "所属系统："},
      {"Department", "工作单位", "工作单位："},
      {"ContactMail", "电子邮箱", "电子邮箱："},
      {"ContactAddress", "通讯地址", "通讯地址："},
      {"PostCode", "邮政编码", "邮政编码："},
      {"ContactTelArea", "联系电话区号", "区号："},
      {"ContactTelDepartmet", "办公电话", "办公电话："},
      {"ContactTelHome", "住宅电话", "住宅电话："},
      {"ContactMobile", "手机号码", "手机号码："},
      {"MainActor", "主要参加者（限填15人，不包括负责人）", "主要参加者（限填15人，不包括负责人）"},
      {"Production", "负责人近五年已取得的与本课题有关的研究成果（限报10项）",
       "负责人近五年已取得的与本课题有关的研究成果（限报10项）"},
      {"ResearchedProject", "负责人和课题组主要成员近五年主持的重要研究课题（限报5项）",
       "负责人和课题组主要成员近五年主持的重要研究课题（限报5项）"},
      {"Memo1", "填写要求", nullptr},
      {"ProjectReasoning", "设计论证", nullptr},
      {"Memo3", "填写要求", nullptr},
      {"ProjectAnalyze", "可行性分析", nullptr},
      {"ExpectProduction", "主要阶段性成果（限报10项）", "主要阶段性成果（限报10项）"},
      {"FinallyProduction", "最终研究成果", "最终研究成果"},
      {"OutlayGrid", "经费预算（第1至6项）", "经费预算（金额只能输入阿拉伯数字，若无法输入，请先关闭中文输入法）"},
      {"OutlayGrid2", "经费预算（第7至11项）", nullptr},
      {"OutlayGrid3", "年度预算", "年度预算"},
      {"OutlayPromises", "经费管理", "经费管理："},
      {"OutlayDepartment", "经费管理单位名称", "经费管理单位名称：     "},
      {"OutlayBank", "开户银行", "开户银行："},
      {"OutlayPromises2", "银行帐号", "银行帐号："},
      {"OutlayAddress", "汇入地点：（ⅹⅹ省ⅹⅹ市）", "汇入地点：（ⅹⅹ省ⅹⅹ市）"},
      {"OutlayPostcode", "财务联系电话", "财务联系电话："},
      {"tuijian1", "第一推荐人意见:（请填写推荐意见、推荐人姓名、专业职称、职务、研究专长）",
       "第一推荐人意见:（请填写推荐意见、推荐人姓名、专业职称、职务、研究专长）"},
      {"tuijian2", "第二推荐人意见:（请填写推荐意见、推荐人姓名、专业职称、职务、研究专长）",
       "第二推荐人意见:（请填写推荐意见、推荐人姓名、专业职称、职务、研究专长）"},
      {"danweiyijian", "课题负责人所在单位意见", "课题负责人所在单位意见:"},
      {"jiaoyujuyijian", "省级Korvane领导小组办公室意见", "省级Korvane领导小组办公室意见"},
      {"MaskName", "课题名称", "课题名称："},
      {"HuoYe", "活页", nullptr},
      // Shown but never focused: the mirrors of page 02 and the total.
      {"Presider1", "姓名", "姓名："},
      {"EduCode1", "教育电子身份证号", "教育电子身份证号：     "},
      {"OutlayAccounts", "合计", "合计："},
  };
  const QList<QLabel*> labels = window->findChildren<QLabel*>();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.control);
    QWidget* w = find(c.control);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(accessibleName(w).toStdString(), c.name);
    std::vector<std::string> buddies;
    for (QLabel* l : labels)
      if (l->buddy() == w) buddies.push_back(l->text().toStdString());
    if (c.label) {
      EXPECT_EQ(buddies, std::vector<std::string>{c.label});
    } else {
      EXPECT_TRUE(buddies.empty());
    }
  }
  // A choice list's label speaks the list's own name where its text is only
  // a number.
  for (const char* list : {"ExpectProduction1", "ExpectProduction2"}) {
    SCOPED_TRACE(list);
    QLabel* label = nullptr;
    for (QLabel* l : labels)
      if (l->buddy() == find(list)) label = l;
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->accessibleName(), accessibleName(find(list)));
  }
}

#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSet>
#include <QTabBar>
#include <QTimer>
#include <QToolButton>
#include <map>

#include "window_fixture.h"

using namespace velmora;
using namespace velmora::test;

using WindowLayout = WindowTest;

TEST_F(WindowLayout, FrameCaptionAndPanel) {
  EXPECT_EQ(window->windowTitle(), QStringLiteral("Velmora课题申报系统（个人版）"));
  EXPECT_EQ(window->size(), QSize(852, 562));
  EXPECT_FALSE(window->windowFlags() & Qt::WindowMaximizeButtonHint);
  EXPECT_TRUE(window->windowFlags() & Qt::WindowMinimizeButtonHint);
  EXPECT_FALSE(window->windowIcon().isNull());
  auto* panel = find("Panel1");
  EXPECT_EQ(panel->width(), 180);
  EXPECT_EQ(panel->geometry().right(), window->width() - 1);
  EXPECT_EQ(find("PageControl1")->width(), 672);

  // The panel keeps its width when the window grows.
  window->resize(1000, 700);
  QApplication::processEvents();
  EXPECT_EQ(panel->width(), 180);
  EXPECT_EQ(find("PageControl1")->width(), 820);
}

TEST_F(WindowLayout, ElevenTabsAllVisibleAtTheInitialSize) {
  const char* captions[] = {"基本资料",   "负责人信息", "主要参加者", "相关成果", "承担课题", "设计论证",
                            "可行性分析", "预期成果",   "经费",       "推荐意见", "活页"};
  const char* sheets[] = {"TabSheet9", "TabSheet1", "TabSheet2", "TabSheet3",  "TabSheet4", "TabSheet5",
                          "TabSheet6", "TabSheet7", "TabSheet8", "TabSheet10", "TabSheet11"};
  QTabWidget* tabs = window->pages();
  ASSERT_EQ(tabs->count(), 11);
  for (int i = 0; i < 11; ++i) {
    EXPECT_EQ(tabs->tabText(i), QString::fromUtf8(captions[i]));
    EXPECT_EQ(tabs->widget(i)->objectName(), QString::fromLatin1(sheets[i]));
  }
  EXPECT_EQ(tabs->currentIndex(), 0);
  EXPECT_LE(tabs->tabBar()->tabRect(10).right(), tabs->width());
}

TEST_F(WindowLayout, EveryFieldIsFoundByItsElementName) {
  for (const FieldDef& d : allFields()) {
    if (d.id == Field::ProjectID) continue;  // a label, found below
    QWidget* w = window->findChild<QWidget*>(nameOf(d.id));
    EXPECT_NE(w, nullptr) << d.name;
  }
  for (const char* name :
       {"ProjectID",  "passby",     "Label67",     "lbl8",        "lbl9",     "Label41",    "Presider1",
        "EduCode1",   "Edit4",      "Edit1",       "Memo1",       "Memo3",    "GroupBox1",  "GroupBox2",
        "verifydata", "verifylist", "openxmlfile", "savexmlfile", "helpinfo", "printreport"})
    find(name);
}

TEST_F(WindowLayout, HiddenAndDisabledAtStart) {
  for (const char* hidden : {"Purpose", "lbl9", "SN", "ProjectID", "passby", "Label67", "ExpectProduction2"})
    EXPECT_FALSE(find(hidden)->isVisibleTo(window.get())) << hidden;
  for (const char* shown : {"GuideNum", "lbl8", "ExpectProduction1"})
    EXPECT_TRUE(find(shown)->isVisibleTo(window.get())) << shown;
  for (const char* disabled : {"Presider1", "EduCode1", "OutlayAccounts", "SN"})
    EXPECT_FALSE(find(disabled)->isEnabled()) << disabled;
  EXPECT_TRUE(find("ExpectProduction1")->isEnabled());
  EXPECT_TRUE(find("ApplyOutlay")->isEnabled());
  EXPECT_TRUE(find<QLineEdit>("ApplyOutlay")->isReadOnly());
  EXPECT_EQ(find<QLineEdit>("Edit4")->text(), QStringLiteral("D.研究报告"));
  EXPECT_EQ(find<QLineEdit>("Edit1")->text(), QStringLiteral("C.研究论文"));
  EXPECT_EQ(find<QLabel>("ProjectID")->text(), QStringLiteral("000000000000000000000000"));
}

TEST_F(WindowLayout, TablesHaveHeadersWidthsAndFixedCells) {
  auto* actors = find<RecordTable>("MainActor");
  EXPECT_EQ(actors->rowCount(), 15);
  EXPECT_EQ(actors->columnCount(), 9);
  EXPECT_EQ(actors->horizontalHeaderItem(0)->text(), QStringLiteral("  姓  名"));
  EXPECT_EQ(actors->columnWidth(8), 170);
  EXPECT_EQ(actors->rowHeight(3), 24);
  EXPECT_FALSE(actors->tabKeyNavigation());
  auto* grid = find<RecordTable>("OutlayGrid");
  EXPECT_EQ(grid->item(0, 1)->text(), QStringLiteral("资料费"));
  EXPECT_EQ(grid->item(5, 2)->text(), QStringLiteral("0"));
  EXPECT_FALSE(grid->item(0, 1)->flags() & Qt::ItemIsEditable);
  EXPECT_TRUE(grid->item(0, 2)->flags() & Qt::ItemIsEditable);
  auto* years = find<RecordTable>("OutlayGrid3");
  EXPECT_FALSE(years->horizontalHeader()->isVisible());
  EXPECT_EQ(years->item(0, 3)->text(), QStringLiteral("          年"));
  EXPECT_EQ(find<RecordTable>("OutlayGrid2")->contextMenuPolicy(), Qt::PreventContextMenu);
}

TEST_F(WindowLayout, PictureButtonsTakeTabFocusOnlyAndFocusStartsInTheProblemList) {
  for (const char* name : {"openxmlfile", "savexmlfile", "helpinfo", "printreport"}) {
    auto* b = find<QToolButton>(name);
    EXPECT_EQ(b->focusPolicy(), Qt::TabFocus) << name;  // a click leaves the focus where it is
    EXPECT_TRUE(b->autoRaise()) << name;
    EXPECT_EQ(b->size(), QSize(66, 66));
  }
  EXPECT_EQ(QApplication::focusWidget(), find("verifylist"));
  EXPECT_EQ(find("verifylist")->toolTip(), QStringLiteral("鼠标点击错误记录，可以定位到页面"));
}

TEST_F(WindowLayout, FocusOrderOfPageOneSkipsHiddenFields) {
  find("ProjectName")->setFocus();
  const char* expected[] = {"KeyWord",     "ProjectClass", "SubjectClass",      "Edit4",
                            "Presider",    "EduCode",      "InputDate",         "ExpectCompleteDate",
                            "Basis",       "GuideNum",     "ExpectProduction1", "ResearchClass",
                            "ApplyOutlay", "Edit1",        "KeyWord2",          "KeyWord3"};
  for (const char* name : expected) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    ASSERT_NE(QApplication::focusWidget(), nullptr);
    EXPECT_EQ(QApplication::focusWidget()->objectName(), QString::fromLatin1(name));
  }
}

TEST_F(WindowLayout, OneFocusChainReachesEveryField) {
  QSet<QWidget*> chain;
  QWidget* start = find("verifylist");
  QWidget* w = start;
  do {
    chain.insert(w);
    w = w->nextInFocusChain();
  } while (w && w != start && chain.size() < 5000);
  ASSERT_EQ(w, start);
  for (const FieldDef& d : allFields()) {
    if (d.id == Field::ProjectID) continue;
    EXPECT_TRUE(chain.contains(window->findChild<QWidget*>(nameOf(d.id)))) << d.name;
  }
  EXPECT_TRUE(chain.contains(find("verifydata")));
}

namespace {
// The name of the control that holds the keyboard focus; a table's cell
// editor counts as its table, the tab bar as the tab control.
QString focusName(MainWindow* window) {
  QWidget* f = QApplication::focusWidget();
  if (!f) return QStringLiteral("(none)");
  if (f == window->pages()->tabBar()) return QStringLiteral("PageControl1");
  for (QWidget* w = f; w; w = w->parentWidget())
    if (auto* t = qobject_cast<RecordTable*>(w)) return t->objectName();
  return f->objectName();
}
}  // namespace

TEST_F(WindowLayout, TabVisitsThePanelTheTabsAndThePageInTheStoredOrder) {
  struct Case {
    int page;
    std::vector<const char*> fields;  // enabled and shown ones at start, in order
  } cases[] = {
      {0,
       {"ProjectName", "KeyWord", "ProjectClass", "SubjectClass", "Edit4", "Presider", "EduCode", "InputDate",
        "ExpectCompleteDate", "Basis", "GuideNum", "ExpectProduction1", "ResearchClass", "ApplyOutlay", "Edit1",
        "KeyWord2", "KeyWord3"}},
      {1, {"Nation",        "Sex",          "IDcard",         "ContactMail",    "ContactAddress",
           "PostCode",      "BelongSystem", "ContactTelArea", "ContactTelHome", "ContactTelDepartmet",
           "ContactMobile", "BelongCity",   "Department",     "Birthday",       "Age",
           "Tutor",         "LastDiploma",  "DutySpecial",    "LastDegree",     "ResearchSpecial",
           "DutyAdmin"}},
      {2, {"MainActor"}},
      {5, {"Memo1", "ProjectReasoning"}},
      {6, {"Memo3", "ProjectAnalyze"}},
      {7, {"ExpectProduction", "FinallyProduction"}},
      {8,
       {"OutlayAddress", "OutlayBank", "OutlayPostcode", "OutlayPromises", "OutlayDepartment", "OutlayGrid",
        "OutlayGrid2", "OutlayGrid3", "OutlayPromises2"}},
      {9, {"tuijian1", "tuijian2", "danweiyijian", "jiaoyujuyijian"}},
      {10, {"HuoYe", "MaskName"}},
  };
  for (const Case& c : cases) {
    window->pages()->setCurrentIndex(c.page);
    QApplication::processEvents();
    find("verifylist")->setFocus(Qt::TabFocusReason);
    QStringList expected{QStringLiteral("openxmlfile"), QStringLiteral("savexmlfile"), QStringLiteral("helpinfo"),
                         QStringLiteral("printreport"), QStringLiteral("verifydata"),  QStringLiteral("PageControl1")};
    for (const char* f : c.fields) expected << QString::fromLatin1(f);
    expected << QStringLiteral("verifylist");  // and round again
    QStringList visited;
    for (int i = 0; i < expected.size(); ++i) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      visited << focusName(window.get());
    }
    EXPECT_EQ(visited.join(QLatin1Char(' ')).toStdString(), expected.join(QLatin1Char(' ')).toStdString())
        << "page " << c.page + 1;
  }
}

TEST_F(WindowLayout, OnlyTheNamedControlsShowTooltips) {
  const std::map<QString, QString> expected{
      {QStringLiteral("InputDate"), QStringLiteral("格式：20110801")},
      {QStringLiteral("ExpectCompleteDate"), QStringLiteral("格式：201208")},
      {QStringLiteral("Birthday"), QStringLiteral("格式：19710809")},
      {QStringLiteral("IDcard"), QStringLiteral("身份证号只允许填写数字和字母X，不可复制粘贴")},
      {QStringLiteral("Department"), QStringLiteral("按单位和部门公章全称填写")},
      {QStringLiteral("MainActor"),
       QStringLiteral("本页需要填写：姓名、性别、年龄、职称、职务、研究专长、工作单位七项数据")},
      {QStringLiteral("Production"),
       QStringLiteral("本页需要填写成果名称、作者、成果形式、发表刊物或出版单位、发表出版时间五项内容")},
      {QStringLiteral("ResearchedProject"),
       QStringLiteral("本页需要填写主持人、课题名称、课题类别、批准时间、批准单位、完成情况六项内容")},
      {QStringLiteral("ExpectProduction"),
       QStringLiteral("本表格需要填写序号、研究阶段（起止时间）、阶段成果名称、成果形式、负责人五项内容")},
      {QStringLiteral("FinallyProduction"),
       QStringLiteral("本表格要填写序号、完成时间、最终成果名称、成果形式、负责人五项内容")},
      {QStringLiteral("verifydata"), QStringLiteral("快捷键：F5 或 Ctrl+Enter")},
      {QStringLiteral("openxmlfile"), QStringLiteral("快捷键：Ctrl+O")},
      {QStringLiteral("savexmlfile"), QStringLiteral("保存文档前请先审核\n快捷键：Ctrl+S")},
      {QStringLiteral("helpinfo"), QStringLiteral("快捷键：F1")},
      {QStringLiteral("printreport"), QStringLiteral("快捷键：Ctrl+P")},
      {QStringLiteral("verifylist"), QStringLiteral("鼠标点击错误记录，可以定位到页面")},
  };
  std::map<QString, QString> shown;
  for (QWidget* w : window->findChildren<QWidget*>())
    if (!w->toolTip().isEmpty()) shown[w->objectName()] = w->toolTip();
  EXPECT_EQ(shown, expected);
}

namespace {
QLabel* labelOnPage(MainWindow* window, int page, const QString& text) {
  for (QLabel* l : window->pages()->widget(page)->findChildren<QLabel*>())
    if (l->text() == text) return l;
  return nullptr;
}
}  // namespace

TEST_F(WindowLayout, PagesTwoToElevenWriteNavyUnlessTheirTextsHaveAColourOfTheirOwn) {
  const QColor black(0, 0, 0), navy(0, 0, 128), red(255, 0, 0), maroon(128, 0, 0), blue(0, 0, 255);
  struct Case {
    int page;
    const char* text;
    QColor color;
  } cases[] = {
      {0, "课题名称：", black},
      {0, "（格式：8位阿拉伯数，例如20110801）", red},
      {0, "点击申请号码    ", blue},
      {0, "Velmora领导小组办公室", black},
      {1, "姓名：", navy},
      {1, "所在省（自治区、直辖市）", navy},
      {1, "联系电话：", navy},
      {1, "手机号码：", navy},
      {2, "主要参加者（限填15人，不包括负责人）", black},
      {2, "本页需要填写：姓名、性别、年龄、出生年月、专业职务、研究专长、学历、学位、工作单位九项数据", red},
      {7, "最终研究成果", black},
      {7, "论文2、研究论文3；教育部青年专项课题必填研究报告、研究论文1、研究论文2）", navy},
      {8, "经费预算（金额只能输入阿拉伯数字，若无法输入，请先关闭中文输入法）", black},
      {8, "合计：", navy},
      {8, "年度预算", navy},
      {8, "经费管理：", navy},
      {8, "银行帐号：", navy},
      {8, "国家一般课题12万元", navy},
      {9, "课题负责人所在单位意见:", maroon},
      {9, "研究工作；本单位能够提供完成课题所需的时间和条件；本单位同意承担课题的管理职责和信誉保证。", navy},
      {10, "但不得出现负责人和课题组成员姓名、单位名称等个人资料。", black},
      {10, "课题名称：", navy},
  };
  for (const Case& c : cases) {
    QLabel* l = labelOnPage(window.get(), c.page, QString::fromUtf8(c.text));
    ASSERT_NE(l, nullptr) << c.text;
    EXPECT_EQ(l->palette().color(QPalette::WindowText), c.color) << c.text;
  }
  EXPECT_EQ(find("GroupBox1")->palette().color(QPalette::WindowText), black);
  EXPECT_EQ(find("GroupBox2")->palette().color(QPalette::WindowText), navy);
}

TEST_F(WindowLayout, ControlsStandWhereTheFormPutsThem) {
  struct Case {
    const char* name;
    QRect geometry;  // in the parent; a width or height of 0 is not compared
  } cases[] = {
      // page 01: first-column fields at x 72 in their rows, the given widths
      {"ProjectName", {72, 28, 473, 0}},
      {"KeyWord", {72, 72, 113, 0}},
      {"KeyWord2", {0, 72, 113, 0}},
      {"KeyWord3", {0, 72, 113, 0}},
      {"Basis", {72, 104, 0, 0}},
      {"SubjectClass", {72, 144, 0, 0}},
      {"ResearchClass", {72, 176, 0, 0}},
      {"ApplyOutlay", {0, 176, 57, 0}},
      {"Presider", {72, 214, 0, 0}},
      {"InputDate", {72, 246, 0, 0}},
      {"Edit4", {0, 300, 65, 0}},
      {"Edit1", {0, 300, 65, 0}},
      {"ExpectProduction1", {0, 300, 100, 0}},
      {"ExpectProduction2", {0, 300, 100, 0}},
      {"GroupBox1", {8, 120, 569, 329}},
      {"passby", {32, 496, 529, 20}},
      // side panel
      {"verifydata", {5, 2, 88, 30}},
      {"verifylist", {0, 36, 177, 333}},
      {"openxmlfile", {16, 376, 66, 66}},
      {"savexmlfile", {88, 376, 66, 66}},
      {"helpinfo", {16, 448, 66, 66}},
      {"printreport", {88, 448, 66, 66}},
      {"notice", {3, 528, 174, 22}},
  };
  for (const Case& c : cases) {
    QRect g = find(c.name)->geometry();
    const QRect& e = c.geometry;
    if (e.x()) {
      EXPECT_EQ(g.x(), e.x()) << c.name;
    }
    EXPECT_EQ(g.y(), e.y()) << c.name;
    if (e.width()) {
      EXPECT_EQ(g.width(), e.width()) << c.name;
    }
    if (e.height()) {
      EXPECT_EQ(g.height(), e.height()) << c.name;
    }
  }
  // Page 01's labels: the first column at x 8, the second at 288 or 240.
  struct LabelCase {
    const char* text;
    int x;
  } labels[] = {{"课题名称：", 8},
                {"关键词1：", 8},
                {"选题依据：", 8},
                {"学科分类：", 8},
                {"研究类型：", 8},
                {"负责人：  ", 8},
                {"申报日期：", 8},
                {"指南题号：", 288},
                {"课题类别：", 288},
                {"申请经费（万元）：", 288},
                {"教育电子身份证号：     ", 240},
                {"预期完成时间：   ", 240}};
  for (const LabelCase& l : labels) {
    QLabel* label = labelOnPage(window.get(), 0, QString::fromUtf8(l.text));
    ASSERT_NE(label, nullptr) << l.text;
    EXPECT_EQ(label->x(), l.x) << l.text;
  }
}

TEST_F(WindowLayout, HeadingsAndNotesOverTheTablesOfPageEight) {
  window->pages()->setCurrentIndex(7);
  QApplication::processEvents();
  QLabel* heading = labelOnPage(window.get(), 7, QStringLiteral("主要阶段性成果（限报10项）"));
  QLabel* note =
      labelOnPage(window.get(), 7, QStringLiteral("需填写序号、研究阶段、阶段成果名称、成果形式、负责人五项内容"));
  ASSERT_TRUE(heading && note);
  // The note stands under the heading, inside the 40-pixel band over the table.
  const QWidget* page = window->pages()->widget(7);
  const QRect h(heading->mapTo(page, QPoint()), heading->size());
  const QRect n(note->mapTo(page, QPoint()), note->size());
  EXPECT_GE(n.top(), h.bottom());
  EXPECT_LE(n.bottom(), 40);
  EXPECT_EQ(find("ExpectProduction")->y(), 40);
  EXPECT_EQ(find("ExpectProduction")->geometry().bottom() + 1, 329);
  // Page 02's group fills its page.
  window->pages()->setCurrentIndex(1);
  QApplication::processEvents();
  EXPECT_EQ(find("GroupBox2")->geometry(), window->pages()->widget(1)->rect());
}

// The printed form resolves its faces itself and leaves Qt's process-wide
// substitutions to the window: after a preview (opened by its button, drawn,
// closed) every widget of the window has the font it had before.
TEST_F(WindowLayout, FontsAreTheSameAfterAPreview) {
  const QStringList faces{QStringLiteral("宋体"), QStringLiteral("新宋体"), QStringLiteral("黑体"),
                          QStringLiteral("MS Sans Serif"), QStringLiteral("仿宋_GB2312")};
  auto snapshot = [&] {
    QStringList out;
    for (const QString& face : faces) out << face + u'=' + QFont::substitutes(face).join(u',');
    for (QWidget* w : window->findChildren<QWidget*>()) {
      const QFontInfo info(w->font());
      out << w->objectName() + u':' + info.family() + u'/' + QString::number(info.pixelSize());
    }
    // A font made afresh resolves through the same table.
    out << QFontInfo(QFont(QStringLiteral("宋体"), 9)).family();
    return out;
  };
  const QStringList before = snapshot();
  bool shown = false;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || modal->windowTitle() != u"报表预览") return;
    modal->grab();  // the sheets in view are drawn
    shown = true;
    modal->close();
  });
  poll.start(20);
  QTest::mouseClick(find<QAbstractButton>("printreport"), Qt::LeftButton);
  poll.stop();
  ASSERT_TRUE(shown);
  EXPECT_EQ(snapshot(), before);
}

namespace {
// The controls that paint their own ground over whatever lies beneath them.
std::vector<QRect> groundsOn(QWidget* page) {
  std::vector<QRect> out;
  for (QWidget* w : page->findChildren<QWidget*>())
    if ((qobject_cast<QLineEdit*>(w) || qobject_cast<QComboBox*>(w) || qobject_cast<QAbstractScrollArea*>(w)) &&
        w->isVisibleTo(page))
      out.emplace_back(w->mapTo(page, QPoint()), w->size());
  return out;
}
// The label's letters as it draws them, on the page: the pixels of its
// picture that differ from its ground.
std::vector<QPoint> lettersOf(QLabel* label, QWidget* page) {
  const QImage picture = label->grab().toImage().convertToFormat(QImage::Format_ARGB32);
  const QRgb ground = picture.pixel(0, 0);
  const QPoint at = label->mapTo(page, QPoint());
  std::vector<QPoint> out;
  for (int y = 0; y < picture.height(); ++y)
    for (int x = 0; x < picture.width(); ++x)
      if (picture.pixel(x, y) != ground) out.push_back(at + QPoint(x, y));
  return out;
}
}  // namespace

// A label beside or above a field shows all its letters: none of them lies
// under a field, table or text, which would paint its ground over them.
TEST_F(WindowLayout, LabelsBesideTheirFieldsShowWhole) {
  if (runsUnderWine()) GTEST_SKIP() << "Wine draws the window's faces with faces and metrics of its own";
  struct Case {
    int page;
    const char* label;
  } cases[] = {
      {10, "课题名称："}, {8, "年度预算"}, {8, "(元)"}, {8, "经费管理："}, {8, "合计："},
  };
  for (const Case& c : cases) {
    window->pages()->setCurrentIndex(c.page);
    QApplication::processEvents();
    QWidget* page = window->pages()->widget(c.page);
    QLabel* label = labelOnPage(window.get(), c.page, QString::fromUtf8(c.label));
    ASSERT_NE(label, nullptr) << c.label;
    const std::vector<QPoint> letters = lettersOf(label, page);
    ASSERT_GT(letters.size(), 50u) << c.label;
    int covered = 0;
    for (const QRect& ground : groundsOn(page))
      for (const QPoint& p : letters) covered += ground.contains(p);
    EXPECT_EQ(covered, 0) << c.label;
  }
  // Page 11's title label stands level with its field, wholly above the sheet.
  QLabel* title = labelOnPage(window.get(), 10, QStringLiteral("课题名称："));
  QWidget* field = find("MaskName");
  EXPECT_FALSE(title->geometry().intersects(find("HuoYe")->geometry()));
  EXPECT_LE(std::abs(title->geometry().center().y() - field->geometry().center().y()), 2);
}

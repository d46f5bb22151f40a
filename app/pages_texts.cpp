// Pages 06, 07, 10 and 11: the long texts with their instructions.
#include <QTextBlockFormat>
#include <QTextCursor>
#include <QTextEdit>
#include <QVBoxLayout>

#include "app/pages.h"
#include "app/window_fonts.h"

namespace velmora::pages {
namespace {

QFont longTextFont() { return windowFont("宋体", 14); }

// Read-only instructions on the tooltip background. Five lines must show in
// about 80 pixels: 12-pixel characters on a fixed 14-pixel line pitch.
QTextEdit* instructions(const char* name, const QStringList& lines, int width, int height, QWidget* parent) {
  auto* memo = new QTextEdit(parent);
  memo->setObjectName(QString::fromLatin1(name));
  memo->setReadOnly(true);
  memo->setFont(windowFont("宋体", 12));
  memo->document()->setDocumentMargin(3);
  memo->setPlainText(lines.join(QLatin1Char('\n')));
  QTextCursor all(memo->document());
  all.select(QTextCursor::Document);
  QTextBlockFormat pitch;
  pitch.setLineHeight(14, QTextBlockFormat::FixedHeight);
  all.mergeBlockFormat(pitch);
  memo->setFixedSize(width, height);
  memo->setLineWrapMode(QTextEdit::WidgetWidth);
  memo->setTabChangesFocus(true);
  memo->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setOwnColors(memo, {{QPalette::Base, QColor(255, 255, 225)}, {QPalette::Text, Qt::black}});
  return memo;
}

// Instructions at the top, the long text under them to the foot of the page.
// Alone on its page, the text is named as its tab, `name`.
QWidget* instructedText(FieldWidgets& fields, const char* pageName, const char* memoName, const QStringList& lines,
                        int memoWidth, int memoHeight, Field field, const QString& name) {
  auto* page = new QWidget;
  page->setObjectName(QString::fromLatin1(pageName));
  setPageText(page, colors::kNavy);
  auto* layout = new QVBoxLayout(page);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  QTextEdit* memo = instructions(memoName, lines, memoWidth, memoHeight, page);
  memo->setAccessibleName(QStringLiteral("填写要求"));
  layout->addWidget(memo, 0, Qt::AlignLeft);
  PageBuilder b(page, fields, colors::kNavy);
  LongTextEdit* text = b.longText(field, 0, 0, 0, 0, longTextFont(), colors::kNavy);
  text->setFixedWidth(601);
  text->setAccessibleName(name);
  layout->addWidget(text, 1, Qt::AlignLeft);
  return page;
}

}  // namespace

QWidget* reasoning(FieldWidgets& fields) {
  return instructedText(
      fields, "TabSheet5", "Memo1",
      {QStringLiteral("本课题核心概念的界定，国内外研究现状述评、选题意义及研究价值；"),
       QStringLiteral("本课题的研究目标、研究内容、研究假设和拟创新点；"),
       QStringLiteral("本课题的研究思路、研究方法、技术路线和实施步骤。"), QStringLiteral("（限4000字以内）"),
       QStringLiteral("本软件只能填写文字，若需要录入图片与表格，可用Word文件作为附件提交，并在文中说明。")},
      601, 81, Field::ProjectReasoning, QStringLiteral("设计论证"));
}

QWidget* analyze(FieldWidgets& fields) {
  return instructedText(
      fields, "TabSheet6", "Memo3",
      {QStringLiteral("已取得相关研究成果的社会评价（引用、转载、获奖及被采纳情况），主要参考文献（限10项）；"),
       QStringLiteral("课题负责人的主要学术经历；主要参加者的学术背景和研究经验、组成结构（如职务、专业、年龄等）；"),
       QStringLiteral("完成课题的保障条件（如研究资料、实验仪器设备、配套经费、研究时间及所在单位条件等）。"),
       QStringLiteral("（限1500字以内）"),
       QStringLiteral("本软件只能填写文字，若需要录入图片与表格，可用Word文件作为附件提交，并在文中说明。")},
      657, 80, Field::ProjectAnalyze, QStringLiteral("可行性分析"));
}

QWidget* opinions(FieldWidgets& fields) {
  auto* page = new QWidget;
  page->setObjectName(QStringLiteral("TabSheet10"));
  setPageText(page, colors::kNavy);
  PageBuilder b(page, fields, colors::kMaroon);
  const QFont f = windowFont("宋体", 12);
  auto instruction = [&](const QString& t, int y) { b.label(t, 16, y, f, colors::kNavy); };
  auto heading = [&](const QString& t, int y) { return b.label(t, 16, y, f, colors::kMaroon); };

  instruction(
      QStringLiteral("不具有高级专业技术职务的申请人，须由两名具有正高级专业技术职务的同行专家推荐。推荐人须如实"), 0);
  instruction(
      QStringLiteral("介绍课题负责人的科研态度、专业水平、科研能力和科研条件，并说明该课题取得预期成果的可能性。"), 16);
  b.labelled(heading(QStringLiteral("第一推荐人意见:（请填写推荐意见、推荐人姓名、专业职称、职务、研究专长）"), 32))
      .longText(Field::FirstRecommendation, 16, 48, 577, 89, f, colors::kMaroon);
  b.labelled(heading(QStringLiteral("第二推荐人意见:（请填写推荐意见、推荐人姓名、专业职称、职务、研究专长）"), 144))
      .longText(Field::SecondRecommendation, 16, 160, 577, 97, f, colors::kMaroon);
  QLabel* unit = heading(QStringLiteral("课题负责人所在单位意见:"), 264);
  instruction(
      QStringLiteral("本单位完全了解Velmora领导小组办公室的有关管理规定，完全意识到本声明的法律后果由本单位承担。"),
      280);
  instruction(QStringLiteral(
                  "保证课题负责人之申请书所填写的内容完全属实，课题负责人和参加者的政治素质和业务能力适合承担该课题的"),
              296);
  instruction(
      QStringLiteral("研究工作；本单位能够提供完成课题所需的时间和条件；本单位同意承担课题的管理职责和信誉保证。"),
      312);
  b.labelled(unit).longText(Field::UnitOpinion, 16, 328, 577, 73, f, colors::kMaroon);
  QLabel* office = heading(QStringLiteral("省级Korvane领导小组办公室意见"), 408);
  instruction(
      QStringLiteral("本单位完全了解Velmora领导小组办公室的有关管理规定，完全意识到本声明的法律后果由本单位承担。"),
      424);
  instruction(
      QStringLiteral("保证课题申报的真实性，认可课题申报人及其所在单位的申报资格，同意上报Velmora领导小组办公室。"),
      440);
  b.labelled(office).longText(Field::PlanningOfficeOpinion, 16, 456, 577, 73, f, colors::kMaroon);
  return page;
}

QWidget* looseLeaf(FieldWidgets& fields) {
  auto* page = new QWidget;
  page->setObjectName(QStringLiteral("TabSheet11"));
  setPageText(page, colors::kNavy);
  PageBuilder b(page, fields, colors::kNavy);
  const QFont f = windowFont("黑体", 16);
  b.label(QStringLiteral("此表供匿名评审使用，填写要求同申请书的\"设计论证\"和\"可行性分析\"两部分，"), 40, 8, f,
          colors::kBlack);
  b.label(QStringLiteral("但不得出现负责人和课题组成员姓名、单位名称等个人资料。"), 8, 32, f, colors::kBlack);
  // Level with its field: the 24-pixel line of the 16-pixel face fills the
  // band from the line above to the sheet, which would cover lower letters.
  b.labelled(b.label(QStringLiteral("课题名称："), 8, 56, f, colors::kNavy)).text(Field::AnonymousTitle, 80, 56, 521);
  // Alone on its page, the sheet is named as its tab.
  b.longText(Field::AnonymousSheet, 0, 80, 601, 454, windowFont("宋体", 14), colors::kNavy)
      ->setAccessibleName(QStringLiteral("活页"));
  return page;
}

}  // namespace velmora::pages

// Pages 03, 04, 05 and 08: the tables of participants, results, projects
// and expected results, each under its heading with its red note.
#include <QVBoxLayout>

#include "app/pages.h"
#include "app/window_fonts.h"

namespace velmora::pages {
namespace {

QFont headingFont() { return windowFont("黑体", 16); }

// A band of fixed height holding a heading at (8, 6).
QWidget* band(int height, const QString& heading) {
  auto* w = new QWidget;
  w->setFixedHeight(height);
  auto* l = new QLabel(heading, w);
  l->setFont(headingFont());
  setPageText(l, colors::kBlack);
  l->move(8, 6);
  return w;
}

QLabel* note(const QString& text, const QFont& font, int wrapWidth = 0) {
  auto* l = new QLabel(text);
  l->setFont(font);
  setPageText(l, colors::kRed);
  if (wrapWidth > 0) {
    l->setWordWrap(true);
    l->setFixedWidth(wrapWidth);
  }
  l->setContentsMargins(8, 0, 0, 0);
  return l;
}

// A page whose table is docked under its heading band over the full width.
QWidget* tablePage(FieldWidgets& fields, const char* pageName, Field table, const QString& heading,
                   const QStringList& headers, const QList<int>& widths, int tableHeight, const QString& tooltip,
                   QList<QLabel*> notes, const QList<int>& noteTops) {
  auto* page = new QWidget;
  page->setObjectName(QString::fromLatin1(pageName));
  setPageText(page, colors::kNavy);
  PageBuilder b(page, fields, colors::kNavy);
  auto* layout = new QVBoxLayout(page);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  QWidget* top = band(33, heading);
  layout->addWidget(top);
  RecordTable* t = b.labelled(top->findChild<QLabel*>()).table(table, headers, widths);
  t->setFixedHeight(tableHeight);
  t->setToolTip(tooltip);
  layout->addWidget(t);
  int y = 33 + tableHeight;
  for (int i = 0; i < notes.size(); ++i) {
    layout->addSpacing(std::max(0, noteTops[i] - y));
    layout->addWidget(notes[i]);
    y = noteTops[i] + notes[i]->sizeHint().height();
  }
  layout->addStretch(1);
  return page;
}

}  // namespace

QWidget* mainActor(FieldWidgets& fields) {
  return tablePage(
      fields, "TabSheet2", Field::MainActor, QStringLiteral("主要参加者（限填15人，不包括负责人）"),
      {QStringLiteral("  姓  名"), QStringLiteral("性别"), QStringLiteral("年龄"), QStringLiteral("出生年月"),
       QStringLiteral("专业职务"), QStringLiteral("研究专长"), QStringLiteral("学历"), QStringLiteral("学位"),
       QStringLiteral("工作单位")},
      {55, 30, 30, 60, 60, 100, 70, 70, 170}, 410,
      QStringLiteral("本页需要填写：姓名、性别、年龄、职称、职务、研究专长、工作单位七项数据"),
      {note(
          QStringLiteral("本页需要填写：姓名、性别、年龄、出生年月、专业职务、研究专长、学历、学位、工作单位九项数据"),
          windowFont("宋体", 14))},
      {456});
}

QWidget* production(FieldWidgets& fields) {
  return tablePage(
      fields, "TabSheet3", Field::Production, QStringLiteral("负责人近五年已取得的与本课题有关的研究成果（限报10项）"),
      {QStringLiteral("        成果名称"), QStringLiteral("作  者"), QStringLiteral("成果形式"),
       QStringLiteral("    发表刊物或出版单位"), QStringLiteral("发表出版时间")},
      {250, 55, 55, 180, 98}, 410,
      QStringLiteral("本页需要填写成果名称、作者、成果形式、发表刊物或出版单位、发表出版时间五项内容"),
      {note(QStringLiteral("本页需要填写成果名称、作者、成果形式、发表刊物或出版单位、发表出版时间五项内容。"),
            windowFont("宋体", 15)),
       note(QStringLiteral("时间格式：20080901"), windowFont("宋体", 14))},
      {456, 488});
}

QWidget* researched(FieldWidgets& fields) {
  return tablePage(fields, "TabSheet4", Field::ResearchedProject,
                   QStringLiteral("负责人和课题组主要成员近五年主持的重要研究课题（限报5项）"),
                   {QStringLiteral("主持人"), QStringLiteral("课题名称"), QStringLiteral("课题类别"),
                    QStringLiteral("批准时间"), QStringLiteral("批准单位"), QStringLiteral("完成情况")},
                   {55, 220, 120, 80, 105, 70}, 168,
                   QStringLiteral("本页需要填写主持人、课题名称、课题类别、批准时间、批准单位、完成情况六项内容"),
                   {note(QStringLiteral("本页需要填写负责人、课题名称、课题类别、批准时间（格式为：2008）、批准单位、完"
                                        "成情况六项内容（如已结题，请提供课题结题相关证书、证明复印件）。"),
                         windowFont("宋体", 16), 528)},
                   {224});
}

QWidget* results(FieldWidgets& fields) {
  auto* page = new QWidget;
  page->setObjectName(QStringLiteral("TabSheet7"));
  setPageText(page, colors::kNavy);
  PageBuilder b(page, fields, colors::kNavy);
  auto* layout = new QVBoxLayout(page);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);

  // The band holds the heading and under it the red note.
  QWidget* upper = band(40, QStringLiteral("主要阶段性成果（限报10项）"));
  QLabel* upperHeading = upper->findChild<QLabel*>();
  upperHeading->adjustSize();
  upperHeading->setGeometry(8, 1, upperHeading->width(), 20);
  QLabel* upperNote =
      note(QStringLiteral("需填写序号、研究阶段、阶段成果名称、成果形式、负责人五项内容"), windowFont("宋体", 14));
  upperNote->setParent(upper);
  upperNote->adjustSize();
  upperNote->setGeometry(0, 21, upperNote->width(), 18);
  layout->addWidget(upper);
  RecordTable* expected =
      b.labelled(upperHeading)
          .table(Field::ExpectProduction,
                 {QStringLiteral("序号"), QStringLiteral("研究阶段（起止时间）"), QStringLiteral("    阶段成果名称"),
                  QStringLiteral("成果形式"), QStringLiteral("负责人")},
                 {30, 160, 300, 80, 80});
  expected->setFixedHeight(289);
  expected->setToolTip(
      QStringLiteral("本表格需要填写序号、研究阶段（起止时间）、阶段成果名称、成果形式、负责人五项内容"));
  layout->addWidget(expected);

  QWidget* lower = band(64, QStringLiteral("最终研究成果"));
  QLabel* lowerHeading = lower->findChild<QLabel*>();
  const QFont small = PageBuilder::defaultFont();
  auto line = [&](const QString& text, int x, int y) {
    auto* l = new QLabel(text, lower);
    l->setFont(small);
    setPageText(l, colors::kNavy);
    l->move(x, y);
  };
  // The three lines of the note stand right of the heading, 13 pixels apart,
  // so that the heading and the red note below keep clear of them and of the
  // table at the foot of the band.
  line(QStringLiteral("（国家一般课题必填研究报告、专著、研究论文1、研究论文2、研究论文3；国家青年基金"), 104, 3);
  line(QStringLiteral("课题必填研究报告、专著、研究论文1、研究论文2；教育部重点课题必填研究报告、研究论文1、研究"), 104,
       16);
  line(QStringLiteral("论文2、研究论文3；教育部青年专项课题必填研究报告、研究论文1、研究论文2）"), 104, 29);
  QLabel* lowerNote =
      note(QStringLiteral("需填写序号、完成时间、最终成果名称、成果形式、负责人五项内容"), windowFont("宋体", 12));
  lowerNote->setParent(lower);
  lowerNote->move(0, 44);
  layout->addWidget(lower);
  RecordTable* final =
      b.labelled(lowerHeading)
          .table(Field::FinallyProduction,
                 {QStringLiteral("序号"), QStringLiteral("   完成时间"), QStringLiteral("        最终成果名称"),
                  QStringLiteral("成果形式"), QStringLiteral("负责人")},
                 {30, 80, 380, 80, 80});
  final->setToolTip(QStringLiteral("本表格要填写序号、完成时间、最终成果名称、成果形式、负责人五项内容"));
  layout->addWidget(final, 1);
  return page;
}

}  // namespace velmora::pages

// Page 09: the budget tables, the total, the yearly budget and the funding fields.
#include "app/pages.h"
#include "app/window_fonts.h"
#include "record/record.h"

namespace velmora::pages {

QWidget* funding(FieldWidgets& fields) {
  auto* page = new QWidget;
  page->setObjectName(QStringLiteral("TabSheet8"));
  setPageText(page, colors::kNavy);
  PageBuilder b(page, fields, colors::kMaroon);
  const QFont hei14 = windowFont("黑体", 14);

  QLabel* budget = b.label(QStringLiteral("经费预算（金额只能输入阿拉伯数字，若无法输入，请先关闭中文输入法）"), 16, 0,
                           windowFont("黑体", 16), colors::kBlack);

  const QStringList outlayHeaders{QStringLiteral("序号"), QStringLiteral("经费开支科目"), QStringLiteral("金额（元）")};
  // One heading over two tables: each names its half of the budget.
  RecordTable* grid =
      b.labelled(budget, QStringLiteral("经费预算（第1至6项）")).table(Field::OutlayGrid, outlayHeaders, {31, 112, 68});
  grid->setGeometry(8, 20, 217, 181);
  RecordTable* grid2 = b.table(Field::OutlayGrid2, outlayHeaders, {31, 113, 67});
  grid2->setGeometry(224, 20, 217, 157);
  grid2->setAccessibleName(QStringLiteral("经费预算（第7至11项）"));
  grid2->setContextMenuPolicy(Qt::PreventContextMenu);
  for (RecordTable* t : {grid, grid2}) {
    t->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    t->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  }

  const QFont note = windowFont("MS Sans Serif", 13);
  int y = 24;
  for (const char* line : {"经费额度： ", "国家一般课题12万元", "国家青年基金课题10万元", "教育部重点课题3万元",
                           "教育部青年专项课题2万元"}) {
    b.label(QString::fromUtf8(line), 456, y, note, colors::kNavy);
    y += 18;
  }

  LimitedLineEdit* total =
      b.labelled(b.label(QStringLiteral("合计："), 312, 180)).text(Field::BudgetTotal, 368, 176, 73);
  total->setReadOnly(true);
  total->setEmptyContextMenu(true);

  QLabel* yearly = b.label(QStringLiteral("年度预算"), 8, 208, hei14);
  b.label(QStringLiteral("(元)"), 16, 232, hei14);
  RecordTable* years = b.labelled(yearly).table(Field::OutlayGrid3, {}, {90, 90, 90, 90});
  years->setGeometry(72, 204, 369, 53);
  years->setContextMenuPolicy(Qt::PreventContextMenu);
  years->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  years->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  b.label(QStringLiteral("注：经费开支科目参见《Velmora"), 448, 232);
  b.label(QStringLiteral("课题经费管理办法》。"), 448, 246);

  QLabel* statement = b.label(QStringLiteral("经费管理："), 8, 256, hei14);
  b.label(QStringLiteral("承诺遵守财务规章制度，如实填报，严格监督课题经费的合理有效使用，保证课题经费"), 24, 272);
  b.label(QStringLiteral("单独立户，专款专用，不挤占和挪用课题经费，在课题结题时提供课题经费使用明细单。"), 24, 288);
  b.labelled(statement).longText(Field::FundingStatement, 24, 304, 417, 73, PageBuilder::defaultFont(),
                                 colors::kMaroon);

  b.labelled(b.label(QStringLiteral("经费管理单位名称：     "), 24, 383)).text(Field::FundingUnit, 24, 400, 481);
  b.labelled(b.label(QStringLiteral("开户银行："), 24, 427)).text(Field::Bank, 24, 444, 305);
  b.labelled(b.label(QStringLiteral("银行帐号："), 344, 426)).text(Field::BankAccount, 344, 443, 161);
  b.labelled(b.label(QStringLiteral("汇入地点：（ⅹⅹ省ⅹⅹ市）"), 32, 472)).text(Field::RemittancePlace, 24, 492, 305);
  b.labelled(b.label(QStringLiteral("财务联系电话："), 344, 475)).text(Field::FinanceTelephone, 344, 492, 161);
  return page;
}

}  // namespace velmora::pages

#include "report/report_fill.h"

#include <stdexcept>

#include "record/field_titles.h"
#include "record/record.h"

namespace velmora::report {
namespace {

QString q(std::string_view utf8) { return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())); }

class Filler {
 public:
  explicit Filler(Report& r) : report_(r) {}

  Page& page(const char* fullName) {
    Page* p = report_.findPage(QString::fromLatin1(fullName));
    if (!p) throw std::runtime_error(std::string("report layout lacks ") + fullName);
    return *p;
  }
  Item& item(Page& p, const QString& name) {
    Item* it = Report::findItem(p, name);
    if (!it || (it->kind != ItemKind::Text && it->kind != ItemKind::Memo && it->kind != ItemKind::Picture))
      throw std::runtime_error("report layout lacks " + (p.name + u'.' + name).toStdString());
    return *it;
  }
  void set(Page& p, const QString& name, const QString& text, const std::string& title) {
    Item& it = item(p, name);
    it.text = text;
    it.title = q(title);
  }
  void set(Page& p, Field f, const Record& rec) {
    set(p, q(fieldDef(f).name), q(rec.valueText(f)), std::string(fieldTitle(f)));
  }

  // Item of row r, column c (both from 1) receives the cell of stored row
  // r - 1 (the stored rows are the data rows; OutlayGrid3's first stored row
  // is its grid row 0) and column c - 1.
  void table(Page& p, Field f, const Record& rec, int firstColumn = 1) {
    const auto& shape = fieldDef(f).table;
    const Rows& rows = rec.rows(f);
    for (int r = 1; r <= shape.storedRows; ++r) {
      for (int c = firstColumn; c <= (firstColumn > 1 ? firstColumn : shape.columns); ++c) {
        const std::size_t row = static_cast<std::size_t>(r - 1), col = static_cast<std::size_t>(c - 1);
        QString text;
        if (row < rows.size() && col < rows[row].size()) text = q(rows[row][col]);
        set(p, q(fieldDef(f).name) + QString::number(r) + QString::number(c), text, cellTitle(f, r, c));
      }
    }
  }

 private:
  Report& report_;
};

}  // namespace

void fillReport(Report& report, const Record& rec, bool formal) {
  Filler fill(report);
  Page& p1 = fill.page("Report1.Page1");
  Page& p4 = fill.page("Report1.Page4");
  Page& p5 = fill.page("Report1.Page5");
  Page& p6 = fill.page("Report1.Page6");
  Page& p7 = fill.page("Report1.Page7");
  Page& p8 = fill.page("Report1.Page8");
  Page& p9 = fill.page("Report1.Page9");
  Page& p10 = fill.page("Report1.Page10");
  Page& p11 = fill.page("Report1.Page11");
  Page& p14 = fill.page("Report1.Page14");

  // The marks; their copies on the other pages follow them.
  fill.item(p1, QStringLiteral("Bitmap1")).visible = formal;
  fill.item(p6, QStringLiteral("Bitmap1")).visible = formal;
  fill.item(p1, QStringLiteral("informal")).visible = !formal;

  const QString sn = q(rec.text(Field::SN));
  const std::string snTitle(fieldTitle(Field::SN));
  fill.set(p1, QStringLiteral("ProjectID"), sn, snTitle);
  fill.set(p1, Field::ProjectName, rec);
  fill.set(p1, Field::Basis, rec);
  fill.set(p1, Field::Presider, rec);
  // The mask's digits only, without its hyphens or unfilled positions.
  fill.set(p1, QStringLiteral("educode"), q(eduCodeDigits(rec.text(Field::EduCode))),
           std::string(fieldTitle(Field::EduCode)));
  fill.set(p1, Field::Department, rec);
  fill.set(p1, Field::ProjectClass, rec);
  fill.set(p1, Field::SubjectClass, rec);
  fill.set(p1, Field::InputDate, rec);

  for (Field f : {Field::ProjectName,
                  Field::KeyWord,
                  Field::KeyWord2,
                  Field::KeyWord3,
                  Field::ProjectClass,
                  Field::SubjectClass,
                  Field::ResearchClass,
                  Field::Presider,
                  Field::Department,
                  Field::Sex,
                  Field::Nation,
                  Field::Birthday,
                  Field::DutyAdmin,
                  Field::DutySpecial,
                  Field::ResearchSpecial,
                  Field::LastDiploma,
                  Field::LastDegree,
                  Field::Tutor,
                  Field::BelongCity,
                  Field::BelongSystem,
                  Field::ContactMail,
                  Field::ContactAddress,
                  Field::PostCode,
                  Field::ContactTelArea,
                  Field::ContactTelOffice,
                  Field::ContactTelHome,
                  Field::ContactMobile,
                  Field::IDcard,
                  Field::ExpectProduction1,
                  Field::ExpectProduction2,
                  Field::ApplyOutlay,
                  Field::ExpectCompleteDate})
    fill.set(p4, f, rec);

  fill.table(p4, Field::MainActor, rec);
  fill.table(p5, Field::Production, rec);
  fill.table(p5, Field::ResearchedProject, rec);
  fill.set(p6, Field::ProjectReasoning, rec);
  fill.set(p7, Field::ProjectAnalyze, rec);
  fill.table(p8, Field::ExpectProduction, rec);
  fill.table(p8, Field::FinallyProduction, rec);
  // The amount tables print their amount column only; numbers and subjects
  // are fixed texts of the layout.
  for (Field f : {Field::OutlayGrid, Field::OutlayGrid2}) fill.table(p9, f, rec, fieldDef(f).table.amountColumn + 1);
  fill.table(p9, Field::OutlayGrid3, rec);

  for (Field f : {Field::BudgetTotal, Field::FundingUnit, Field::Bank, Field::BankAccount, Field::RemittancePlace,
                  Field::FinanceTelephone, Field::FundingStatement})
    fill.set(p9, f, rec);
  fill.set(p10, Field::FirstRecommendation, rec);
  fill.set(p10, Field::SecondRecommendation, rec);
  fill.set(p11, Field::UnitOpinion, rec);
  fill.set(p11, Field::PlanningOfficeOpinion, rec);
  fill.set(p14, QStringLiteral("ProjectID"), sn, snTitle);
  fill.set(p14, Field::AnonymousTitle, rec);
  fill.set(p14, Field::AnonymousSheet, rec);
}

Report filledReport(const Record& record, bool formal) {
  Report r = loadReport();
  fillReport(r, record, formal);
  return r;
}

}  // namespace velmora::report

#include "record/fields.h"

namespace velmora {
namespace {

constexpr FieldDef text(Field f, std::string_view n, int page, int limit, bool typed = true,
                        Allowed allowed = Allowed::Anything) {
  return FieldDef{f, n, Kind::Text, page, limit, nullptr, {}, typed, allowed};
}
constexpr FieldDef text(Field f, std::string_view n, int page, int limit, Allowed allowed) {
  return text(f, n, page, limit, true, allowed);
}
constexpr FieldDef choice(Field f, std::string_view n, int page, const Vocabulary& v) {
  return FieldDef{f, n, Kind::Choice, page, 0, &v, {}, true};
}
constexpr FieldDef longText(Field f, std::string_view n, int page, int limit) {
  return FieldDef{f, n, Kind::LongText, page, limit, nullptr, {}, true};
}
constexpr FieldDef table(Field f, std::string_view n, int page, int cols, int rows, int first = 1) {
  return FieldDef{f, n, Kind::Table, page, 0, nullptr, {cols, rows, first}, true};
}
// Item number, item name, amount.
constexpr FieldDef amountTable(Field f, std::string_view n, int page, int rows) {
  return FieldDef{f, n, Kind::Table, page, 0, nullptr, {3, rows, 1, 2, 2}, true};
}

using F = Field;
const std::array<FieldDef, kFieldCount> kFields{{
    text(F::ProjectID, "ProjectID", 0, 0, false),
    text(F::ProjectName, "ProjectName", 1, 80),
    text(F::KeyWord, "KeyWord", 1, 50),
    text(F::KeyWord2, "KeyWord2", 1, 50),
    text(F::KeyWord3, "KeyWord3", 1, 50),
    choice(F::Basis, "Basis", 1, vocab::Basis),
    text(F::GuideNum, "GuideNum", 1, 50),
    choice(F::Purpose, "Purpose", 1, vocab::Purpose),
    choice(F::ResearchClass, "ResearchClass", 1, vocab::ResearchClass),
    choice(F::ProjectClass, "ProjectClass", 1, vocab::ProjectClass),
    choice(F::SubjectClass, "SubjectClass", 1, vocab::SubjectClass),
    text(F::InputDate, "InputDate", 1, 8, Allowed::Digits),
    text(F::ExpectCompleteDate, "ExpectCompleteDate", 1, 6, Allowed::Digits),
    text(F::ApplyOutlay, "ApplyOutlay", 1, 0, false, Allowed::Amount),
    choice(F::ExpectProduction1, "ExpectProduction1", 1, vocab::ExpectProduction1),
    choice(F::ExpectProduction2, "ExpectProduction2", 1, vocab::ExpectProduction2),
    text(F::Presider, "Presider", 1, 20),
    choice(F::Sex, "Sex", 2, vocab::Sex),
    text(F::Nation, "Nation", 2, 20),
    choice(F::Age, "Age", 2, vocab::Age),
    text(F::Birthday, "Birthday", 2, 30),
    text(F::IDcard, "IDcard", 2, 18, Allowed::IdentityNumber),
    FieldDef{F::EduCode, "EduCode", Kind::Masked, 1, kEduCodeDigits, nullptr, {}, true, Allowed::Digits},
    choice(F::DutyAdmin, "DutyAdmin", 2, vocab::DutyAdmin),
    choice(F::DutySpecial, "DutySpecial", 2, vocab::DutySpecial),
    choice(F::ResearchSpecial, "ResearchSpecial", 2, vocab::ResearchSpecial),
    choice(F::LastDiploma, "LastDiploma", 2, vocab::LastDiploma),
    choice(F::LastDegree, "LastDegree", 2, vocab::LastDegree),
    choice(F::Tutor, "Tutor", 2, vocab::Tutor),
    choice(F::BelongCity, "BelongCity", 2, vocab::BelongCity),
    choice(F::BelongSystem, "BelongSystem", 2, vocab::BelongSystem),
    text(F::Department, "Department", 2, 80),
    text(F::ContactMail, "ContactMail", 2, 25),
    text(F::ContactAddress, "ContactAddress", 2, 80),
    text(F::PostCode, "PostCode", 2, 6),
    text(F::ContactTelArea, "ContactTelArea", 2, 6),
    text(F::ContactTelHome, "ContactTelHome", 2, 15),
    text(F::ContactTelOffice, "ContactTelDepartmet", 2, 15),
    text(F::ContactMobile, "ContactMobile", 2, 15),
    table(F::MainActor, "MainActor", 3, 9, 15),
    table(F::Production, "Production", 4, 5, 10),
    table(F::ResearchedProject, "ResearchedProject", 5, 6, 5),
    longText(F::ProjectReasoning, "ProjectReasoning", 6, 8050),
    longText(F::ProjectAnalyze, "ProjectAnalyze", 7, 3100),
    table(F::ExpectProduction, "ExpectProduction", 8, 5, 10),
    table(F::FinallyProduction, "FinallyProduction", 8, 5, 4),
    amountTable(F::OutlayGrid, "OutlayGrid", 9, 6),
    amountTable(F::OutlayGrid2, "OutlayGrid2", 9, 5),
    table(F::OutlayGrid3, "OutlayGrid3", 9, 4, 2, 0),
    longText(F::FundingStatement, "OutlayPromises", 9, 1100),
    text(F::FundingUnit, "OutlayDepartment", 9, 80),
    text(F::RemittancePlace, "OutlayAddress", 9, 80),
    text(F::FinanceTelephone, "OutlayPostcode", 9, 20),
    text(F::Bank, "OutlayBank", 9, 80),
    text(F::BudgetTotal, "OutlayAccounts", 9, 25, false, Allowed::Amount),
    text(F::BankAccount, "OutlayPromises2", 9, 0),
    longText(F::FirstRecommendation, "tuijian1", 10, 1100),
    longText(F::SecondRecommendation, "tuijian2", 10, 1100),
    longText(F::UnitOpinion, "danweiyijian", 10, 700),
    longText(F::PlanningOfficeOpinion, "jiaoyujuyijian", 10, 700),
    text(F::AnonymousTitle, "MaskName", 11, 0),
    longText(F::AnonymousSheet, "HuoYe", 11, 11100),
    text(F::SN, "SN", 0, 0, false),
}};

}  // namespace

const FieldDef& fieldDef(Field f) { return kFields[index(f)]; }

std::span<const FieldDef> allFields() { return kFields; }

bool isAllowed(Allowed rule, char32_t c) {
  const bool digit = c >= U'0' && c <= U'9';
  switch (rule) {
    case Allowed::Anything: return true;
    case Allowed::Digits: return digit;
    case Allowed::IdentityNumber: return digit || c == U'X' || c == U'x';
    case Allowed::Amount: return digit || c == U'.';
  }
  return false;
}

std::string_view allowedInWords(Allowed rule) {
  switch (rule) {
    case Allowed::Anything: return "任意字符";
    case Allowed::Digits: return "数字";
    case Allowed::IdentityNumber: return "数字和字母X";
    case Allowed::Amount: return "数字和小数点";
  }
  return {};
}

std::optional<Field> fieldByName(std::string_view name) {
  for (const auto& d : kFields)
    if (d.name == name) return d.id;
  return std::nullopt;
}

}  // namespace velmora

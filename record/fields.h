#pragma once
// The catalogue of the application record: every field under its element name,
// with its kind, page, byte limit and list. Everything that walks "all fields"
// (reader, writer, dump, the locked set) walks this one table.
#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <string_view>

#include "record/vocabulary.h"

namespace velmora {

enum class Kind { Text, Choice, Masked, LongText, Table };

// In the order the document stores them. ProjectID and SN are the two hidden
// items; the 61 fields between them are the user's fields. The identifiers
// say what a field holds; its element name (`FieldDef::name`) is what
// documents, controls and the report call it, which for some misleads:
// FinanceTelephone is `OutlayPostcode`, BankAccount `OutlayPromises2`,
// BudgetTotal `OutlayAccounts`, ContactTelOffice `ContactTelDepartmet`.
enum class Field : int {
  ProjectID,
  ProjectName,
  KeyWord,
  KeyWord2,
  KeyWord3,
  Basis,
  GuideNum,
  Purpose,
  ResearchClass,
  ProjectClass,
  SubjectClass,
  InputDate,
  ExpectCompleteDate,
  ApplyOutlay,
  ExpectProduction1,
  ExpectProduction2,
  Presider,
  Sex,
  Nation,
  Age,
  Birthday,
  IDcard,
  EduCode,
  DutyAdmin,
  DutySpecial,
  ResearchSpecial,
  LastDiploma,
  LastDegree,
  Tutor,
  BelongCity,
  BelongSystem,
  Department,
  ContactMail,
  ContactAddress,
  PostCode,
  ContactTelArea,
  ContactTelHome,
  ContactTelOffice,
  ContactMobile,
  MainActor,
  Production,
  ResearchedProject,
  ProjectReasoning,
  ProjectAnalyze,
  ExpectProduction,
  FinallyProduction,
  OutlayGrid,
  OutlayGrid2,
  OutlayGrid3,
  FundingStatement,
  FundingUnit,
  RemittancePlace,
  FinanceTelephone,
  Bank,
  BudgetTotal,
  BankAccount,
  FirstRecommendation,
  SecondRecommendation,
  UnitOpinion,
  PlanningOfficeOpinion,
  AnonymousTitle,
  AnonymousSheet,
  SN,
  Count
};

inline constexpr int kFieldCount = static_cast<int>(Field::Count);
inline constexpr int index(Field f) { return static_cast<int>(f); }

struct TableShape {
  int columns = 0;
  int storedRows = 0;  // rows that are part of the value
  int firstRow = 1;    // grid row number of the first stored row (0 for OutlayGrid3)
  // The amount tables: their first columns (item number and name) are fixed
  // texts nobody edits, and one column holds the amounts that add up to the
  // budget total.
  int fixedColumns = 0;
  int amountColumn = -1;
  constexpr bool holdsAmounts() const { return amountColumn >= 0; }
};

// Which characters a field accepts, beside what its byte limit and GBK allow.
// The window's keys and pastes and the JSON import follow the same rule.
enum class Allowed {
  Anything,
  Digits,          // dates
  IdentityNumber,  // digits, X and x
  Amount,          // digits and the point
};

bool isAllowed(Allowed rule, char32_t c);
// The allowed characters in words, for a message naming what was refused.
std::string_view allowedInWords(Allowed rule);

struct FieldDef {
  Field id;
  std::string_view name;  // element name, also the control's and report item's name
  Kind kind;
  int page;                // 1..11; 0 for the hidden items
  int byteLimit;           // GBK bytes; 0 = no limit
  const Vocabulary* list;  // choices only
  TableShape table;        // tables only
  bool typed = true;       // false for fields the user never types into
  Allowed allowed = Allowed::Anything;
};

const FieldDef& fieldDef(Field f);
std::span<const FieldDef> allFields();
// Lookup by element name, exact case.
std::optional<Field> fieldByName(std::string_view name);

// True for the 61 fields the user edits (everything but ProjectID and SN);
// these form the locked set of a formal document.
inline constexpr bool isUserField(Field f) { return f != Field::ProjectID && f != Field::SN; }

// The fields a document cannot be saved without.
inline constexpr std::array<Field, 3> kRequiredToSave{Field::ProjectName, Field::Presider, Field::ContactMail};
// Those fields in words, as the window's save message names them.
inline constexpr std::string_view kRequiredToSaveInWords = "课题名称、主持人和电子邮箱";

// The items of choice lists that rules turn on, by their place in the list
// (record/vocabulary.cpp holds the texts).
namespace choiceItem {
inline constexpr int kNationalGeneral = 0;     // ProjectClass "B.国家一般课题"
inline constexpr int kNationalYouth = 1;       // ProjectClass "C.国家青年基金课题"
inline constexpr int kMinistryYouth = 3;       // ProjectClass "E.教育部青年专项课题", under 40 only
inline constexpr int kSpecialTeacherPlan = 1;  // Purpose "特级教师计划专项": no outlay asked
inline constexpr int kFollowsGuide = 0;        // Basis "A.依据指南": the guide's number is asked
inline constexpr int kOwnTopic = 1;            // Basis "B.自选课题"
inline constexpr int kFortyOrOver = 1;         // Age "B.40岁以上"
inline constexpr int kAssistant = 0;           // DutySpecial "A.助教（实习研究员）"
inline constexpr int kLecturer = 1;            // DutySpecial "B.讲师（助理研究员）"
}  // namespace choiceItem

// The two national project classes fix the third expected result and ask
// for a fourth.
inline constexpr bool isNationalClass(int projectClassItem) {
  return projectClassItem == choiceItem::kNationalGeneral || projectClassItem == choiceItem::kNationalYouth;
}

// 教育电子身份证号 (EduCode): this many digits, shown as three groups of four.
inline constexpr int kEduCodeDigits = 12;

inline constexpr std::string_view kVersionTag = "VL2011v1.0";
inline constexpr std::string_view kInitialProjectId = "000000000000000000000000";
inline constexpr std::string_view kYearCell = "          年";

// Fixed expected final results 1 and 2 (not stored in documents).
inline constexpr std::string_view kFixedResult1 = "D.研究报告";
inline constexpr std::string_view kFixedResult2 = "C.研究论文";

}  // namespace velmora

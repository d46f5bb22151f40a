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
// items; the 61 fields between them are the user's fields.
enum class Field : int {
  ProjectID,
  ProjectName, KeyWord, KeyWord2, KeyWord3, Basis, GuideNum, Purpose, ResearchClass, ProjectClass,
  SubjectClass, InputDate, ExpectCompleteDate, ApplyOutlay, ExpectProduction1, ExpectProduction2,
  Presider, Sex, Nation, Age, Birthday, IDcard, EduCode, DutyAdmin, DutySpecial, ResearchSpecial,
  LastDiploma, LastDegree, Tutor, BelongCity, BelongSystem, Department, ContactMail, ContactAddress,
  PostCode, ContactTelArea, ContactTelHome, ContactTelDepartmet, ContactMobile,
  MainActor, Production, ResearchedProject, ProjectReasoning, ProjectAnalyze, ExpectProduction,
  FinallyProduction, OutlayGrid, OutlayGrid2, OutlayGrid3, OutlayPromises, OutlayDepartment,
  OutlayAddress, OutlayPostcode, OutlayBank, OutlayAccounts, OutlayPromises2, tuijian1, tuijian2,
  danweiyijian, jiaoyujuyijian, MaskName, HuoYe,
  SN,
  Count
};

inline constexpr int kFieldCount = static_cast<int>(Field::Count);
inline constexpr int index(Field f) { return static_cast<int>(f); }

struct TableShape {
  int columns = 0;
  int storedRows = 0;  // rows that are part of the value
  int firstRow = 1;    // grid row number of the first stored row (0 for OutlayGrid3)
};

struct FieldDef {
  Field id;
  std::string_view name;  // element name, also the control's and report item's name
  Kind kind;
  int page;               // 1..11; 0 for the hidden items
  int byteLimit;          // GBK bytes; 0 = no limit
  const Vocabulary* list; // choices only
  TableShape table;       // tables only
  bool typed = true;      // false for fields the user never types into
};

const FieldDef& fieldDef(Field f);
std::span<const FieldDef> allFields();
// Lookup by element name, exact case.
std::optional<Field> fieldByName(std::string_view name);

// True for the 61 fields the user edits (everything but ProjectID and SN);
// these form the locked set of a formal document.
inline constexpr bool isUserField(Field f) { return f != Field::ProjectID && f != Field::SN; }

inline constexpr std::string_view kVersionTag = "VL2011v1.0";
inline constexpr std::string_view kInitialProjectId = "000000000000000000000000";
inline constexpr std::string_view kYearCell = "          年";

// Fixed expected final results 1 and 2 (not stored in documents).
inline constexpr std::string_view kFixedResult1 = "D.研究报告";
inline constexpr std::string_view kFixedResult2 = "C.研究论文";

}  // namespace velmora

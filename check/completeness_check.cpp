#include "check/completeness_check.h"

#include <array>

#include "record/gbk.h"

namespace velmora {
namespace {

enum class Test {
  EmptyText,      // a single-line field of length zero (blanks count as filled)
  NoChoice,       // nothing selected
  EmptyLongText,  // no characters at all (a lone line break counts as filled)
  Incomplete,     // one of the first N cells of the first data row is empty
  GuideNum,       // "A.依据指南" chosen and GuideNum empty
  FourthResult,   // a national class chosen and no fourth expected result
  PostCode,       // not exactly 6 GBK bytes
  BudgetTotal,    // total empty or exactly "0"
  Recommender,    // a junior applicant without this recommender's opinion
};

struct Rule {
  Field field;
  Test test;
  const char* what;  // the line after its page, which the field's catalogue entry gives
  int cells = 0;     // N for Incomplete
};

using F = Field;
using T = Test;
constexpr std::array kRules{
    Rule{F::ProjectName, T::EmptyText, "课题名称  未填写"},
    Rule{F::KeyWord, T::EmptyText, "关键词1  未填写"},
    Rule{F::KeyWord2, T::EmptyText, "关键词2  未填写"},
    Rule{F::KeyWord3, T::EmptyText, "关键词3  未填写"},
    Rule{F::Basis, T::NoChoice, "选题依据  未填写"},
    Rule{F::GuideNum, T::GuideNum, "指南题号  未填写"},
    Rule{F::ApplyOutlay, T::EmptyText, "申请经费  未填写"},
    Rule{F::ResearchClass, T::NoChoice, "研究类型  未填写"},
    Rule{F::ProjectClass, T::NoChoice, "课题类别  未填写"},
    Rule{F::SubjectClass, T::NoChoice, "研究领域  未填写"},
    Rule{F::Presider, T::EmptyText, "负责人  未填写"},
    Rule{F::InputDate, T::EmptyText, "申请日期  未填写"},
    Rule{F::ExpectCompleteDate, T::EmptyText, "预期完成日期  未填写"},
    Rule{F::ExpectProduction1, T::NoChoice, "预期最终成果3  未填写"},
    Rule{F::ExpectProduction2, T::FourthResult, "预期最终成果4  未填写"},
    Rule{F::Sex, T::NoChoice, "性别  未填写"},
    Rule{F::Nation, T::EmptyText, "民族  未填写"},
    Rule{F::Age, T::NoChoice, "年龄  未填写"},
    Rule{F::Birthday, T::EmptyText, "出生日期  未填写"},
    Rule{F::DutyAdmin, T::NoChoice, "行政职级  未填写"},
    Rule{F::DutySpecial, T::NoChoice, "技术职务  未填写"},
    Rule{F::ResearchSpecial, T::NoChoice, "研究专长  未填写"},
    Rule{F::LastDiploma, T::NoChoice, "最后学历  未填写"},
    Rule{F::LastDegree, T::NoChoice, "最后学位  未填写"},
    Rule{F::Tutor, T::NoChoice, "担任导师  未填写"},
    Rule{F::BelongCity, T::NoChoice, "所属区县  未填写"},
    Rule{F::BelongSystem, T::NoChoice, "所属系统  未填写"},
    Rule{F::Department, T::EmptyText, "工作单位  未填写"},
    Rule{F::ContactMail, T::EmptyText, "电子邮箱  未填写"},
    Rule{F::ContactAddress, T::EmptyText, "通讯地址  未填写"},
    Rule{F::PostCode, T::PostCode, "邮政编码  应该为6位"},
    Rule{F::ContactTelArea, T::EmptyText, "区号  未填写"},
    Rule{F::ContactTelHome, T::EmptyText, "住宅电话  未填写"},
    Rule{F::ContactTelOffice, T::EmptyText, "办公电话  未填写"},
    Rule{F::ContactMobile, T::EmptyText, "手机号码  未填写"},
    Rule{F::MainActor, T::Incomplete, "主要参加者  资料未填写完整", 7},
    Rule{F::Production, T::Incomplete, "相关成果  资料未填写完整", 5},
    Rule{F::ResearchedProject, T::Incomplete, "承担课题  资料未填写完整", 6},
    Rule{F::ProjectReasoning, T::EmptyLongText, "设计论证  未填写"},
    Rule{F::ProjectAnalyze, T::EmptyLongText, "可行性分析  未填写"},
    Rule{F::ExpectProduction, T::Incomplete, "主要阶段性成果  资料未填写完整", 5},
    Rule{F::FinallyProduction, T::Incomplete, "最终研究成果  资料未填写完整", 5},
    Rule{F::BudgetTotal, T::BudgetTotal, "经费预算  未填写"},
    Rule{F::OutlayGrid3, T::Incomplete, "年度预算  资料未填写完整", 3},
    Rule{F::FundingStatement, T::EmptyLongText, "经费管理  未填写"},
    Rule{F::BankAccount, T::EmptyText, "银行帐号  未填写"},
    Rule{F::FundingUnit, T::EmptyText, "经费管理单位  未填写"},
    Rule{F::Bank, T::EmptyText, "开户银行  未填写"},
    Rule{F::RemittancePlace, T::EmptyText, "汇入地点  未填写"},
    Rule{F::FinanceTelephone, T::EmptyText, "财务联系电话  未填写"},
    Rule{F::FirstRecommendation, T::Recommender, "第一推荐人意见  未填写"},
    Rule{F::SecondRecommendation, T::Recommender, "第二推荐人意见  未填写"},
    Rule{F::UnitOpinion, T::EmptyLongText, "所在单位意见  未填写"},
    Rule{F::PlanningOfficeOpinion, T::EmptyLongText, "二级管理单位意见 未填写"},
    Rule{F::AnonymousTitle, T::EmptyText, "活页课题名 未填写"},
    Rule{F::AnonymousSheet, T::EmptyLongText, "活页  未填写"},
};

// The first data row: the row under the header, or for the yearly budget
// (which has no header) the amounts under the year captions.
bool incomplete(const Record& r, Field table, int cells) {
  const int firstDataRow = table == Field::OutlayGrid3 ? 1 : 0;
  const Row& row = r.rows(table)[firstDataRow];
  for (int c = 0; c < cells; ++c)
    if (row[c].empty()) return true;
  return false;
}

// Applicants without a senior title need two recommenders: the assistant
// (A.助教) and lecturer (B.讲师) grades.
bool juniorTitle(const Record& r) {
  const int title = r.choice(Field::DutySpecial);
  return title == choiceItem::kAssistant || title == choiceItem::kLecturer;
}

bool fires(const Record& r, const Rule& rule) {
  switch (rule.test) {
    case T::EmptyText: return r.text(rule.field).empty();
    case T::NoChoice: return r.choice(rule.field) < 0;
    case T::EmptyLongText: return r.longTextEmpty(rule.field);
    case T::Incomplete: return incomplete(r, rule.field, rule.cells);
    case T::GuideNum: return r.choice(Field::Basis) == choiceItem::kFollowsGuide && r.text(Field::GuideNum).empty();
    case T::FourthResult: {
      return isNationalClass(r.choice(Field::ProjectClass)) && r.choice(Field::ExpectProduction2) < 0;
    }
    case T::PostCode: return gbkByteLength(r.text(Field::PostCode)) != 6;
    case T::BudgetTotal: {
      const std::string& total = r.text(Field::BudgetTotal);
      return total.empty() || total == "0";
    }
    case T::Recommender: return juniorTitle(r) && r.longTextEmpty(rule.field);
  }
  return false;
}

// Each rule's whole line, "01、" and on, made once.
const std::array<std::string, kRules.size()>& ruleLines() {
  static const auto lines = [] {
    std::array<std::string, kRules.size()> out;
    for (std::size_t i = 0; i < kRules.size(); ++i) {
      const int page = fieldDef(kRules[i].field).page;
      out[i] =
          std::string{static_cast<char>('0' + page / 10), static_cast<char>('0' + page % 10)} + "、" + kRules[i].what;
    }
    return out;
  }();
  return lines;
}

}  // namespace

std::vector<std::string> completenessProblems(const Record& record) {
  std::vector<std::string> lines;
  for (std::size_t i = 0; i < kRules.size(); ++i)
    if (fires(record, kRules[i])) lines.push_back(ruleLines()[i]);
  return lines;
}

int problemPage(std::string_view line) {
  if (line.size() < 2 || line[0] < '0' || line[0] > '9' || line[1] < '0' || line[1] > '9') return 0;
  return (line[0] - '0') * 10 + (line[1] - '0');
}

}  // namespace velmora

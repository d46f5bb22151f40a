#include "record/field_titles.h"

#include <array>
#include <span>

namespace velmora {
namespace {

using F = Field;

struct Title {
  Field field;
  std::string_view title;
};

// In catalogue order, looked up by the field's index.
constexpr std::array<Title, kFieldCount> kTitles{{
    {F::ProjectID, "编号"},
    {F::ProjectName, "课题名称"},
    {F::KeyWord, "关键词1"},
    {F::KeyWord2, "关键词2"},
    {F::KeyWord3, "关键词3"},
    {F::Basis, "选题依据"},
    {F::GuideNum, "指南题号"},
    {F::Purpose, "研究专项"},
    {F::ResearchClass, "研究类型"},
    {F::ProjectClass, "课题类别"},
    {F::SubjectClass, "学科分类"},
    {F::InputDate, "申报日期"},
    {F::ExpectCompleteDate, "预期完成时间"},
    {F::ApplyOutlay, "申请经费"},
    {F::ExpectProduction1, "预期最终成果3"},
    {F::ExpectProduction2, "预期最终成果4"},
    {F::Presider, "负责人"},
    {F::Sex, "性别"},
    {F::Nation, "民族"},
    {F::Age, "年龄"},
    {F::Birthday, "出生日期"},
    {F::IDcard, "身份证号"},
    {F::EduCode, "教育电子身份证号"},
    {F::DutyAdmin, "行政职级"},
    {F::DutySpecial, "专业职务"},
    {F::ResearchSpecial, "研究专长"},
    {F::LastDiploma, "最后学历"},
    {F::LastDegree, "最后学位"},
    {F::Tutor, "担任导师"},
    {F::BelongCity, "所在省（自治区、直辖市）"},
    {F::BelongSystem, "所属系统"},
    {F::Department, "工作单位"},
    {F::ContactMail, "电子邮箱"},
    {F::ContactAddress, "通讯地址"},
    {F::PostCode, "邮政编码"},
    {F::ContactTelArea, "区号"},
    {F::ContactTelHome, "住宅电话"},
    {F::ContactTelOffice, "办公电话"},
    {F::ContactMobile, "手机号码"},
    {F::MainActor, "主要参加者"},
    {F::Production, "研究成果"},
    {F::ResearchedProject, "研究课题"},
    {F::ProjectReasoning, "设计论证"},
    {F::ProjectAnalyze, "可行性分析"},
    {F::ExpectProduction, "主要阶段性成果"},
    {F::FinallyProduction, "最终研究成果"},
    {F::OutlayGrid, "经费预算（第1至6项）"},
    {F::OutlayGrid2, "经费预算（第7至11项）"},
    {F::OutlayGrid3, "年度预算"},
    {F::FundingStatement, "经费管理"},
    {F::FundingUnit, "经费管理单位名称"},
    {F::RemittancePlace, "汇入地点"},
    {F::FinanceTelephone, "财务联系电话"},
    {F::Bank, "开户银行"},
    {F::BudgetTotal, "合计"},
    {F::BankAccount, "银行帐号"},
    {F::FirstRecommendation, "第一推荐人意见"},
    {F::SecondRecommendation, "第二推荐人意见"},
    {F::UnitOpinion, "课题负责人所在单位意见"},
    {F::PlanningOfficeOpinion, "省级Korvane领导小组办公室意见"},
    {F::AnonymousTitle, "活页课题名称"},
    {F::AnonymousSheet, "课题设计论证活页"},
    {F::SN, "编号"},
}};

constexpr bool inCatalogueOrder() {
  for (std::size_t i = 0; i < kTitles.size(); ++i)
    if (index(kTitles[i].field) != static_cast<int>(i) || kTitles[i].title.empty()) return false;
  return true;
}
static_assert(inCatalogueOrder(), "one title per field, in the catalogue's order");

constexpr std::array<std::string_view, 9> kMainActor{"姓名",     "性别", "年龄", "出生年月", "专业职务",
                                                     "研究专长", "学历", "学位", "工作单位"};
constexpr std::array<std::string_view, 5> kProduction{"成果名称", "作者", "成果形式", "发表刊物或出版单位",
                                                      "发表出版时间"};
constexpr std::array<std::string_view, 6> kResearched{"主持人",   "课题名称", "课题类别",
                                                      "批准时间", "批准单位", "完成情况"};
constexpr std::array<std::string_view, 5> kExpected{"序号", "研究阶段（起止时间）", "阶段成果名称", "成果形式",
                                                    "负责人"};
constexpr std::array<std::string_view, 5> kFinal{"序号", "完成时间", "最终成果名称", "成果形式", "负责人"};
constexpr std::array<std::string_view, 3> kOutlay{"序号", "经费开支科目", "金额（元）"};

std::span<const std::string_view> headings(Field table) {
  switch (table) {
    case F::MainActor: return kMainActor;
    case F::Production: return kProduction;
    case F::ResearchedProject: return kResearched;
    case F::ExpectProduction: return kExpected;
    case F::FinallyProduction: return kFinal;
    case F::OutlayGrid:
    case F::OutlayGrid2: return kOutlay;
    default: return {};
  }
}

}  // namespace

std::string_view fieldTitle(Field f) {
  const int i = index(f);
  return i >= 0 && i < kFieldCount ? kTitles[static_cast<std::size_t>(i)].title : std::string_view{};
}

std::string_view columnTitle(Field table, int column) {
  const auto h = headings(table);
  return column >= 0 && static_cast<std::size_t>(column) < h.size() ? h[static_cast<std::size_t>(column)]
                                                                    : std::string_view{};
}

std::string cellTitle(Field table, int row, int column) {
  std::string out(fieldTitle(table));
  out += "第" + std::to_string(row) + "行";
  const std::string_view heading = columnTitle(table, column - 1);
  if (heading.empty()) return out + "第" + std::to_string(column) + "列";
  return out + "“" + std::string(heading) + "”";
}

}  // namespace velmora

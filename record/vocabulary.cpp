#include "record/vocabulary.h"

#include <array>

namespace velmora {

bool equalsIgnoringLatinCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    unsigned char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x -= 32;
    if (y >= 'a' && y <= 'z') y -= 32;
    if (x != y) return false;
  }
  return true;
}

std::string_view Vocabulary::text(int index) const {
  if (index < 0 || index >= size()) return {};
  return items[index];
}

int Vocabulary::find(std::string_view value) const {
  // The empty text never selects anything, not even the empty first item of
  // `Purpose`: either way the value reads empty.
  if (value.empty()) return -1;
  for (int i = 0; i < size(); ++i)
    if (equalsIgnoringLatinCase(items[i], value)) return i;
  return -1;
}

namespace vocab {
namespace {
using namespace std::string_view_literals;

constexpr std::array kBasis{"A.依据指南"sv, "B.自选课题"sv};
constexpr std::array kProjectClass{"B.国家一般课题"sv, "C.国家青年基金课题"sv, "D.教育部重点课题"sv,
                                   "E.教育部青年专项课题"sv};
constexpr std::array kResearchClass{"A.基础研究"sv, "B.应用研究"sv, "C.综合研究"sv, "D.其他研究"sv};
constexpr std::array kSubjectClass{"A.教育基本理论与教育史"sv,
                                   "B.教育心理"sv,
                                   "C.教育信息技术"sv,
                                   "D.比较教育"sv,
                                   "E.德育"sv,
                                   "F.教育经济与管理"sv,
                                   "G.教育发展战略"sv,
                                   "H.基础教育"sv,
                                   "I.高等教育"sv,
                                   "J.职业技术教育"sv,
                                   "K.成人教育"sv,
                                   "L.体育卫生美育"sv,
                                   "M.民族教育"sv,
                                   "N.国防军事教育"sv};
constexpr std::array kExpectProduction1{"A.专著"sv,   "B.译著"sv,     "C.研究论文"sv, "D.研究报告"sv,
                                        "E.工具书"sv, "F.电脑软件"sv, "G. 其他"sv};
constexpr std::array kExpectProduction2{"B.译著"sv,   "C.研究论文"sv, "D.研究报告"sv,
                                        "E.工具书"sv, "F.电脑软件"sv, "G. 其他"sv};
constexpr std::array kPurpose{""sv,
                              "特级教师计划专项"sv,
                              "中小学德育与校外教育研究专项"sv,
                              "普通高级中学特色学校研究专项"sv,
                              "职业教育研究专项"sv,
                              "成人教育研究专项"sv,
                              "体卫艺教育研究专项"sv,
                              "教育考试研究专项"sv,
                              "单位资助教育部规划课题"sv};
constexpr std::array kSex{"A.男"sv, "B.女"sv};
constexpr std::array kAge{"A.40岁以下"sv, "B.40岁以上"sv};
constexpr std::array kDutyAdmin{"A.处级以下"sv, "B.处级"sv, "C.司局级"sv, "D.部级"sv};
constexpr std::array kDutySpecial{"A.助教（实习研究员）"sv, "B.讲师（助理研究员）"sv,
                                  "C.副教授（副研究员、高级教师）"sv, "D.教授（研究员、特级教师）"sv};
constexpr std::array kLastDiploma{"A.研究生"sv, "B.大学本科"sv, "C.大学专科"sv, "D.中专及以下"sv};
constexpr std::array kLastDegree{"A.博士"sv, "B.硕士"sv, "C.学士"sv, "D.无"sv};
constexpr std::array kResearchSpecial{"A.教育史"sv,
                                      "B.教育学原理"sv,
                                      "C.教学论"sv,
                                      "D.德育原理"sv,
                                      "E.教育社会学"sv,
                                      "F.教育心理学"sv,
                                      "G.教育经济学"sv,
                                      "H.教育管理学"sv,
                                      "I.比较教育学"sv,
                                      "J.教育技术学"sv,
                                      "K.教师教育"sv,
                                      "L.学前教育学"sv,
                                      "M.普通教育学(包括初等教育学、中等教育学等)"sv,
                                      "N.高等教育学"sv,
                                      "O.成人教育学"sv,
                                      "P.职业技术教育学"sv,
                                      "Q.特殊教育学"sv,
                                      "R.教育发展战略"sv,
                                      "S.体育卫生美育"sv,
                                      "T.民族教育"sv,
                                      "U.国防军事教育"sv,
                                      "V.教育学其他"sv};
constexpr std::array kTutor{"A.博士生导师"sv, "B.硕士生导师"sv, "C.未担任导师"sv};
constexpr std::array kBelongCity{"A.北京市"sv, "B.天津市"sv,         "C.上海市"sv,           "D.重庆市"sv,
                                 "E.河北省"sv, "F.山西省"sv,         "G.内蒙古自治区"sv,     "H.辽宁省"sv,
                                 "I.吉林省"sv, "J.黑龙江省"sv,       "K.江苏省"sv,           "L.浙江省"sv,
                                 "M.安徽省"sv, "N.福建省"sv,         "O.江西省"sv,           "P.山东省"sv,
                                 "Q.河南省"sv, "R.湖北省"sv,         "S.广东省"sv,           "T.湖南省"sv,
                                 "U.海南省"sv, "V.广西壮族自治区"sv, "W.四川省"sv,           "X.贵州省"sv,
                                 "Y.云南省"sv, "Z.西藏自治区"sv,     "1.陕西省"sv,           "2.甘肃省"sv,
                                 "3.青海省"sv, "4.宁夏回族自治区"sv, "5.新疆维吾尔自治区"sv, "6.新疆生产建设兵团"sv};
constexpr std::array kBelongSystem{"A.教育部直属高等院校"sv,
                                   "B.其他高等院校"sv,
                                   "C.教育部直属单位"sv,
                                   "D.其他教育科研机构"sv,
                                   "E.中小学校（包括中等专业学校、技工学校、职业高中、幼儿园等）"sv,
                                   "F.军事机关及院饺"sv,
                                   "G.教育部各司局"sv,
                                   "H.国家部委机关"sv,
                                   "I.地方教育行政部门"sv,
                                   "J.其他"sv};
}  // namespace

const Vocabulary Basis{"Basis", kBasis};
const Vocabulary ProjectClass{"ProjectClass", kProjectClass};
const Vocabulary ResearchClass{"ResearchClass", kResearchClass};
const Vocabulary SubjectClass{"SubjectClass", kSubjectClass};
const Vocabulary ExpectProduction1{"ExpectProduction1", kExpectProduction1};
const Vocabulary ExpectProduction2{"ExpectProduction2", kExpectProduction2};
const Vocabulary Purpose{"Purpose", kPurpose};
const Vocabulary Sex{"Sex", kSex};
const Vocabulary Age{"Age", kAge};
const Vocabulary DutyAdmin{"DutyAdmin", kDutyAdmin};
const Vocabulary DutySpecial{"DutySpecial", kDutySpecial};
const Vocabulary LastDiploma{"LastDiploma", kLastDiploma};
const Vocabulary LastDegree{"LastDegree", kLastDegree};
const Vocabulary ResearchSpecial{"ResearchSpecial", kResearchSpecial};
const Vocabulary Tutor{"Tutor", kTutor};
const Vocabulary BelongCity{"BelongCity", kBelongCity};
const Vocabulary BelongSystem{"BelongSystem", kBelongSystem};
}  // namespace vocab

}  // namespace velmora

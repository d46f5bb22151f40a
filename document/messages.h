#pragma once
// The program's fixed message texts, shared by the window and velmora-cli.
#include <string>
#include <string_view>
#include <utility>

namespace velmora::msg {

inline constexpr std::string_view kAppTitle = "Velmora课题申报系统（个人版）";
inline constexpr std::string_view kForeignDocument = "您选择的文档不是用本申报系统生成的";
inline constexpr std::string_view kSaveRequired = "保存失败！“课题名称”, “主持人”和“电子邮箱”必须填写！";
inline constexpr std::string_view kFormalDocument = "本项目文件为正式文档，仅供打印和预览,不允许修改！";
inline constexpr std::string_view kAgeTooOld = "40岁以上不能申请青年专项，请重新选择课题类别！";
inline constexpr std::string_view kSaveBeforeExit = "退出前先保存编辑的文档吗？！";
// The question offering a recovery copy: the document the edits were made
// to (`origin`, empty for a new application) and when they were copied.
inline std::string recoverEditsQuestion(const std::string& origin, const std::string& when) {
  const std::string document = origin.empty() ? std::string("新申请书") : "文档：" + origin;
  return "发现未保存的编辑（" + document + "，保存于 " + when + "），要恢复吗？";
}
inline constexpr std::string_view kSaveBeforeOpen = "打开其他文档前先保存编辑的文档吗？";
inline constexpr std::string_view kInvalidMaskInput = "Invalid input value.  Use escape key to abandon changes";

// The error box appends a full stop when the message's last character sorts
// above the full stop.
inline std::string errorBoxText(std::string_view message) {
  std::string out(message);
  if (!out.empty() && static_cast<unsigned char>(out.back()) > '.') out += '.';
  return out;
}

}  // namespace velmora::msg

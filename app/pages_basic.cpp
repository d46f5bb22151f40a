// Pages 01 and 02: the project's basic data and the person in charge.
#include <QGroupBox>
#include <QVBoxLayout>

#include "app/pages.h"
#include "app/window_fonts.h"
#include "document/messages.h"
#include "record/fields.h"

namespace velmora::pages {

QWidget* basic(FieldWidgets& fields) {
  auto* page = new QWidget;
  page->setObjectName(QStringLiteral("TabSheet9"));
  PageBuilder b(page, fields, colors::kBlue, colors::kBlack);

  b.label(QStringLiteral("Velmora课题"), 104, 40, windowFont("黑体", 35, true));
  b.label(QStringLiteral("课题申请·评审书"), 152, 80, windowFont("宋体", 32, true));

  // Hidden items of the document: its identifier and number.
  QLabel* id = b.label(QString(), 40, 8, PageBuilder::defaultFont(), colors::kBlack, "ProjectID");
  id->hide();
  LimitedLineEdit* sn = b.text(Field::SN, 472, 2, 185);
  sn->setReadOnly(true);
  sn->setEnabled(false);
  sn->hide();

  auto* group = new QGroupBox(QStringLiteral("基本情况"), page);
  group->setObjectName(QStringLiteral("GroupBox1"));
  group->setGeometry(8, 120, 569, 329);
  group->setFont(PageBuilder::defaultFont());
  b.setParent(group);

  b.labelled(b.label(QStringLiteral("课题名称："), 8, 31)).text(Field::ProjectName, 72, 28, 473);

  b.labelled(b.label(QStringLiteral("关键词1："), 8, 75)).text(Field::KeyWord, 72, 72, 113);
  b.labelled(b.label(QStringLiteral("关键词2："), 192, 75)).text(Field::KeyWord2, 248, 72, 113);
  b.labelled(b.label(QStringLiteral("关键词3："), 376, 75)).text(Field::KeyWord3, 432, 72, 113);

  // The special programme is carried by documents but never shown.
  QLabel* purpose = b.label(QStringLiteral("研究专项："), 392, 50, PageBuilder::defaultFont(), colors::kBlack, "lbl9");
  purpose->hide();
  b.labelled(purpose).choice(Field::Purpose, 456, 48, 105)->hide();

  b.labelled(b.label(QStringLiteral("选题依据："), 8, 107)).choice(Field::Basis, 72, 104, 150);
  b.labelled(b.label(QStringLiteral("指南题号："), 288, 107, PageBuilder::defaultFont(), colors::kBlack, "lbl8"))
      .text(Field::GuideNum, 352, 104, 150);

  b.labelled(b.label(QStringLiteral("学科分类："), 8, 147)).choice(Field::SubjectClass, 72, 144, 190);
  b.labelled(b.label(QStringLiteral("课题类别："), 288, 147)).choice(Field::ProjectClass, 352, 144, 190);

  b.labelled(b.label(QStringLiteral("研究类型："), 8, 179)).choice(Field::ResearchClass, 72, 176, 150);
  LimitedLineEdit* outlay =
      b.labelled(b.label(QStringLiteral("申请经费（万元）："), 288, 179)).text(Field::ApplyOutlay, 400, 176, 57);
  outlay->setReadOnly(true);
  outlay->setEmptyContextMenu(true);

  b.labelled(b.label(QStringLiteral("负责人：  "), 8, 217)).text(Field::Presider, 72, 214, 120);
  b.labelled(b.label(QStringLiteral("教育电子身份证号：     "), 240, 217)).masked(Field::EduCode, 368, 214, 110);
  QLabel* link =
      b.label(QStringLiteral("点击申请号码    "), 484, 217, PageBuilder::defaultFont(), colors::kBlue, "Label41");
  link->setCursor(Qt::PointingHandCursor);

  LimitedLineEdit* date =
      b.labelled(b.label(QStringLiteral("申报日期："), 8, 249)).text(Field::InputDate, 72, 246, 100);
  date->setEmptyContextMenu(true);
  date->setToolTip(QStringLiteral("格式：20110801"));
  LimitedLineEdit* complete =
      b.labelled(b.label(QStringLiteral("预期完成时间：   "), 240, 249)).text(Field::ExpectCompleteDate, 336, 246, 100);
  complete->setEmptyContextMenu(true);
  complete->setToolTip(QStringLiteral("格式：201208"));

  b.label(QStringLiteral("（格式：8位阿拉伯数，例如20110801）"), 8, 272, PageBuilder::defaultFont(), colors::kRed);
  b.label(QStringLiteral("（格式：6位阿拉伯数，例如201208）"), 280, 272, PageBuilder::defaultFont(), colors::kRed);

  b.labelled(b.label(QStringLiteral("预期最终成果：1、      "), 8, 303), QStringLiteral("预期最终成果1"))
      .fixedText("Edit4", QString::fromUtf8(kFixedResult1.data(), kFixedResult1.size()), 128, 300, 65);
  b.labelled(b.label(QStringLiteral("2、"), 197, 303), QStringLiteral("预期最终成果2"))
      .fixedText("Edit1", QString::fromUtf8(kFixedResult2.data(), kFixedResult2.size()), 216, 300, 65);
  b.labelled(b.label(QStringLiteral("3、"), 285, 303), QStringLiteral("预期最终成果3"))
      .choice(Field::ExpectProduction1, 304, 300, 100);
  QLabel* fourth = b.label(QStringLiteral("4、"), 408, 303, PageBuilder::defaultFont(), colors::kBlack, "Label67");
  fourth->hide();
  b.labelled(fourth, QStringLiteral("预期最终成果4")).choice(Field::ExpectProduction2, 427, 300, 100)->hide();

  b.setParent(page);
  b.label(QStringLiteral("Velmora领导小组办公室"), 72, 464, windowFont("宋体", 21));
  b.label(QStringLiteral("2010年制"), 416, 464, windowFont("宋体", 21));
  // The page says what the box said when the formal document was opened.
  QLabel* passby = b.label(QString::fromUtf8(msg::kFormalDocument.data(), std::ssize(msg::kFormalDocument)), 32, 496,
                           windowFont("宋体", 20, true), colors::kRed, "passby");
  passby->resize(529, 20);
  passby->hide();
  return page;
}

QWidget* presider(FieldWidgets& fields) {
  auto* page = new QWidget;
  page->setObjectName(QStringLiteral("TabSheet1"));
  auto* group = new QGroupBox(QStringLiteral("负责人情况"), page);
  group->setObjectName(QStringLiteral("GroupBox2"));
  // The group fills the page.
  auto* fill = new QVBoxLayout(page);
  fill->setContentsMargins(0, 0, 0, 0);
  fill->addWidget(group);
  group->setFont(PageBuilder::defaultFont());
  setPageText(page, colors::kNavy);
  setPageText(group, colors::kNavy);
  PageBuilder b(group, fields, colors::kBlue);

  auto* mirror = b.labelled(b.label(QStringLiteral("姓名："), 8, 39)).fixedText("Presider1", QString(), 48, 36, 80);
  mirror->setEnabled(false);
  b.labelled(b.label(QStringLiteral("性别："), 140, 39)).choice(Field::Sex, 176, 36, 70);
  b.labelled(b.label(QStringLiteral("民族："), 258, 39)).text(Field::Nation, 294, 36, 60);
  b.labelled(b.label(QStringLiteral("年龄："), 366, 39)).choice(Field::Age, 402, 36, 90);
  b.labelled(b.label(QStringLiteral("出生日期："), 504, 39))
      .text(Field::Birthday, 564, 36, 88)
      ->setToolTip(QStringLiteral("格式：19710809"));

  LimitedLineEdit* id = b.labelled(b.label(QStringLiteral("身份证号："), 8, 80)).text(Field::IDcard, 68, 77, 150);
  id->setEmptyContextMenu(true);
  id->setToolTip(QStringLiteral("身份证号只允许填写数字和字母X，不可复制粘贴"));
  QLabel* eduLabel = b.label(QStringLiteral("教育电子身份证号：     "), 240, 80);
  auto* eduMirror = new MaskedEdit(Field::EduCode, group);
  eduMirror->setObjectName(QStringLiteral("EduCode1"));
  eduMirror->setFont(PageBuilder::defaultFont());
  setOwnColors(eduMirror, {{QPalette::Text, colors::kBlue}});
  eduMirror->setGeometry(368, 77, 110, 21);
  eduMirror->setEnabled(false);
  nameByLabel(eduMirror, eduLabel);

  b.labelled(b.label(QStringLiteral("行政职级："), 8, 129)).choice(Field::DutyAdmin, 68, 126, 130);
  b.labelled(b.label(QStringLiteral("专业职务："), 240, 129)).choice(Field::DutySpecial, 300, 126, 220);

  b.labelled(b.label(QStringLiteral("最后学历："), 8, 170)).choice(Field::LastDiploma, 68, 167, 130);
  b.labelled(b.label(QStringLiteral("最后学位："), 240, 170)).choice(Field::LastDegree, 300, 167, 130);

  b.labelled(b.label(QStringLiteral("研究专长："), 8, 211)).choice(Field::ResearchSpecial, 68, 208, 377);

  b.labelled(b.label(QStringLiteral("担任导师："), 8, 253)).choice(Field::Tutor, 68, 250, 130);
  b.labelled(b.label(QStringLiteral("所在省（自治区、直辖市）"), 240, 253)).choice(Field::BelongCity, 380, 250, 150);

  b.labelled(b.label(QStringLiteral("所属系统："), 8, 295)).choice(Field::BelongSystem, 68, 292, 465);

  b.labelled(b.label(QStringLiteral("工作单位："), 8, 332))
      .text(Field::Department, 68, 329, 281)
      ->setToolTip(QStringLiteral("按单位和部门公章全称填写"));
  b.labelled(b.label(QStringLiteral("电子邮箱："), 360, 332)).text(Field::ContactMail, 420, 329, 180);

  b.labelled(b.label(QStringLiteral("通讯地址："), 8, 373)).text(Field::ContactAddress, 68, 370, 313);
  b.labelled(b.label(QStringLiteral("邮政编码："), 392, 373)).text(Field::PostCode, 452, 370, 80);

  b.label(QStringLiteral("联系电话："), 8, 428);
  b.labelled(b.label(QStringLiteral("区号："), 72, 407), QStringLiteral("联系电话区号"))
      .text(Field::ContactTelArea, 72, 425, 49);
  b.labelled(b.label(QStringLiteral("办公电话："), 132, 407)).text(Field::ContactTelOffice, 132, 425, 110);
  b.labelled(b.label(QStringLiteral("住宅电话："), 252, 407)).text(Field::ContactTelHome, 252, 425, 110);
  b.labelled(b.label(QStringLiteral("手机号码："), 372, 407)).text(Field::ContactMobile, 372, 425, 110);
  return page;
}

}  // namespace velmora::pages

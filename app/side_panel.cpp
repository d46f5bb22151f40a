#include "app/side_panel.h"

#include <QLabel>

#include "app/icons.h"
#include "app/page_builder.h"
#include "app/window_fonts.h"

namespace velmora {
namespace {

QToolButton* pictureButton(QWidget* parent, const char* name, const QString& caption, const QIcon& icon, int x, int y,
                           int fontPixels) {
  auto* b = new QToolButton(parent);
  b->setObjectName(QString::fromLatin1(name));
  b->setText(caption);
  b->setIcon(icon);
  b->setIconSize(QSize(24, 24));
  b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
  // Flat: the border shows only under the pointer. Reached by Tab, not by a
  // click, so a click never takes the focus from the field being edited.
  b->setAutoRaise(true);
  b->setFocusPolicy(Qt::TabFocus);
  b->setAccessibleName(QString(caption).remove(QLatin1Char(' ')));
  b->setFont(windowFont("新宋体", fontPixels));
  setOwnColors(b, {{QPalette::ButtonText, colors::kNavy}});
  b->setGeometry(x, y, 66, 66);
  return b;
}

}  // namespace

SidePanel::SidePanel(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("Panel1"));
  setFixedWidth(180);

  verifydata = new QPushButton(icons::check(), QStringLiteral("检 查"), this);
  verifydata->setObjectName(QStringLiteral("verifydata"));
  verifydata->setIconSize(QSize(24, 24));
  verifydata->setFont(windowFont("MS Sans Serif", 16, true));
  setOwnColors(verifydata, {{QPalette::ButtonText, colors::kRed}});
  verifydata->setGeometry(5, 2, 88, 30);
  verifydata->setAccessibleName(QStringLiteral("检查"));
  // Each button names its shortcut (window_keyboard.cpp), where a user rests
  // the pointer and where a screen reader finds the button's description.
  verifydata->setToolTip(QStringLiteral("快捷键：F5 或 Ctrl+Enter"));

  verifylist = new QListWidget(this);
  verifylist->setObjectName(QStringLiteral("verifylist"));
  verifylist->setGeometry(0, 36, 177, 333);
  verifylist->setSelectionMode(QAbstractItemView::SingleSelection);
  verifylist->setFont(windowFont("MS Sans Serif", 11));
  verifylist->setToolTip(QStringLiteral("鼠标点击错误记录，可以定位到页面"));
  verifylist->setAccessibleName(QStringLiteral("检查结果"));
  verifylist->setStyleSheet(
      QStringLiteral("QListWidget#verifylist { background: rgb(194, 252, 233); color: red; }"
                     "QListWidget#verifylist::item { height: 13px; }"));

  openxmlfile = pictureButton(this, "openxmlfile", QStringLiteral("打 开"), icons::open(), 16, 376, 16);
  openxmlfile->setToolTip(QStringLiteral("快捷键：Ctrl+O"));
  savexmlfile = pictureButton(this, "savexmlfile", QStringLiteral("保 存"), icons::save(), 88, 376, 16);
  savexmlfile->setToolTip(QStringLiteral("保存文档前请先审核\n快捷键：Ctrl+S"));
  helpinfo = pictureButton(this, "helpinfo", QStringLiteral("帮 助"), icons::help(), 16, 448, 16);
  helpinfo->setToolTip(QStringLiteral("快捷键：F1"));
  printreport = pictureButton(this, "printreport", QStringLiteral("预览\\打印"), icons::print(), 88, 448, 14);
  printreport->setToolTip(QStringLiteral("快捷键：Ctrl+P"));

  // Two lines of 11 pixels each in the 22 pixels of the label.
  auto* notice = new QLabel(QStringLiteral("<div style=\"line-height: 11px; -qt-line-height-type: fixed;\">"
                                           "填写完毕请先检查再保存；<br>打印前请在预览中核对。</div>"),
                            this);
  notice->setTextFormat(Qt::RichText);
  notice->setObjectName(QStringLiteral("notice"));
  notice->setFont(windowFont("宋体", 11));
  setPageText(notice, colors::kBlue);
  notice->setGeometry(3, 528, 174, 22);

  room = new QLabel(this);
  room->setObjectName(QStringLiteral("room"));
  room->setFont(windowFont("宋体", 11));
  room->setGeometry(3, 514, 174, 14);
  room->hide();
}

}  // namespace velmora

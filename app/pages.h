#pragma once
// The eleven pages of the window, each built with its labels, notes and
// fields at their places.
#include <QWidget>

#include "app/page_builder.h"

namespace velmora::pages {

QWidget* basic(FieldWidgets& fields);       // 01 基本资料
QWidget* presider(FieldWidgets& fields);    // 02 负责人信息
QWidget* mainActor(FieldWidgets& fields);   // 03 主要参加者
QWidget* production(FieldWidgets& fields);  // 04 相关成果
QWidget* researched(FieldWidgets& fields);  // 05 承担课题
QWidget* reasoning(FieldWidgets& fields);   // 06 设计论证
QWidget* analyze(FieldWidgets& fields);     // 07 可行性分析
QWidget* results(FieldWidgets& fields);     // 08 预期成果
QWidget* funding(FieldWidgets& fields);     // 09 经费
QWidget* opinions(FieldWidgets& fields);    // 10 推荐意见
QWidget* looseLeaf(FieldWidgets& fields);   // 11 活页

}  // namespace velmora::pages

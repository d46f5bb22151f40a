#pragma once
// The panel on the right: the check button, the problem list, the four
// picture buttons and the notice.
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QToolButton>
#include <QWidget>

namespace velmora {

class SidePanel : public QWidget {
  Q_OBJECT
 public:
  explicit SidePanel(QWidget* parent);

  QPushButton* verifydata;
  QListWidget* verifylist;
  QToolButton* openxmlfile;
  QToolButton* savexmlfile;
  QToolButton* helpinfo;
  QToolButton* printreport;
  // The room left in the focused field, shown only while a limited field has
  // the focus.
  QLabel* room;
};

}  // namespace velmora

#include "app/choice_box.h"

#include <QKeyEvent>
#include <QPainter>
#include <QStyleOptionFrame>
#include <QWheelEvent>

#include "app/field_names.h"

namespace velmora {

ChoiceBox::ChoiceBox(Field field, QWidget* parent) : QComboBox(parent), field_(field) {
  const FieldDef& d = fieldDef(field);
  setObjectName(nameOf(d.id));
  setEditable(false);
  setMaxVisibleItems(8);
  // Clicked or tabbed into, not focused by the wheel: a wheel turned over a
  // form scrolls it and never changes a choice in passing.
  setFocusPolicy(Qt::StrongFocus);
  for (int i = 0; i < d.list->size(); ++i) {
    auto t = d.list->text(i);
    addItem(QString::fromUtf8(t.data(), t.size()));
  }
  setCurrentIndex(-1);
}

void ChoiceBox::showPopup() {
  if (!readOnly_) QComboBox::showPopup();
}

void ChoiceBox::keyPressEvent(QKeyEvent* e) {
  if (readOnly_ && e->key() != Qt::Key_Tab && e->key() != Qt::Key_Backtab) {
    e->ignore();
    return;
  }
  QComboBox::keyPressEvent(e);
}

void ChoiceBox::wheelEvent(QWheelEvent* e) {
  // Only the list the user is working in turns with the wheel; over any
  // other the wheel goes on to the page beneath.
  if (readOnly_ || !hasFocus()) {
    e->ignore();
    return;
  }
  QComboBox::wheelEvent(e);
}

void ChoiceBox::paintEvent(QPaintEvent* e) {
  if (!readOnly_) {
    QComboBox::paintEvent(e);
    return;
  }
  // Read-only, the list is drawn as a read-only line edit: the formal
  // document's other fields' frame and ground, and no drop-down arrow
  // promising a choice the list refuses.
  QPainter p(this);
  QStyleOptionFrame panel;
  panel.initFrom(this);
  panel.lineWidth = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &panel, this);
  panel.midLineWidth = 0;
  panel.state |= QStyle::State_Sunken | QStyle::State_ReadOnly;
  style()->drawPrimitive(QStyle::PE_PanelLineEdit, &panel, &p, this);
  // QLineEdit's own margin of 2 pixels either side of its text.
  const QRect r = style()->subElementRect(QStyle::SE_LineEditContents, &panel, this).adjusted(2, 0, -2, 0);
  const QString shown = fontMetrics().elidedText(currentText(), Qt::ElideRight, r.width());
  style()->drawItemText(&p, r, Qt::AlignLeft | Qt::AlignVCenter, panel.palette, isEnabled(), shown, QPalette::Text);
}

}  // namespace velmora

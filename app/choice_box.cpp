#include "app/choice_box.h"

#include <QKeyEvent>
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

}  // namespace velmora

#include "app/accessible_names.h"

#include <QComboBox>
#include <QLabel>

namespace velmora {

QString labelName(const QString& labelText) {
  QString text = labelText.simplified();
  while (!text.isEmpty() && QStringLiteral("：:、 ").contains(text.back())) text.chop(1);
  return text;
}

void nameByLabel(QWidget* field, QLabel* label, const QString& ownName) {
  label->setBuddy(field);
  const QString name = ownName.isEmpty() ? labelName(label->text()) : ownName;
  field->setAccessibleName(name);
  // On Linux Qt gives a choice list's current text as its name, and a
  // screen reader takes the list's name from its labelling label: a label
  // that does not carry the name itself ("3、") is given it.
  if (!ownName.isEmpty() && qobject_cast<QComboBox*>(field)) label->setAccessibleName(name);
}

}  // namespace velmora

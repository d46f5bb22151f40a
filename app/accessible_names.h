#pragma once
// Names for screen readers: every field is announced by the label the form
// shows for it, not by the group it stands in or by its current value.
#include <QString>

class QLabel;
class QWidget;

namespace velmora {

// A label's text as a name: without its colon, blanks and numbering
// punctuation.
QString labelName(const QString& labelText);

// Makes `label` the buddy of `field` and gives the field the label's name,
// or `ownName` where the label alone would not tell the field apart.
void nameByLabel(QWidget* field, QLabel* label, const QString& ownName = {});

}  // namespace velmora

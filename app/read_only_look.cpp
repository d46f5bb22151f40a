#include "app/read_only_look.h"

#include <QLineEdit>
#include <QPlainTextEdit>

#include "app/choice_box.h"
#include "app/limited_line_edit.h"
#include "app/masked_edit.h"
#include "app/page_builder.h"
#include "app/record_table.h"

namespace velmora {
namespace {

constexpr const char* kBuiltReadOnly = "velmoraBuiltReadOnly";
constexpr const char* kOwnPalette = "velmoraOwnPalette";

// Remembers, on the first call, whether the field was read-only as built (the
// derived amounts are, whatever the document).
bool builtReadOnly(QWidget* w, bool current) {
  QVariant v = w->property(kBuiltReadOnly);
  if (!v.isValid()) {
    w->setProperty(kBuiltReadOnly, current);
    return current;
  }
  return v.toBool();
}

void showReadOnlyBackground(QWidget* w, bool on) {
  const QVariant own = w->property(kOwnPalette);
  if (on && !own.isValid()) {
    w->setProperty(kOwnPalette, QVariant::fromValue(w->palette()));
    const QColor ground = w->palette().color(QPalette::Window);
    setOwnColors(w, {{QPalette::Base, ground}, {QPalette::Button, ground}});
  } else if (!on && own.isValid()) {
    w->setPalette(own.value<QPalette>());
    w->setProperty(kOwnPalette, QVariant());
  }
}

}  // namespace

void setFormalReadOnly(QWidget* w, bool on) {
  if (auto* e = qobject_cast<QLineEdit*>(w)) {
    e->setReadOnly(on || builtReadOnly(w, e->isReadOnly()));
  } else if (auto* t = qobject_cast<QPlainTextEdit*>(w)) {
    t->setReadOnly(on || builtReadOnly(w, t->isReadOnly()));
    // The keyboard moves through a read-only text and selects in it too.
    if (t->isReadOnly()) t->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  } else if (auto* c = qobject_cast<ChoiceBox*>(w)) {
    // Read-only, the list draws itself as a read-only line edit.
    if (c->isReadOnly() != on) c->update();
    c->setReadOnly(on);
  } else if (auto* table = qobject_cast<RecordTable*>(w)) {
    table->setReadOnly(on);
  }
  showReadOnlyBackground(w, on);
}

}  // namespace velmora

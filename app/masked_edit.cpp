#include "app/masked_edit.h"

#include <QKeyEvent>
#include <QTimer>

#include "app/field_names.h"
#include "app/masked_edit_accessible.h"

namespace velmora {

MaskedEdit::MaskedEdit(Field field, QWidget* parent) : QLineEdit(parent), field_(field) {
  installMaskedEditAccessibility();
  setObjectName(nameOf(field));
  setInputMask(QStringLiteral("9999-9999-9999;_"));
  setAttribute(Qt::WA_InputMethodEnabled, false);
  connect(this, &QLineEdit::textEdited, this, [this] { changed_ = true; });
}

QString MaskedEdit::digits() const {
  QString d;
  for (QChar c : text())
    if (c.isDigit()) d += c;
  return d;
}

void MaskedEdit::setDigits(const QString& d) {
  if (d == digits()) return;
  setText(d.leftJustified(kEduCodeDigits, QLatin1Char(' ')).left(kEduCodeDigits));
}

bool MaskedEdit::incompleteAfterChange() const { return changed_ && digits().size() != kEduCodeDigits; }

void MaskedEdit::refuseLeaving() {
  if (reporting_) return;
  reporting_ = true;
  if (onInvalid) onInvalid();
  // A hidden field cannot take the focus: its page comes to the front first.
  if (bringIntoView) bringIntoView();
  setFocus(Qt::OtherFocusReason);
  reporting_ = false;
}

void MaskedEdit::focusInEvent(QFocusEvent* e) {
  if (!reporting_ && e->reason() != Qt::ActiveWindowFocusReason && e->reason() != Qt::PopupFocusReason) {
    entryDigits_ = digits();
    changed_ = false;
  }
  QLineEdit::focusInEvent(e);
}

void MaskedEdit::focusOutEvent(QFocusEvent* e) {
  QLineEdit::focusOutEvent(e);
  // Leaving for another window or a popup is not leaving the field.
  if (reporting_ || e->reason() == Qt::ActiveWindowFocusReason || e->reason() == Qt::PopupFocusReason) return;
  // Checked once the focus has settled: a command that saw the value first
  // (a save, a page turned) may have refused it already.
  QTimer::singleShot(0, this, [this] {
    if (!hasFocus() && incompleteAfterChange()) refuseLeaving();
  });
}

void MaskedEdit::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_Escape) {
    if (digits() != entryDigits_) {
      setDigits(entryDigits_);
      emit textEdited(text());
    }
    changed_ = false;
    return;
  }
  if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
    if (incompleteAfterChange()) refuseLeaving();
    return;
  }
  QLineEdit::keyPressEvent(e);
}

}  // namespace velmora

#include "app/limited_line_edit.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QValidator>
#include <limits>

namespace velmora {
namespace {

bool isTypedCharacter(const QString& text) {
  return !text.isEmpty() && text.at(0).unicode() >= 32 && text.at(0).unicode() != 127;
}

}  // namespace

// Every change of a LimitedLineEdit's text, whatever path made it, is checked
// against the text accepted before it. The changed middle part is taken as
// the insertion and cut to what fits, exactly as a paste would be.
class FieldTextGate : public QValidator {
 public:
  explicit FieldTextGate(LimitedLineEdit* edit) : QValidator(edit), edit_(edit) {}

  State validate(QString& input, int& pos) const override {
    const QString gated = edit_->gate(input);
    if (gated != input) {
      input = gated;
      pos = std::min(pos, static_cast<int>(input.size()));
    }
    edit_->accepted_ = input;
    return Acceptable;
  }

 private:
  LimitedLineEdit* edit_;
};

LimitedLineEdit::LimitedLineEdit(Field field, QWidget* parent) : QLineEdit(parent), field_(field) {
  setObjectName(nameOf(field));
  // QLineEdit's own cap (32 767 characters) would cut a long cell or MaskName
  // that the record holds whole; the byte limit is the only limit.
  setMaxLength(std::numeric_limits<int>::max());
  setByteLimit(fieldDef(field).byteLimit);
  if (fieldDef(field).kind == Kind::Text) setKeyFilter(fieldDef(field).allowed);
  setValidator(new FieldTextGate(this));
  connect(this, &QLineEdit::textEdited, this, [this](const QString& t) {
    if (t == lastEdited_) return;
    lastEdited_ = t;
    emit userEdited(t);
  });
}

QString LimitedLineEdit::gate(const QString& proposed) const {
  if (programWrite_) return proposed;
  const QString& before = accepted_;
  const qsizetype shorter = std::min(before.size(), proposed.size());
  qsizetype head = 0;
  while (head < shorter && before.at(head) == proposed.at(head)) ++head;
  qsizetype tail = 0;
  while (tail < shorter - head && before.at(before.size() - 1 - tail) == proposed.at(proposed.size() - 1 - tail))
    ++tail;
  // Never split a surrogate pair between the kept and the inserted part.
  if (head > 0 && proposed.at(head - 1).isHighSurrogate()) --head;
  if (tail > 0 && proposed.at(proposed.size() - tail).isLowSurrogate()) --tail;
  const QString inserted = proposed.mid(head, proposed.size() - head - tail);
  if (inserted.isEmpty()) return proposed;
  const QString kept = before.left(head) + before.right(tail);
  const QString fits = fittingInsertion(kept, inserted, byteLimit_, filter_);
  if (fits == inserted) return proposed;
  return before.left(head) + fits + before.right(tail);
}

void LimitedLineEdit::showText(const QString& text) {
  if (text == this->text()) return;
  programWrite_ = true;
  setText(text);
  programWrite_ = false;
  accepted_ = lastEdited_ = this->text();
  // A shown text is read from its beginning, as a long one would be cut off.
  setCursorPosition(0);
}

void LimitedLineEdit::setKeyFilter(Allowed allowed) {
  filter_ = allowed;
  // Filtered fields take no input-method text, so the input method is off
  // there; nor pasted text, so no drops either.
  setAttribute(Qt::WA_InputMethodEnabled, allowed == Allowed::Anything);
  setAcceptDrops(allowed == Allowed::Anything);
}

void LimitedLineEdit::revertTo(const QString& text) {
  if (text == this->text()) return;
  programWrite_ = true;
  setText(text);
  programWrite_ = false;
  accepted_ = text;
  lastEdited_ = text;
  emit userEdited(text);
}

bool LimitedLineEdit::insertFitting(const QString& text) {
  QString current = this->text();
  if (hasSelectedText()) current.remove(selectionStart(), selectedText().size());
  QString fits = fittingInsertion(current, text, byteLimit_, filter_);
  if (fits.isEmpty()) return false;
  insert(fits);  // reports the change through textEdited, as typing does
  return true;
}

void LimitedLineEdit::pasteFitting() {
  if (isReadOnly()) return;
  insertFitting(QApplication::clipboard()->text());
}

void LimitedLineEdit::keyPressEvent(QKeyEvent* e) {
  if (e->matches(QKeySequence::Paste)) {
    if (filter_ == Allowed::Anything) pasteFitting();
    return;
  }
  if (filter_ != Allowed::Anything && (e->matches(QKeySequence::Copy) || e->matches(QKeySequence::Cut))) return;
  if (isTypedCharacter(e->text()) && !(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
    if (!isReadOnly()) insertFitting(e->text());
    return;
  }
  QLineEdit::keyPressEvent(e);
}

void LimitedLineEdit::inputMethodEvent(QInputMethodEvent* e) {
  if (filter_ != Allowed::Anything) {
    e->accept();
    return;
  }
  if (e->commitString().isEmpty() || isReadOnly()) {
    QLineEdit::inputMethodEvent(e);
    return;
  }
  QString current = text();
  if (hasSelectedText()) current.remove(selectionStart(), selectedText().size());
  QString fits = fittingInsertion(current, e->commitString(), byteLimit_, filter_);
  QInputMethodEvent limited(e->preeditString(), e->attributes());
  limited.setCommitString(fits, e->replacementStart(), e->replacementLength());
  QLineEdit::inputMethodEvent(&limited);
}

void LimitedLineEdit::mouseReleaseEvent(QMouseEvent* e) {
  // The middle button pastes the selection, which a filtered field refuses
  // as it refuses Ctrl+V.
  if (e->button() == Qt::MiddleButton && filter_ != Allowed::Anything) {
    e->accept();
    return;
  }
  QLineEdit::mouseReleaseEvent(e);
}

void LimitedLineEdit::contextMenuEvent(QContextMenuEvent* e) {
  if (emptyContextMenu_) {
    e->accept();
    return;
  }
  // Its Paste inserts through the gate like every other path.
  QMenu* menu = createStandardContextMenu();
  menu->setAttribute(Qt::WA_DeleteOnClose);
  menu->popup(e->globalPos());
}

}  // namespace velmora

#include "app/line_fields.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QTimer>
#include <QValidator>
#include <QWheelEvent>

#include "record/gbk.h"
#include "record/record.h"

namespace velmora {
namespace {

bool isTypedCharacter(const QString& text) {
  return !text.isEmpty() && text.at(0).unicode() >= 32 && text.at(0).unicode() != 127;
}

// Control characters other than tab and line break cannot be stored in an
// XML document: a text holding one could be saved but never opened again.
// DEL could be, but no key types it and no form wants it.
bool isStorable(QChar c) {
  return (c.unicode() >= 0x20 && c.unicode() != 0x7f) || c == QLatin1Char('\t') || c == QLatin1Char('\n');
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

std::size_t fieldBytes(const QString& text) { return limitedBytes(text.toStdString()); }

QString fittingInsertion(const QString& remaining, const QString& insert, int byteLimit, Allowed allowed,
                         bool multiLine) {
  std::size_t used = fieldBytes(remaining);
  QString out;
  std::size_t budget = byteLimit > 0 ? static_cast<std::size_t>(byteLimit) : SIZE_MAX;
  for (int i = 0; i < insert.size();) {
    int len = insert.at(i).isHighSurrogate() && i + 1 < insert.size() ? 2 : 1;
    QString ch = insert.mid(i, len);
    i += len;
    if (ch == QLatin1String("\r")) continue;
    if (ch == QLatin1String("\n") && !multiLine) continue;
    if (len == 1 && !isStorable(ch.at(0))) continue;
    if (allowed != Allowed::Anything && (len != 1 || !isAllowed(allowed, ch.at(0).unicode()))) continue;
    if (!canEncodeGbk(ch.toStdString())) continue;
    std::size_t b = fieldBytes(ch);
    if (used + b > budget) break;
    used += b;
    out += ch;
  }
  return out;
}

LimitedLineEdit::LimitedLineEdit(Field field, QWidget* parent) : QLineEdit(parent), field_(field) {
  setObjectName(nameOf(field));
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
  // Filtered fields take no input-method text, so the input method is off there.
  setAttribute(Qt::WA_InputMethodEnabled, allowed == Allowed::Anything);
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

MaskedEdit::MaskedEdit(Field field, QWidget* parent) : QLineEdit(parent), field_(field) {
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
  setText(d.leftJustified(12, QLatin1Char(' ')).left(12));
}

bool MaskedEdit::incompleteAfterChange() const { return changed_ && digits().size() != 12; }

void MaskedEdit::refuseLeaving() {
  if (reporting_) return;
  reporting_ = true;
  if (onInvalid) onInvalid();
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
  if (incompleteAfterChange()) QTimer::singleShot(0, this, [this] { refuseLeaving(); });
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

ChoiceBox::ChoiceBox(Field field, QWidget* parent) : QComboBox(parent), field_(field) {
  const FieldDef& d = fieldDef(field);
  setObjectName(nameOf(d.id));
  setEditable(false);
  setMaxVisibleItems(8);
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
  if (readOnly_) {
    e->ignore();
    return;
  }
  QComboBox::wheelEvent(e);
}

}  // namespace velmora

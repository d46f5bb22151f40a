#pragma once
// Single-line fields of the record: byte-limited text, the EduCode mask and
// the choice lists.
#include <QComboBox>
#include <QLineEdit>
#include <functional>

#include "app/field_names.h"
#include "record/fields.h"

namespace velmora {


// Text that fits: the characters of `insert` that GBK can hold and the filter
// lets through, cut where the byte limit would be passed by `remaining` (the
// field's text without the part being replaced) plus the insertion.
QString fittingInsertion(const QString& remaining, const QString& insert, int byteLimit, Allowed allowed,
                         bool multiLine = false);

// GBK bytes of a field's text as its limit counts them (limitedBytes).
std::size_t fieldBytes(const QString& text);

// A text field limited in GBK bytes, refusing characters GBK cannot hold,
// optionally filtering typed characters and without a context menu.
//
// Typing, pasting and input-method text are cut to what fits before they
// reach the field, so the undo history stays intact. Behind that, every
// change of the text (middle-click paste, a drop, undo and redo, anything
// QLineEdit inserts on its own) passes one gate that holds the same rule:
// what was inserted since the last accepted text is cut to what fits.
class LimitedLineEdit : public QLineEdit {
  Q_OBJECT
 public:
  LimitedLineEdit(Field field, QWidget* parent);

  Field field() const { return field_; }
  void setByteLimit(int bytes) { byteLimit_ = bytes; }
  int byteLimit() const { return byteLimit_; }
  // The characters typing may enter; a text field starts with its field's rule.
  void setKeyFilter(Allowed allowed);
  Allowed keyFilter() const { return filter_; }
  void setEmptyContextMenu(bool on) { emptyContextMenu_ = on; }

  // Shows a text written by the program (a loaded document): not filtered,
  // and no userEdited.
  void showText(const QString& text);

  // Inserts clipboard text, as much of it as fits.
  void pasteFitting();

  // The text as the gate last let it in.
  const QString& acceptedText() const { return accepted_; }

 signals:
  // The user changed the text (every path, after the gate); not emitted when
  // an edit leaves the text as it was.
  void userEdited(const QString& text);

 protected:
  void keyPressEvent(QKeyEvent* e) override;
  void inputMethodEvent(QInputMethodEvent* e) override;
  void contextMenuEvent(QContextMenuEvent* e) override;

 private:
  friend class FieldTextGate;
  bool insertFitting(const QString& text);
  QString gate(const QString& proposed) const;
  Field field_;
  int byteLimit_ = 0;
  Allowed filter_ = Allowed::Anything;
  bool emptyContextMenu_ = false;
  bool programWrite_ = false;
  QString accepted_;     // the text the gate last accepted
  QString lastEdited_;   // the text last reported through userEdited
};

// The education identity number: twelve digits shown as 0000-0000-0000 with
// underscores in the empty positions. A changed, incomplete value cannot be
// left (the error is reported through `onInvalid`); Escape restores the value
// the field had when it received the focus.
class MaskedEdit : public QLineEdit {
  Q_OBJECT
 public:
  MaskedEdit(Field field, QWidget* parent);
  Field field() const { return field_; }

  // The twelve (or fewer) digits without the dashes.
  QString digits() const;
  void setDigits(const QString& digits);

  std::function<void()> onInvalid;

 protected:
  void focusInEvent(QFocusEvent* e) override;
  void focusOutEvent(QFocusEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;

 private:
  bool incompleteAfterChange() const;
  void refuseLeaving();
  Field field_;
  QString entryDigits_;
  bool changed_ = false;
  bool reporting_ = false;
};

// A choice field: a fixed list, no typing. Read-only, it shows its choice
// and takes the focus but neither opens nor changes.
class ChoiceBox : public QComboBox {
  Q_OBJECT
 public:
  ChoiceBox(Field field, QWidget* parent);
  Field field() const { return field_; }
  void setReadOnly(bool on) { readOnly_ = on; }
  bool isReadOnly() const { return readOnly_; }
  void showPopup() override;

 protected:
  void keyPressEvent(QKeyEvent* e) override;
  void wheelEvent(QWheelEvent* e) override;

 private:
  Field field_;
  bool readOnly_ = false;
};

}  // namespace velmora

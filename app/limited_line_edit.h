#pragma once
// The single-line text field of the record.
#include <QLineEdit>

#include "app/field_names.h"
#include "app/text_fit.h"
#include "record/fields.h"

namespace velmora {

// A text field limited in GBK bytes, refusing characters GBK cannot hold,
// optionally filtering typed characters and without a context menu. It has
// no length cap of its own: a field without a byte limit takes any length.
//
// Typing, pasting and input-method text are cut to what fits before they
// reach the field, so the undo history stays intact. Behind that, every
// change of the text (middle-click paste, a drop, undo and redo, anything
// QLineEdit inserts on its own) passes one gate that holds the same rule:
// what was inserted since the last accepted text is cut to what fits.
// A filtered field takes no pasted text by any path: Ctrl+V, the middle
// button and a drop alike.
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

  // Puts back a text the field had (Escape in a cell), as an edit of the user.
  void revertTo(const QString& text);

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
  void mouseReleaseEvent(QMouseEvent* e) override;

 private:
  friend class FieldTextGate;
  bool insertFitting(const QString& text);
  QString gate(const QString& proposed) const;
  Field field_;
  int byteLimit_ = 0;
  Allowed filter_ = Allowed::Anything;
  bool emptyContextMenu_ = false;
  bool programWrite_ = false;
  QString accepted_;    // the text the gate last accepted
  QString lastEdited_;  // the text last reported through userEdited
};

}  // namespace velmora

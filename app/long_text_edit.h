#pragma once
// A long text of the record: wraps at the field's width, byte-limited, and
// whose value is the list of lines as the field shows them.
#include <QPlainTextEdit>
#include <QTextOption>

#include "record/fields.h"
#include "record/record.h"

namespace velmora {

class LongTextEdit : public QPlainTextEdit {
  Q_OBJECT
 public:
  LongTextEdit(Field field, QWidget* parent);
  Field field() const { return field_; }
  int byteLimit() const { return byteLimit_; }

  // The displayed lines: every wrapped piece is a line; no final empty line.
  Lines displayedLines() const;
  // Shows the lines as the text (a program write; emits no userEdited).
  void showLines(const Lines& lines);

 signals:
  void userEdited();

 protected:
  void keyPressEvent(QKeyEvent* e) override;
  void inputMethodEvent(QInputMethodEvent* e) override;
  void insertFromMimeData(const QMimeData* source) override;
  bool canInsertFromMimeData(const QMimeData* source) const override;

 private:
  QString remainingText() const;
  void insertFitting(const QString& text);
  int wrapWidth() const;
  Field field_;
  int byteLimit_;
  bool programWrite_ = false;
};

// Lines of `text` wrapped at `width` pixels in `font`.
Lines wrapLines(const QString& text, const QFont& font, int width,
                QTextOption::WrapMode mode = QTextOption::WrapAtWordBoundaryOrAnywhere);

// How a text is wrapped: at word boundaries, unless it holds a word so long
// that looking for its end on every line would take time growing with the
// square of its length (a document with a megabyte of "x"); such a text is
// broken anywhere, as Chinese text is.
QTextOption::WrapMode wrapModeFor(const QString& text);

}  // namespace velmora

#pragma once
// A long text of the record: wraps at the field's width, byte-limited, and
// whose value is the list of lines as the field shows them.
#include <QPlainTextEdit>
#include <QTextOption>
#include <cstddef>
#include <vector>

#include "record/fields.h"
#include "record/record.h"

class QTextBlock;

namespace velmora {

// What an edit did to a long text's displayed lines: lines [first, first +
// removed) of the lines before it became `inserted`.
struct LinesChange {
  std::size_t first = 0;
  std::size_t removed = 0;
  Lines inserted;
};

class LongTextEdit : public QPlainTextEdit {
  Q_OBJECT
 public:
  LongTextEdit(Field field, QWidget* parent);
  Field field() const { return field_; }
  int byteLimit() const { return byteLimit_; }

  // The displayed lines: every wrapped piece is a line; no final empty line.
  // The same as wrapLines of the whole text at the field's width, kept up to
  // date paragraph by paragraph as the text changes.
  Lines displayedLines() const;
  // Whether the field displays exactly these lines.
  bool displays(const Lines& lines) const;
  // How the displayed lines changed since the last call, or since the last
  // showLines: only the paragraphs an edit touched are wrapped again (all of
  // them once the width, the font or the wrapping changed).
  LinesChange takeLinesChange();
  // The bytes of the text as its limit counts them (fieldBytes of the plain
  // text), kept up to date from each edit's difference.
  std::size_t textBytes() const { return bytesInBlocks_ + 2 * (bytesPerBlock_.size() - 1); }

  // The width in pixels the lines are wrapped at: the viewport's, inside
  // the document's margins.
  int wrapWidth() const;

  // Shows the lines as the text (a program write; emits no userEdited).
  // Takes the lines whole: the next takeLinesChange starts from here.
  void showLines(const Lines& lines);

 signals:
  void userEdited();

 protected:
  void keyPressEvent(QKeyEvent* e) override;
  void inputMethodEvent(QInputMethodEvent* e) override;
  void insertFromMimeData(const QMimeData* source) override;
  bool canInsertFromMimeData(const QMimeData* source) const override;

 private:
  // The wrapping the kept lines were made for.
  struct Wrapping {
    int width = -1;
    QFont font;
    QTextOption::WrapMode mode = QTextOption::NoWrap;
    bool operator==(const Wrapping&) const = default;
  };
  Wrapping currentWrapping() const;
  std::size_t usedBytesOutsideSelection() const;
  void insertFitting(const QString& text);
  void contentsChanged(int from, int charsRemoved, int charsAdded);
  void markBlocksChanged(int first, int lastOld, int lastNew) const;
  void wrapChangedBlocks() const;
  void checkWrapping() const;
  int appendLinesOf(const QTextBlock& block, Lines& out) const;
  std::size_t lineOffsetOf(int block) const;

  Field field_;
  int byteLimit_;
  bool programWrite_ = false;

  // The lines of every paragraph (block) of the document, wrapped as shown,
  // in order, with a final empty line where the text ends in a break; and
  // how many of them each block holds. The blocks an edit touched hold none
  // until they are wrapped again, when the lines are next asked for.
  mutable Lines lines_;
  mutable std::vector<int> linesPerBlock_;
  mutable Wrapping wrapping_;
  // The blocks changed since the lines were last taken, [changedFirst_,
  // changedLast_] (none while changedFirst_ is -1), whether they are wrapped
  // again yet, and what they replaced of the lines last taken: `removedLines_`
  // lines from `firstChangedLine_`.
  mutable int changedFirst_ = -1;
  mutable int changedLast_ = -1;
  mutable bool changedWrapped_ = false;
  mutable std::size_t firstChangedLine_ = 0;
  mutable std::size_t removedLines_ = 0;
  // The lines last taken: how many (a final empty line included) and
  // whether the last was empty, which the displayed lines leave out.
  std::size_t takenLines_ = 1;
  bool takenEndedEmpty_ = true;

  // GBK bytes of every block's text, and their sum (a break between two
  // blocks counts two more).
  std::vector<std::size_t> bytesPerBlock_;
  std::size_t bytesInBlocks_ = 0;
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

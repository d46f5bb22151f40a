#include "app/long_text_edit.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QPlainTextDocumentLayout>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>
#include <algorithm>
#include <iterator>

#include "app/field_names.h"
#include "app/text_fit.h"

namespace velmora {

QTextOption::WrapMode wrapModeFor(const QString& text) {
  // Longer than any word a field of this width could hold on a few lines.
  constexpr qsizetype kLongestWord = 512;
  qsizetype run = 0;
  for (QChar c : text) {
    // Blanks and ideographs are places to break a line.
    if (c.isSpace() || c.unicode() >= 0x2E80) {
      run = 0;
    } else if (++run >= kLongestWord) {
      return QTextOption::WrapAnywhere;
    }
  }
  return QTextOption::WrapAtWordBoundaryOrAnywhere;
}

namespace {

// The lines of one paragraph (no line break in it, not empty) wrapped at
// `width`, appended to `out`; how many.
int appendParagraphLines(const QString& paragraph, const QFont& font, int width, QTextOption::WrapMode mode,
                         Lines& out) {
  QTextOption option;
  option.setWrapMode(mode);
  QTextLayout layout(paragraph, font);
  layout.setTextOption(option);
  layout.beginLayout();
  int count = 0;
  for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
    line.setLineWidth(width);
    out.push_back(paragraph.mid(line.textStart(), line.textLength()).toStdString());
    ++count;
  }
  layout.endLayout();
  return count;
}

// Characters that a block holds but its plain text has otherwise: a no-break
// space is a blank there, and the separators are line breaks.
bool plainTextDiffers(QStringView text) {
  for (QChar c : text) {
    const char16_t u = c.unicode();
    if (u == QChar::Nbsp || u == QChar::ParagraphSeparator || u == QChar::LineSeparator || u == 0xfdd0 || u == 0xfdd1)
      return true;
  }
  return false;
}

}  // namespace

Lines wrapLines(const QString& text, const QFont& font, int width, QTextOption::WrapMode mode) {
  Lines lines;
  const QStringList paragraphs = text.split(QLatin1Char('\n'));
  for (const QString& paragraph : paragraphs) {
    if (paragraph.isEmpty())
      lines.emplace_back();
    else
      appendParagraphLines(paragraph, font, width, mode, lines);
  }
  if (!lines.empty() && lines.back().empty()) lines.pop_back();
  return lines;
}

LongTextEdit::LongTextEdit(Field field, QWidget* parent)
    : QPlainTextEdit(parent), field_(field), byteLimit_(fieldDef(field).byteLimit) {
  setObjectName(nameOf(field));
  setLineWrapMode(QPlainTextEdit::WidgetWidth);
  setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setTabChangesFocus(true);
  // The empty text: one empty block, one empty line, no byte.
  lines_.assign(1, std::string());
  linesPerBlock_.assign(1, 1);
  bytesPerBlock_.assign(1, 0);
  wrapping_ = currentWrapping();
  connect(document(), &QTextDocument::contentsChange, this, &LongTextEdit::contentsChanged);
  connect(this, &QPlainTextEdit::textChanged, this, [this] {
    if (!programWrite_) emit userEdited();
  });
}

int LongTextEdit::wrapWidth() const {
  const int margin = static_cast<int>(document()->documentMargin());
  return width() - 2 * frameWidth() - verticalScrollBar()->sizeHint().width() - 2 * margin;
}

LongTextEdit::Wrapping LongTextEdit::currentWrapping() const { return {wrapWidth(), font(), wordWrapMode()}; }

// A change of the document: from `from` on, `charsRemoved` characters gave
// way to `charsAdded`. The text after it is what it was, so are its blocks:
// the blocks from the one holding `from` to the one holding the change's end
// replace as many blocks fewer or more as the document's block count grew.
void LongTextEdit::contentsChanged(int from, int /*charsRemoved*/, int charsAdded) {
  const QTextDocument* doc = document();
  const int blocks = doc->blockCount();
  const int keptBlocks = static_cast<int>(bytesPerBlock_.size());
  const int last = doc->characterCount() - 1;
  const int start = std::clamp(from, 0, last);
  const int end = std::clamp(from + charsAdded, start, last);
  int first = doc->findBlock(start).blockNumber();
  int lastNew = doc->findBlock(end).blockNumber();
  int lastOld = lastNew - (blocks - keptBlocks);
  if (first < 0 || lastNew < first || lastOld < first || lastOld >= keptBlocks) {
    // Not a change these blocks can follow: everything is taken anew.
    first = 0;
    lastOld = keptBlocks - 1;
    lastNew = blocks - 1;
  }

  // The bytes: the replaced blocks' counts go, the new blocks' come.
  for (int b = first; b <= lastOld; ++b) bytesInBlocks_ -= bytesPerBlock_[static_cast<std::size_t>(b)];
  std::vector<std::size_t> counted;
  counted.reserve(static_cast<std::size_t>(lastNew - first + 1));
  QTextBlock block = doc->findBlockByNumber(first);
  for (int b = first; b <= lastNew; ++b, block = block.next()) {
    counted.push_back(plainTextBytes(block.text()));
    bytesInBlocks_ += counted.back();
  }
  bytesPerBlock_.erase(bytesPerBlock_.begin() + first, bytesPerBlock_.begin() + lastOld + 1);
  bytesPerBlock_.insert(bytesPerBlock_.begin() + first, counted.begin(), counted.end());

  // The lines: wrapped again when next asked for, by then laid out.
  markBlocksChanged(first, lastOld, lastNew);
}

void LongTextEdit::markBlocksChanged(int first, int lastOld, int lastNew) const {
  // One range of changed blocks covers this change and those not yet taken,
  // with the unchanged blocks between them.
  int from = first, to = lastOld;
  const bool pending = changedFirst_ >= 0;
  if (pending) {
    from = std::min(from, changedFirst_);
    to = std::max(to, changedLast_);
  }
  const std::size_t offset = lineOffsetOf(from);
  std::size_t held = 0, heldByPending = 0;
  for (int b = from; b <= to; ++b) held += static_cast<std::size_t>(linesPerBlock_[static_cast<std::size_t>(b)]);
  if (pending && changedWrapped_)
    for (int b = changedFirst_; b <= changedLast_; ++b)
      heldByPending += static_cast<std::size_t>(linesPerBlock_[static_cast<std::size_t>(b)]);
  // The blocks before `from` are as they were taken: the change starts at
  // the same line there. Lines of blocks outside the earlier change are
  // lines taken, now replaced too.
  if (!pending) removedLines_ = 0;
  firstChangedLine_ = offset;
  removedLines_ += held - heldByPending;
  lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(offset),
               lines_.begin() + static_cast<std::ptrdiff_t>(offset + held));
  const int grown = lastNew - lastOld;
  linesPerBlock_.erase(linesPerBlock_.begin() + from, linesPerBlock_.begin() + to + 1);
  linesPerBlock_.insert(linesPerBlock_.begin() + from, static_cast<std::size_t>(to - from + 1 + grown), 0);
  changedFirst_ = from;
  changedLast_ = to + grown;
  changedWrapped_ = false;
}

std::size_t LongTextEdit::lineOffsetOf(int block) const {
  std::size_t offset = 0;
  for (int b = 0; b < block; ++b) offset += static_cast<std::size_t>(linesPerBlock_[static_cast<std::size_t>(b)]);
  return offset;
}

// A new width, font or wrap mode breaks every paragraph anew.
void LongTextEdit::checkWrapping() const {
  const Wrapping now = currentWrapping();
  if (now == wrapping_) return;
  wrapping_ = now;
  const int last = static_cast<int>(linesPerBlock_.size()) - 1;
  markBlocksChanged(0, last, last);
}

void LongTextEdit::wrapChangedBlocks() const {
  checkWrapping();
  if (changedFirst_ < 0 || changedWrapped_) return;
  Lines fresh;
  QTextBlock block = document()->findBlockByNumber(changedFirst_);
  for (int b = changedFirst_; b <= changedLast_; ++b, block = block.next())
    linesPerBlock_[static_cast<std::size_t>(b)] = appendLinesOf(block, fresh);
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(firstChangedLine_), std::make_move_iterator(fresh.begin()),
                std::make_move_iterator(fresh.end()));
  changedWrapped_ = true;
}

// A block's lines as wrapLines makes them of its plain text. The editor has
// laid the block out already, at the same width, in the same font and wrap
// mode: its lines are taken from there, unless the block holds what its plain
// text has otherwise, or input-method text being composed, or the editor was
// not yet given its width (a page not yet shown).
int LongTextEdit::appendLinesOf(const QTextBlock& block, Lines& out) const {
  const QString text = block.text();
  if (text.isEmpty()) {
    out.emplace_back();
    return 1;
  }
  const int width = wrapping_.width;
  if (plainTextDiffers(text)) {
    QString plain = text;
    plain.replace(QChar::Nbsp, QLatin1Char(' '));
    for (QChar separator :
         {QChar(QChar::ParagraphSeparator), QChar(QChar::LineSeparator), QChar(0xfdd0), QChar(0xfdd1)})
      plain.replace(separator, QLatin1Char('\n'));
    int count = 0;
    for (const QString& paragraph : plain.split(QLatin1Char('\n'))) {
      if (paragraph.isEmpty()) {
        out.emplace_back();
        ++count;
      } else {
        count += appendParagraphLines(paragraph, wrapping_.font, width, wrapping_.mode, out);
      }
    }
    return count;
  }
  const QTextDocument* doc = document();
  auto* layout = qobject_cast<QPlainTextDocumentLayout*>(doc->documentLayout());
  QTextLayout* laidOut = block.layout();
  // A viewport not given its width yet (its page never shown) has no layout
  // worth making.
  const bool viewportWidth = viewport()->width() - 2 * doc->documentMargin() == width;
  if (viewportWidth && layout && laidOut && laidOut->preeditAreaText().isEmpty() &&
      doc->defaultFont() == wrapping_.font) {
    layout->ensureBlockLayout(block);
    const int count = laidOut->lineCount();
    // Every line of a block is given the same width: the first tells it.
    if (count > 0 && laidOut->lineAt(0).width() == width && laidOut->textOption().wrapMode() == wrapping_.mode) {
      for (int i = 0; i < count; ++i) {
        const QTextLine line = laidOut->lineAt(i);
        out.push_back(QStringView(text).mid(line.textStart(), line.textLength()).toString().toStdString());
      }
      return count;
    }
  }
  return appendParagraphLines(text, wrapping_.font, width, wrapping_.mode, out);
}

Lines LongTextEdit::displayedLines() const {
  wrapChangedBlocks();
  const bool endsEmpty = lines_.back().empty();
  return Lines(lines_.begin(), lines_.end() - (endsEmpty ? 1 : 0));
}

bool LongTextEdit::displays(const Lines& lines) const {
  wrapChangedBlocks();
  const std::size_t shown = lines_.size() - (lines_.back().empty() ? 1 : 0);
  return lines.size() == shown && std::equal(lines.begin(), lines.end(), lines_.begin());
}

LinesChange LongTextEdit::takeLinesChange() {
  wrapChangedBlocks();
  LinesChange change;
  if (changedFirst_ < 0) return change;
  std::size_t count = 0;
  for (int b = changedFirst_; b <= changedLast_; ++b)
    count += static_cast<std::size_t>(linesPerBlock_[static_cast<std::size_t>(b)]);
  const std::size_t first = firstChangedLine_;
  const bool endsEmpty = lines_.back().empty();
  change.first = first;
  auto from = lines_.begin() + static_cast<std::ptrdiff_t>(first);
  if (first + removedLines_ < takenLines_) {
    // The last line is the one taken: so is whether it is left out.
    change.removed = removedLines_;
    change.inserted.assign(from, from + static_cast<std::ptrdiff_t>(count));
  } else {
    // The change reaches the end, where a final empty line is no line of the
    // displayed text, before or after.
    const std::size_t takenShown = takenLines_ - (takenEndedEmpty_ ? 1 : 0);
    change.removed = takenShown > first ? takenShown - first : 0;
    change.inserted.assign(from, lines_.end() - (endsEmpty ? 1 : 0));
  }
  takenLines_ = lines_.size();
  takenEndedEmpty_ = endsEmpty;
  changedFirst_ = changedLast_ = -1;
  return change;
}

void LongTextEdit::showLines(const Lines& lines) {
  QString text = QString::fromStdString(textFromLines(lines));
  if (text != toPlainText()) {
    programWrite_ = true;
    setWordWrapMode(wrapModeFor(text));
    setPlainText(text);
    programWrite_ = false;
  }
  // The caller takes the lines whole.
  wrapChangedBlocks();
  takenLines_ = lines_.size();
  takenEndedEmpty_ = lines_.back().empty();
  changedFirst_ = changedLast_ = -1;
}

std::size_t LongTextEdit::usedBytesOutsideSelection() const {
  const QTextCursor c = textCursor();
  return c.hasSelection() ? textBytes() - plainTextBytes(c.selectedText()) : textBytes();
}

void LongTextEdit::insertFitting(const QString& text) {
  QString fits = fittingInsertion(usedBytesOutsideSelection(), text, byteLimit_, Allowed::Anything, true);
  if (!fits.isEmpty()) insertPlainText(fits);
}

void LongTextEdit::keyPressEvent(QKeyEvent* e) {
  if (isReadOnly()) {
    QPlainTextEdit::keyPressEvent(e);
    return;
  }
  if (e->matches(QKeySequence::Paste)) {
    paste();
    return;
  }
  const bool enter = e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter;
  // The Tab key moves the focus; a tab typed otherwise is text like any other
  // and is held to the limit (QPlainTextEdit would insert it unchecked).
  const bool tab = e->text() == QLatin1String("\t") && e->key() != Qt::Key_Tab && e->key() != Qt::Key_Backtab;
  const QString t = enter ? QStringLiteral("\n") : e->text();
  if (!t.isEmpty() && (enter || tab || t.at(0).unicode() >= 32) && t.at(0).unicode() != 127 &&
      !(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
    insertFitting(t);
    return;
  }
  QPlainTextEdit::keyPressEvent(e);
}

void LongTextEdit::inputMethodEvent(QInputMethodEvent* e) {
  if (e->commitString().isEmpty() || isReadOnly()) {
    QPlainTextEdit::inputMethodEvent(e);
    return;
  }
  QString fits = fittingInsertion(usedBytesOutsideSelection(), e->commitString(), byteLimit_, Allowed::Anything, true);
  QInputMethodEvent limited(e->preeditString(), e->attributes());
  limited.setCommitString(fits, e->replacementStart(), e->replacementLength());
  QPlainTextEdit::inputMethodEvent(&limited);
}

bool LongTextEdit::canInsertFromMimeData(const QMimeData* source) const { return source->hasText(); }

void LongTextEdit::insertFromMimeData(const QMimeData* source) {
  if (source->hasText()) insertFitting(source->text());
}

}  // namespace velmora

#include "app/long_text_edit.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>

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

Lines wrapLines(const QString& text, const QFont& font, int width, QTextOption::WrapMode mode) {
  Lines lines;
  const QStringList paragraphs = text.split(QLatin1Char('\n'));
  QTextOption option;
  option.setWrapMode(mode);
  for (const QString& paragraph : paragraphs) {
    if (paragraph.isEmpty()) {
      lines.emplace_back();
      continue;
    }
    QTextLayout layout(paragraph, font);
    layout.setTextOption(option);
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
      line.setLineWidth(width);
      lines.push_back(paragraph.mid(line.textStart(), line.textLength()).toStdString());
    }
    layout.endLayout();
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
  connect(this, &QPlainTextEdit::textChanged, this, [this] {
    if (!programWrite_) emit userEdited();
  });
}

int LongTextEdit::wrapWidth() const {
  const int margin = static_cast<int>(document()->documentMargin());
  return width() - 2 * frameWidth() - verticalScrollBar()->sizeHint().width() - 2 * margin;
}

Lines LongTextEdit::displayedLines() const {
  return wrapLines(toPlainText(), font(), wrapWidth(), wordWrapMode());
}

void LongTextEdit::showLines(const Lines& lines) {
  QString text = QString::fromStdString(textFromLines(lines));
  if (text == toPlainText()) return;
  programWrite_ = true;
  setWordWrapMode(wrapModeFor(text));
  setPlainText(text);
  programWrite_ = false;
}

QString LongTextEdit::remainingText() const {
  QString text = toPlainText();
  QTextCursor c = textCursor();
  if (c.hasSelection()) text.remove(c.selectionStart(), c.selectionEnd() - c.selectionStart());
  return text;
}

void LongTextEdit::insertFitting(const QString& text) {
  QString fits = fittingInsertion(remainingText(), text, byteLimit_, Allowed::Anything, true);
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
  QString fits = fittingInsertion(remainingText(), e->commitString(), byteLimit_, Allowed::Anything, true);
  QInputMethodEvent limited(e->preeditString(), e->attributes());
  limited.setCommitString(fits, e->replacementStart(), e->replacementLength());
  QPlainTextEdit::inputMethodEvent(&limited);
}

bool LongTextEdit::canInsertFromMimeData(const QMimeData* source) const { return source->hasText(); }

void LongTextEdit::insertFromMimeData(const QMimeData* source) {
  if (source->hasText()) insertFitting(source->text());
}

}  // namespace velmora

#pragma once
// How much of an inserted text a field takes: the rule every field widget
// applies to typing, pastes, drops and input-method text alike.
#include <QObject>
#include <QString>
#include <cstddef>

#include "record/fields.h"

namespace velmora {

// The plain form of a text that arrives from outside (a PDF, a web page, a
// word processor): line and paragraph separators, form feeds and CR LF become
// line breaks (blanks in a one-line field, where a break that ends the text
// goes); no-break and other typographic spaces become blanks; a character GBK
// lacks is replaced by its compatibility form (NFKC: the ligature "ﬁ" by
// "fi", full-width and circled forms) when GBK holds that. What GBK or an XML
// document still cannot hold is left in, for the caller to drop and count.
QString plainFormOf(const QString& text, bool multiLine);

// Text that fits: the plain form of `insert` with the characters that GBK
// can hold and the filter lets through, cut where the byte limit would be
// passed by `remaining` (the field's text without the part being replaced)
// plus the insertion. Characters dropped because no document can hold them
// are reported through InputNotices, once per insertion.
QString fittingInsertion(const QString& remaining, const QString& insert, int byteLimit, Allowed allowed,
                         bool multiLine = false);
// The same for a field whose text without the part being replaced takes
// `usedBytes` (as fieldBytes counts them): a long text keeps that count as
// it changes, instead of counting its whole text again at every key.
QString fittingInsertion(std::size_t usedBytes, const QString& insert, int byteLimit, Allowed allowed,
                         bool multiLine = false);

// GBK bytes of a field's text as its limit counts them (limitedBytes).
std::size_t fieldBytes(const QString& text);

// fieldBytes of the plain text of an editor's characters, counted where they
// stand: QTextDocument::toPlainText() turns a no-break space into a blank and
// a paragraph or line separator into a line break, and so does this count
// (a text cursor's selection holds a paragraph separator for each break).
std::size_t plainTextBytes(QStringView text);

// Tells the window what the field widgets did to a text on its way in.
class InputNotices : public QObject {
  Q_OBJECT
 public:
  static InputNotices& instance();

 signals:
  // `count` characters of an insertion could not be kept: GBK or an XML
  // document cannot hold them.
  void charactersDropped(int count);
};

}  // namespace velmora

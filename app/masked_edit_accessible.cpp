#include "app/masked_edit_accessible.h"

#include <QAccessibleWidget>
#include <QStyle>
#include <QStyleOptionFrame>
#include <vector>

#include "app/masked_edit.h"

namespace velmora {
namespace {

// The field as spoken: its digits, with the dashes that stand between two of
// them; nothing while no digit is entered. QLineEdit's own text is "--" for
// the empty mask, which a screen reader reads out. Offsets map both ways
// between the spoken text and the shown one ("1234-5___-____").
struct Spoken {
  QString text;
  std::vector<int> offsetAt;  // for each shown position, and its end
  std::vector<int> shownAt;   // for each spoken offset, and its end
};

Spoken spokenOf(const QString& shown) {
  int first = -1, last = -1;
  for (int p = 0; p < shown.size(); ++p)
    if (shown.at(p).isDigit()) {
      if (first < 0) first = p;
      last = p;
    }
  Spoken s;
  for (int p = 0; p < shown.size(); ++p) {
    s.offsetAt.push_back(int(s.text.size()));
    const QChar c = shown.at(p);
    if (c.isDigit() || (c == QLatin1Char('-') && p > first && p < last)) {
      s.shownAt.push_back(p);
      s.text += c;
    }
  }
  s.offsetAt.push_back(int(s.text.size()));
  s.shownAt.push_back(last + 1);
  return s;
}

// Qt's line edit interface is private to Qt, so this one stands in for it:
// the same role and states, a text interface over the spoken text. It has
// no editable-text interface: the field takes typed digits only, and a
// change made through one would bypass the leave check.
class MaskedEditAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
 public:
  explicit MaskedEditAccessible(MaskedEdit* edit) : QAccessibleWidget(edit, QAccessible::EditableText) {}

  void* interface_cast(QAccessible::InterfaceType t) override {
    if (t == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
    return QAccessibleWidget::interface_cast(t);
  }

  QAccessible::State state() const override {
    QAccessible::State s = QAccessibleWidget::state();
    if (edit()->isReadOnly())
      s.readOnly = true;
    else
      s.editable = true;
    s.selectableText = true;
    return s;
  }

  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Value) return spoken().text;
    return QAccessibleWidget::text(t);
  }

  // QAccessibleTextInterface, in spoken offsets.
  void selection(int index, int* start, int* end) const override {
    *start = *end = 0;
    if (index != 0 || !edit()->hasSelectedText()) return;
    const Spoken s = spoken();
    const int from = edit()->selectionStart();
    *start = offsetAt(s, from);
    *end = offsetAt(s, from + edit()->selectionLength());
  }
  int selectionCount() const override {
    int start = 0, end = 0;
    selection(0, &start, &end);
    return start < end ? 1 : 0;
  }
  void addSelection(int start, int end) override { setSelection(0, start, end); }
  void removeSelection(int) override { edit()->deselect(); }
  void setSelection(int, int start, int end) override {
    const Spoken s = spoken();
    const int from = shownAt(s, start);
    edit()->setSelection(from, shownAt(s, end) - from);
  }
  int cursorPosition() const override { return offsetAt(spoken(), edit()->cursorPosition()); }
  void setCursorPosition(int position) override { edit()->setCursorPosition(shownAt(spoken(), position)); }
  QString text(int start, int end) const override {
    const QString t = spoken().text;
    if (end < 0 || end > t.size()) end = int(t.size());
    start = qBound(0, start, end);
    return t.mid(start, end - start);
  }
  int characterCount() const override { return int(spoken().text.size()); }
  QRect characterRect(int offset) const override {
    const Spoken s = spoken();
    if (offset < 0 || offset >= s.text.size()) return {};
    const QString shown = edit()->displayText();
    const int p = s.shownAt[offset];
    // The field shows its fourteen characters whole: nothing is scrolled.
    QStyleOptionFrame panel;
    panel.initFrom(edit());
    panel.lineWidth = edit()->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &panel, edit());
    const QRect box = edit()
                          ->style()
                          ->subElementRect(QStyle::SE_LineEditContents, &panel, edit())
                          .marginsRemoved(edit()->textMargins());
    const QFontMetrics fm = edit()->fontMetrics();
    const int x = box.x() + 2 + fm.horizontalAdvance(shown.left(p));  // QLineEdit's 2-pixel margin
    const QRect r(x, box.y() + (box.height() - fm.height() + 1) / 2, fm.horizontalAdvance(shown.at(p)), fm.height());
    return QRect(edit()->mapToGlobal(r.topLeft()), r.size());
  }
  int offsetAtPoint(const QPoint& point) const override {
    const QPoint local = edit()->mapFromGlobal(point);
    const Spoken s = spoken();
    if (!edit()->rect().contains(local) || s.text.isEmpty()) return -1;
    return qMin(offsetAt(s, edit()->cursorPositionAt(local)), int(s.text.size()) - 1);
  }
  void scrollToSubstring(int start, int end) override {
    const Spoken s = spoken();
    edit()->setCursorPosition(shownAt(s, end));
    edit()->setCursorPosition(shownAt(s, start));
  }
  QString attributes(int offset, int* start, int* end) const override {
    *start = *end = offset;
    return {};
  }

 private:
  MaskedEdit* edit() const { return static_cast<MaskedEdit*>(widget()); }
  Spoken spoken() const { return spokenOf(edit()->displayText()); }
  static int offsetAt(const Spoken& s, int shown) { return s.offsetAt[qBound(0, shown, int(s.offsetAt.size()) - 1)]; }
  static int shownAt(const Spoken& s, int offset) { return s.shownAt[qBound(0, offset, int(s.shownAt.size()) - 1)]; }
};

QAccessibleInterface* maskedEditInterface(const QString& className, QObject* object) {
  if (className == QLatin1String(MaskedEdit::staticMetaObject.className()))
    if (auto* edit = qobject_cast<MaskedEdit*>(object)) return new MaskedEditAccessible(edit);
  return nullptr;
}

}  // namespace

void installMaskedEditAccessibility() {
  static const bool installed = [] {
    QAccessible::installFactory(maskedEditInterface);
    return true;
  }();
  (void)installed;
}

}  // namespace velmora

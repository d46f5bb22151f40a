#pragma once
// Places the labels and fields of a page at their pixel positions and
// registers every field widget under its element name.
#include <QColor>
#include <QFont>
#include <QLabel>
#include <QPalette>
#include <QWidget>
#include <array>
#include <initializer_list>
#include <utility>

#include "app/accessible_names.h"
#include "app/choice_box.h"
#include "app/limited_line_edit.h"
#include "app/long_text_edit.h"
#include "app/masked_edit.h"
#include "app/record_table.h"

namespace velmora {

// Every field widget of the record by field, filled by the page builders.
struct FieldWidgets {
  std::array<QWidget*, kFieldCount> byField{};
  QWidget* operator[](Field f) const { return byField[index(f)]; }
};

namespace colors {
inline const QColor kBlue(0, 0, 255);
inline const QColor kNavy(0, 0, 128);
inline const QColor kMaroon(128, 0, 0);
inline const QColor kRed(255, 0, 0);
inline const QColor kBlack(0, 0, 0);
}  // namespace colors

class PageBuilder {
 public:
  // `pageText` is the colour of the page's own texts: the window text on
  // page 01, navy, as the tabs, on the other pages.
  PageBuilder(QWidget* parent, FieldWidgets& fields, QColor fieldText, QColor pageText = colors::kNavy)
      : parent_(parent), fields_(fields), fieldText_(fieldText), pageText_(pageText) {}

  QLabel* label(const QString& text, int x, int y, const QFont& font, QColor color, const char* name = nullptr);
  // A label in the page's text colour.
  QLabel* label(const QString& text, int x, int y, const QFont& font) { return label(text, x, y, font, pageText_); }
  QLabel* label(const QString& text, int x, int y) { return label(text, x, y, defaultFont(), pageText_); }

  LimitedLineEdit* text(Field f, int x, int y, int width);
  MaskedEdit* masked(Field f, int x, int y, int width);
  ChoiceBox* choice(Field f, int x, int y, int width);
  LongTextEdit* longText(Field f, int x, int y, int width, int height, const QFont& font, QColor color);
  RecordTable* table(Field f, const QStringList& headers, const QList<int>& widths);
  // A read-only field that is not part of the record.
  QLineEdit* fixedText(const char* name, const QString& value, int x, int y, int width);

  static QFont defaultFont();

  // A field with the label the form shows beside or above it: the label is
  // its buddy and names it for screen readers, or `name` does where the
  // label alone would not tell the field apart ("3、").
  class Labelled {
   public:
    Labelled(PageBuilder& b, QLabel* label, QString name) : b_(b), label_(label), name_(std::move(name)) {}
    LimitedLineEdit* text(Field f, int x, int y, int width) { return named(b_.text(f, x, y, width)); }
    MaskedEdit* masked(Field f, int x, int y, int width) { return named(b_.masked(f, x, y, width)); }
    ChoiceBox* choice(Field f, int x, int y, int width) { return named(b_.choice(f, x, y, width)); }
    LongTextEdit* longText(Field f, int x, int y, int width, int height, const QFont& font, QColor color) {
      return named(b_.longText(f, x, y, width, height, font, color));
    }
    RecordTable* table(Field f, const QStringList& headers, const QList<int>& widths) {
      return named(b_.table(f, headers, widths));
    }
    QLineEdit* fixedText(const char* name, const QString& value, int x, int y, int width) {
      return named(b_.fixedText(name, value, x, y, width));
    }

   private:
    template <typename Widget>
    Widget* named(Widget* w) {
      nameByLabel(w, label_, name_);
      return w;
    }
    PageBuilder& b_;
    QLabel* label_;
    QString name_;
  };
  Labelled labelled(QLabel* label, const QString& name = {}) { return Labelled(*this, label, name); }

  QWidget* parent() const { return parent_; }
  void setParent(QWidget* p) { parent_ = p; }

 private:
  template <typename Widget>
  Widget* lineField(Field f, int x, int y, int width);
  void style(QWidget* w, QColor color) const;
  QWidget* parent_;
  FieldWidgets& fields_;
  QColor fieldText_;
  QColor pageText_;
};

// Gives a widget colours of its own for the enabled states (a disabled one
// keeps the palette's grey, so that it looks disabled); every other colour
// comes from the window.
void setOwnColors(QWidget* w, std::initializer_list<std::pair<QPalette::ColorRole, QColor>> colors);

// Gives a page (or group) and the labels on it that have no colour of their
// own the page's text colour.
void setPageText(QWidget* w, QColor color);

}  // namespace velmora

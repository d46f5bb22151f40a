#include "app/page_builder.h"

#include "app/window_fonts.h"

namespace velmora {

namespace {
constexpr int kEditHeight = 21;
}

void setOwnColors(QWidget* w, std::initializer_list<std::pair<QPalette::ColorRole, QColor>> colors) {
  QPalette p = w->palette();
  // Only the roles set here are the widget's own; a copy of an unset palette
  // would freeze every colour of the desktop's palette into the widget.
  if (!w->testAttribute(Qt::WA_SetPalette)) p.setResolveMask(0);
  for (const auto& [role, color] : colors) {
    p.setColor(QPalette::Active, role, color);
    p.setColor(QPalette::Inactive, role, color);
  }
  w->setPalette(p);
}

void setPageText(QWidget* w, QColor color) { setOwnColors(w, {{QPalette::WindowText, color}}); }

QFont PageBuilder::defaultFont() { return windowFont("MS Sans Serif", 11); }

void PageBuilder::style(QWidget* w, QColor color) const {
  setOwnColors(w, {{QPalette::Text, color}, {QPalette::WindowText, color}, {QPalette::ButtonText, color}});
  w->setFont(defaultFont());
}

QLabel* PageBuilder::label(const QString& text, int x, int y, const QFont& font, QColor color, const char* name) {
  auto* l = new QLabel(text, parent_);
  if (name) l->setObjectName(QString::fromLatin1(name));
  l->setFont(font);
  setPageText(l, color);
  l->move(x, y);
  l->adjustSize();
  return l;
}

template <typename Widget>
Widget* PageBuilder::lineField(Field f, int x, int y, int width) {
  auto* w = new Widget(f, parent_);
  style(w, fieldText_);
  w->setGeometry(x, y, width, kEditHeight);
  fields_.byField[index(f)] = w;
  return w;
}

LimitedLineEdit* PageBuilder::text(Field f, int x, int y, int width) {
  return lineField<LimitedLineEdit>(f, x, y, width);
}
MaskedEdit* PageBuilder::masked(Field f, int x, int y, int width) { return lineField<MaskedEdit>(f, x, y, width); }
ChoiceBox* PageBuilder::choice(Field f, int x, int y, int width) { return lineField<ChoiceBox>(f, x, y, width); }

LongTextEdit* PageBuilder::longText(Field f, int x, int y, int width, int height, const QFont& font, QColor color) {
  auto* e = new LongTextEdit(f, parent_);
  style(e, color);
  e->setFont(font);
  if (width > 0) e->setGeometry(x, y, width, height);
  fields_.byField[index(f)] = e;
  return e;
}

RecordTable* PageBuilder::table(Field f, const QStringList& headers, const QList<int>& widths) {
  auto* t = new RecordTable(f, parent_);
  style(t, colors::kNavy);
  t->setColumns(headers, widths);
  fields_.byField[index(f)] = t;
  return t;
}

QLineEdit* PageBuilder::fixedText(const char* name, const QString& value, int x, int y, int width) {
  auto* e = new QLineEdit(value, parent_);
  e->setObjectName(QString::fromLatin1(name));
  style(e, fieldText_);
  e->setReadOnly(true);
  e->setGeometry(x, y, width, kEditHeight);
  return e;
}

}  // namespace velmora

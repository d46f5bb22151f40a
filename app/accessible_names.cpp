#include "app/accessible_names.h"

#include <QAbstractScrollArea>
#include <QComboBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QTabWidget>
#include <algorithm>
#include <map>

#include "app/page_builder.h"

namespace velmora {
namespace {

// Controls whose label alone would not tell them apart.
const std::map<QString, const char*> kOwnNames{
    {QStringLiteral("OutlayGrid"), "经费预算（第1至6项）"},
    {QStringLiteral("OutlayGrid2"), "经费预算（第7至11项）"},
    {QStringLiteral("Edit4"), "预期最终成果1"},
    {QStringLiteral("Edit1"), "预期最终成果2"},
    {QStringLiteral("ExpectProduction1"), "预期最终成果3"},
    {QStringLiteral("ExpectProduction2"), "预期最终成果4"},
    {QStringLiteral("ContactTelArea"), "联系电话区号"},
    {QStringLiteral("Memo1"), "填写要求"},
    {QStringLiteral("Memo3"), "填写要求"},
    {QStringLiteral("OutlayGrid3"), "年度预算"},
    {QStringLiteral("OutlayPromises"), "经费管理"},
    {QStringLiteral("danweiyijian"), "课题负责人所在单位意见"},
    {QStringLiteral("jiaoyujuyijian"), "省级Korvane领导小组办公室意见"},
};

// The controls a user reaches on a page: edits, choice lists, tables and
// texts, without the parts they are made of.
bool isControl(QWidget* w) {
  if (!qobject_cast<QLineEdit*>(w) && !qobject_cast<QComboBox*>(w) && !qobject_cast<QAbstractScrollArea*>(w))
    return false;
  for (QWidget* up = w->parentWidget(); up; up = up->parentWidget())
    if (qobject_cast<QComboBox*>(up) || qobject_cast<QAbstractScrollArea*>(up)) return false;
  return true;
}

// The label text without its colon, blanks and numbering punctuation.
QString cleaned(QString text) {
  text = text.simplified();
  while (!text.isEmpty() && QStringLiteral("：:、 ").contains(text.back())) text.chop(1);
  return text;
}

QRect on(QWidget* w, QWidget* page) { return QRect(w->mapTo(page, QPoint()), w->size()); }

// A label's letters: its box without the blanks that pad its text, which
// reach under the field beside it by as much as the face makes a blank
// wide (more on one system's fonts than on another's).
QRect lettersOn(QLabel* l, QWidget* page) {
  QRect r = on(l, page);
  if (l->alignment() & (Qt::AlignRight | Qt::AlignHCenter) || l->wordWrap()) return r;
  const QString text = l->text();
  qsizetype end = text.size();
  while (end > 0 && text[end - 1].isSpace()) --end;
  const int width = l->contentsMargins().left() + l->margin() + std::max(0, l->indent()) +
                    l->fontMetrics().horizontalAdvance(text.left(end));
  if (width < r.width()) r.setWidth(width);
  return r;
}

struct Placed {
  QWidget* widget;
  QRect rect;
};

// The nearest label left of a field on its row with no other field in
// between.
QLabel* labelLeftOf(const Placed& field, const std::vector<Placed>& labels, const std::vector<Placed>& others) {
  QLabel* best = nullptr;
  int bestGap = 0;
  for (const Placed& l : labels) {
    // A label's box may reach a little under its field.
    const int gap = field.rect.left() - l.rect.right();
    if (gap < -10 || std::abs(l.rect.center().y() - field.rect.center().y()) > 10) continue;
    bool between = false;
    for (const Placed& o : others)
      between |= o.widget != field.widget && o.rect.left() > l.rect.right() && o.rect.right() < field.rect.left() &&
                 std::abs(o.rect.center().y() - field.rect.center().y()) <= 10;
    if (!between && (!best || gap < bestGap)) {
      best = static_cast<QLabel*>(l.widget);
      bestGap = gap;
    }
  }
  return best;
}

// The label a user reads for a field: the caption just above it, else the
// nearest one left of it on its row with no other field in between.
QLabel* labelOf(const Placed& field, const std::vector<Placed>& labels, const std::vector<Placed>& others,
                bool headingsOnly) {
  QLabel* best = nullptr;
  int bestGap = 0;
  auto leadsARow = [&](const Placed& l) {
    for (const Placed& o : others)
      if (o.rect.left() >= l.rect.right() - 10 && std::abs(o.rect.center().y() - l.rect.center().y()) <= 10)
        return true;
    return false;
  };
  for (const Placed& l : labels) {
    auto* label = static_cast<QLabel*>(l.widget);
    if (headingsOnly && label->font().pixelSize() < 16) continue;
    if (leadsARow(l)) continue;  // the label of the field beside it
    const int gap = field.rect.top() - l.rect.bottom();
    const bool above = gap >= -4 && gap <= (headingsOnly ? 48 : 16) &&
                       (headingsOnly || std::abs(l.rect.left() - field.rect.left()) <= 24);
    if (above && (!best || gap < bestGap)) {
      best = label;
      bestGap = gap;
    }
  }
  if (best || headingsOnly) return best;
  return labelLeftOf(field, labels, others);
}

}  // namespace

void nameFieldsByTheirLabels(QTabWidget* pages) {
  for (int p = 0; p < pages->count(); ++p) {
    QWidget* page = pages->widget(p);
    // Hidden pages are laid out only when shown; lay them out now at the
    // size they will have.
    page->resize(pages->currentWidget()->size());
    if (page->layout()) page->layout()->activate();
    std::vector<Placed> labels, onPage;
    for (QLabel* l : page->findChildren<QLabel*>())
      if (!cleaned(l->text()).isEmpty() && !l->text().startsWith(QLatin1Char('<')))
        labels.push_back({l, lettersOn(l, page)});
    for (QWidget* w : page->findChildren<QWidget*>())
      if (isControl(w)) onPage.push_back({w, on(w, page)});
    for (const Placed& f : onPage) {
      QString name;
      if (auto own = kOwnNames.find(f.widget->objectName()); own != kOwnNames.end()) {
        name = QString::fromUtf8(own->second);
        // On Linux Qt gives a choice list's current text as its name, and a
        // screen reader takes the list's name from its labelling label: the
        // number beside the list ("3、") is that label, carrying the name.
        if (qobject_cast<QComboBox*>(f.widget))
          if (QLabel* beside = labelLeftOf(f, labels, onPage)) {
            beside->setBuddy(f.widget);
            beside->setAccessibleName(name);
          }
      } else {
        const bool table = qobject_cast<RecordTable*>(f.widget) != nullptr;
        QLabel* label = labelOf(f, labels, onPage, table);
        if (!label && table) label = labelOf(f, labels, onPage, false);
        if (label) {
          name = cleaned(label->text());
          label->setBuddy(f.widget);
        } else if (qobject_cast<QAbstractScrollArea*>(f.widget)) {
          name = pages->tabText(p);  // a long text alone on its page
        }
      }
      f.widget->setAccessibleName(name);
    }
  }
}

}  // namespace velmora

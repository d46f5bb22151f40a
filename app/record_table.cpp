#include "app/record_table.h"

#include "app/window_palette.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>

namespace velmora {
namespace {

// The editor's property holding the cell's text from before the edit.
constexpr const char* kTextBefore = "velmoraTextBefore";

class CellDelegate : public QStyledItemDelegate {
 public:
  explicit CellDelegate(RecordTable* table) : QStyledItemDelegate(table), table_(table) {}

  // Tab and Backtab leave the table instead of moving to the next cell.
  bool eventFilter(QObject* object, QEvent* event) override {
    auto* editor = qobject_cast<QWidget*>(object);
    // The focus going to another window (a message box, a dialog, another
    // program) or a popup does not end the edit: the editor may be inside its
    // own key or mouse handler, and the user goes on typing where he was.
    if (editor && event->type() == QEvent::FocusOut) {
      const auto reason = static_cast<QFocusEvent*>(event)->reason();
      if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason) return false;
    }
    if (editor && event->type() == QEvent::KeyPress) {
      auto* key = static_cast<QKeyEvent*>(event);
      // Escape abandons the edit: the cell gets back the text it had when
      // the editor opened, and the rules see it again (the budget total).
      if (key->key() == Qt::Key_Escape) {
        if (auto* line = qobject_cast<LimitedLineEdit*>(editor)) line->revertTo(line->property(kTextBefore).toString());
      }
      if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
        emit commitData(editor);
        emit closeEditor(editor, QAbstractItemDelegate::NoHint);
        table_->leaveTable(key->key() == Qt::Key_Tab);
        return true;
      }
    }
    return QStyledItemDelegate::eventFilter(object, event);
  }

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex& index) const override {
    auto* editor = new LimitedLineEdit(table_->field(), parent);
    editor->setObjectName(QString());  // the table alone carries the field's name
    editor->setByteLimit(0);           // cells have no length limit
    editor->setFrame(false);
    if (index.column() == table_->amountColumn()) editor->setKeyFilter(Allowed::Amount);
    const int row = index.row(), column = index.column();
    editor->setAccessibleName(table_->cellName(row, column));
    editor->setProperty(kTextBefore, index.data(Qt::EditRole).toString());
    QObject::connect(editor, &LimitedLineEdit::userEdited, table_,
                     [this, row, column](const QString& text) { emit table_->cellEdited(row, column, text); });
    QObject::connect(this, &QAbstractItemDelegate::closeEditor, editor, [this, editor, row, column](QWidget* w) {
      if (w == editor) emit table_->editorClosed(row, column, editor->text());
    });
    return editor;
  }

  // The cell's stored text is shown as it is: the gate filters only what the
  // user brings in.
  void setEditorData(QWidget* editor, const QModelIndex& index) const override {
    static_cast<LimitedLineEdit*>(editor)->showText(index.data(Qt::EditRole).toString());
  }

 private:
  RecordTable* table_;
};

}  // namespace

RecordTable::RecordTable(Field field, QWidget* parent) : QTableWidget(parent), field_(field) {
  const FieldDef& d = fieldDef(field);
  setObjectName(nameOf(d.id));
  setColumnCount(d.table.columns);
  setRowCount(d.table.storedRows);
  setItemDelegate(new CellDelegate(this));
  editTriggers_ = QAbstractItemView::CurrentChanged | QAbstractItemView::DoubleClicked |
                  QAbstractItemView::SelectedClicked | QAbstractItemView::AnyKeyPressed;
  setEditTriggers(editTriggers_);
  setSelectionMode(QAbstractItemView::ContiguousSelection);
  setSelectionBehavior(QAbstractItemView::SelectItems);
  setTabKeyNavigation(false);
  verticalHeader()->setVisible(false);
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  verticalHeader()->setDefaultSectionSize(24);
  verticalHeader()->setMinimumSectionSize(24);
  horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
  horizontalHeader()->setSectionsMovable(false);
  horizontalHeader()->setHighlightSections(false);
  horizontalHeader()->setFixedHeight(24);
  horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  // The header row on the tooltip background (255, 255, 225), as the form has it.
  horizontalHeader()->setStyleSheet(QStringLiteral(
      "QHeaderView::section { background-color: rgb(255, 255, 225); color: black;"
      " border: 0px; border-right: 1px solid #a0a0a0; border-bottom: 1px solid #a0a0a0; padding-left: 2px; }"
      "QHeaderView { background-color: rgb(240, 240, 240); }"));
  setWordWrap(false);
  for (int r = 0; r < rowCount(); ++r)
    for (int c = 0; c < columnCount(); ++c) setItem(r, c, new QTableWidgetItem);
  showFixedColumns();
}

RecordTable::~RecordTable() {
  // An open cell editor is deleted after this table's own part is gone; its
  // focus leaving then must not report a closed editor to it.
  if (QAbstractItemDelegate* delegate = itemDelegate()) delegate->disconnect();
}

void RecordTable::setColumns(const QStringList& headers, const QList<int>& widths) {
  if (headers.isEmpty()) {
    horizontalHeader()->setVisible(false);
  } else {
    setHorizontalHeaderLabels(headers);
  }
  for (int c = 0; c < widths.size() && c < columnCount(); ++c) setColumnWidth(c, widths[c]);
}

void RecordTable::showFixedColumns() {
  const int count = fixedColumns();
  // The window's face colour, not the desktop's: the form stays light.
  const QBrush face = lightWindowPalette().button();
  for (int r = 0; r < rowCount(); ++r)
    for (int c = 0; c < count; ++c) {
      QTableWidgetItem* it = item(r, c);
      it->setFlags(it->flags() & ~Qt::ItemIsEditable);
      it->setBackground(face);
    }
}

void RecordTable::setReadOnly(bool on) {
  if (on && state() == QAbstractItemView::EditingState) {
    if (QWidget* editor = indexWidget(currentIndex())) closeEditor(editor, QAbstractItemDelegate::NoHint);
  }
  setEditTriggers(on ? QAbstractItemView::NoEditTriggers : editTriggers_);
}

void RecordTable::leaveTable(bool forward) {
  QWidget* w = this;
  for (int guard = 0; guard < 10000; ++guard) {
    w = forward ? w->nextInFocusChain() : w->previousInFocusChain();
    if (!w || w == this) return;
    if (isAncestorOf(w)) continue;
    if ((w->focusPolicy() & Qt::TabFocus) && w->isVisibleTo(window()) && w->isEnabled()) {
      w->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
      return;
    }
  }
}

void RecordTable::focusWithoutEditing(Qt::FocusReason reason) {
  focusingQuietly_ = true;
  setFocus(reason);
  focusingQuietly_ = false;
}

bool RecordTable::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
  if (focusingQuietly_ && trigger == QAbstractItemView::CurrentChanged) return false;
  return QTableWidget::edit(index, trigger, event);
}

QString RecordTable::cellName(int row, int column) const {
  const QTableWidgetItem* header = horizontalHeader()->isVisible() ? horizontalHeaderItem(column) : nullptr;
  // Headers are spaced out for the eye ("  姓  名"); read, the blanks go.
  const QString headerText = header ? header->text().simplified().remove(QLatin1Char(' ')) : QString();
  const QString columnName = headerText.isEmpty() ? QString::number(column + 1) : headerText;
  return QStringLiteral("行 %1 列 %2").arg(row + 1).arg(columnName);
}

void RecordTable::showRows(const Rows& rows) {
  const bool was = blockSignals(true);
  for (int r = 0; r < rowCount() && r < static_cast<int>(rows.size()); ++r)
    for (int c = 0; c < columnCount() && c < static_cast<int>(rows[r].size()); ++c) {
      const QString text = QString::fromStdString(rows[r][c]);
      if (item(r, c)->text() != text) item(r, c)->setText(text);
    }
  blockSignals(was);
}

}  // namespace velmora

#pragma once
// A table of the record: a fixed header row, cells edited in place as soon
// as they are selected, 24-pixel rows, Tab leaving the table.
#include <QStyledItemDelegate>
#include <QTableWidget>

#include "app/limited_line_edit.h"
#include "record/record.h"

namespace velmora {

class RecordTable : public QTableWidget {
  Q_OBJECT
 public:
  RecordTable(Field field, QWidget* parent);
  ~RecordTable() override;
  Field field() const { return field_; }

  // Header texts and column widths; an empty list means no header row.
  void setColumns(const QStringList& headers, const QList<int>& widths);
  // Columns the user cannot edit (the numbers and names of the amount tables)
  // and the column of amounts, whose typed characters pass the amount filter,
  // as the table's shape has them.
  int fixedColumns() const { return fieldDef(field_).table.fixedColumns; }
  int amountColumn() const { return fieldDef(field_).table.amountColumn; }

  // Read-only: cells are selected and copied, never edited.
  void setReadOnly(bool on);

  // Moves the keyboard focus to the next (or previous) control after the table.
  void leaveTable(bool forward);
  // Gives the table the focus as a command does (a page turned): the current
  // cell is shown, but no editor opens until the user types or clicks, so
  // passing through is no edit.
  void focusWithoutEditing(Qt::FocusReason reason);

  // What a screen reader calls a cell: "行 r 列 header".
  QString cellName(int row, int column) const;

  // Shows the stored rows (a program write: no edit signal).
  void showRows(const Rows& rows);

 signals:
  // Every change of a cell's text while the user edits it.
  void cellEdited(int row, int column, const QString& text);
  // The cell editor was closed on a cell.
  void editorClosed(int row, int column, const QString& text);

 protected:
  bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;

 private:
  Field field_;
  bool focusingQuietly_ = false;
  void showFixedColumns();
  EditTriggers editTriggers_;
};

}  // namespace velmora

#pragma once
// One application: a value for every field of the catalogue.
#include <string>
#include <string_view>
#include <vector>

#include "record/fields.h"

namespace velmora {

using Lines = std::vector<std::string>;
using Row = std::vector<std::string>;
using Rows = std::vector<Row>;

class Record {
 public:
  // The state of a freshly started application: empty fields, the zero-filled
  // ProjectID, the fixed cells and "0" amounts of the outlay tables, the year cells.
  static Record initial();
  // Every field empty, every table row empty (what a document holding only
  // its version tag opens to).
  static Record blank();

  // Text and masked fields (and ProjectID, SN).
  const std::string& text(Field f) const { return values_[index(f)].text; }
  void setText(Field f, std::string value) { values_[index(f)].text = std::move(value); }

  // Choice fields: the item index, -1 for no choice.
  int choice(Field f) const { return values_[index(f)].choice; }
  void setChoice(Field f, int item) { values_[index(f)].choice = item; }
  // Selects the item with this text (Latin letters without regard to case), or none.
  void setChoiceText(Field f, std::string_view itemText);
  std::string_view choiceText(Field f) const;

  // Long texts: their lines.
  const Lines& lines(Field f) const { return values_[index(f)].lines; }
  void setLines(Field f, Lines lines) { values_[index(f)].lines = std::move(lines); }
  // Lines [first, first + removed) become `inserted` (an edit of a few lines
  // of a long text, without copying the others).
  void replaceLines(Field f, std::size_t first, std::size_t removed, Lines inserted);
  // A long text is empty only when it holds no characters at all.
  bool longTextEmpty(Field f) const;

  // Tables: the stored rows, each holding every column.
  const Rows& rows(Field f) const { return values_[index(f)].rows; }
  const std::string& cell(Field f, int storedRow, int column) const {
    return values_[index(f)].rows[storedRow][column];
  }
  void setCell(Field f, int storedRow, int column, std::string value) {
    values_[index(f)].rows[storedRow][column] = std::move(value);
  }
  void clearRow(Field f, int storedRow);

  // The value of any non-table field as one text: the text, the chosen item's
  // text, or the long text rebuilt from its lines.
  std::string valueText(Field f) const;

  bool operator==(const Record&) const = default;

 private:
  // Only blank() and initial() make records: a record made any other way
  // would have tables without rows, which every reader of a table assumes.
  Record() = default;

  struct Value {
    std::string text;
    int choice = -1;
    Lines lines;
    Rows rows;
    bool operator==(const Value&) const = default;
  };
  std::vector<Value> values_ = std::vector<Value>(kFieldCount);
};

// A long text rebuilt from its lines: they are joined by line breaks, and
// the text ends in a line break when the last line is empty (an empty last
// line is never a line of its own).
std::string textFromLines(const Lines& lines);

// The GBK bytes a text counts against its field's limit: a line break counts
// two (a carriage return and a line feed, as the form's home platform stores
// it).
std::size_t limitedBytes(std::string_view text);

// EduCode keeps digits only: the twelve digit positions of its mask, filled
// in order.
std::string eduCodeDigits(std::string_view text);

// The fixed texts of the amount tables: item number and name per stored row.
struct OutlayItem {
  std::string_view number;
  std::string_view name;
};
std::span<const OutlayItem> outlayItems(Field table);  // OutlayGrid or OutlayGrid2

}  // namespace velmora

#pragma once
// The EduCode field: twelve digits behind a mask.
#include <QLineEdit>
#include <functional>

#include "record/fields.h"

namespace velmora {

// The education identity number: twelve digits shown as 0000-0000-0000 with
// underscores in the empty positions. A changed, incomplete value cannot be
// left, however the focus goes (Tab, a click, a page turned; the error is
// reported through `onInvalid`); Escape restores the value the field had
// when it received the focus.
class MaskedEdit : public QLineEdit {
  Q_OBJECT
 public:
  MaskedEdit(Field field, QWidget* parent);
  Field field() const { return field_; }

  // The twelve (or fewer) digits without the dashes.
  QString digits() const;
  void setDigits(const QString& digits);

  // Called when a value is refused: reports it (beep, box).
  std::function<void()> onInvalid;
  // Called before the focus goes back into a refused field: brings the field
  // into view (its page may no longer be the one shown).
  std::function<void()> bringIntoView;

  // The leave check: true while the field holds a changed value its rule
  // forbids (neither empty nor twelve digits), which it may not be left with.
  bool holdsRefusedValue() const { return incompleteAfterChange(); }
  // Refuses to be left: reports the value and takes the focus back.
  void refuseLeaving();

 protected:
  void focusInEvent(QFocusEvent* e) override;
  void focusOutEvent(QFocusEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;

 private:
  bool incompleteAfterChange() const;
  Field field_;
  QString entryDigits_;
  bool changed_ = false;
  bool reporting_ = false;
};

}  // namespace velmora

#pragma once
// The EduCode field: twelve digits behind a mask.
#include <QLineEdit>
#include <functional>

#include "record/fields.h"

namespace velmora {

// The education identity number: twelve digits shown as 0000-0000-0000 with
// underscores in the empty positions. A changed, incomplete value cannot be
// left (the error is reported through `onInvalid`); Escape restores the value
// the field had when it received the focus.
class MaskedEdit : public QLineEdit {
  Q_OBJECT
 public:
  MaskedEdit(Field field, QWidget* parent);
  Field field() const { return field_; }

  // The twelve (or fewer) digits without the dashes.
  QString digits() const;
  void setDigits(const QString& digits);

  std::function<void()> onInvalid;

 protected:
  void focusInEvent(QFocusEvent* e) override;
  void focusOutEvent(QFocusEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;

 private:
  bool incompleteAfterChange() const;
  void refuseLeaving();
  Field field_;
  QString entryDigits_;
  bool changed_ = false;
  bool reporting_ = false;
};

}  // namespace velmora

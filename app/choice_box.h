#pragma once
// A choice field of the record.
#include <QComboBox>

#include "record/fields.h"

namespace velmora {

// A choice field: a fixed list, no typing. Read-only, it shows its choice
// and takes the focus but neither opens nor changes.
class ChoiceBox : public QComboBox {
  Q_OBJECT
 public:
  ChoiceBox(Field field, QWidget* parent);
  Field field() const { return field_; }
  void setReadOnly(bool on) { readOnly_ = on; }
  bool isReadOnly() const { return readOnly_; }
  void showPopup() override;

 protected:
  void keyPressEvent(QKeyEvent* e) override;
  void wheelEvent(QWheelEvent* e) override;
  void paintEvent(QPaintEvent* e) override;

 private:
  Field field_;
  bool readOnly_ = false;
};

}  // namespace velmora

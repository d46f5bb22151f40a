#pragma once
// A formal document is read, never changed: its fields stay enabled so they
// scroll, select and copy, but they take no edit and look read-only.
class QWidget;

namespace velmora {

// Makes a field read-only (or gives back what it was built as) and shows it
// on the platform's read-only background.
void setFormalReadOnly(QWidget* field, bool on);

}  // namespace velmora

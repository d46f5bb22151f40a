#pragma once
// Names for screen readers: every field is announced by the label the form
// shows for it, not by the group it stands in or by its current value.
class QTabWidget;

namespace velmora {

// Gives every field, table and long text of the pages the accessible name of
// its label and makes that label its buddy.
void nameFieldsByTheirLabels(QTabWidget* pages);

}  // namespace velmora

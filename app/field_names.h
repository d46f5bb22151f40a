#pragma once
// A field's widget carries the field's element name as its object name, so
// that the window, the report and its tests find it by the document's name.
#include <QString>

#include "record/fields.h"

namespace velmora {

inline QString nameOf(Field f) {
  const std::string_view n = fieldDef(f).name;
  return QString::fromUtf8(n.data(), static_cast<qsizetype>(n.size()));
}

}  // namespace velmora

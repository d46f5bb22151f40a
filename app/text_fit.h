#pragma once
// How much of an inserted text a field takes: the rule every field widget
// applies to typing, pastes, drops and input-method text alike.
#include <QString>
#include <cstddef>

#include "record/fields.h"

namespace velmora {

// Text that fits: the characters of `insert` that GBK can hold and the filter
// lets through, cut where the byte limit would be passed by `remaining` (the
// field's text without the part being replaced) plus the insertion.
QString fittingInsertion(const QString& remaining, const QString& insert, int byteLimit, Allowed allowed,
                         bool multiLine = false);

// GBK bytes of a field's text as its limit counts them (limitedBytes).
std::size_t fieldBytes(const QString& text);

}  // namespace velmora

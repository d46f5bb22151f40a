#pragma once
// What a screen reader reads of the EduCode fields: their digits, never the
// mask's bare dashes.

namespace velmora {

// Gives every MaskedEdit its own accessible interface; once per process,
// before the first field exists (an interface, once asked for, is cached).
void installMaskedEditAccessibility();

}  // namespace velmora

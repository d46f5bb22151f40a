#pragma once
// The seventeen fixed choice lists. Items keep their given order; an item's
// position (from 0) is its index, and -1 means nothing is chosen.
#include <span>
#include <string>
#include <string_view>

namespace velmora {

struct Vocabulary {
  std::string_view name;  // the field that offers the list
  std::span<const std::string_view> items;

  int size() const { return static_cast<int>(items.size()); }
  // The item's text, or the empty text for -1 and out-of-range indexes.
  std::string_view text(int index) const;
  // The item whose text equals `value`, Latin letters compared without regard
  // to case; -1 when none does (and for the empty text).
  int find(std::string_view value) const;
};

namespace vocab {
extern const Vocabulary Basis, ProjectClass, ResearchClass, SubjectClass, ExpectProduction1, ExpectProduction2, Purpose,
    Sex, Age, DutyAdmin, DutySpecial, LastDiploma, LastDegree, ResearchSpecial, Tutor, BelongCity, BelongSystem;
}

// Equality of two texts with ASCII letters folded to one case.
bool equalsIgnoringLatinCase(std::string_view a, std::string_view b);

}  // namespace velmora

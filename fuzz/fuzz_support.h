#pragma once
// Checks shared by the fuzz targets.
#include "record/gbk.h"
#include "record/record.h"

namespace velmora::fuzz {

// True when every value of the record can be written in GBK, as every value
// the program accepts must.
inline bool onlyGbkText(const Record& r) {
  for (const FieldDef& d : allFields()) {
    switch (d.kind) {
      case Kind::Table:
        for (const Row& row : r.rows(d.id))
          for (const std::string& cell : row)
            if (!canEncodeGbk(cell)) return false;
        break;
      case Kind::LongText:
        for (const std::string& line : r.lines(d.id))
          if (!canEncodeGbk(line)) return false;
        break;
      default:
        if (!canEncodeGbk(r.text(d.id))) return false;
    }
  }
  return true;
}

}  // namespace velmora::fuzz

#pragma once
#include "record/record.h"

namespace velmora::bench {

// The largest application the window lets a user type: every field at its
// byte limit (fields without a limit get 400 bytes), every choice chosen,
// every table cell filled, every long text full.
Record maximalRecord();

// The largest application a user can make that velmora-cli import takes as
// it is (the rules the window holds typed input to): every field at its byte
// limit, every long text full, every row of every table filled, the digit
// fields as digits, the amounts as numbers with their total, the outlay of
// the class chosen. Cells and the two single-line fields without a limit
// hold 200 bytes each, which makes the document about 91 KB.
Record largestLegalRecord();

}  // namespace velmora::bench

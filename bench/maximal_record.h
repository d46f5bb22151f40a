#pragma once
#include "record/record.h"

namespace velmora::bench {

// The largest application the window lets a user type: every field at its
// byte limit (fields without a limit get 400 bytes), every choice chosen,
// every table cell filled, every long text full.
Record maximalRecord();

}  // namespace velmora::bench

#pragma once
#include <string>
#include <vector>

#include "document/form_state.h"

namespace velmora::cli {

using Args = std::vector<std::string>;

int checkCommand(const Args& args);
int dumpCommand(const Args& args);
int resaveCommand(const Args& args);
int importCommand(const Args& args);

// The record as opened, as one JSON object: element names in document order
// (without `ver`), long texts as arrays of lines, tables as arrays of rows.
std::string recordJson(const FormState& state);

}  // namespace velmora::cli

// The record importer of velmora-cli (JSON reading included) on arbitrary bytes:
// no crash, and an accepted record holds only text that GBK can hold.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "exchange/record_import.h"
#include "fuzz/fuzz_support.h"
#include "record/gbk.h"

namespace {

using namespace velmora;

[[noreturn]] void fail(const char* what) {
  std::fprintf(stderr, "json import: %s\n", what);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  ImportResult imported = importRecordJson(text);
  if (imported.ok() && !fuzz::onlyGbkText(imported.record)) fail("a value GBK cannot hold entered the record");
  return 0;
}

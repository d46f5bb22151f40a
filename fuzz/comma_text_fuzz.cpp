// Comma text reader on arbitrary bytes, and the promise that every list the
// writer produces reads back as the same list.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "format/comma_text.h"

namespace {

[[noreturn]] void fail(const char* what) {
  std::fprintf(stderr, "comma text: %s\n", what);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using velmora::readCommaText;
  using velmora::writeCommaText;

  // Any text reads into some list, and writing that list reads back the same.
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::vector<std::string> read = readCommaText(text);
  if (readCommaText(writeCommaText(read)) != read) fail("read list does not survive writing");

  // Any list at all, built from the same bytes, survives writing and reading.
  FuzzedDataProvider in(data, size);
  std::vector<std::string> items(in.ConsumeIntegralInRange<std::size_t>(0, 16));
  for (auto& item : items) item = in.ConsumeRandomLengthString(64);
  if (readCommaText(writeCommaText(items)) != items) fail("written list does not read back");
  return 0;
}

// The library file reader over any bytes, with the writer behind it: what
// the reader accepts is written back to read the same, and written again to
// the same bytes. The library tests' round-trip check says how it failed.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "library/LibraryRoundTrip.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const kelta::test::TRoundTripCheck check =
      kelta::test::CheckLibraryRoundTrip(std::string_view(reinterpret_cast<const char*>(data), size));
  if (!check.Holds()) {
    std::fprintf(stderr, "library round trip failed: %s\n", check.Difference.c_str());
    std::abort();
  }
  return 0;
}

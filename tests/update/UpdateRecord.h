#pragma once
// Builds the bytes of an update information file the way the maker's
// publishing tool lays them out (little-endian, fixed fields), so tests can
// serve or examine any variant of it.

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <vector>

namespace kelta::testing {

// `size` cuts the record short or, above 333, appends 0xEE filler bytes.
// Texts are copied without a terminator when they fill their field.
inline std::vector<std::uint8_t> MakeUpdateRecord(std::int32_t version, std::string_view versionText = {},
                                                  std::string_view downloadURL = {},
                                                  std::size_t size = 333) {
  std::vector<std::uint8_t> bytes(std::max<std::size_t>(size, 333), 0);
  const auto v = static_cast<std::uint32_t>(version);
  for (int i = 0; i < 4; ++i) bytes[std::size_t(i)] = std::uint8_t(v >> (8 * i));
  // The field after the version is not read by the program: fill it so that
  // a reader that mistakes it for text shows up.
  std::fill(bytes.begin() + 4, bytes.begin() + 8, std::uint8_t('#'));
  std::copy_n(versionText.begin(), std::min<std::size_t>(versionText.size(), 64), bytes.begin() + 8);
  std::copy_n(downloadURL.begin(), std::min<std::size_t>(downloadURL.size(), 261), bytes.begin() + 72);
  std::fill(bytes.begin() + 333, bytes.end(), std::uint8_t(0xEE));
  bytes.resize(size);
  return bytes;
}

}  // namespace kelta::testing

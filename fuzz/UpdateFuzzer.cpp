// The update record as the update check meets it: any bytes from the
// network, examined again each time more of them have arrived.

#include <cstdint>
#include <cstring>
#include <span>
#include <string>

#include "FuzzSupport.h"
#include "update/DownloadLink.h"
#include "update/UpdateInfo.h"

using namespace kelta;

namespace {

std::int32_t LittleEndianVersion(const std::uint8_t* p) {
  return std::int32_t(std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
                      (std::uint32_t(p[3]) << 24));
}

// The text a field of the received bytes holds: up to its first zero, the
// field's end or the end of what arrived.
std::string FieldOf(std::span<const std::uint8_t> data, std::size_t offset, std::size_t length) {
  std::string text;
  for (std::size_t i = offset; i < offset + length && i < data.size() && data[i] != 0; ++i)
    text += char(data[i]);
  return text;
}

void Examine(std::span<const std::uint8_t> data, TUpdateInfo& info) {
  const TUpdateInfo before = info;
  const TUpdateStatus status = ExamineUpdateData(data, CurrentVersion, info);
  const bool valid = data.size() >= 4 && LittleEndianVersion(data.data()) >= MinimumValidVersion;
  if (!valid) {
    KELTA_FUZZ_CHECK(status == TUpdateStatus::usInvalidInfo, "a record without a valid version is invalid");
    KELTA_FUZZ_CHECK(std::memcmp(&before, &info, sizeof info) == 0, "an invalid record leaves the last one");
    return;
  }
  KELTA_FUZZ_CHECK(info.Version == LittleEndianVersion(data.data()), "the version is read little-endian");
  KELTA_FUZZ_CHECK(status == (info.Version > CurrentVersion ? TUpdateStatus::usNewerVersion
                                                             : TUpdateStatus::usUpToDate),
                   "the verdict follows the version");
  KELTA_FUZZ_CHECK(VersionTextOf(info) == FieldOf(data, 8, 64), "the version text is its field");
  const std::string url = DownloadURLOf(info);
  KELTA_FUZZ_CHECK(url == FieldOf(data, 72, 261), "the download address is its field");
  if (IsWebAddress(url)) {
    std::string scheme = url.substr(0, url.find("://"));
    for (char& c : scheme) c = char(c | 0x20);
    KELTA_FUZZ_CHECK(scheme == "http" || scheme == "https", "a web address starts with http or https");
    for (char c : url)
      KELTA_FUZZ_CHECK(static_cast<unsigned char>(c) > ' ' && c != 0x7F, "a web address has no blanks");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> bytes(data, size);
  TUpdateInfo info;
  // The download arrives in pieces; cut it where its first byte says.
  const std::size_t step = size ? 1 + data[0] % 64 : 1;
  for (std::size_t received = 0; received < size; received += step) Examine(bytes.first(received), info);
  Examine(bytes, info);
  return 0;
}

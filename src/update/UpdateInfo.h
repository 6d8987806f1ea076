#pragma once
// The update information file `latest.upd` that the update server publishes:
// a fixed 333-byte little-endian record, and the examination that turns the
// bytes received so far into a verdict about the running program's version.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace kelta {

// The running program's version number (3.0.1.0).
constexpr int CurrentVersion = 3010;

// A record whose version is below this is not an update record at all.
constexpr int MinimumValidVersion = 3000;

// Where the maker publishes the record; the host is the maker's web server.
inline constexpr const char* DefaultUpdateURL = "http://www.kelta.example/kelta/latest.upd";

enum class TUpdateStatus : std::uint8_t {
  usConnected = 0,
  usDisconnected = 1,
  usDownloading = 2,
  usNewerVersion = 3,
  usUpToDate = 4,
  usInvalidInfo = 5,
};

#pragma pack(push, 1)
// The file's layout, byte for byte. The texts are 8-bit and end at their first
// zero byte or fill their field.
struct TUpdateInfo {
  std::int32_t Version = 0;
  std::uint32_t Reserved = 0;
  char VersionText[64] = {};
  char DownloadURL[261] = {};
};
#pragma pack(pop)
static_assert(sizeof(TUpdateInfo) == 333);

// Reads up to 333 bytes into a zero-filled record; a shorter input leaves the
// missing fields zero, bytes beyond the record are ignored. Version and
// Reserved are decoded as little-endian whatever the host's byte order.
TUpdateInfo ReadUpdateInfo(std::span<const std::uint8_t> data);

// Examines all data received so far. Fewer than 4 bytes or a version below
// MinimumValidVersion gives usInvalidInfo and leaves `info` untouched;
// otherwise `info` is re-read from the data and the result is usNewerVersion
// when its version is greater than `currentVersion`, else usUpToDate.
TUpdateStatus ExamineUpdateData(std::span<const std::uint8_t> data, int currentVersion,
                                TUpdateInfo& info);

// The record's texts as byte strings, up to the first zero or the field's end.
std::string VersionTextOf(const TUpdateInfo& info);
std::string DownloadURLOf(const TUpdateInfo& info);

}  // namespace kelta

#include "update/UpdateInfo.h"

#include <algorithm>
#include <cstring>

namespace kelta {

namespace {

std::uint32_t ReadLE32(const std::uint8_t* p) {
  return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
         (std::uint32_t(p[3]) << 24);
}

std::int32_t ReadLESigned32(const std::uint8_t* p) {
  // Two's complement reinterpretation without relying on a narrowing cast.
  const std::uint32_t u = ReadLE32(p);
  return u <= 0x7FFFFFFFu ? std::int32_t(u) : -std::int32_t(~u) - 1;
}

std::string FieldText(const char* field, std::size_t size) {
  const char* end = std::find(field, field + size, '\0');
  return std::string(field, end);
}

}  // namespace

TUpdateInfo ReadUpdateInfo(std::span<const std::uint8_t> data) {
  std::uint8_t raw[sizeof(TUpdateInfo)] = {};
  if (!data.empty()) std::memcpy(raw, data.data(), std::min(data.size(), sizeof raw));

  TUpdateInfo info;
  info.Version = ReadLESigned32(raw + offsetof(TUpdateInfo, Version));
  info.Reserved = ReadLE32(raw + offsetof(TUpdateInfo, Reserved));
  std::memcpy(info.VersionText, raw + offsetof(TUpdateInfo, VersionText), sizeof info.VersionText);
  std::memcpy(info.DownloadURL, raw + offsetof(TUpdateInfo, DownloadURL), sizeof info.DownloadURL);
  return info;
}

TUpdateStatus ExamineUpdateData(std::span<const std::uint8_t> data, int currentVersion,
                                TUpdateInfo& info) {
  if (data.size() < 4 || ReadLESigned32(data.data()) < MinimumValidVersion)
    return TUpdateStatus::usInvalidInfo;
  info = ReadUpdateInfo(data);
  return info.Version > currentVersion ? TUpdateStatus::usNewerVersion : TUpdateStatus::usUpToDate;
}

std::string VersionTextOf(const TUpdateInfo& info) {
  return FieldText(info.VersionText, sizeof info.VersionText);
}

std::string DownloadURLOf(const TUpdateInfo& info) {
  return FieldText(info.DownloadURL, sizeof info.DownloadURL);
}

}  // namespace kelta

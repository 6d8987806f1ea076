#pragma once
// The words the update dialog shows: its progress log lines and result texts.
// They live here, away from the widgets, so that they are checked without a
// display.

#include <string>
#include <string_view>

namespace kelta {

inline constexpr std::string_view UpdateCaption = "Check Update";
inline constexpr std::string_view UpdatePrompt = "Check if a newer version of Kelta is available...";

inline constexpr std::string_view LogStarting = ">>>Starting connect to update server...";
inline constexpr std::string_view LogConnected = ">>>Connected to update server...";
inline constexpr std::string_view LogDisconnected = ">>>Disconnected from update server...";
inline constexpr std::string_view LogDownloading = ">>>Downloading version info from update server...";
inline constexpr std::string_view LogUnknownError = ">>>Unknown nekwork error...";
inline constexpr std::string_view LogNoVersionInfo = ">>>Cannot get version information...";
inline constexpr std::string_view LogQuitting = ">>>Quitting...";

inline constexpr std::string_view UpToDateText = "You already have the latest version installed.";

// A version number as dotted digits, one digit a part: 3010 -> "3.0.1.0".
// Negative numbers keep their sign in front.
std::string FormatVersion(int version);

// The three result lines for a newer release: the running version, the
// latest one (`latestVersionText` as the record gives it) and the request to
// follow the download link.
std::string NewerVersionText(int currentVersion, std::string_view latestVersionText);

}  // namespace kelta

#pragma once
// What the update check accepts from the server: how much of an answer it
// reads, how long it waits for one, and which answers are no update record
// at all.

#include <chrono>
#include <cstddef>
#include <string_view>

namespace kelta {

// The record is 333 bytes; nothing larger is ever needed. The limit keeps a
// broken or hostile server that sends without end from filling memory.
inline constexpr std::size_t MaxUpdateAnswerBytes = 64 * 1024;

// The whole check, from sending the request to the last byte, ends after
// this long.
inline constexpr std::chrono::milliseconds UpdateCheckDeadline{15000};

// True when a Content-Type value names a web page: text/html or
// application/xhtml+xml in any letter case, with or without parameters. A
// hotel or captive-portal network answers every address with such a page.
bool IsWebPageType(std::string_view contentType);

}  // namespace kelta

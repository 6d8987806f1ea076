#pragma once
// The library's 8-bit text. Names and memos are stored as UTF-8; libraries
// written on Western Windows systems hold Windows-1252 bytes instead, so a
// value that is not valid UTF-8 is read as Windows-1252. The tree and dialogs
// work with UTF-16 strings (as QString does).

#include <string>
#include <string_view>

namespace kelta {

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool IsValidUtf8(std::string_view bytes);

// UTF-8 when the bytes are valid UTF-8, otherwise Windows-1252 byte by byte.
std::u16string AnsiToWide(std::string_view bytes);

// UTF-8; an unpaired surrogate becomes U+FFFD.
std::string WideToAnsi(std::u16string_view text);

}  // namespace kelta

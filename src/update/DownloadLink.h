#pragma once
// The download address comes from a file on a server, so it is untrusted: the
// update dialog hands it to the desktop only when it is a web address.

#include <string_view>

namespace kelta {

// True for "http://host..." or "https://host..." (scheme in any letter case)
// with a non-empty host, and no whitespace or control characters anywhere.
// Anything else (file:, javascript:, mailto:, relative paths, "http:/x") is
// refused.
bool IsWebAddress(std::string_view text);

}  // namespace kelta

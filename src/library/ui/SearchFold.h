#pragma once
// Letter case and accents do not count in the library search: both what is
// typed and what is searched are compared in a folded form, in lower case
// with the accents taken off ("Été" and "ETE" both give "ete").

#include <QString>
#include <string>
#include <string_view>
#include <vector>

namespace kelta {

std::u16string FoldForSearch(std::u16string text);

// The folded words of what was typed; none when only blanks were typed.
std::vector<std::u16string> SearchWords(const QString& typed);

}  // namespace kelta

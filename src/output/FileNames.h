#pragma once
// File-name extension rules shared by the export commands.

#include <string>

namespace kelta {

// From the last "." of the name's last path component to the end; empty when there is none.
std::string FileExtension(const std::string& name);

// Whether the name's extension, lower-cased, equals ext (given in lower case, with its dot).
bool HasExtension(const std::string& name, const std::string& ext);

// The name as typed when HasExtension holds, else the name with ext appended.
std::string WithExtension(const std::string& name, const std::string& ext);

}  // namespace kelta

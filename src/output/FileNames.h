#pragma once
// File-name rules shared by the export commands: extensions, and the length
// a file system takes.

#include <cstddef>
#include <string>

namespace kelta {

// From the last "." of the name's last path component to the end; empty when there is none.
std::string FileExtension(const std::string& name);

// Whether the name's extension, lower-cased, equals ext (given in lower case, with its dot).
bool HasExtension(const std::string& name, const std::string& ext);

// The name as typed when HasExtension holds, else the name with ext appended.
std::string WithExtension(const std::string& name, const std::string& ext);

// The most bytes one part of a path (a file's or a folder's name) may have
// on the file systems Kelta writes to; names count in UTF-8.
constexpr std::size_t MaxFileNameBytes = 255;

// base + ext, base shortened as needed so that the whole has at most
// MaxFileNameBytes bytes; never cut inside a UTF-8 character, and without
// blanks left at the cut.
std::string FittedFileName(const std::string& base, const std::string& ext);

// Why a file system would refuse the path (UTF-8): one of its parts is
// longer than MaxFileNameBytes. A sentence for the user; empty when there
// is nothing to refuse.
std::string FileNameProblem(const std::string& path);

}  // namespace kelta

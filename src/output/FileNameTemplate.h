#pragma once
// File names that say what a picture holds, made from a template such as
// "{film} - {title} - {time} - frame {frame}". The template is one line in a
// file beside the library, shared by Save As and the frame export; "{name}"
// alone gives the names of before (the picture's name, a frame's position).

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "library/CaptureSource.h"

namespace kelta {

// The file beside the library that holds the template.
inline constexpr const char* NameTemplateFileName = "name-template";

// "Film - Title 2 - 00.12.34.567 - frame 18517".
inline constexpr std::string_view DefaultNameTemplate = "{film} - {title} - {time} - frame {frame}";
// The names of before: the picture's own name.
inline constexpr std::string_view PlainNameTemplate = "{name}";

// What the fields stand for.
struct TNameFields {
  std::string Name;  // {name}: the picture's name, or a frame's position
  std::string Film;  // {film}: the library film, else the video's or disc's name
  std::optional<TCaptureSource> Source;
};

// The template filled in: {name}, {film}, {video} (the video file's name
// without its extension, or the disc's volume name), {title} ("Title 2"),
// {chapter} ("Chapter 3"), {time} ("00.12.34.567"), {timecode}
// ("00.12.34.14"), {frame} ("18517", counted from 1 as the status line
// counts) and {date} ("2026-12-11"). The parts between " - " whose fields
// are unknown are left out. Characters that a file system refuses
// (/ \ : * ? " < > | and control characters) become "_", and leading and
// trailing blanks and dots go; a name that ends up empty is {name}'s made
// so, and "picture" when that is empty too. Without a source, or with the
// template "{name}", it is {name} as it stands: the names of before, which
// their callers make fit as they always did.
std::string NameFromTemplate(std::string_view pattern, const TNameFields& fields);

// The template kept in `file`: its first line; the default when the file
// is missing or the line blank.
std::string LoadNameTemplate(const std::filesystem::path& file);
// Keeps the template in `file`, replacing it whole; a blank template removes
// the file, which brings the default back. Throws std::runtime_error when
// it cannot be written.
void SaveNameTemplate(const std::filesystem::path& file, std::string_view pattern);

}  // namespace kelta

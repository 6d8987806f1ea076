#pragma once
// The text in which the DVD reader (kelta-dvd-reader) hands a disc's
// structure to Kelta: one record a line, fields separated by single spaces,
// numbers in decimal unless said otherwise.
//
//   kelta-dvd-structure 1               first line, the format and its version
//   volume NAME                         the volume name, %XX-escaped (spaces, %, controls, bytes >= 0x7F)
//   damaged 0|1                         1: title information unreadable; the titles are whole title sets
//   title N set S ms D picture W H A    a title: its number, title set, duration (-1: unknown),
//                                       picture size (0 0: unknown) and aspect (4:3, 16:9, -: unknown)
//   cells F-L F-L ...                   its cells as sector ranges, in program order
//   chapter P MS                        a chapter: byte offset in the title and start in ms
//   subtitle STREAM LANG                a subtitle stream (0..31) and its language (- when none)
//   palette C0 ... C15                  sixteen colours in hexadecimal, 0x00YYCrCb
//   end                                 the last line
//
// cells, chapter, subtitle and palette lines belong to the title line before
// them. The reader is a separate process because libdvdread can crash on a
// damaged disc; what it prints is therefore checked, not trusted: a text
// that breaks any rule, is cut short or names values no DVD holds is
// refused as a whole.

#include <optional>
#include <string>
#include <string_view>

#include "video/DvdDisc.h"

namespace kelta {

// The text of a disc's structure; Location and the titles' Cells.Disc are
// not written (the reader's caller knows where the disc is).
std::string WriteDvdStructure(const TDvdDisc& disc);

// The structure the text describes, with `location` as the disc's and its
// titles' place; nothing when the text breaks a rule above.
std::optional<TDvdDisc> ParseDvdStructure(std::string_view text, const std::string& location);

}  // namespace kelta

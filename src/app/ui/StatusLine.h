#pragma once
// The main window's status line for the frame on screen: the video's path
// (or a DVD's name and title), its size, the chapter of a DVD title, the
// frame's time with milliseconds, its number and the total, and the rate.
// The line is fitted to the label's width: the path is elided in the middle
// down to a readable stub (NameRoom), then the size gives way, then the
// rate and what was done to the frame, and then the stub; the time and the
// frame number always stay whole.

#include <cstdint>

#include <QFontMetrics>
#include <QString>

namespace kelta {

struct TStatusFacts {
  QString Path;
  std::int32_t Width = 0;
  std::int32_t Height = 0;
  // Milliseconds from the first frame.
  std::int64_t TimeMs = 0;
  // Counted from 0 in display order; -1 when unknown.
  std::int64_t FrameNumber = -1;
  std::int64_t FrameCount = -1;
  // The chapter on screen, from 1, of a DVD title with chapters; 0 otherwise.
  std::int32_t Chapter = 0;
  std::int32_t ChapterCount = 0;
  // The decoder's rate, and the rate measured while playing (<= 0 before
  // the first measurement).
  double NominalRate = 0.0;
  double MeasuredRate = -1.0;
  bool Playing = false;
  // What was done to the frame on screen ("film frame rebuilt"); empty
  // while playing.
  QString Still;
};

// "01:23:45.678": a position in the video, not a time of day.
QString VideoTimeText(std::int64_t ms);

// The pixels the path keeps before the size and the rate give way: the
// whole path when it is short, else about twenty characters (a DVD title
// name, "MY_DISC – Title 2", stays whole).
int NameRoom(const QString& path, const QFontMetrics& metrics);

// The line as it fits into `width` pixels of `metrics`.
QString StatusLineText(const TStatusFacts& facts, const QFontMetrics& metrics, int width);

}  // namespace kelta

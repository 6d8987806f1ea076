#pragma once
// Where every control of the main window stands for a given client size and
// library pane width. At the design size (750 x 501, pane 245) the places
// are the window's original ones. A larger window gives the room to the
// picture, which keeps the strip, its buttons and the slider below it, and
// the pane's width is the person's (dragged at the splitter between them); a
// smaller one, down to the minimum, narrows the top buttons and the pane.

#include <array>

namespace kelta {

struct TBox {
  int X = 0, Y = 0, Width = 0, Height = 0;
  int Right() const { return X + Width; }
  int Bottom() const { return Y + Height; }
  friend bool operator==(const TBox&, const TBox&) = default;
};

struct TMainLayout {
  static constexpr int DesignWidth = 750;
  static constexpr int DesignHeight = 501;
  static constexpr int DesignLibraryWidth = 245;
  // The smallest window: the strip of frames (475 wide) whole beside the
  // narrowest pane, room for a picture above it.
  static constexpr int MinimumWidth = 632;
  static constexpr int MinimumHeight = 420;
  static constexpr int MinimumLibraryWidth = 140;

  // In the window.
  // The picture grid, when shown, takes the video area's place.
  TBox MenuBar, ButtonPanel, VideoArea, Splitter, LibraryPane, StatusBar;
  // In the button panel: Open, Play, Pause, Save, Help, Update, and the
  // line between Save and Help.
  std::array<TBox, 6> TopButtons;
  TBox ButtonSeparator;
  // In the video area: the picture's panel, View, Resize, Crop and Export,
  // the strip of frames, the slider's strip and the slider in it.
  TBox Picture;
  std::array<TBox, 4> FrameButtons;
  TBox FrameStrip, SliderStrip, Slider;
  // In the library pane: its title bar, the search field, the tree, the
  // thumbnail box, and the picture grid's toggle at the title's right end.
  TBox LibraryTitle, SearchField, Tree, Thumbnail, GridToggle;
  // In the status bar: the line, the open's progress and its Cancel.
  TBox StatusLine, Progress, CancelOpen;
};

// The pane width a window `width` wide can give: the person's choice within
// the minimum and what leaves the video area its strip of frames.
int FittedLibraryWidth(int width, int libraryWidth);

// The places for a client area of width x height (each at least the
// minimum) and the pane width asked for (fitted as above).
TMainLayout LayOutMainWindow(int width, int height, int libraryWidth);

}  // namespace kelta

#pragma once
// Where the main window goes: centred on the work area at start, and kept
// inside it while it is dragged. Work-area sizes are measured from the
// screen origin.

#include <optional>
#include <string>
#include <vector>

#include "app/MainLayout.h"
#include "imaging/FastDIB.h"

namespace kelta {

// The main window as the person left it: its normal (not maximised) client
// rectangle in the desktop's coordinates, whether it was maximised, and the
// library pane's width.
struct TWindowPlace {
  TBox Normal;
  bool Maximised = false;
  int LibraryWidth = TMainLayout::DesignLibraryWidth;
  friend bool operator==(const TWindowPlace&, const TWindowPlace&) = default;
};

// "window X Y WIDTH HEIGHT MAXIMISED LIBRARYWIDTH\n"; nothing for anything
// else (a file from elsewhere, cut short or changed by hand).
std::string WindowPlaceText(const TWindowPlace& place);
std::optional<TWindowPlace> ParseWindowPlace(const std::string& text);

// Where a window opens: the place it was left at when that lies on one of
// the screens' work areas (its top edge, where the title and menus are,
// reachable), shrunk and moved to fit that area; otherwise the design size,
// shrunk to fit the first work area and centred on it. A work area smaller
// than the minimum gets the minimum at its top left corner.
TBox OpeningPlace(const std::optional<TWindowPlace>& saved, const std::vector<TBox>& workAreas);

// X = (work width - window width) / 2, Y likewise, as signed halves: a window
// larger than the work area overhangs both edges.
TPoint CenteredPosition(int workWidth, int workHeight, int windowWidth, int windowHeight);

// The proposed window rectangle of a move, pulled back inside the work area
// edge by edge (left, right, top, bottom, in that order).
TRect ClampMovedRect(TRect proposed, int workWidth, int workHeight);

}  // namespace kelta

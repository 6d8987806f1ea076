#include "app/WindowPlacement.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>

namespace kelta {

std::string WindowPlaceText(const TWindowPlace& place) {
  std::ostringstream text;
  text << "window " << place.Normal.X << ' ' << place.Normal.Y << ' ' << place.Normal.Width << ' '
       << place.Normal.Height << ' ' << (place.Maximised ? 1 : 0) << ' ' << place.LibraryWidth << '\n';
  return text.str();
}

std::optional<TWindowPlace> ParseWindowPlace(const std::string& text) {
  std::istringstream in(text);
  std::string word;
  TWindowPlace place;
  int maximised = 0;
  if (!(in >> word) || word != "window") return std::nullopt;
  if (!(in >> place.Normal.X >> place.Normal.Y >> place.Normal.Width >> place.Normal.Height >> maximised >>
        place.LibraryWidth))
    return std::nullopt;
  in >> std::ws;
  if (!in.eof() || (maximised != 0 && maximised != 1)) return std::nullopt;
  place.Maximised = maximised == 1;
  // Desktop coordinates stay within what any screen arrangement has.
  constexpr int Far = 1 << 20;
  const TBox& n = place.Normal;
  if (n.Width < 1 || n.Height < 1 || n.Width > Far || n.Height > Far || std::abs(n.X) > Far || std::abs(n.Y) > Far ||
      place.LibraryWidth < 1 || place.LibraryWidth > Far)
    return std::nullopt;
  return place;
}

namespace {

bool Contains(const TBox& area, int x, int y) {
  return x >= area.X && x < area.Right() && y >= area.Y && y < area.Bottom();
}

// The box shrunk to the area (not below the minimum) and moved inside it.
TBox FitInto(TBox box, const TBox& area) {
  box.Width = std::max(std::min(box.Width, area.Width), int(TMainLayout::MinimumWidth));
  box.Height = std::max(std::min(box.Height, area.Height), int(TMainLayout::MinimumHeight));
  box.X = std::max(std::min(box.X, area.Right() - box.Width), area.X);
  box.Y = std::max(std::min(box.Y, area.Bottom() - box.Height), area.Y);
  return box;
}

}  // namespace

TBox OpeningPlace(const std::optional<TWindowPlace>& saved, const std::vector<TBox>& workAreas) {
  if (workAreas.empty()) return TBox{0, 0, TMainLayout::DesignWidth, TMainLayout::DesignHeight};
  if (saved) {
    const TBox& n = saved->Normal;
    // A point of the top edge a little in from the left: where a person
    // takes the window to move it.
    const int x = n.X + std::min(n.Width / 2, 60);
    for (const TBox& area : workAreas)
      if (Contains(area, x, n.Y)) return FitInto(n, area);
  }
  const TBox& area = workAreas.front();
  const int width = std::min(int(TMainLayout::DesignWidth), area.Width);
  const int height = std::min(int(TMainLayout::DesignHeight), area.Height);
  return FitInto(TBox{area.X + (area.Width - width) / 2, area.Y + (area.Height - height) / 2, width, height}, area);
}

TPoint CenteredPosition(int workWidth, int workHeight, int windowWidth, int windowHeight) {
  return TPoint{(workWidth - windowWidth) / 2, (workHeight - windowHeight) / 2};
}

TRect ClampMovedRect(TRect r, int workWidth, int workHeight) {
  const int w = r.Right - r.Left;
  const int h = r.Bottom - r.Top;
  if (r.Left <= 0) {
    r.Left = 0;
    r.Right = w;
  }
  if (r.Right >= workWidth) {
    r.Left = workWidth - w;
    r.Right = workWidth;
  }
  if (r.Top <= 0) {
    r.Top = 0;
    r.Bottom = h;
  }
  if (r.Top >= workHeight - h) {
    r.Top = workHeight - h;
    r.Bottom = workHeight;
  }
  return r;
}

}  // namespace kelta

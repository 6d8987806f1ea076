#include "app/ui/MainWindowPlace.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>

#include "app/WindowPlacement.h"
#include "app/ui/MainDlg.h"
#include "library/AtomicFileWrite.h"

namespace kelta {

namespace {

std::optional<TWindowPlace> ReadPlace(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  // The file is one short line; anything long is not ours.
  std::string text(200, '\0');
  in.read(text.data(), std::streamsize(text.size()));
  text.resize(std::size_t(in.gcount()));
  return ParseWindowPlace(text);
}

std::vector<TBox> WorkAreas() {
  std::vector<TBox> areas;
  const QScreen* primary = QGuiApplication::primaryScreen();
  auto add = [&areas](const QScreen* screen) {
    const QRect r = screen->availableGeometry();
    areas.push_back(TBox{r.x(), r.y(), r.width(), r.height()});
  };
  if (primary != nullptr) add(primary);
  for (const QScreen* screen : QGuiApplication::screens())
    if (screen != primary) add(screen);
  return areas;
}

}  // namespace

void ShowMainWindow(TMainDlg& window, const std::filesystem::path& file) {
  const std::optional<TWindowPlace> saved = ReadPlace(file);
  const TBox place = OpeningPlace(saved, WorkAreas());
  if (saved) window.SetLibraryWidth(saved->LibraryWidth);
  window.resize(place.Width, place.Height);
  // A top-level window's position is its frame's.
  window.move(place.X, place.Y);
  if (saved && saved->Maximised) {
    window.showMaximized();
    return;
  }
  window.show();
  // The frame's size is known now: the client gives it room on the screen.
  const QScreen* screen = window.screen();
  if (screen == nullptr) return;
  const QRect area = screen->availableGeometry();
  const QRect frame = window.frameGeometry();
  if (area.contains(frame)) return;
  const QSize decoration = frame.size() - window.size();
  const QSize client = window.size().boundedTo(area.size() - decoration).expandedTo(window.minimumSize());
  window.resize(client);
  const QSize framed = client + decoration;
  window.move(std::clamp(frame.x(), area.x(), std::max(area.x(), area.right() + 1 - framed.width())),
              std::clamp(frame.y(), area.y(), std::max(area.y(), area.bottom() + 1 - framed.height())));
}

namespace {

class TKeepPlaceOnClose : public QObject {
 public:
  TKeepPlaceOnClose(TMainDlg& window, std::filesystem::path file)
      : QObject(&window), Window_(window), File_(std::move(file)) {}
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == &Window_ && event->type() == QEvent::Close) KeepMainWindowPlace(Window_, File_);
    return false;
  }

 private:
  TMainDlg& Window_;
  std::filesystem::path File_;
};

}  // namespace

void KeepPlaceOnClose(TMainDlg& window, const std::filesystem::path& file) {
  window.installEventFilter(new TKeepPlaceOnClose(window, file));
}

void KeepMainWindowPlace(const TMainDlg& window, const std::filesystem::path& file) {
  TWindowPlace place;
  const bool maximised = window.isMaximized();
  QRect normal = maximised ? window.normalGeometry() : QRect(window.pos(), window.size());
  // The normal geometry is the client's; the place kept is the frame's, as
  // move() takes it.
  if (maximised) normal.moveTopLeft(normal.topLeft() - (window.geometry().topLeft() - window.pos()));
  place.Normal = TBox{normal.x(), normal.y(), normal.width(), normal.height()};
  place.Maximised = maximised;
  place.LibraryWidth = window.LibraryWidth();
  try {
    WriteFileAtomically(file, WindowPlaceText(place));
  } catch (const std::exception&) {
    // A read-only or full folder: the window opens where it did before.
  }
}

}  // namespace kelta

#pragma once
// The main window's place between runs: put where it was left (on a screen
// that exists, whatever the scale), and kept in a small file beside the
// library when the program ends.

#include <filesystem>

namespace kelta {

class TMainDlg;

// Sizes and moves the window, and its library pane, as `file` says (see
// OpeningPlace), and shows it, maximised when it was left so. A missing or
// unreadable file gives the design size centred on the primary screen. Once
// the window system has framed it, the frame too is fitted onto the screen.
void ShowMainWindow(TMainDlg& window, const std::filesystem::path& file);

// Writes the window's place; a folder that cannot take it keeps the old one.
void KeepMainWindowPlace(const TMainDlg& window, const std::filesystem::path& file);
// Writes it as the window closes, while the window system still says
// whether it is maximised: once the window is gone, that is forgotten.
void KeepPlaceOnClose(TMainDlg& window, const std::filesystem::path& file);

}  // namespace kelta

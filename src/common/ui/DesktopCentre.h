#pragma once
// Windows that open centred on the desktop rather than over their owner: the
// picture windows, the export and print windows, the About box and the save
// and tip dialogs. The window is placed when it is first shown, when its size
// is known.

class QWidget;

namespace kelta {

// Centres `window` on the work area of its owner's screen (the primary screen
// without an owner) each time it is shown.
void CentreOnDesktopWhenShown(QWidget* window);

}  // namespace kelta

#pragma once
// The look of every window: one application style sheet and the default font.

class QApplication;

namespace kelta {

// Light grey surfaces, dark grey text, bold grey captions on the buttons.
void ApplyTheme(QApplication& app);

}  // namespace kelta

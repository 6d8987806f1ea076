#pragma once
// Escape closes a window through close(), so that its closeEvent (an unsaved
// change's question, say) has its say, where a dialog on its own would only
// reject. Keys that a control inside the window takes stay with the control.

class QWidget;

namespace kelta {

void CloseOnEscape(QWidget* window);

}  // namespace kelta

#pragma once
// A click on a picture or a link counts when the left button is released
// over it: a press that is dragged away and released elsewhere, or another
// button, opens nothing.

class QEvent;
class QObject;

namespace kelta {

// True when `event`, delivered to the widget `watched`, is the release of
// the left button inside that widget.
bool IsClickRelease(const QObject* watched, const QEvent* event);

}  // namespace kelta

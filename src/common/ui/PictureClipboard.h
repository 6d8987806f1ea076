#pragma once
// Puts a picture on the desktop's clipboard with its exact pixels, so that
// pasting it into an image editor gives the picture as Kelta holds it.

namespace kelta {

class TFastDIB;

// An empty buffer leaves the clipboard as it is; false then.
bool CopyPictureToClipboard(const TFastDIB& picture);

}  // namespace kelta

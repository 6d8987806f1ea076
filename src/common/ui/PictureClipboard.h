#pragma once
// Copying a picture to the system clipboard with its exact pixels, for the
// windows that show one.

namespace kelta {

class TFastDIB;

// Puts the picture on the clipboard as an image; an empty picture changes nothing.
void CopyPictureToClipboard(const TFastDIB& picture);

}  // namespace kelta

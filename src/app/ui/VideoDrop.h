#pragma once
// What a drop on the main window offers to open: the first local file among
// the dropped items. Folders, web addresses and plain text offer nothing.

#include <QString>

class QMimeData;

namespace kelta {

// The file's absolute path, or empty when the drop holds no local file.
QString DroppedVideo(const QMimeData* data);

}  // namespace kelta

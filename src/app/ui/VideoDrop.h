#pragma once
// What a drop on the main window offers to open: the first local file or DVD
// folder (one that is or holds VIDEO_TS) among the dropped items. Other
// folders, web addresses and plain text offer nothing.

#include <QString>

class QMimeData;

namespace kelta {

// The file's or DVD folder's absolute path; empty when the drop holds neither.
QString DroppedVideo(const QMimeData* data);

}  // namespace kelta

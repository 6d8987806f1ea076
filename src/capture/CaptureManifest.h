#pragma once
// The JSON manifest of a capture: the source, and for each still its frame,
// time, timecode, chapter, file and what was done to the frame, or why it
// failed. The same capture gives the same bytes. The schema is
// capture-manifest.schema.json beside this file.

#include <string>

#include "capture/CaptureRun.h"

namespace kelta {

std::string CaptureManifestJson(const TCaptureReport& report);

}  // namespace kelta

#pragma once
// MPEG-2 clips made from progressive pictures whose truth a test knows:
// interlaced video made from twice as many pictures a second (each frame's
// first field from one picture, its second field from the next), and film
// hard-telecined 2:3 into interlaced NTSC frames. Each clip comes with the
// picture a clean still of each frame should show: for interlaced video the
// picture of its first field's moment, for telecined film (top field first)
// the film frame its top field belongs to.

#include <string>
#include <vector>

#include "codec/FFmpegPtr.h"

namespace kelta::test {

// What the source pictures show.
enum class Scene {
  Still,    // a detailed picture, never moving
  Pattern,  // diagonal stripes and a square, moving every picture
  Pan,      // the detailed picture panning sideways
  // The still detailed picture with a small dark box creeping across it,
  // two pixels a picture: few combs in a frame that barely moves.
  SmallMover,
};

enum class Making {
  FieldsFromPictures,  // 50 pictures a second into 25 interlaced frames, 720 x 576
  HardTelecine,        // 24000/1001 film pulled down 2:3 into 30000/1001 frames, 720 x 480
  // The same, cut after frame EditAfter (the first film frame's field of a
  // mixed frame left alone) to another shot whose cadence starts anew.
  HardTelecineWithEdit,
};

constexpr int EditAfter = 7;

struct FieldClipOptions {
  Scene scene = Scene::Pattern;
  Making making = Making::FieldsFromPictures;
  int frames = 20;  // frames of the clip
  // Coded as progressive frames, as some discs flag what is interlaced.
  bool flaggedProgressive = false;
  // Interlaced video whose bottom field comes first (from the earlier picture).
  bool bottomFirst = false;
};

struct FieldClip {
  int width = 0, height = 0;
  // Per frame of the clip, the source picture (YUV 4:2:0) a still should show.
  std::vector<codec::FramePtr> truth;
};

// Writes the clip as an MPEG-2 program stream in DVD groups; throws on failure.
FieldClip WriteFieldClip(const std::string& path, const FieldClipOptions& options);

}  // namespace kelta::test

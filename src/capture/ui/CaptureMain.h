#pragma once
// The entry of `kelta capture`: the command over the program's folder, with
// contact sheets drawn on Qt's offscreen platform, so that it runs without a
// display.

namespace kelta {

// argv[1] is "capture"; the answer is the exit status.
int RunCapture(int argc, char** argv);

}  // namespace kelta

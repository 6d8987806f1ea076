// kelta_make_sample OUT SECONDS [WIDTH HEIGHT FPS_NUM FPS_DEN [ASPECT]]
// Writes a DVD-like MPEG-2 program stream with the test pattern and frame
// counter, e.g. the sample video the program folder ships with. ASPECT is the
// shape the picture is shown at, such as 4:3 or 16:9.

#include <cstdio>
#include <cstdlib>
#include <exception>

#include "support/VideoFixture.h"

int main(int argc, char** argv) {
  if (argc != 3 && argc != 7 && argc != 8) {
    std::fprintf(stderr, "usage: %s OUT SECONDS [WIDTH HEIGHT FPS_NUM FPS_DEN [ASPECT]]\n", argv[0]);
    return 2;
  }
  kelta::test::Mpeg2StreamOptions options;
  if (argc >= 7) {
    options.width = std::atoi(argv[3]);
    options.height = std::atoi(argv[4]);
    options.fpsNum = std::atoi(argv[5]);
    options.fpsDen = std::atoi(argv[6]);
  }
  if (argc == 8 && (std::sscanf(argv[7], "%d:%d", &options.aspectWidth, &options.aspectHeight) != 2 ||
                    options.aspectWidth <= 0 || options.aspectHeight <= 0)) {
    std::fprintf(stderr, "%s: the aspect is given as W:H, such as 16:9\n", argv[0]);
    return 2;
  }
  const double seconds = std::atof(argv[2]);
  if (seconds <= 0 || options.fpsNum <= 0 || options.fpsDen <= 0) {
    std::fprintf(stderr, "%s: seconds and frame rate must be positive\n", argv[0]);
    return 2;
  }
  options.frames = int(seconds * options.fpsNum / options.fpsDen + 0.5);
  options.gopSize = options.fpsNum / options.fpsDen >= 29 ? 15 : 12;
  try {
    kelta::test::WriteMpeg2ProgramStream(argv[1], options);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s: %s\n", argv[0], e.what());
    return 1;
  }
  return 0;
}

#include "support/FieldClips.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <stdexcept>

#include "codec/FrameView.h"
#include "support/VideoFixture.h"

namespace kelta::test {

namespace {

using codec::FramePtr;

FramePtr NewPicture(int width, int height) {
  FramePtr f(av_frame_alloc());
  if (!f) throw std::runtime_error("Out of memory");
  f->format = AV_PIX_FMT_YUV420P;
  f->width = width;
  f->height = height;
  if (av_frame_get_buffer(f.get(), 0) < 0) throw std::runtime_error("Cannot allocate a picture");
  return f;
}

std::uint8_t Clip(double v) { return std::uint8_t(std::clamp(std::lround(v), 16L, 235L)); }

// Fine and coarse detail, sharp diagonal stripes and a bright box: what
// interpolation gets wrong shows. `shift` moves it sideways.
void DrawDetail(AVFrame* f, double shift) {
  for (int y = 0; y < f->height; ++y) {
    std::uint8_t* row = f->data[0] + std::ptrdiff_t(y) * f->linesize[0];
    for (int x = 0; x < f->width; ++x) {
      const double u = x + shift;
      double v = 120 + 45 * std::sin(u * 0.13 + y * 0.05) + 25 * std::sin(u * 0.031 - y * 0.083);
      if (int(std::floor((u + 1.5 * y) / 24)) % 3 == 0) v += 40;
      if (u > 300 && u < 420 && y > 150 && y < 260) v = 220;
      row[x] = Clip(v);
    }
  }
  for (int y = 0; y < f->height / 2; ++y)
    for (int x = 0; x < f->width / 2; ++x) {
      const double u = x + shift / 2;
      f->data[1][std::ptrdiff_t(y) * f->linesize[1] + x] = Clip(128 + 40 * std::sin(u * 0.02));
      f->data[2][std::ptrdiff_t(y) * f->linesize[2] + x] = Clip(128 + 40 * std::cos(y * 0.015 + u * 0.01));
    }
}

// Diagonal stripes running along and a square crossing the picture.
void DrawPattern(AVFrame* f, int t) {
  for (int y = 0; y < f->height; ++y) {
    std::uint8_t* row = f->data[0] + std::ptrdiff_t(y) * f->linesize[0];
    for (int x = 0; x < f->width; ++x) row[x] = std::uint8_t(40 + ((x + 2 * y + 3 * t) % 160));
  }
  const int side = f->height / 5, sx = (4 * t) % (f->width - side), sy = f->height / 2;
  for (int y = sy; y < sy + side; ++y)
    std::memset(f->data[0] + std::ptrdiff_t(y) * f->linesize[0] + sx, 220, std::size_t(side));
  for (int y = 0; y < f->height / 2; ++y)
    for (int x = 0; x < f->width / 2; ++x) {
      f->data[1][std::ptrdiff_t(y) * f->linesize[1] + x] = Clip(128 + 30 * std::sin((x + t) * 0.03));
      f->data[2][std::ptrdiff_t(y) * f->linesize[2] + x] = Clip(128 + 30 * std::cos(y * 0.02));
    }
}

FramePtr SourcePicture(Scene scene, int t, int width, int height) {
  FramePtr f = NewPicture(width, height);
  switch (scene) {
    case Scene::Still: DrawDetail(f.get(), 0); break;
    case Scene::Pan: DrawDetail(f.get(), 3.0 * t); break;
    case Scene::Pattern: DrawPattern(f.get(), t); break;
    case Scene::SmallMover:
      DrawDetail(f.get(), 0);
      for (int y = 200; y < 240; ++y) std::memset(f->data[0] + std::ptrdiff_t(y) * f->linesize[0] + 100 + 2 * t, 20, 24);
      break;
  }
  return f;
}

// Copies the rows of one parity of every plane.
void CopyField(const AVFrame* from, AVFrame* to, int parity) {
  for (int p = 0; p < 3; ++p) {
    const int width = p ? from->width / 2 : from->width, height = p ? from->height / 2 : from->height;
    for (int y = parity; y < height; y += 2)
      std::memcpy(to->data[p] + std::ptrdiff_t(y) * to->linesize[p],
                  from->data[p] + std::ptrdiff_t(y) * from->linesize[p], std::size_t(width));
  }
}

// The source picture of the top and bottom field of frame `n`.
struct FieldSources {
  int top, bottom;
};

// Film frames of the shot after an edit start here: far along the pan, so
// that nothing of the shot before is seen again.
constexpr int ShotAfterEdit = 100;

// The first field shown comes from the earlier picture.
int FirstSource(FieldSources s) { return std::min(s.top, s.bottom); }

FieldSources SourcesOf(Making making, bool bottomFirst, int n) {
  if (making == Making::FieldsFromPictures)
    return bottomFirst ? FieldSources{2 * n + 1, 2 * n} : FieldSources{2 * n, 2 * n + 1};
  if (making == Making::HardTelecineWithEdit && n > EditAfter) {
    const FieldSources s = SourcesOf(Making::HardTelecine, false, n - EditAfter - 1);
    return {s.top + ShotAfterEdit, s.bottom + ShotAfterEdit};
  }
  // 2:3 pulldown: film frames A B C D give fields AA BBB CC DDD, two a frame:
  // AA BB BC CD DD, and again for the next four.
  static const FieldSources cycle[5] = {{0, 0}, {1, 1}, {1, 2}, {2, 3}, {3, 3}};
  const FieldSources s = cycle[n % 5];
  return {s.top + 4 * (n / 5), s.bottom + 4 * (n / 5)};
}

}  // namespace

FieldClip WriteFieldClip(const std::string& path, const FieldClipOptions& options) {
  const bool film = options.making != Making::FieldsFromPictures;
  FieldClip clip;
  clip.width = 720;
  clip.height = film ? 480 : 576;
  std::map<int, FramePtr> sources;
  const auto source = [&](int t) -> const AVFrame* {
    FramePtr& picture = sources[t];
    if (!picture) picture = SourcePicture(options.scene, t, clip.width, clip.height);
    return picture.get();
  };
  for (int n = 0; n < options.frames; ++n) {
    FramePtr truth = NewPicture(clip.width, clip.height);
    av_frame_copy(truth.get(), source(FirstSource(SourcesOf(options.making, options.bottomFirst, n))));
    clip.truth.push_back(std::move(truth));
  }

  Mpeg2StreamOptions o;
  o.width = clip.width;
  o.height = clip.height;
  o.frames = options.frames;
  o.interlaced = !options.flaggedProgressive;
  o.bottomFieldFirst = options.bottomFirst;
  o.audio = false;
  if (film) {
    o.fpsNum = 30000;
    o.fpsDen = 1001;
    o.gopSize = 15;
  }
  o.drawPicture = [&](AVFrame* picture, int n) {
    const FieldSources s = SourcesOf(options.making, options.bottomFirst, n);
    CopyField(source(s.top), picture, 0);
    CopyField(source(s.bottom), picture, 1);
  };
  WriteMpeg2ProgramStream(path, o);
  return clip;
}

}  // namespace kelta::test

#include "CleanStill.h"

extern "C" {
#include <libavutil/pixdesc.h>
}

#include <cstring>
#include <limits>

#include "CombScore.h"
#include "FieldInterpolator.h"

namespace kelta::codec {

namespace {

// 8-bit planar YUV with three planes, as MPEG-2 decodes: what the still
// can be made of. Anything else is shown as decoded.
bool PlanarYuv8(const AVFrame* frame) {
  const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(AVPixelFormat(frame->format));
  return desc && desc->nb_components == 3 && (desc->flags & AV_PIX_FMT_FLAG_PLANAR) &&
         !(desc->flags & AV_PIX_FMT_FLAG_RGB) && desc->comp[0].depth == 8 && frame->height >= 4;
}

bool SameShape(const AVFrame* a, const AVFrame* b) {
  return a && b && a->width == b->width && a->height == b->height && a->format == b->format;
}

// Copies the rows of parity `parity` of every plane from `from` into `to`.
void CopyField(const AVFrame* from, AVFrame* to, int parity) {
  const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(AVPixelFormat(from->format));
  for (int p = 0; p < 3; ++p) {
    const int width = p == 0 ? from->width : AV_CEIL_RSHIFT(from->width, desc->log2_chroma_w);
    const int height = p == 0 ? from->height : AV_CEIL_RSHIFT(from->height, desc->log2_chroma_h);
    for (int y = parity; y < height; y += 2)
      std::memcpy(to->data[p] + std::ptrdiff_t(y) * to->linesize[p],
                  from->data[p] + std::ptrdiff_t(y) * from->linesize[p], std::size_t(width));
  }
}

}  // namespace

bool CleanStill::PrepareOutput(const AVFrame* current) {
  if (!Built_ || !SameShape(Built_.get(), current)) {
    Built_.reset(av_frame_alloc());
    if (!Built_) return false;
    Built_->format = current->format;
    Built_->width = current->width;
    Built_->height = current->height;
    if (av_frame_get_buffer(Built_.get(), 0) < 0) {
      Built_.reset();
      return false;
    }
  }
  // Colours as the decoder signalled them, so that the still converts to the
  // same colours as the frame; the picture is whole frames now.
  if (av_frame_copy_props(Built_.get(), current) < 0) return false;
  Built_->interlaced_frame = 0;
  Built_->repeat_pict = 0;
  return true;
}

const AVFrame* CleanStill::Make(const AVFrame* previous, const AVFrame* current, const AVFrame* next,
                                KeltaCodecStillKind& kind) {
  kind = current->interlaced_frame ? KeltaStillWoven : KeltaStillProgressive;
  const int limit = current->interlaced_frame ? CombedInterlacedBlockPixels : CombedBlockPixels;
  if (!PlanarYuv8(current) || !Combed(CombScore(current, current), limit)) return current;
  if (!SameShape(previous, current)) previous = nullptr;
  if (!SameShape(next, current)) next = nullptr;
  if (!PrepareOutput(current)) return current;

  // The first field stays; its partner is the other field of this frame or
  // of a neighbour, whichever weaves without combs. Without a field order the
  // stream is taken as top field first, as MPEG-2 defaults to.
  const bool topFirst = !current->interlaced_frame || current->top_field_first;
  const int kept = topFirst ? 0 : 1;
  const AVFrame* partner = nullptr;
  int best = std::numeric_limits<int>::max();
  for (const AVFrame* candidate : {previous, next}) {
    if (!candidate) continue;
    const int score = topFirst ? CombScore(current, candidate) : CombScore(candidate, current);
    if (score < best) {
      best = score;
      partner = candidate;
    }
  }
  // The pairing must be as clean as a frame left alone: a neighbour's field
  // that merely combs less is video moving, not film.
  if (partner && !Combed(best, limit)) {
    CopyField(current, Built_.get(), kept);
    CopyField(partner, Built_.get(), 1 - kept);
    kind = KeltaStillFilmRebuilt;
    return Built_.get();
  }
  InterpolateFirstField(previous, current, next, topFirst, Built_.get());
  kind = KeltaStillDeinterlaced;
  return Built_.get();
}

}  // namespace kelta::codec

#include "FrameConverter.h"

#include <cstring>

#include "FFmpegError.h"
#include "FrameView.h"

extern "C" {
#include <libavutil/opt.h>
#include <libavutil/pixdesc.h>
}

namespace kelta::codec {

namespace {

// Interpolating chroma needs swscale's exact path: without SWS_ACCURATE_RND
// the same-size conversion repeats chroma samples whatever filter is asked for.
constexpr int SwsFlags = SWS_BILINEAR | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INT;

}  // namespace

int SwsMatrixFor(AVColorSpace space) {
  switch (space) {
    case AVCOL_SPC_BT709:
      return SWS_CS_ITU709;
    case AVCOL_SPC_FCC:
      return SWS_CS_FCC;
    case AVCOL_SPC_SMPTE240M:
      return SWS_CS_SMPTE240M;
    case AVCOL_SPC_BT2020_NCL:
    case AVCOL_SPC_BT2020_CL:
      return SWS_CS_BT2020;
    default:  // BT.601 (470BG, SMPTE 170M) and streams that signal nothing, as DVDs
      return SWS_CS_ITU601;
  }
}

SwsContext* FrameConverter::Context(SwsPtr& slot, const Key& key, int srcH, int dstH, int vChromaPos) {
  if (slot) return slot.get();
  SwsPtr ctx(sws_alloc_context());
  if (!ctx) throw FFmpegError("Cannot make a conversion", AVERROR(ENOMEM));
  int hPos = 0, vPos = 128;  // MPEG-2 default: left, between the rows
  if (key.chromaLocation != AVCHROMA_LOC_UNSPECIFIED)
    avcodec_enum_to_chroma_pos(&hPos, &vPos, AVChromaLocation(key.chromaLocation));
  if (vChromaPos >= 0) vPos = vChromaPos;
  av_opt_set_int(ctx.get(), "srcw", key.srcW, 0);
  av_opt_set_int(ctx.get(), "srch", srcH, 0);
  av_opt_set_int(ctx.get(), "src_format", key.srcFormat, 0);
  av_opt_set_int(ctx.get(), "dstw", key.dstW, 0);
  av_opt_set_int(ctx.get(), "dsth", dstH, 0);
  av_opt_set_int(ctx.get(), "dst_format", AV_PIX_FMT_BGR24, 0);
  av_opt_set_int(ctx.get(), "sws_flags", SwsFlags, 0);
  av_opt_set_int(ctx.get(), "src_h_chr_pos", hPos, 0);
  av_opt_set_int(ctx.get(), "src_v_chr_pos", vPos, 0);
  Check(sws_init_context(ctx.get(), nullptr, nullptr), "Cannot start the conversion");
  const int* coefficients = sws_getCoefficients(key.matrix);
  if (key.dstRange == 0 && key.srcRange == 0) {
    // Video levels out: take luma as it is (no 255/219 stretch) and scale
    // chroma from its 224 steps to luma's 219.
    sws_setColorspaceDetails(ctx.get(), coefficients, 1, coefficients, 1, 0, 1 << 16, (219 << 16) / 224);
  } else {
    sws_setColorspaceDetails(ctx.get(), coefficients, key.srcRange, coefficients, 1, 0, 1 << 16, 1 << 16);
  }
  slot = std::move(ctx);
  return slot.get();
}

namespace {

// The colour space a frame signals, `unsignalled` when none. MPEG-2 carries it as a free byte that
// FFmpeg passes on unchecked, so the field may hold a value outside the
// enumeration, which C++ may not load as the enumeration: it is read as the
// integer it is, and an unknown value counts as none.
AVColorSpace SignalledColorSpace(const AVFrame* frame, AVColorSpace unsignalled) {
  int value = 0;
  static_assert(sizeof frame->colorspace == sizeof value);
  std::memcpy(&value, &frame->colorspace, sizeof value);
  if (value == AVCOL_SPC_UNSPECIFIED || value == AVCOL_SPC_RESERVED) return unsignalled;
  return value >= 0 && value < AVCOL_SPC_NB ? AVColorSpace(value) : unsignalled;
}

YuvMatrix MatrixFor(AVColorSpace space, bool fullRangeOutput) {
  YuvMatrix m;
  m.fullRangeOutput = fullRangeOutput;
  switch (space) {
    case AVCOL_SPC_BT709:
      m.kr = 0.2126, m.kb = 0.0722;
      break;
    case AVCOL_SPC_FCC:
      m.kr = 0.30, m.kb = 0.11;
      break;
    case AVCOL_SPC_SMPTE240M:
      m.kr = 0.212, m.kb = 0.087;
      break;
    case AVCOL_SPC_BT2020_NCL:
    case AVCOL_SPC_BT2020_CL:
      m.kr = 0.2627, m.kb = 0.0593;
      break;
    default:  // BT.601, and DVDs that signal nothing
      break;
  }
  return m;
}

}  // namespace

bool FrameConverter::ConvertFast(const AVFrame* frame, int width, int height, std::uint8_t* out) {
  // Our converter covers what DVDs carry: 8-bit 4:2:0 in limited range at
  // its own size. Anything else goes through swscale.
  if (Path_ != Path::OwnWhereItFits || frame->format != AV_PIX_FMT_YUV420P || frame->color_range == AVCOL_RANGE_JPEG ||
      frame->width != width || frame->height != height || width < 2 || height < 2)
    return false;
  const YuvPlanes planes{frame->data[0],     frame->data[1],     frame->data[2], frame->linesize[0],
                         frame->linesize[1], frame->linesize[2], width,          height};
  const YuvMatrix matrix = MatrixFor(SignalledColorSpace(frame, Unsignalled_), FullRange_);
  const bool interlaced = frame->interlaced_frame && height >= 4;
  const int stride = int(Bgr24Stride(width));
  // One thread: spreading rows over threads per frame lost more to waiting on
  // a busy machine than it gained (every row stands alone, should that change).
  ConvertYuv420ToBgr(planes, matrix, interlaced, 0, height, out, stride, SimdLevel_);
  return true;
}

void FrameConverter::Convert(const AVFrame* frame, int width, int height, std::uint8_t* out) {
  if (ConvertFast(frame, width, height, out)) return;
  const int stride = int(Bgr24Stride(width));
  Key key;
  key.srcW = frame->width;
  key.srcH = frame->height;
  key.srcFormat = frame->format;
  key.dstW = width;
  key.dstH = height;
  key.matrix = SwsMatrixFor(SignalledColorSpace(frame, Unsignalled_));
  key.srcRange = frame->color_range == AVCOL_RANGE_JPEG ? 1 : 0;
  key.dstRange = FullRange_ ? 1 : 0;
  key.chromaLocation = frame->chroma_location;
  // Field by field only when both fields keep their rows (no vertical
  // scaling) and have the same whole number of chroma rows.
  key.interlaced = frame->interlaced_frame && frame->height == height && height >= 4 && height % 4 == 0;
  if (!(key == Key_)) {
    Frame_.reset();
    Top_.reset();
    Bottom_.reset();
    Key_ = key;
  }

  // Bottom-up rows: the picture's first row is the last in memory.
  std::uint8_t* lastRow = out + std::ptrdiff_t(height - 1) * stride;
  if (!key.interlaced) {
    SwsContext* ctx = Context(Frame_, key, frame->height, height, -1);
    std::uint8_t* dst[4] = {lastRow, nullptr, nullptr, nullptr};
    const int dstStride[4] = {-stride, 0, 0, 0};
    sws_scale(ctx, frame->data, frame->linesize, 0, frame->height, dst, dstStride);
    return;
  }

  // Each field as a picture of its own: every second row of every plane.
  const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(AVPixelFormat(frame->format));
  const bool chromaHalfHeight = desc && desc->log2_chroma_h == 1;
  SwsContext* contexts[2];
  for (int field = 0; field < 2; ++field) {
    const int rows = field == 0 ? (height + 1) / 2 : height / 2;
    // Within a field of 4:2:0 video the chroma of the top field sits a quarter
    // of the way between two of its rows, the bottom field's three quarters.
    // (swscale 6.7 rounds vertical siting to whole rows; the values say what
    // is meant should a later swscale honour them.)
    const int vPos = chromaHalfHeight ? (field == 0 ? 64 : 192) : -1;
    contexts[field] = Context(field == 0 ? Top_ : Bottom_, key, rows, rows, vPos);
  }
  auto convertField = [&](int field) {
    const int rows = field == 0 ? (height + 1) / 2 : height / 2;
    const std::uint8_t* src[4] = {};
    int srcStride[4] = {};
    for (int p = 0; p < 4 && frame->data[p]; ++p) {
      src[p] = frame->data[p] + std::ptrdiff_t(field) * frame->linesize[p];
      srcStride[p] = 2 * frame->linesize[p];
    }
    std::uint8_t* dst[4] = {lastRow - std::ptrdiff_t(field) * stride, nullptr, nullptr, nullptr};
    const int dstStride[4] = {-2 * stride, 0, 0, 0};
    sws_scale(contexts[field], src, srcStride, 0, rows, dst, dstStride);
  };
  convertField(0);
  convertField(1);
}

}  // namespace kelta::codec

#pragma once
// Motion-adaptive deinterlacing of one frame at the moment of its first
// field: that field is kept and the other field's lines are made anew. Where
// nothing moves they are the other field as the neighbouring frames show it
// (a weave); where something moves they are interpolated from the kept
// field, along the edge direction the kept lines show where there is one
// and with a four-tap vertical filter (mixed with the neighbouring fields'
// detail) where there is none, bounded by what the neighbouring fields allow.
//
// FFmpeg's bwdif keeps the vertical filter but knows no edge directions, so
// diagonal edges come out stepped; its yadif follows edges but interpolates
// the rest with two taps only. Measured on the same decoded frames (see
// bench/codec/StillBench.cpp), this beats both on moving patterns and pans.

#include "FFmpegPtr.h"

namespace kelta::codec {

// Fills `out` (allocated, same size and planar 8-bit format as `current`)
// with `current` deinterlaced at the moment of its first field (the top one
// when `topFirst`). `previous` and `next` are the frames around it; either
// may be null at the ends of what was decoded, and `current` stands in.
void InterpolateFirstField(const AVFrame* previous, const AVFrame* current, const AVFrame* next, bool topFirst,
                           AVFrame* out);

}  // namespace kelta::codec

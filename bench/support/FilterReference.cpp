#include "support/FilterReference.h"

extern "C" {
#include <libavfilter/avfilter.h>
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
}

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace kelta::bench {

namespace {

struct GraphDeleter {
  void operator()(AVFilterGraph* g) const { avfilter_graph_free(&g); }
};

[[noreturn]] void Fail(const char* what, const std::string& description) {
  std::fprintf(stderr, "filter %s: %s\n", description.c_str(), what);
  std::abort();
}

}  // namespace

std::vector<codec::FramePtr> RunFilter(const std::vector<codec::FramePtr>& pictures, const std::string& description) {
  std::vector<codec::FramePtr> out;
  if (pictures.empty()) return out;
  const AVFrame* first = pictures.front().get();
  std::unique_ptr<AVFilterGraph, GraphDeleter> graph(avfilter_graph_alloc());
  if (!graph) Fail("no graph", description);
  char args[256];
  std::snprintf(args, sizeof args, "video_size=%dx%d:pix_fmt=%d:time_base=1/25:pixel_aspect=1/1", first->width,
                first->height, first->format);
  AVFilterContext *source = nullptr, *sink = nullptr;
  if (avfilter_graph_create_filter(&source, avfilter_get_by_name("buffer"), "in", args, nullptr, graph.get()) < 0 ||
      avfilter_graph_create_filter(&sink, avfilter_get_by_name("buffersink"), "out", nullptr, nullptr, graph.get()) < 0)
    Fail("no source or sink", description);
  AVFilterInOut* outputs = avfilter_inout_alloc();
  AVFilterInOut* inputs = avfilter_inout_alloc();
  outputs->name = av_strdup("in");
  outputs->filter_ctx = source;
  inputs->name = av_strdup("out");
  inputs->filter_ctx = sink;
  const int parsed = avfilter_graph_parse_ptr(graph.get(), description.c_str(), &inputs, &outputs, nullptr);
  avfilter_inout_free(&inputs);
  avfilter_inout_free(&outputs);
  if (parsed < 0 || avfilter_graph_config(graph.get(), nullptr) < 0) Fail("cannot be built", description);

  const auto drain = [&] {
    for (;;) {
      codec::FramePtr frame(av_frame_alloc());
      if (av_buffersink_get_frame(sink, frame.get()) < 0) return;
      out.push_back(std::move(frame));
    }
  };
  std::int64_t pts = 0;
  for (const codec::FramePtr& picture : pictures) {
    codec::FramePtr copy(av_frame_clone(picture.get()));
    copy->pts = pts++;
    if (av_buffersrc_add_frame_flags(source, copy.get(), AV_BUFFERSRC_FLAG_KEEP_REF) < 0) Fail("refused a picture", description);
    drain();
  }
  if (av_buffersrc_add_frame_flags(source, nullptr, 0) < 0) Fail("cannot end its input", description);
  drain();
  return out;
}

}  // namespace kelta::bench

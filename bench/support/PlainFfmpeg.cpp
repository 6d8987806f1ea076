#include "support/PlainFfmpeg.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>

#include "codec/FrameView.h"

namespace kelta::bench {

void DefaultConversion::Convert(const AVFrame* frame, std::vector<std::uint8_t>& out) {
  const int stride = int(Bgr24Stride(frame->width));
  out.resize(std::size_t(stride) * std::size_t(frame->height));
  // sws_getCachedContext frees the context it replaces.
  Sws_.reset(sws_getCachedContext(Sws_.release(), frame->width, frame->height, AVPixelFormat(frame->format),
                                  frame->width, frame->height, AV_PIX_FMT_BGR24, SWS_BICUBIC, nullptr, nullptr,
                                  nullptr));
  std::uint8_t* dst[4] = {out.data() + std::ptrdiff_t(frame->height - 1) * stride};
  const int dstStride[4] = {-stride};
  sws_scale(Sws_.get(), frame->data, frame->linesize, 0, frame->height, dst, dstStride);
}

PlainDecoder::PlainDecoder(const std::string& path) : Packet_(av_packet_alloc()), Frame_(av_frame_alloc()) {
  AVFormatContext* opened = nullptr;
  if (avformat_open_input(&opened, path.c_str(), nullptr, nullptr) < 0) std::abort();
  Format_.reset(opened);
  if (avformat_find_stream_info(Format_.get(), nullptr) < 0) std::abort();
  Stream_ = av_find_best_stream(Format_.get(), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
  if (Stream_ < 0) std::abort();
  for (unsigned i = 0; i < Format_->nb_streams; ++i)
    if (int(i) != Stream_) Format_->streams[i]->discard = AVDISCARD_ALL;
  const AVCodecParameters* parameters = Format_->streams[Stream_]->codecpar;
  const AVCodec* codec = avcodec_find_decoder(parameters->codec_id);
  Context_.reset(avcodec_alloc_context3(codec));
  avcodec_parameters_to_context(Context_.get(), parameters);
  Context_->thread_count = 0;
  Context_->thread_type = FF_THREAD_SLICE;
  if (avcodec_open2(Context_.get(), codec, nullptr) < 0) std::abort();
}

const AVFrame* PlainDecoder::Next() {
  for (;;) {
    av_frame_unref(Frame_.get());
    const int received = avcodec_receive_frame(Context_.get(), Frame_.get());
    if (received == 0) return Frame_.get();
    if (received != AVERROR(EAGAIN) || Draining_) return nullptr;
    if (av_read_frame(Format_.get(), Packet_.get()) < 0) {
      Draining_ = true;
      avcodec_send_packet(Context_.get(), nullptr);
      continue;
    }
    if (Packet_->stream_index == Stream_) avcodec_send_packet(Context_.get(), Packet_.get());
    av_packet_unref(Packet_.get());
  }
}

void PlainDecoder::SeekToByte(std::int64_t position) {
  av_seek_frame(Format_.get(), -1, position, AVSEEK_FLAG_BYTE);
  avcodec_flush_buffers(Context_.get());
  Draining_ = false;
}

void PlainDecoder::ReadAllPackets() {
  while (av_read_frame(Format_.get(), Packet_.get()) >= 0) av_packet_unref(Packet_.get());
}

bool FfmpegCliAvailable() {
  const char* path = std::getenv("PATH");
  std::string folders = path ? path : "/usr/bin:/bin";
  for (std::size_t start = 0; start <= folders.size();) {
    const std::size_t end = std::min(folders.find(':', start), folders.size());
    const std::string candidate = folders.substr(start, end - start) + "/ffmpeg";
    if (access(candidate.c_str(), X_OK) == 0) return true;
    start = end + 1;
  }
  return false;
}

std::optional<Times> RunFfmpeg(const std::vector<std::string>& arguments) {
  std::vector<std::string> words = {"ffmpeg", "-nostdin", "-hide_banner", "-loglevel", "error"};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  const Times start = Now();
  const pid_t child = fork();
  if (child < 0) return std::nullopt;
  if (child == 0) {
    execvp("ffmpeg", argv.data());
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  if (wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::nullopt;
  const double cpu = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                     double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
  return Times{cpu, Now().wall - start.wall};
}

std::optional<Times> RunFfmpegCli(const std::string& file) {
  return RunFfmpeg({"-threads", "1", "-i", file, "-an", "-pix_fmt", "bgr24", "-f", "null", "-"});
}

}  // namespace kelta::bench

#include "support/DecodedPictures.h"

#include <stdexcept>

namespace kelta::test {

std::vector<codec::FramePtr> DecodePictures(const std::string& path, int limit) {
  AVFormatContext* opened = nullptr;
  // On failure avformat_open_input frees the context itself.
  if (avformat_open_input(&opened, path.c_str(), nullptr, nullptr) < 0) throw std::runtime_error("Cannot read " + path);
  const codec::FormatPtr format(opened);
  if (avformat_find_stream_info(format.get(), nullptr) < 0) throw std::runtime_error("Cannot read " + path);
  const int stream = av_find_best_stream(format.get(), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
  if (stream < 0) throw std::runtime_error("No video in " + path);
  const AVCodecParameters* parameters = format->streams[stream]->codecpar;
  const AVCodec* decoder = avcodec_find_decoder(parameters->codec_id);
  const codec::CodecContextPtr context(avcodec_alloc_context3(decoder));
  if (!context || avcodec_parameters_to_context(context.get(), parameters) < 0 ||
      avcodec_open2(context.get(), decoder, nullptr) < 0)
    throw std::runtime_error("Cannot decode " + path);
  const codec::PacketPtr packet(av_packet_alloc());
  std::vector<codec::FramePtr> pictures;
  bool draining = false;
  while (int(pictures.size()) < limit) {
    codec::FramePtr picture(av_frame_alloc());
    const int received = avcodec_receive_frame(context.get(), picture.get());
    if (received == 0) {
      pictures.push_back(std::move(picture));
      continue;
    }
    if (received != AVERROR(EAGAIN) || draining) break;
    if (av_read_frame(format.get(), packet.get()) < 0) {
      draining = true;
      avcodec_send_packet(context.get(), nullptr);
      continue;
    }
    if (packet->stream_index == stream) avcodec_send_packet(context.get(), packet.get());
    av_packet_unref(packet.get());
  }
  return pictures;
}

}  // namespace kelta::test

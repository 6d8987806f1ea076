#include "support/DvdFixture.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <stdexcept>
#include <vector>

#include "codec/FFmpegPtr.h"

namespace kelta::test {

namespace {

namespace fs = std::filesystem;

constexpr std::size_t SectorBytes = 2048;

std::string Quoted(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

std::string ReadText(const std::string& path) {
  std::ifstream in(path);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Runs a tool with its messages in a log beside `work`; throws with that
// log when the tool is missing or fails. A filter (spumux) reads `input` and
// writes `output`; any other tool's output goes to the log too.
void Run(const std::string& tool, const std::string& arguments, const std::string& work,
         const std::string& input = {}, const std::string& output = {}) {
  if (std::system(("command -v " + tool + " >/dev/null 2>&1").c_str()) != 0)
    throw std::runtime_error(tool + " is not installed; scripts/install-deps installs it");
  const std::string log = (fs::path(work) / (tool + ".log")).string();
  const std::string redirections = output.empty() ? " >" + Quoted(log) + " 2>&1"
                                                  : " <" + Quoted(input) + " >" + Quoted(output) + " 2>" + Quoted(log);
  const int status = std::system((tool + " " + arguments + redirections).c_str());
  if (status != 0) throw std::runtime_error(tool + " failed:\n" + ReadText(log));
}

std::string SpuTime(double seconds) {
  const long hundredths = std::lround(seconds * 100);
  char text[32];
  std::snprintf(text, sizeof text, "00:%02ld:%02ld.%02ld", hundredths / 6000, hundredths / 100 % 60, hundredths % 100);
  return text;
}

// Muxes the title's subtitle streams into `video`, one spumux run a stream.
void MuxSubtitles(const std::string& video, const DvdTitleSource& title, bool pal, const std::string& work) {
  for (std::size_t s = 0; s < title.subtitles.size(); ++s) {
    const std::string stem = video + ".sub" + std::to_string(s);
    std::ostringstream xml;
    xml << "<subpictures format=\"" << (pal ? "PAL" : "NTSC") << "\">\n <stream>\n";
    for (const DvdSubtitlePicture& p : title.subtitles[s].pictures)
      xml << "  <spu start=\"" << SpuTime(p.start) << "\" end=\"" << SpuTime(p.end) << "\" image=\"" << p.png
          << "\" xoffset=\"" << p.x << "\" yoffset=\"" << p.y << "\"/>\n";
    xml << " </stream>\n</subpictures>\n";
    std::ofstream(stem + ".xml") << xml.str();
    Run("spumux", "-s " + std::to_string(s) + " " + Quoted(stem + ".xml"), work, video, stem + ".mpg");
    fs::rename(stem + ".mpg", video);
  }
}

}  // namespace

std::vector<std::string> AuthorDvd(const std::string& work, const std::string& disc,
                                   const std::vector<DvdTitleSource>& titles) {
  fs::create_directories(work);
  std::vector<std::string> videos;
  std::ostringstream xml;
  const bool pal = titles.empty() || titles.front().video.height == 576 || titles.front().video.height == 288;
  xml << "<dvdauthor dest=\"" << disc << "\">\n <vmgm />\n <titleset>\n  <titles>\n"
      << "   <video format=\"" << (pal ? "pal" : "ntsc") << "\"/>\n";
  if (!titles.empty())
    for (const DvdSubtitleStream& stream : titles.front().subtitles)
      xml << "   <subpicture lang=\"" << stream.language << "\"/>\n";
  for (std::size_t i = 0; i < titles.size(); ++i) {
    const std::string video = (fs::path(work) / ("title-" + std::to_string(i + 1) + ".mpg")).string();
    DvdTitleSource title = titles[i];
    title.video.format = "dvd";
    WriteMpeg2ProgramStream(video, title.video);
    MuxSubtitles(video, title, pal, work);
    videos.push_back(video);
    xml << "   <pgc><vob file=\"" << video << "\" chapters=\"" << title.chapters << "\"/></pgc>\n";
  }
  xml << "  </titles>\n </titleset>\n</dvdauthor>\n";
  const std::string project = (fs::path(work) / "dvd.xml").string();
  std::ofstream(project) << xml.str();
  // Without menus, dvdauthor takes the menus' TV system from the environment.
  setenv("VIDEO_FORMAT", pal ? "PAL" : "NTSC", 1);
  Run("dvdauthor", "-x " + Quoted(project), work);
  return videos;
}

void WriteRgbaPng(const std::string& path, int width, int height, const std::vector<std::uint8_t>& rgba) {
  using namespace kelta::codec;
  const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_PNG);
  CodecContextPtr encoder(codec ? avcodec_alloc_context3(codec) : nullptr);
  FramePtr picture(av_frame_alloc());
  PacketPtr packet(av_packet_alloc());
  if (!encoder || !picture || !packet || rgba.size() != std::size_t(width) * std::size_t(height) * 4)
    throw std::runtime_error("cannot write " + path);
  encoder->width = width;
  encoder->height = height;
  encoder->pix_fmt = AV_PIX_FMT_RGBA;
  encoder->time_base = AVRational{1, 25};
  picture->format = AV_PIX_FMT_RGBA;
  picture->width = width;
  picture->height = height;
  if (avcodec_open2(encoder.get(), codec, nullptr) < 0 || av_frame_get_buffer(picture.get(), 0) < 0)
    throw std::runtime_error("cannot write " + path);
  for (int y = 0; y < height; ++y)
    std::copy_n(rgba.data() + std::size_t(y) * std::size_t(width) * 4, std::size_t(width) * 4,
                picture->data[0] + std::ptrdiff_t(y) * picture->linesize[0]);
  if (avcodec_send_frame(encoder.get(), picture.get()) < 0 || avcodec_send_frame(encoder.get(), nullptr) < 0 ||
      avcodec_receive_packet(encoder.get(), packet.get()) < 0)
    throw std::runtime_error("cannot write " + path);
  std::ofstream out(path, std::ios::binary);
  if (!out.write(reinterpret_cast<const char*>(packet->data), packet->size)) throw std::runtime_error("cannot write " + path);
}

void MakeDiscImage(const std::string& disc, const std::string& image, const std::string& volume) {
  Run("genisoimage", "-quiet -dvd-video -udf -V " + Quoted(volume) + " -o " + Quoted(image) + " " + Quoted(disc),
      fs::path(image).parent_path().string());
}

void SpoilSectors(const std::string& vob, SectorSpoil how) {
  std::fstream file(vob, std::ios::in | std::ios::out | std::ios::binary);
  if (!file) throw std::runtime_error("cannot open " + vob);
  std::mt19937 random(7);
  std::vector<unsigned char> sector(SectorBytes);
  for (std::streamoff at = 0;; at += std::streamoff(SectorBytes)) {
    file.seekg(at);
    if (!file.read(reinterpret_cast<char*>(sector.data()), std::streamsize(SectorBytes))) break;
    if (how == SectorSpoil::Unreadable) {
      for (unsigned char& b : sector) b = static_cast<unsigned char>(random());
    } else {
      // Packets after the pack header: the PES header stays readable with
      // its scrambling bits set; what follows it is scrambled.
      std::size_t p = 14 + (sector[13] & 0x07);
      while (p + 9 <= SectorBytes && sector[p] == 0 && sector[p + 1] == 0 && sector[p + 2] == 1) {
        const unsigned stream = sector[p + 3];
        const std::size_t length = std::size_t(sector[p + 4]) << 8 | sector[p + 5];
        if (stream != 0xBB && stream != 0xBE && stream != 0xBF) {
          sector[p + 6] |= 0x10;
          const std::size_t payload = p + 9 + sector[p + 8];
          for (std::size_t i = payload; i < std::min(p + 6 + length, SectorBytes); ++i)
            sector[i] ^= static_cast<unsigned char>(random());
        }
        p += 6 + length;
      }
    }
    file.seekp(at);
    file.write(reinterpret_cast<const char*>(sector.data()), std::streamsize(SectorBytes));
  }
}

void ZeroFile(const std::string& path) {
  const auto size = fs::file_size(path);
  std::ofstream(path, std::ios::binary | std::ios::trunc) << std::string(size, '\0');
}

void CopySectors(const std::string& from, unsigned first, unsigned last, const std::string& to) {
  std::ifstream in(from, std::ios::binary);
  std::ofstream out(to, std::ios::binary | std::ios::app);
  std::vector<char> bytes((std::size_t(last) - first + 1) * SectorBytes);
  in.seekg(std::streamoff(first) * std::streamoff(SectorBytes));
  if (!in.read(bytes.data(), std::streamsize(bytes.size())) || !out.write(bytes.data(), std::streamsize(bytes.size())))
    throw std::runtime_error("cannot copy sectors of " + from);
}

}  // namespace kelta::test

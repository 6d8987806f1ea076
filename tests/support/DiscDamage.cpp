#include "support/DiscDamage.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace kelta::test {

namespace {

namespace fs = std::filesystem;

using Bytes = std::vector<std::uint8_t>;
constexpr std::size_t Sector = 2048;

Bytes ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

void WriteAll(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

// Damages bytes [begin, end) of `bytes` in one of four ways; returns which.
std::string Damage(Bytes& bytes, std::size_t begin, std::size_t end, std::mt19937& random) {
  end = std::min(end, bytes.size());
  if (begin >= end) return "nothing";
  // A place in the range with `span` bytes after it, where the range allows.
  auto at = [&](std::size_t span) {
    const std::size_t room = end - begin > span ? end - begin - span : 1;
    return begin + random() % room;
  };
  switch (random() % 4) {
    case 0: {
      const int flips = 1 + int(random() % 8);
      for (int i = 0; i < flips; ++i) bytes[at(1)] ^= std::uint8_t(1u << (random() % 8));
      return std::to_string(flips) + " bits flipped";
    }
    case 1:
    case 2: {
      const std::uint8_t fill = random() % 2 ? 0xFF : 0x00;
      const std::size_t run = 1 + random() % 64, from = at(run);
      std::fill(bytes.begin() + long(from), bytes.begin() + long(std::min(from + run, end)), fill);
      return std::to_string(run) + (fill ? " bytes set to 0xFF" : " bytes zeroed");
    }
    default:
      bytes.resize(at(1));
      return "cut short";
  }
}

// Where a file that begins with `signature` lies in the image, on a sector
// start; every place it does.
std::vector<std::size_t> SectorsStarting(const Bytes& image, std::string_view signature) {
  std::vector<std::size_t> found;
  for (std::size_t s = 0; s + signature.size() <= image.size(); s += Sector)
    if (std::equal(signature.begin(), signature.end(), image.begin() + long(s))) found.push_back(s);
  return found;
}

}  // namespace

std::string DamageDiscFolder(const std::string& disc, const std::string& copy, std::uint32_t seed) {
  fs::remove_all(copy);
  fs::create_directories(copy);
  fs::copy(disc, copy, fs::copy_options::recursive);
  std::mt19937 random(seed);
  static const char* const files[] = {"VIDEO_TS.IFO", "VIDEO_TS.BUP", "VTS_01_0.IFO", "VTS_01_0.BUP"};
  const std::string name = files[random() % 4];
  // Half the time the backup has the same damage, so that it cannot stand in.
  const bool both = random() % 2 == 0;
  std::string done;
  for (const std::string& file : {name, name.substr(0, 9) + (name.ends_with("IFO") ? "BUP" : "IFO")}) {
    const std::string path = copy + "/VIDEO_TS/" + file;
    Bytes bytes = ReadAll(path);
    std::mt19937 same(seed * 7919u + 1u);
    done = file + ": " + Damage(bytes, 0, bytes.size(), same);
    WriteAll(path, bytes);
    if (!both) break;
  }
  return done + (both ? " (and its twin)" : "");
}

std::string DamageDiscImage(const std::string& image, const std::string& copy, std::uint32_t seed) {
  Bytes bytes = ReadAll(image);
  std::mt19937 random(seed);
  std::string done;
  switch (random() % 3) {
    case 0:  // the volume recognition sequence, the volume descriptors and the anchor
      done = "UDF volume structures: " + Damage(bytes, 16 * Sector, 260 * Sector, random);
      break;
    case 1:  // the file set and file entries that follow the anchor
      done = "UDF file entries: " + Damage(bytes, 260 * Sector, 300 * Sector, random);
      break;
    default: {
      std::vector<std::size_t> ifos = SectorsStarting(bytes, "DVDVIDEO-VMG");
      const std::vector<std::size_t> sets = SectorsStarting(bytes, "DVDVIDEO-VTS");
      ifos.insert(ifos.end(), sets.begin(), sets.end());
      if (ifos.empty()) throw std::runtime_error("no IFO in the image " + image);
      const std::size_t start = ifos[random() % ifos.size()];
      done = "IFO sectors at " + std::to_string(start / Sector) + ": " + Damage(bytes, start, start + 4 * Sector, random);
    }
  }
  WriteAll(copy, bytes);
  return done;
}

}  // namespace kelta::test

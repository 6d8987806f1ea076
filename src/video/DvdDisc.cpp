#include "video/DvdDisc.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <mutex>
#include <optional>

#include "video/DvdStructureText.h"
#include "video/IsolatedRun.h"

namespace kelta {

namespace {

namespace fs = std::filesystem;

// The structure of the largest disc fits many times over.
constexpr std::size_t MaxReaderOutput = 4 << 20;
// The reader's own exit codes (dvdreader/main.cpp).
constexpr int ReaderNotADvd = 3;
constexpr int ReaderNoVideo = 4;
constexpr const char* ReaderName = "kelta-dvd-reader";

std::mutex PlaceMutex;
std::optional<TDvdReaderPlace> Place;

TDvdReaderPlace ReaderPlace() {
  std::lock_guard lock(PlaceMutex);
  if (Place) return *Place;
  std::error_code ec;
  const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  return TDvdReaderPlace{(exe.parent_path() / ReaderName).string()};
}

std::string Lower(std::string s) {
  for (char& c : s) c = char(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

EDvdError ReaderMissing(const TIsolatedRun& run) {
  return EDvdError("Cannot read DVDs: the DVD reader (" + std::string(ReaderName) +
                   ") is missing from the program folder or cannot be started: " + run.Output);
}

// The reader's answer, checked; nothing when it crashed, hung, said nonsense
// or cannot be started. Throws the disc's own errors.
std::optional<TDvdDisc> AskReader(const TDvdReaderPlace& place, const std::string& mode, const std::string& location,
                                  const std::string& chosen) {
  const TIsolatedRun run = RunIsolated(place.Program, {mode, location}, place.Limit, MaxReaderOutput);
  if (run.End == TIsolatedRun::TEnd::NotStarted) throw ReaderMissing(run);
  if (run.End != TIsolatedRun::TEnd::Exited) return std::nullopt;
  if (run.ExitCode == ReaderNotADvd) throw EDvdError("Unable to open the DVD " + chosen + ". It cannot be read as a DVD");
  if (run.ExitCode == ReaderNoVideo)
    throw EDvdError("Unable to open the DVD " + chosen + ". It holds no video that can be read");
  if (run.ExitCode != 0) return std::nullopt;
  return ParseDvdStructure(run.Output, location);
}

}  // namespace

std::int64_t TDvdTitle::Bytes() const {
  std::int64_t bytes = 0;
  for (const KeltaCodecSectorRange& r : Cells.Ranges) bytes += (std::int64_t(r.Last) - r.First + 1) * DvdSectorBytes;
  return bytes;
}

std::size_t TDvdDisc::LongestTitle() const {
  auto longer = [](const TDvdTitle& a, const TDvdTitle& b) {
    return a.DurationMs != b.DurationMs ? a.DurationMs < b.DurationMs : a.Bytes() < b.Bytes();
  };
  const auto it = std::max_element(Titles.begin(), Titles.end(), longer);
  return it == Titles.end() ? 0 : std::size_t(it - Titles.begin());
}

std::string DvdLocation(const std::string& chosen) {
  std::error_code ec;
  fs::path path = fs::path(chosen).lexically_normal();
  if (!path.has_filename()) path = path.parent_path();
  const fs::file_status status = fs::status(path, ec);
  if (ec) return {};
  const std::string name = Lower(path.filename().string());
  if (fs::is_regular_file(status)) {
    const std::string extension = Lower(path.extension().string());
    if (extension == ".iso") return path.string();
    // A file of the VIDEO_TS folder stands for the folder.
    const bool discFile = extension == ".ifo" || extension == ".bup";
    if (discFile && Lower(path.parent_path().filename().string()) == "video_ts") return path.parent_path().string();
    return {};
  }
  if (!fs::is_directory(status)) return {};
  if (name == "video_ts") return path.string();
  for (const fs::directory_entry& entry : fs::directory_iterator(path, ec)) {
    if (Lower(entry.path().filename().string()) == "video_ts" && entry.is_directory(ec)) return entry.path().string();
  }
  return {};
}

void SetDvdReaderPlace(TDvdReaderPlace place) {
  std::lock_guard lock(PlaceMutex);
  Place = std::move(place);
}

void SetDvdReaderFolder(const std::string& folder) {
  SetDvdReaderPlace(TDvdReaderPlace{(fs::path(folder) / ReaderName).string()});
}

std::string TitleInformationDamage(const std::string& volumeName) {
  return "The title information of the DVD " + volumeName +
         " is damaged, so its titles and chapters are unknown; Kelta reads its video files as plain video.";
}

TDvdDisc ReadDvdDisc(const std::string& chosen) {
  const std::string location = DvdLocation(chosen);
  if (location.empty())
    throw EDvdError(chosen + " is no DVD: choose a folder that holds VIDEO_TS, the VIDEO_TS folder or a disc image (.iso)");
  const TDvdReaderPlace place = ReaderPlace();
  if (std::optional<TDvdDisc> disc = AskReader(place, "titles", location, chosen)) return std::move(*disc);
  // The reader failed on the title information: the title sets' video, if
  // even their files can be found without it.
  if (std::optional<TDvdDisc> disc = AskReader(place, "title-sets", location, chosen)) {
    if (disc->Damage.empty()) disc->Damage = TitleInformationDamage(disc->VolumeName);
    return std::move(*disc);
  }
  throw EDvdError(DamagedDvdMessage);
}

bool TitleEncrypted(const TDvdTitle& title) {
  if (title.Cells.Empty()) return false;
  const TDvdReaderPlace place = ReaderPlace();
  const KeltaCodecSectorRange& first = title.Cells.Ranges.front();
  const TIsolatedRun run =
      RunIsolated(place.Program,
                  {"probe", title.Cells.Disc, std::to_string(title.Cells.TitleSet), std::to_string(first.First),
                   std::to_string(first.Last)},
                  place.Limit, 64);
  if (run.End == TIsolatedRun::TEnd::NotStarted) throw ReaderMissing(run);
  // What crashed the reader would crash the plugin, which opens the title
  // the same way inside Kelta.
  if (run.End != TIsolatedRun::TEnd::Exited || run.ExitCode != 0) throw EDvdError(DamagedDvdMessage);
  if (run.Output == "plain\n") return false;
  if (run.Output == "scrambled\n") return true;
  if (run.Output != "unreadable\n") throw EDvdError(DamagedDvdMessage);
  // A drive refuses the sectors of an encrypted disc it has not been
  // unlocked for; a disc image that cannot give them is damaged.
  std::error_code ec;
  if (fs::is_regular_file(title.Cells.Disc, ec))
    throw EDvdError("Unable to open the DVD " + title.Cells.Disc +
                    ". The disc image is damaged or cut short: the title's video cannot be read");
  return true;
}

std::string DvdTitleName(const TDvdDisc& disc, const TDvdTitle& title) {
  return disc.VolumeName + " \u2013 Title " + std::to_string(title.Number);
}

std::string DvdFilmName(const std::string& volumeName) {
  std::string name = volumeName;
  std::replace(name.begin(), name.end(), '_', ' ');
  const bool capitalsOnly =
      std::none_of(name.begin(), name.end(), [](char c) { return std::islower(static_cast<unsigned char>(c)); });
  if (capitalsOnly) {
    bool wordStart = true;
    for (char& c : name) {
      const auto u = static_cast<unsigned char>(c);
      c = char(wordStart ? std::toupper(u) : std::tolower(u));
      wordStart = c == ' ';
    }
  }
  return name;
}

}  // namespace kelta

#include "capture/CaptureRun.h"

#include "capture/SceneCuts.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <sstream>
#include <system_error>

#include "imaging/BlackBars.h"
#include "imaging/FastDIB.h"
#include "imaging/ImageAdjust.h"
#include "imaging/ImageFileWriter.h"
#include "imaging/ImageUtils.h"
#include "library/AspectChoice.h"
#include "library/AtomicFileWrite.h"
#include "library/ImageSaveManager.h"
#include "library/Timecode.h"
#include "output/ExportMetadata.h"
#include "output/FileNameTemplate.h"
#include "output/PDFExporter.h"
#include "video/DvdDisc.h"
#include "video/MPEG2Decoder.h"
#include "video/NearbyFrames.h"
#include "video/OpenFailure.h"
#include "video/StillMaker.h"

namespace kelta {

namespace {

// The video opened for the capture: a file, or a DVD title with its chapters.
struct TOpenedVideo {
  std::unique_ptr<TMPEG2Decoder> Decoder;
  std::string Film;  // the film it is: the disc's name made readable, or the file's
  std::string Name;
  std::string VolumeName;
  std::int32_t Title = 0;
  std::vector<TDvdChapter> Chapters;
};

// "name.png", or "name (2).png" when an earlier still of this capture has the
// name: a template without the frame or time never makes one still replace
// another.
std::string UniqueName(const std::string& name, const char* extension, std::set<std::string>& used) {
  std::string unique = name + "." + extension;
  for (int n = 2; !used.insert(unique).second; ++n) unique = name + " (" + std::to_string(n) + ")." + extension;
  return unique;
}

// Characters no file system of a desktop takes in a name, and control
// characters, become "_"; dots and spaces at the ends go.
std::string FileNameText(std::string text) {
  for (char& c : text)
    if (static_cast<unsigned char>(c) < 0x20 || std::string_view("/\\:*?\"<>|").find(c) != std::string_view::npos)
      c = '_';
  while (!text.empty() && (text.back() == '.' || text.back() == ' ')) text.pop_back();
  while (!text.empty() && (text.front() == '.' || text.front() == ' ')) text.erase(text.begin());
  return text.empty() ? std::string("video") : text;
}

TOpenedVideo OpenSource(const TCaptureOptions& options, const std::filesystem::path& programFolder) {
  TOpenedVideo video;
  try {
    video.Decoder = std::make_unique<TMPEG2Decoder>(programFolder.string());
  } catch (const std::exception& error) {
    throw ECaptureSource(std::string("The video decoder cannot be loaded: ") + error.what());
  }
  video.Decoder->SetRGBScaleFlag(true);
  std::error_code error;
  if (!std::filesystem::exists(options.Source, error))
    throw ECaptureSource("\"" + options.Source + "\" does not exist");
  if (!DvdLocation(options.Source).empty()) {
    SetDvdReaderFolder(programFolder.string());
    TDvdDisc disc;
    try {
      disc = ReadDvdDisc(options.Source);
    } catch (const EDvdError& dvdError) {
      throw ECaptureSource(dvdError.what());
    }
    std::size_t index = disc.LongestTitle();
    if (options.Title) {
      const auto found = std::find_if(disc.Titles.begin(), disc.Titles.end(),
                                      [&](const TDvdTitle& title) { return title.Number == *options.Title; });
      if (found == disc.Titles.end())
        throw ECaptureSource("The DVD has no title " + std::to_string(*options.Title) + "; --list-titles lists them");
      index = std::size_t(found - disc.Titles.begin());
    }
    if (index >= disc.Titles.size()) throw ECaptureSource("The DVD holds no title");
    const TDvdTitle& title = disc.Titles[index];
    try {
      if (TitleEncrypted(title)) throw ECaptureSource(EncryptedDvdMessage);
      video.Decoder->OpenDvdCells(title.Cells, DvdTitleName(disc, title));
    } catch (const EDvdError& dvdError) {
      throw ECaptureSource(dvdError.what());
    } catch (const EMPEG2Error& openError) {
      throw ECaptureSource(openError.what());
    }
    video.Name = DvdTitleName(disc, title);
    video.VolumeName = disc.VolumeName;
    video.Title = title.Number;
    video.Chapters = title.Chapters;
    video.Film = DvdFilmName(disc.VolumeName);
  } else {
    try {
      video.Decoder->Open(options.Source);
    } catch (const EMPEG2Error&) {
      throw ECaptureSource("\"" + options.Source + "\" cannot be opened. " + WhyVideoCannotOpen(options.Source));
    }
    video.Film = std::filesystem::path(options.Source).stem().string();
    video.Name = options.Source;
  }
  if (!video.Decoder->FrameNavigation() || video.Decoder->FrameCount() <= 0)
    throw ECaptureSource("\"" + options.Source + "\" cannot be stepped frame by frame");
  return video;
}

TAspectRatio AspectChoiceOf(TCaptureAspect aspect, std::int32_t width, std::int32_t height, TDisplayAspect shown) {
  switch (aspect) {
    case TCaptureAspect::Stream: return MatchingAspectChoice(width, height, shown);
    case TCaptureAspect::Original: return TAspectRatio::AsCaptured;
    case TCaptureAspect::Ratio4x3: return TAspectRatio::Ratio4x3;
    case TCaptureAspect::Ratio16x9: return TAspectRatio::Ratio16x9;
    case TCaptureAspect::Ratio185: return TAspectRatio::Ratio185;
    case TCaptureAspect::Square: return TAspectRatio::SquarePixels;
    case TCaptureAspect::SquareItu: return TAspectRatio::SquarePixelsItu;
  }
  return TAspectRatio::AsCaptured;
}

// The frames asked for, each once, in order, with what asked for it. Frames
// outside the video come back as stills that failed.
struct TPicks {
  std::map<std::int64_t, std::string> Frames;
  std::vector<TCapturedStill> Outside;
};

void Pick(TPicks& picks, std::int64_t frame, const std::string& asked, std::int64_t frameCount) {
  if (frame < 0 || frame >= frameCount) {
    TCapturedStill outside;
    outside.Frame = frame;
    outside.Asked = asked;
    outside.Error = "frame " + std::to_string(frame + 1) + " lies beyond the video's last frame (" +
                    std::to_string(frameCount) + ")";
    picks.Outside.push_back(outside);
    return;
  }
  auto [at, added] = picks.Frames.emplace(frame, asked);
  if (!added && at->second.find(asked) == std::string::npos) at->second += ", " + asked;
}

// The first frame of each chapter: a rip's container says it; a DVD's is
// where a seek to the chapter's first cell lands.
std::vector<std::int64_t> ChapterFrames(TOpenedVideo& video) {
  std::vector<std::int64_t> frames;
  if (video.Title == 0) {
    for (const TMPEG2Decoder::TChapterStart& start : video.Decoder->ChapterStarts()) frames.push_back(start.Frame);
    std::sort(frames.begin(), frames.end());
    return frames;
  }
  for (const TDvdChapter& chapter : video.Chapters) {
    video.Decoder->Seek(chapter.Position);
    if (!video.Decoder->GetFrame(0)) break;
    frames.push_back(std::max<std::int64_t>(0, video.Decoder->FrameNumber()));
  }
  return frames;
}

// Every picture of the video in order, compared with the one before.
std::vector<TSceneCut> ScanForCuts(TMPEG2Decoder& decoder, std::int64_t count, const TCaptureProgress& progress,
                                   std::size_t total) {
  std::vector<double> differences;
  differences.reserve(std::size_t(count));
  if (!decoder.SeekFrame(0)) throw ECaptureSource("the video's first frame cannot be reached");
  TFrameSketch previous{};
  for (std::int64_t frame = 0;; ++frame) {
    const FrameView picture = decoder.GetFrame(0);
    if (!picture) break;
    const TFrameSketch sketch = SketchFrame(picture);
    differences.push_back(frame == 0 ? 0.0 : SketchDifference(previous, sketch));
    previous = sketch;
    if (progress && frame % 25 == 0)
      progress(std::size_t(frame), total,
               "looking for cuts, frame " + std::to_string(frame + 1) + " of " + std::to_string(count));
  }
  return FindSceneCuts(differences);
}

std::string EncodedStill(const TFastDIB& picture, TCaptureFormat format, const TExportMetadata& metadata,
                         const std::filesystem::path& target) {
  if (format == TCaptureFormat::Pdf) {
    // Nothing in a still says when it was taken: the same capture gives the
    // same bytes.
    TPDFExporter exporter;
    exporter.Dated = false;
    exporter.Export(picture, target.string(), metadata);
    return {};
  }
  const std::string name = std::string("still.") + CaptureFormatExtension(format);
  std::string bytes = EncodeImageFile(picture, name, false);
  if (bytes.empty()) throw std::runtime_error("the picture could not be encoded");
  if (format != TCaptureFormat::Bmp) bytes = WithImageMetadata(bytes, metadata);
  return bytes;
}

}  // namespace

bool TCaptureReport::AllWritten() const {
  return std::all_of(Stills.begin(), Stills.end(), [](const TCapturedStill& still) { return still.Error.empty(); });
}

TCaptureReport RunCapture(const TCaptureOptions& options, const std::filesystem::path& programFolder,
                          const TCaptureProgress& progress) {
  TOpenedVideo video = OpenSource(options, programFolder);
  TMPEG2Decoder& decoder = *video.Decoder;
  TCaptureReport report;
  report.Source = options.Source;
  report.Name = video.Name;
  report.Sheet.Columns = options.Columns;
  report.VolumeName = video.VolumeName;
  report.Title = video.Title;
  report.Width = decoder.Info().Width;
  report.Height = decoder.Info().Height;
  report.FrameRate = decoder.Info().FrameRate;
  report.FrameCount = decoder.FrameCount();
  report.Aspect = decoder.DisplayAspect();
  const double rate = report.FrameRate > 0 ? report.FrameRate : 25.0;
  const std::int64_t count = report.FrameCount;

  const std::vector<std::int64_t> chapterFrames = ChapterFrames(video);
  TPicks picks;
  if (options.Every) {
    const std::int64_t step = std::max<std::int64_t>(1, options.Every->FramesAt(rate));
    for (std::int64_t frame = 0; frame < count; frame += step) Pick(picks, frame, "every " + options.Every->Typed, count);
  }
  for (const TVideoPlace& place : options.At) Pick(picks, place.FrameAt(rate), place.Typed, count);
  if (options.Count)
    for (std::int64_t i = 0; i < *options.Count; ++i) Pick(picks, i * count / *options.Count, "count", count);
  std::map<std::int64_t, double> cutScores;
  const std::size_t scanned = options.Scenes ? std::size_t(count) : 0;
  if (options.Scenes) {
    for (const TSceneCut& cut : ScanForCuts(decoder, count, progress, scanned + 1)) {
      Pick(picks, cut.Frame, "scene cut", count);
      cutScores[cut.Frame] = cut.Score;
    }
  }
  if (options.Chapters) {
    if (chapterFrames.empty()) throw ECaptureSource("\"" + options.Source + "\" has no chapters");
    for (std::size_t i = 0; i < chapterFrames.size(); ++i)
      Pick(picks, chapterFrames[i], "chapter " + std::to_string(i + 1), count);
  }

  std::error_code folderError;
  std::filesystem::create_directories(options.ToFolder, folderError);
  const TAspectRatio choice = AspectChoiceOf(options.Aspect, report.Width, report.Height, report.Aspect);
  const std::string pattern = !options.NameTemplate.empty()
                                  ? options.NameTemplate
                                  : LoadNameTemplate(programFolder / NameTemplateFileName);
  std::set<std::string> usedNames;
  const std::size_t total = scanned + picks.Frames.size();
  std::size_t done = scanned;
  for (const auto& [frame, asked] : picks.Frames) {
    TCapturedStill still;
    still.Frame = frame;
    still.Asked = asked;
    still.Timecode = SmpteTimecode(frame, rate);
    const auto chapter = std::upper_bound(chapterFrames.begin(), chapterFrames.end(), frame);
    still.Chapter = std::int32_t(chapter - chapterFrames.begin());
    if (const auto cut = cutScores.find(frame); cut != cutScores.end()) still.SceneScore = cut->second;
    try {
      if (!decoder.SeekFrame(frame)) throw std::runtime_error("the frame could not be reached");
      still.TimeMs = std::int64_t(decoder.NextFrameTime()) / 90;
      const TMadeStill made = MakeNextStill(decoder, options.Still);
      TFastDIB picture;
      picture.SetSize(made.Frame.width, made.Frame.height, 24);
      if (!made.Frame || decoder.FrameNumber() != frame || !CopyFrameBits(made.Frame, picture))
        throw std::runtime_error("the frame could not be decoded");
      still.Still = StillKindText(made.Kind);
      if (options.CropBars) {
        // Judged over the still and frames near it, as the save dialog does.
        const std::vector<TFastDIB> near =
            DecodeFramesNear(decoder, frame, count, BarJudgingOffsets(rate), picture.Width(), picture.Height());
        std::vector<const TFastDIB*> frames{&picture};
        for (const TFastDIB& other : near) frames.push_back(&other);
        const TRect area = AreaInsideBlackBars(frames);
        if (area != TRect{0, 0, picture.Width(), picture.RowCount()}) still.Kept = area;
      }
      ApplyAdjustments(picture, options.Lightness, options.Contrast, options.Saturation, options.Red, options.Green,
                       options.Blue);
      TFastDIB shaped;
      const TFastDIB& stored = TimageSaveManager::ShapePicture(picture, choice, report.Aspect, shaped, still.Kept);
      if (stored.Empty()) throw std::runtime_error("the frame is too small for the chosen shape");

      TCaptureSource source;
      if (video.Title > 0) {
        source.DvdVolume = video.VolumeName;
        source.DvdLocation = options.Source;
        source.Title = video.Title;
        source.Chapter = still.Chapter;
      } else {
        source.Video = std::filesystem::absolute(options.Source).lexically_normal().string();
      }
      source.Frame = frame;
      source.TimeMs = still.TimeMs;
      source.FrameRate = report.FrameRate;
      source.Aspect = report.Aspect;
      source.Still = still.Still;
      TExportMetadata metadata;
      metadata.Title = video.Film;
      metadata.Source = source;

      TNameFields fields;
      fields.Film = video.Film;
      fields.Name = FileNameText(video.Film + " - frame " + std::to_string(frame + 1));
      fields.Source = source;
      still.File = UniqueName(NameFromTemplate(pattern, fields), CaptureFormatExtension(options.Format), usedNames);
      const std::filesystem::path target = std::filesystem::path(options.ToFolder) / still.File;
      if (options.Format == TCaptureFormat::Pdf) {
        ReplaceFileAtomically(target, [&](const std::filesystem::path& temporary) {
          EncodedStill(stored, options.Format, metadata, temporary);
        });
      } else {
        WriteFileAtomically(target, EncodedStill(stored, options.Format, metadata, target));
      }
      if (!options.SheetFile.empty()) {
        std::string label = ClockText(still.TimeMs) + "  frame " + std::to_string(frame + 1);
        if (still.Chapter > 0) label += "  chapter " + std::to_string(still.Chapter);
        report.Sheet.Cells.push_back(TSheetCell{SheetCellPicture(stored), label});
      }
    } catch (const std::exception& error) {
      still.Error = error.what();
    }
    report.Stills.push_back(std::move(still));
    ++done;
    if (progress) progress(done, total, "still " + std::to_string(done - scanned) + " of " + std::to_string(total - scanned));
  }
  report.Stills.insert(report.Stills.end(), picks.Outside.begin(), picks.Outside.end());
  report.Sheet.Heading = report.Name + " - " + std::to_string(report.Sheet.Cells.size()) + " stills";
  return report;
}

std::string DvdTitleTable(const std::string& source, const std::filesystem::path& programFolder) {
  if (DvdLocation(source).empty()) throw ECaptureSource("\"" + source + "\" is no DVD folder or disc image");
  SetDvdReaderFolder(programFolder.string());
  TDvdDisc disc;
  try {
    disc = ReadDvdDisc(source);
  } catch (const EDvdError& error) {
    throw ECaptureSource(error.what());
  }
  std::ostringstream table;
  table << "Volume: " << disc.VolumeName << "\n";
  if (!disc.Damage.empty()) table << disc.Damage << "\n";
  table << "Title  Duration      Chapters  Picture   Aspect\n";
  for (std::size_t i = 0; i < disc.Titles.size(); ++i) {
    const TDvdTitle& title = disc.Titles[i];
    char line[160];
    const std::string duration = title.DurationMs >= 0 ? ClockText(title.DurationMs) : std::string("unknown");
    const std::string picture = title.Width > 0 ? std::to_string(title.Width) + "x" + std::to_string(title.Height) : "-";
    std::snprintf(line, sizeof line, "%5d  %-12s  %8zu  %-8s  %-6s%s\n", title.Number, duration.c_str(),
                  title.Chapters.size(), picture.c_str(), title.Aspect.empty() ? "-" : title.Aspect.c_str(),
                  i == disc.LongestTitle() ? "  (longest)" : "");
    table << line;
  }
  return table.str();
}

}  // namespace kelta

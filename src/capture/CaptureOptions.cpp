#include "capture/CaptureOptions.h"

#include <charconv>
#include <filesystem>
#include <cmath>
#include <functional>
#include <map>

namespace kelta {

namespace {

std::optional<double> NumberOf(std::string_view text) {
  if (text.empty()) return std::nullopt;
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value) || value < 0)
    return std::nullopt;
  return value;
}

std::optional<std::int64_t> WholeNumberOf(std::string_view text) {
  if (text.empty()) return std::nullopt;
  std::int64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

// "H:MM:SS.mmm", "MM:SS.mmm": the seconds of a clock time.
std::optional<double> ClockSeconds(std::string_view text) {
  double seconds = 0;
  int parts = 0;
  while (true) {
    const std::size_t colon = text.find(':');
    const std::string_view part = text.substr(0, colon);
    const bool last = colon == std::string_view::npos;
    const std::optional<double> value = last ? NumberOf(part) : std::optional<double>(WholeNumberOf(part).value_or(-1));
    if (!value || *value < 0 || (parts > 0 && *value >= 60)) return std::nullopt;
    seconds = seconds * 60 + *value;
    if (++parts > 3) return std::nullopt;
    if (last) break;
    text.remove_prefix(colon + 1);
  }
  if (parts < 2) return std::nullopt;
  return seconds;
}

std::int32_t IntegerIn(std::string_view option, std::string_view text, std::int32_t low, std::int32_t high) {
  const std::optional<std::int64_t> value = WholeNumberOf(text);
  if (!value || *value < low || *value > high)
    throw ECaptureUsage(std::string(option) + " takes a whole number from " + std::to_string(low) + " to " +
                        std::to_string(high) + ", not \"" + std::string(text) + "\"");
  return std::int32_t(*value);
}

template <typename T>
T Named(std::string_view option, std::string_view text, const std::map<std::string_view, T>& names) {
  const auto found = names.find(text);
  if (found != names.end()) return found->second;
  std::string choices;
  for (const auto& [name, value] : names) choices += (choices.empty() ? "" : ", ") + std::string(name);
  throw ECaptureUsage(std::string(option) + " takes one of " + choices + ", not \"" + std::string(text) + "\"");
}

}  // namespace

std::int64_t TVideoPlace::FrameAt(double rate) const {
  return IsFrame ? Frame - 1 : std::int64_t(std::llround(Seconds * rate));
}

std::int64_t TVideoPlace::FramesAt(double rate) const {
  return IsFrame ? Frame : std::int64_t(std::llround(Seconds * rate));
}

TVideoPlace ParseVideoPlace(std::string_view text) {
  TVideoPlace place;
  place.Typed = std::string(text);
  std::optional<double> seconds;
  if (text.size() > 1 && text.back() == 'f') {
    const std::optional<std::int64_t> frame = WholeNumberOf(text.substr(0, text.size() - 1));
    if (frame && *frame >= 1) {
      place.IsFrame = true;
      place.Frame = *frame;
      return place;
    }
  } else if (text.find(':') != std::string_view::npos) {
    seconds = ClockSeconds(text);
  } else if (!text.empty() && text.back() == 's') {
    seconds = NumberOf(text.substr(0, text.size() - 1));
  } else {
    seconds = NumberOf(text);
  }
  if (!seconds)
    throw ECaptureUsage("\"" + std::string(text) +
                        "\" is no place in a video: give a frame (18517f, the first is 1f), a time (00:12:34.567) or seconds (754.5s)");
  place.Seconds = *seconds;
  return place;
}

const char* CaptureFormatExtension(TCaptureFormat format) {
  switch (format) {
    case TCaptureFormat::Png: return "png";
    case TCaptureFormat::Jpeg: return "jpg";
    case TCaptureFormat::Bmp: return "bmp";
    case TCaptureFormat::Pdf: return "pdf";
  }
  return "png";
}

TCaptureOptions ParseCaptureOptions(const std::vector<std::string>& arguments) {
  TCaptureOptions options;
  bool optionsEnded = false;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (optionsEnded || argument.empty() || argument[0] != '-' || argument == "-") {
      if (!options.Source.empty()) throw ECaptureUsage("one source at a time: \"" + argument + "\" is a second one");
      options.Source = argument;
      continue;
    }
    if (argument == "--") {
      optionsEnded = true;
      continue;
    }
    // --name=value and --name value alike.
    std::string name = argument;
    std::optional<std::string> attached;
    if (const std::size_t equals = argument.find('='); equals != std::string::npos) {
      name = argument.substr(0, equals);
      attached = argument.substr(equals + 1);
    }
    const auto value = [&]() -> std::string {
      if (attached) return *attached;
      if (i + 1 >= arguments.size()) throw ECaptureUsage(name + " needs a value");
      return arguments[++i];
    };
    const auto flag = [&] {
      if (attached) throw ECaptureUsage(name + " takes no value");
    };
    if (name == "--help" || name == "-h") {
      flag();
      options.Help = true;
      return options;
    } else if (name == "--title") {
      options.Title = IntegerIn(name, value(), 1, 99);
    } else if (name == "--list-titles") {
      flag();
      options.ListTitles = true;
    } else if (name == "--every") {
      TVideoPlace every = ParseVideoPlace(value());
      if (every.FramesAt(1000.0) <= 0) throw ECaptureUsage("--every needs a step above nothing");
      options.Every = every;
    } else if (name == "--at") {
      const std::string list = value();
      std::size_t start = 0;
      while (start <= list.size()) {
        const std::size_t comma = std::min(list.find(',', start), list.size());
        if (comma > start) options.At.push_back(ParseVideoPlace(std::string_view(list).substr(start, comma - start)));
        start = comma + 1;
      }
      if (options.At.empty()) throw ECaptureUsage("--at needs at least one place");
    } else if (name == "--chapters") {
      flag();
      options.Chapters = true;
    } else if (name == "--scenes") {
      flag();
      options.Scenes = true;
    } else if (name == "--count") {
      options.Count = IntegerIn(name, value(), 1, 10000);
    } else if (name == "--still") {
      options.Still = Named<TStillMode>(
          name, value(), {{"auto", TStillMode::Clean}, {"weave", TStillMode::Weave}, {"blend", TStillMode::Blend}});
    } else if (name == "--aspect") {
      options.Aspect = Named<TCaptureAspect>(name, value(),
                                             {{"stream", TCaptureAspect::Stream},
                                              {"original", TCaptureAspect::Original},
                                              {"4:3", TCaptureAspect::Ratio4x3},
                                              {"16:9", TCaptureAspect::Ratio16x9},
                                              {"1.85", TCaptureAspect::Ratio185},
                                              {"square", TCaptureAspect::Square},
                                              {"square-itu", TCaptureAspect::SquareItu}});
    } else if (name == "--crop-bars") {
      flag();
      options.CropBars = true;
    } else if (name == "--lightness") {
      options.Lightness = IntegerIn(name, value(), -255, 255);
    } else if (name == "--contrast") {
      options.Contrast = IntegerIn(name, value(), -128, 128);
    } else if (name == "--saturation") {
      options.Saturation = IntegerIn(name, value(), 0, 510);
    } else if (name == "--red") {
      options.Red = IntegerIn(name, value(), -255, 255);
    } else if (name == "--green") {
      options.Green = IntegerIn(name, value(), -255, 255);
    } else if (name == "--blue") {
      options.Blue = IntegerIn(name, value(), -255, 255);
    } else if (name == "--format") {
      options.Format = Named<TCaptureFormat>(name, value(),
                                             {{"png", TCaptureFormat::Png},
                                              {"jpeg", TCaptureFormat::Jpeg},
                                              {"jpg", TCaptureFormat::Jpeg},
                                              {"bmp", TCaptureFormat::Bmp},
                                              {"pdf", TCaptureFormat::Pdf}});
    } else if (name == "--to") {
      options.ToFolder = value();
      if (options.ToFolder.empty()) throw ECaptureUsage("--to needs a folder");
    } else if (name == "--name") {
      options.NameTemplate = value();
      if (options.NameTemplate.empty()) throw ECaptureUsage("--name needs a template");
    } else if (name == "--manifest") {
      options.ManifestFile = value();
      if (options.ManifestFile.empty()) throw ECaptureUsage("--manifest needs a file");
    } else if (name == "--sheet") {
      options.SheetFile = value();
      const std::string extension = std::filesystem::path(options.SheetFile).extension().string();
      if (extension != ".png" && extension != ".pdf") throw ECaptureUsage("--sheet writes a .png or a .pdf file");
    } else if (name == "--columns") {
      options.Columns = IntegerIn(name, value(), 1, 16);
    } else if (name == "--json") {
      flag();
      options.Json = true;
    } else {
      throw ECaptureUsage("unknown option \"" + argument + "\"");
    }
  }
  if (options.Source.empty()) throw ECaptureUsage("no source: give a video file, a DVD folder or a disc image");
  if (!options.ListTitles) {
    if (!options.TakesFrames()) throw ECaptureUsage("say which frames: --every, --at, --chapters, --scenes or --count");
    if (options.ToFolder.empty()) throw ECaptureUsage("say where the stills go: --to FOLDER");
  }
  return options;
}

std::string CaptureUsageText() {
  return "Usage: kelta capture SOURCE [options]\n"
         "Takes stills from a video file, a DVD folder or a disc image without the window.\n"
         "\n"
         "  -h, --help           print this help and stop\n"
         "  --title N            the DVD title (default: the longest)\n"
         "  --list-titles        print the DVD's titles and stop\n"
         "  --every 10s | 250f   a still every so many seconds or frames\n"
         "  --at PLACE,...       stills at frames (18517f, counted from 1 as the window\n"
         "                       counts them) or times (00:12:34.567, 754.5s)\n"
         "  --chapters           the first frame of each chapter\n"
         "  --scenes             the first frame after each cut\n"
         "  --count N            N stills spread over the video\n"
         "  --still auto|weave|blend          how a frame becomes a still (default auto)\n"
         "  --aspect stream|original|4:3|16:9|1.85|square|square-itu   the stored shape\n"
         "                       (default stream: the shape the video is shown at)\n"
         "  --crop-bars          cut off black bars around a film of another shape\n"
         "  --lightness -255..255  --contrast -128..128  --saturation 0..510 (255 as is)\n"
         "  --red, --green, --blue -255..255\n"
         "  --format png|jpeg|bmp|pdf          (default png)\n"
         "  --to FOLDER          where the stills are written\n"
         "  --name TEMPLATE      their names, e.g. \"{film} - {title} - {time} - frame {frame}\"\n"
         "                       (default: the template Tools > File Names keeps)\n"
         "  --manifest FILE      a JSON list of what was taken; --json prints it\n"
         "  --sheet FILE.png|FILE.pdf  a contact sheet of the stills, --columns N (default 4)\n"
         "\n"
         "Exit status: 0 every still written, 1 some failed (each named), 2 bad\n"
         "arguments or a source that cannot be opened.\n";
}

}  // namespace kelta

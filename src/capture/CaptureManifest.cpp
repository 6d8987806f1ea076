#include "capture/CaptureManifest.h"

#include <cstdio>
#include <sstream>

#include "library/Timecode.h"

namespace kelta {

namespace {

std::string Quoted(const std::string& text) {
  std::string out = "\"";
  for (const char c : text) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", unsigned(static_cast<unsigned char>(c)));
          out += escaped;
        } else {
          out += c;
        }
    }
  }
  return out + "\"";
}

}  // namespace

std::string CaptureManifestJson(const TCaptureReport& report) {
  std::ostringstream json;
  json << "{\n";
  json << "  \"source\": " << Quoted(report.Source) << ",\n";
  if (report.Title > 0) {
    json << "  \"volume\": " << Quoted(report.VolumeName) << ",\n";
    json << "  \"title\": " << report.Title << ",\n";
  }
  json << "  \"width\": " << report.Width << ",\n";
  json << "  \"height\": " << report.Height << ",\n";
  json << "  \"frameRate\": " << RateText(report.FrameRate) << ",\n";
  json << "  \"frameCount\": " << report.FrameCount << ",\n";
  if (report.Aspect.Known())
    json << "  \"aspect\": " << Quoted(std::to_string(report.Aspect.Width) + ":" + std::to_string(report.Aspect.Height))
         << ",\n";
  json << "  \"stills\": [";
  for (std::size_t i = 0; i < report.Stills.size(); ++i) {
    const TCapturedStill& still = report.Stills[i];
    json << (i == 0 ? "\n" : ",\n") << "    {\"frame\": " << still.Frame + 1 << ", \"asked\": " << Quoted(still.Asked);
    if (still.Error.empty()) {
      json << ", \"time\": " << Quoted(ClockText(still.TimeMs)) << ", \"timecode\": " << Quoted(still.Timecode);
      if (still.Chapter > 0) json << ", \"chapter\": " << still.Chapter;
      json << ", \"still\": " << Quoted(still.Still) << ", \"file\": " << Quoted(still.File);
      if (still.Kept.WidthOf() > 0 && still.Kept.HeightOf() > 0)
        json << ", \"kept\": {\"left\": " << still.Kept.Left << ", \"top\": " << still.Kept.Top
             << ", \"width\": " << still.Kept.WidthOf() << ", \"height\": " << still.Kept.HeightOf() << "}";
      if (still.SceneScore) {
        char score[32];
        std::snprintf(score, sizeof score, "%.2f", *still.SceneScore);
        json << ", \"sceneScore\": " << score;
      }
    } else {
      json << ", \"error\": " << Quoted(still.Error);
    }
    json << "}";
  }
  json << (report.Stills.empty() ? "]\n" : "\n  ]\n");
  json << "}\n";
  return json.str();
}

}  // namespace kelta

#include "output/ExportMetadata.h"

#include <exiv2/exiv2.hpp>

#include <mutex>
#include <stdexcept>

#include "library/Timecode.h"

namespace kelta {

namespace {

// libexiv2's XMP toolkit is set up once per process, and the namespace of
// the capture facts registered with it.
void PrepareXmp() {
  static std::once_flag once;
  std::call_once(once, [] {
    Exiv2::XmpParser::initialize();
    Exiv2::XmpProperties::registerNs(CaptureXmpNamespace, "kelta");
  });
}

// "2026:12:11 10:16:00" of "2026-12-11T10:16:00Z", as EXIF dates are written;
// empty for any other text.
std::string ExifDate(const std::string& iso) {
  if (iso.size() < 19 || iso[4] != '-' || iso[7] != '-' || iso[10] != 'T') return {};
  std::string date = iso.substr(0, 19);
  date[4] = date[7] = ':';
  date[10] = ' ';
  return date;
}

void FillXmp(Exiv2::XmpData& xmp, const TExportMetadata& metadata) {
  PrepareXmp();
  if (!metadata.Title.empty()) xmp["Xmp.dc.title"] = "lang=x-default " + metadata.Title;
  if (!metadata.Description.empty()) xmp["Xmp.dc.description"] = "lang=x-default " + metadata.Description;
  xmp["Xmp.xmp.CreatorTool"] = "Kelta";
  if (!metadata.Source) return;
  const TCaptureSource& source = *metadata.Source;
  xmp["Xmp.dc.source"] = SourceSummary(metadata);
  const auto set = [&xmp](const char* key, const std::string& value) {
    if (!value.empty()) xmp[std::string("Xmp.kelta.") + key] = value;
  };
  if (source.IsDvd()) {
    set("DvdVolume", source.DvdVolume);
    set("DvdLocation", source.DvdLocation);
    if (source.Title > 0) set("Title", std::to_string(source.Title));
    if (source.Chapter > 0) set("Chapter", std::to_string(source.Chapter));
  } else {
    set("Video", source.Video);
  }
  // The frame as the status line counts it; the index from 0, as the
  // library keeps it, beside it for programs.
  if (source.Frame >= 0) set("Frame", std::to_string(source.FrameOrdinal()));
  if (source.Frame >= 0) set("FrameIndex", std::to_string(source.Frame));
  if (source.TimeMs >= 0) set("Time", ClockText(source.TimeMs));
  set("Timecode", source.Timecode());
  set("FrameRate", RateText(source.FrameRate));
  if (source.Aspect.Known())
    set("DisplayAspect", std::to_string(source.Aspect.Width) + ':' + std::to_string(source.Aspect.Height));
  set("Captured", source.Captured);
  set("Still", source.Still);
  if (!source.Captured.empty()) xmp["Xmp.xmp.CreateDate"] = source.Captured;
}

void FillExif(Exiv2::ExifData& exif, const TExportMetadata& metadata) {
  if (!metadata.Title.empty()) exif["Exif.Image.ImageDescription"] = metadata.Title;
  exif["Exif.Image.Software"] = "Kelta";
  if (!metadata.Source) return;
  // UserComment in Unicode keeps paths and names whatever their letters.
  exif["Exif.Photo.UserComment"] = "charset=Unicode " + SourceSummary(metadata);
  if (const std::string date = ExifDate(metadata.Source->Captured); !date.empty())
    exif["Exif.Photo.DateTimeOriginal"] = date;
}

}  // namespace

std::string SourceSummary(const TExportMetadata& metadata) {
  if (!metadata.Source) return {};
  const std::string place = SourcePlace(*metadata.Source);
  const std::string name = SourceName(*metadata.Source);
  return place.empty() ? name : name + " - " + place;
}

std::string WithImageMetadata(std::string_view file, const TExportMetadata& metadata) {
  if (metadata.Empty()) return std::string(file);
  try {
    Exiv2::Image::AutoPtr image =
        Exiv2::ImageFactory::open(reinterpret_cast<const Exiv2::byte*>(file.data()), long(file.size()));
    if (image.get() == nullptr) throw std::runtime_error("not a picture file");
    image->readMetadata();
    const bool jpeg = image->imageType() == Exiv2::ImageType::jpeg;
    if (jpeg) {
      Exiv2::ExifData exif = image->exifData();
      FillExif(exif, metadata);
      image->setExifData(exif);
    }
    Exiv2::XmpData xmp = image->xmpData();
    FillXmp(xmp, metadata);
    image->setXmpData(xmp);
    image->writeMetadata();
    Exiv2::BasicIo& io = image->io();
    io.open();
    io.seek(0, Exiv2::BasicIo::beg);
    const Exiv2::DataBuf written = io.read(long(io.size()));
    io.close();
    return std::string(reinterpret_cast<const char*>(written.pData_), std::size_t(written.size_));
  } catch (const Exiv2::AnyError& error) {
    throw std::runtime_error(std::string("The picture's description cannot be written: ") + error.what());
  }
}

std::string HtmlMetaTags(const TExportMetadata& metadata) {
  if (!metadata.Source) return {};
  const auto escaped = [](const std::string& text) {
    std::string out;
    for (const char c : text) {
      switch (c) {
        case '&': out += "&amp;"; break;
        case '"': out += "&quot;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        default: out += c;
      }
    }
    return out;
  };
  // One a line: readers of the head (exiftool among them) look at it line by line.
  std::string tags = "\r\n<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">\r\n";
  tags += "<meta name=\"description\" content=\"" + escaped(SourceSummary(metadata)) + "\">\r\n";
  if (const std::string timecode = metadata.Source->Timecode(); !timecode.empty())
    tags += "<meta name=\"timecode\" content=\"" + timecode + "\">\r\n";
  if (metadata.Source->Frame >= 0)
    tags += "<meta name=\"frame\" content=\"" + std::to_string(metadata.Source->FrameOrdinal()) + "\">\r\n";
  return tags;
}

std::string XmpPacket(const TExportMetadata& metadata) {
  Exiv2::XmpData xmp;
  FillXmp(xmp, metadata);
  std::string packet;
  if (Exiv2::XmpParser::encode(packet, xmp, Exiv2::XmpParser::useCompactFormat) != 0)
    throw std::runtime_error("The picture's description cannot be written as XMP");
  return packet;
}

}  // namespace kelta

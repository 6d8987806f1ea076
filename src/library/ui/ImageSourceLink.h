#pragma once
// A library image's link to the moment it was captured: its source as the
// library file keeps it, the description its exported files carry, the
// words that show it, and Go to Source, which opens the video or disc title
// again on that frame.

#include <optional>
#include <string>

#include <QString>

#include "library/CaptureSource.h"
#include "output/ExportMetadata.h"

class QTreeWidgetItem;

namespace kelta {

class TFilmManager;
class TLibraryHost;

// The source of an image node; nothing for other nodes and for images saved
// without one.
std::optional<TCaptureSource> ImageSourceOf(const TFilmManager& films, QTreeWidgetItem* node);
// What the library search finds an image node by besides its name and memo:
// its source's words ("MY_DISC, title 2, chapter 3", the video's path) and
// its time, timecode and frame; empty for other nodes and images without a
// source.
std::u16string ImageSourceSearchText(const TFilmManager& films, QTreeWidgetItem* node);
// Name, memo and source of an image node, for its exported files.
TExportMetadata ImageMetadataOf(const TFilmManager& films, QTreeWidgetItem* node);
// The source of the frame on screen, captured now, for its exported files.
TExportMetadata FrameMetadataOf(TLibraryHost& host);

// Go to Source for an image node: the host opens its video or disc title on
// its frame, and a video or disc found elsewhere is remembered for every
// image captured from it. An image without a source is explained in the
// status line.
void GoToImageSource(TFilmManager& films, TLibraryHost& host, QTreeWidgetItem* node);

// "Source: MY_DISC, title 2, chapter 3" and "Timecode: 00:12:34.567 (SMPTE
// 00:12:34:14), frame 18517" on two lines; the second only when known.
QString SourceLines(const TCaptureSource& source);
// SourceLines of an image node's source; empty for other nodes and images
// without one.
QString ImageSourceTip(const TFilmManager& films, QTreeWidgetItem* node);
// "MY_DISC, title 2, chapter 3 · 00:12:34:14": short, for a status line.
QString SourceBrief(const TCaptureSource& source);

}  // namespace kelta

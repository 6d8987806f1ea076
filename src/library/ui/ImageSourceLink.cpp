#include "library/ui/ImageSourceLink.h"

#include <QTreeWidgetItem>

#include "library/CodePage.h"
#include "library/FilmManager.h"
#include "library/Timecode.h"
#include "library/ui/LibraryHost.h"
#include "library/ui/LibraryTreeItem.h"

namespace kelta {

namespace {

QString Text(const std::string& utf8) { return QString::fromUtf8(utf8.data(), qsizetype(utf8.size())); }

}  // namespace

std::optional<TCaptureSource> ImageSourceOf(const TFilmManager& films, QTreeWidgetItem* node) {
  if (TLibraryTreeItem::Level(node) != LevelImage) return std::nullopt;
  QTreeWidgetItem* film = node->parent();
  return films.ImageSource(TLibraryTreeItem::Index(film->parent()), TLibraryTreeItem::Index(film),
                           TLibraryTreeItem::Index(node));
}

std::u16string ImageSourceSearchText(const TFilmManager& films, QTreeWidgetItem* node) {
  const std::optional<TCaptureSource> source = ImageSourceOf(films, node);
  if (!source) return {};
  return Text(SourceName(*source) + "\n" + SourcePlace(*source)).toStdU16String();
}

TExportMetadata ImageMetadataOf(const TFilmManager& films, QTreeWidgetItem* node) {
  TExportMetadata metadata;
  const TImageLibraryNodeData* record = TLibraryTreeItem::Record(node);
  if (!record || TLibraryTreeItem::Level(node) != LevelImage) return metadata;
  metadata.Title = WideToAnsi(record->Image.Name);
  metadata.Description = WideToAnsi(record->Image.Memo);
  if (const TImageLibraryNodeData* film = TLibraryTreeItem::Record(node->parent())) metadata.Film = WideToAnsi(film->Film.Name);
  metadata.Source = ImageSourceOf(films, node);
  return metadata;
}

TExportMetadata FrameMetadataOf(TLibraryHost& host) {
  TExportMetadata metadata;
  TCaptureSource source = host.FrameSource();
  if (source.Empty()) return metadata;
  source.Captured = CaptureDateNow();
  metadata.Source = std::move(source);
  // A DVD's film name; a file's comes from its name.
  metadata.Film = host.SuggestedFilmName().toStdString();
  return metadata;
}

void GoToImageSource(TFilmManager& films, TLibraryHost& host, QTreeWidgetItem* node) {
  if (TLibraryTreeItem::Level(node) != LevelImage) {
    host.Explain(QStringLiteral("Go to Source: select an image in the library first."));
    return;
  }
  const std::optional<TCaptureSource> source = ImageSourceOf(films, node);
  if (!source) {
    host.Explain(QStringLiteral("Go to Source: this image does not say where it was captured "
                                "(it was saved before Kelta kept sources)."));
    return;
  }
  host.GoToSource(*source, [&films, moved = *source](const TCaptureSource& found) {
    films.RelinkSource(moved, found);
  });
}

QString SourceLines(const TCaptureSource& source) {
  QString lines = QStringLiteral("Source: ") + Text(SourceName(source));
  if (const std::string place = SourcePlace(source); !place.empty())
    lines += QStringLiteral("\nTimecode: ") + Text(place);
  return lines;
}

QString ImageSourceTip(const TFilmManager& films, QTreeWidgetItem* node) {
  const std::optional<TCaptureSource> source = ImageSourceOf(films, node);
  return source ? SourceLines(*source) : QString();
}

QString SourceBrief(const TCaptureSource& source) {
  QString brief = Text(SourceName(source));
  std::string when = source.Timecode();
  if (when.empty() && source.TimeMs >= 0) when = ClockText(source.TimeMs);
  if (!when.empty()) brief += QStringLiteral(" \u00B7 ") + Text(when);
  return brief;
}

}  // namespace kelta

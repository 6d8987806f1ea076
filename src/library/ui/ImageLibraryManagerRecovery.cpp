// Offering back, at start-up, the pictures that no library entry names: a
// capture whose entry an interrupted or failed save kept out of the library.

#include <QLineEdit>
#include <QString>
#include <QStringList>
#include <QTreeWidget>
#include <algorithm>

#include "library/CodePage.h"
#include "library/FilmManager.h"
#include "library/StoreMaintenance.h"
#include "library/ui/ImageLibraryManager.h"
#include "library/ui/LibraryHost.h"
#include "library/ui/LibraryMessage.h"
#include "library/ui/LibraryTreeItem.h"
#include "library/ui/RecoverPicturesDlg.h"
#include "library/ui/TreeUpdate.h"

namespace kelta {

namespace {

constexpr char16_t RecoveredCategory[] = u"Recovered";

// Names the pictures that could not be read (a long list only in part).
QString UnreadablePicturesText(const std::vector<std::string>& names) {
  constexpr std::size_t Listed = 20;
  QStringList lines;
  for (std::size_t i = 0; i < names.size() && i < Listed; ++i) lines << QString::fromStdString(names[i]);
  if (names.size() > Listed) lines << QStringLiteral("... and %1 more").arg(names.size() - Listed);
  const QString list = lines.join('\n');
  if (names.size() == 1)
    return QStringLiteral("This picture in the image folder cannot be read, so it was not added:\n%1\n\n"
                          "It stays in the folder and will not be offered again.")
        .arg(list);
  return QStringLiteral("These %1 pictures in the image folder cannot be read, so they were not added:\n%2\n\n"
                        "They stay in the folder and will not be offered again.")
      .arg(names.size())
      .arg(list);
}

}  // namespace

QTreeWidgetItem* TImageLibraryManager::RecoveryFilm(const std::u16string& filmName) {
  TLibraryTreeItem* root = RootNode();
  QTreeWidgetItem* category = ChildNamed(root, RecoveredCategory);
  if (category == nullptr) {
    Films_.AddCategory(RecoveredCategory);
    TImageLibraryNodeData data;
    data.Category.Name = RecoveredCategory;
    TTreeUpdate update(Tree);
    category = AppendChild(root, std::move(data));
  }
  QTreeWidgetItem* film = ChildNamed(category, filmName);
  if (film == nullptr) {
    TImageLibraryNodeData data;
    data.Film.Name = filmName;
    Films_.AddFilm(TLibraryTreeItem::Index(category), data.Film);
    TTreeUpdate update(Tree);
    film = AppendChild(category, data);
    RefreshCount(category);
  }
  return film;
}

void TImageLibraryManager::OfferUnreferencedPictures(const std::filesystem::path& leftAloneFile) {
  if (RootNode() == nullptr) return;
  std::vector<TUnreferencedPicture> found = FindUnreferencedPictures(Films_.Document(), DataFolder_);
  std::vector<std::string> leftAlone = ReadLeftAlonePictures(leftAloneFile);
  std::erase_if(found, [&leftAlone](const TUnreferencedPicture& picture) {
    return std::binary_search(leftAlone.begin(), leftAlone.end(), picture.Picture);
  });
  if (found.empty()) return;

  TRecoverPicturesDlg dialog(Host_.Window(), int(found.size()));
  dialog.exec();
  if (dialog.Choice() == TRecoverPicturesDlg::TChoice::Undecided) return;
  if (dialog.Choice() == TRecoverPicturesDlg::TChoice::LeaveAlone) {
    for (const TUnreferencedPicture& picture : found) leftAlone.push_back(picture.Picture);
    std::sort(leftAlone.begin(), leftAlone.end());
    WriteLeftAlonePictures(leftAloneFile, leftAlone);
    return;
  }

  // Each picture is read first. One that cannot be read is named to the
  // user and left alone like those the user leaves, or it would be offered
  // at every start.
  std::vector<TUnreferencedPicture> readable;
  std::vector<std::string> unreadable;
  for (TUnreferencedPicture& picture : found) {
    if (PrepareForRecovery(DataFolder_, picture))
      readable.push_back(std::move(picture));
    else
      unreadable.push_back(picture.Picture);
  }
  if (!unreadable.empty()) {
    leftAlone.insert(leftAlone.end(), unreadable.begin(), unreadable.end());
    std::sort(leftAlone.begin(), leftAlone.end());
    WriteLeftAlonePictures(leftAloneFile, leftAlone);
    AskInformation(Host_.Window(), UnreadablePicturesText(unreadable), QMessageBox::Warning, QMessageBox::Ok);
  }
  if (readable.empty()) return;

  QTreeWidgetItem* film = RecoveryFilm(dialog.etFilmName->text().trimmed().toStdU16String());
  const int filmIndex = TLibraryTreeItem::Index(film);
  const int categoryIndex = TLibraryTreeItem::Index(film->parent());
  for (const TUnreferencedPicture& picture : readable) {
    TImageLibraryImageData image;
    image.Name = AnsiToWide(picture.Picture.substr(0, picture.Picture.size() - 4));
    image.FileName = AnsiToWide(picture.Picture);
    image.Thumbnail = AnsiToWide(picture.Thumbnail);
    Films_.AddImage(categoryIndex, filmIndex, image);
    TTreeUpdate update(Tree);
    TImageLibraryNodeData data;
    data.Image = std::move(image);
    AppendChild(film, std::move(data));
    RefreshCount(film);
  }
}

}  // namespace kelta

#include "library/StoreMaintenance.h"

#include <algorithm>
#include <fstream>
#include <system_error>

#include "imaging/FastDIB.h"
#include "imaging/PictureFile.h"
#include "library/AtomicFileWrite.h"
#include "library/ImageSaveManager.h"
#include "library/LibraryImages.h"
#include "library/StoreFileNames.h"

namespace kelta {

namespace {

constexpr std::string_view SavingSuffix = ".saving";

bool IsStoreLeftover(const std::string& name) {
  std::string_view target;
  if (IsAtomicWriteLeftover(name, &target)) return IsStoreFileName(target);
  return name.size() > SavingSuffix.size() && name.ends_with(SavingSuffix) &&
         IsStoreFileName(std::string_view(name).substr(0, name.size() - SavingSuffix.size()));
}

// Regular files of the folder (links and folders are never ours to remove).
std::vector<std::string> RegularFileNames(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  std::error_code error;
  for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
    if (it->is_regular_file(error) && !it->is_symlink(error)) names.push_back(it->path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

std::string ThumbnailNameOf(const std::string& picture) {
  return picture.substr(0, picture.size() - 4) + "_thumbnail.bmp";
}

}  // namespace

int RemoveStaleTempFiles(const std::filesystem::path& libraryFile, const std::filesystem::path& dataFolder) {
  int removed = 0;
  std::error_code error;
  const std::string libraryName = libraryFile.filename().string();
  for (const std::string& name : RegularFileNames(libraryFile.parent_path())) {
    std::string_view target;
    if (IsAtomicWriteLeftover(name, &target) && target == libraryName &&
        std::filesystem::remove(libraryFile.parent_path() / name, error))
      ++removed;
  }
  for (const std::string& name : RegularFileNames(dataFolder))
    if (IsStoreLeftover(name) && std::filesystem::remove(dataFolder / name, error)) ++removed;
  return removed;
}

std::vector<TUnreferencedPicture> FindUnreferencedPictures(const TXmlDocument& document,
                                                           const std::filesystem::path& dataFolder) {
  const std::vector<std::string> named = NamedStoreFiles(document);
  const std::vector<std::string> files = RegularFileNames(dataFolder);
  const auto isNamed = [&named](const std::string& name) {
    return std::binary_search(named.begin(), named.end(), name);
  };
  std::vector<TUnreferencedPicture> found;
  for (const std::string& name : files) {
    if (!IsStorePictureName(name) || isNamed(name)) continue;
    TUnreferencedPicture picture{name, {}};
    const std::string thumbnail = ThumbnailNameOf(name);
    if (std::binary_search(files.begin(), files.end(), thumbnail) && !isNamed(thumbnail))
      picture.Thumbnail = thumbnail;
    found.push_back(std::move(picture));
  }
  return found;
}

bool PrepareForRecovery(const std::filesystem::path& dataFolder, TUnreferencedPicture& picture) {
  const auto source = ConfinedStoreFile(dataFolder, picture.Picture);
  TFastDIB bitmap;
  // Read even beside a thumbnail: an entry whose picture cannot be opened is
  // no recovery.
  if (!source || !LoadPictureFile(source->string(), bitmap)) return false;
  if (!picture.Thumbnail.empty()) return true;
  const std::string thumbnailName = ThumbnailNameOf(picture.Picture);
  const auto target = ConfinedStoreFile(dataFolder, thumbnailName);
  if (!target) throw EImageStoreError("The thumbnail name \"" + thumbnailName + "\" is not the store's");
  TFastDIB thumbnail;
  TimageSaveManager::MakeThumbnail(bitmap, thumbnail);
  WriteStoredBitmap(thumbnail, *target);
  picture.Thumbnail = thumbnailName;
  return true;
}

std::vector<std::string> ReadLeftAlonePictures(const std::filesystem::path& file) {
  std::vector<std::string> names;
  std::ifstream in(file);
  for (std::string line; std::getline(in, line);)
    if (IsStorePictureName(line)) names.push_back(line);
  std::sort(names.begin(), names.end());
  return names;
}

void WriteLeftAlonePictures(const std::filesystem::path& file, const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& name : names) text += name + "\n";
  WriteFileAtomically(file, text);
}

}  // namespace kelta

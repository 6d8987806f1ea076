#include "library/LibraryStoreChanges.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <system_error>
#include <vector>

#include "library/CodePage.h"
#include "library/FilmManager.h"
#include "library/ImageSaveManager.h"
#include "library/LibraryImages.h"
#include "library/StoreFileNames.h"
#include "library/StoredBitmap.h"

namespace kelta {

namespace {

void RemoveStoreFile(const std::filesystem::path& dataFolder, const std::string& name) {
  const auto file = ConfinedStoreFile(dataFolder, name);
  if (!file) return;
  std::error_code ignored;
  std::filesystem::remove(*file, ignored);
}

// Notes the files named inside `entry` (`depth` levels above its images),
// runs `forget`, which takes the entry out of the library file, and then
// removes those of the files that no entry names any longer. A library copied
// together by hand may name one file twice.
void ForgetWithFiles(TFilmManager& films, const std::filesystem::path& dataFolder, const TXmlNode* entry, int depth,
                     const std::function<void()>& forget) {
  if (entry == nullptr) return;
  const std::vector<std::string> files = NamedStoreFiles(*entry, depth);
  forget();
  const std::vector<std::string> stillNamed = NamedStoreFiles(films.Document());
  for (const std::string& name : files)
    if (!std::binary_search(stillNamed.begin(), stillNamed.end(), name)) RemoveStoreFile(dataFolder, name);
}

}  // namespace

TImageLibraryImageData StoreCapture(TFilmManager& films, TimageSaveManager& store, int category, int film,
                                    TImageLibraryImageData image, const TCaptureSource& source) {
  store.MakeFileNames();
  store.SaveFiles();
  image.FileName = AnsiToWide(store.FileName);
  image.Thumbnail = AnsiToWide(store.ThumbnailName);
  try {
    films.AddImage(category, film, image, source);
  } catch (const ELibraryFileError& error) {
    RemoveStoreFile(store.DataFolder(), store.FileName);
    RemoveStoreFile(store.DataFolder(), store.ThumbnailName);
    throw ECaptureNotKept(std::string("The capture was not kept: ") + error.what());
  }
  return image;
}

TImageLibraryImageData StorePicture(TFilmManager& films, const std::filesystem::path& dataFolder,
                                    const TFastDIB& picture, int category, int film, TImageLibraryImageData image,
                                    const TCaptureSource& source) {
  // The store adjusts the picture it is given; its neutral options keep the
  // pixels, and the caller's picture is not touched either way.
  TFastDIB copy;
  copy.SetSize(picture.Width(), picture.Height(), std::uint8_t(picture.BitCount()));
  if (!picture.Empty() && !copy.Empty()) std::memcpy(copy.Bits(), picture.Bits(), picture.ImageSize());
  TimageSaveManager store(dataFolder);
  store.Image = &copy;
  return StoreCapture(films, store, category, film, std::move(image), source);
}

void ReplaceStoredPicture(const std::filesystem::path& dataFolder, const TImageLibraryImageData& image,
                          const TFastDIB& picture) {
  const std::string name = WideToAnsi(image.FileName);
  const auto file = ConfinedStoreFile(dataFolder, name);
  if (!file) throw EImageStoreError("The picture \"" + name + "\" is not a file of the image folder");
  if (!picture.HoldsBgr24()) throw EImageStoreError("There is no picture to store");
  WriteStoredBitmap(picture, *file);
  const auto thumbnailFile = ConfinedStoreFile(dataFolder, WideToAnsi(image.Thumbnail));
  if (!thumbnailFile) return;
  TFastDIB thumbnail;
  TimageSaveManager::MakeThumbnail(picture, thumbnail);
  WriteStoredBitmap(thumbnail, *thumbnailFile);
}

void DeleteImageAndFiles(TFilmManager& films, const std::filesystem::path& dataFolder, int category, int film,
                         int image) {
  ForgetWithFiles(films, dataFolder, ImageEntryAt(films.Document(), category, film, image), 0,
                  [&] { films.DeleteImage(category, film, image); });
}

void DeleteFilmAndFiles(TFilmManager& films, const std::filesystem::path& dataFolder, int category, int film) {
  ForgetWithFiles(films, dataFolder, FilmEntryAt(films.Document(), category, film), 1,
                  [&] { films.DeleteFilm(category, film); });
}

void DeleteCategoryAndFiles(TFilmManager& films, const std::filesystem::path& dataFolder, int category) {
  ForgetWithFiles(films, dataFolder, CategoryEntryAt(films.Document(), category), 2,
                  [&] { films.DeleteCategory(category); });
}

}  // namespace kelta

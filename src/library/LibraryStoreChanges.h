#pragma once
// Changes that touch the library file and the image store together, in the
// order that survives a crash or a failed write at any moment: a picture is on
// the disk before the library names it, and the library forgets a picture
// before its files go. At worst a file is left that no entry names (found and
// offered back at the next start); never an entry whose files are gone.

#include <filesystem>
#include <stdexcept>

#include "library/CaptureSource.h"
#include "library/LibraryNodeData.h"

namespace kelta {

class TFastDIB;
class TFilmManager;
class TimageSaveManager;

// A capture whose files were written but whose library entry could not be
// saved; its files were removed again. what() says so and why.
class ECaptureNotKept : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Picks the names, writes both files (store.Image and store.Options set by the
// caller) and adds `image` with those names, and where it was captured, to
// the film. Returns the image as stored. Throws EImageStoreError when the files cannot be written and
// ECaptureNotKept when the library file cannot; nothing is kept either way.
TImageLibraryImageData StoreCapture(TFilmManager& films, TimageSaveManager& store, int category, int film,
                                    TImageLibraryImageData image, const TCaptureSource& source = {});

// Adds an edited picture to the film as a new image, stored like a capture
// (fresh names, durable writes, the entry only once both files are there)
// with its pixels kept as they are, and with the source of the picture it was
// made from. Throws as StoreCapture does.
TImageLibraryImageData StorePicture(TFilmManager& films, const std::filesystem::path& dataFolder,
                                    const TFastDIB& picture, int category, int film, TImageLibraryImageData image,
                                    const TCaptureSource& source = {});

// Writes an edited picture over the image's stored file and remakes its
// thumbnail from it, each replaced whole or not at all. Throws
// EImageStoreError naming the file; a thumbnail name that is not the store's
// own is left alone.
void ReplaceStoredPicture(const std::filesystem::path& dataFolder, const TImageLibraryImageData& image,
                          const TFastDIB& picture);

// Removes the image from the library file, then its picture and thumbnail
// from the data folder. When the library cannot be written the files stay
// (ELibraryFileError propagates). Files that another entry still names, and
// names that are not the store's own, are never touched.
void DeleteImageAndFiles(TFilmManager& films, const std::filesystem::path& dataFolder, int category, int film,
                         int image);
// The same for a film with all its images, and for a category with all its
// films and their images.
void DeleteFilmAndFiles(TFilmManager& films, const std::filesystem::path& dataFolder, int category, int film);
void DeleteCategoryAndFiles(TFilmManager& films, const std::filesystem::path& dataFolder, int category);

}  // namespace kelta

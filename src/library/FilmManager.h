#pragma once
// The image library document: categories holding films holding images, kept
// as the XML document of the library file. The library tree mirrors every
// change into it by position. Each change is written to the file at once
// (and again when the manager is destroyed), so a crash loses nothing; a
// change that cannot be written is taken back, so the document never holds
// what the file does not. A library file that cannot be read is reported and
// never written over.

#include <filesystem>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "library/CaptureSource.h"
#include "library/LibraryNodeData.h"
#include "library/XmlDocument.h"

namespace kelta {

// The library file cannot be read or written. what() names the file and says
// why (the parser's message for a damaged file).
class ELibraryFileError : public std::runtime_error {
 public:
  ELibraryFileError(const std::string& message, std::filesystem::path path)
      : std::runtime_error(message), Path_(std::move(path)) {}
  const std::filesystem::path& Path() const { return Path_; }

 private:
  std::filesystem::path Path_;
};

class TFilmManager {
 public:
  // Reads the library file beside the program.
  TFilmManager();
  // Reads the given library file; changes are written back to it.
  explicit TFilmManager(std::filesystem::path libraryFile);
  // Writes the library file unless it failed to load; errors are swallowed
  // here because every change has already been written when it was made.
  ~TFilmManager();
  TFilmManager(const TFilmManager&) = delete;
  TFilmManager& operator=(const TFilmManager&) = delete;

  const TXmlDocument& Document() const { return Document_; }
  const std::filesystem::path& LibraryFile() const { return LibraryFile_; }

  // Replaces the document by the file's content when the file exists; a
  // missing file keeps the document. The root is named `films` afterwards.
  // Throws ELibraryFileError for a file that exists but cannot be read or
  // parsed; automatic writing then stays off so the file is never replaced.
  void Load(const std::filesystem::path& path);
  // Puts the declaration in the library's form (version, encoding "UTF-8",
  // standalone only when "yes") and replaces the file
  // atomically. Throws ELibraryFileError; the old file is then intact.
  void Save(const std::filesystem::path& path);

  // Each operation below changes the document and writes the library file;
  // a failed write throws ELibraryFileError with the document as it was
  // before the operation, which is what the file still holds. The caller
  // changes the tree only once the operation has returned.
  // Positions count every child of the parent, as the tree does. A position
  // that does not exist throws std::out_of_range, except that a delete whose
  // last position is past the end does nothing.
  void AddCategory(std::u16string_view name);
  void AddFilm(int category, const TImageLibraryFilmData& film);
  // The image's capture source, when given, follows its four attributes.
  void AddImage(int category, int film, const TImageLibraryImageData& image, const TCaptureSource& source = {});
  void DeleteCategory(int category);
  void DeleteFilm(int category, int film);
  void DeleteImage(int category, int film, int image);
  void RenameCategory(int category, std::u16string_view name);
  void RenameFilm(int category, int film, const TImageLibraryFilmData& data);
  void UpdateImage(int category, int film, int image, const TImageLibraryImageData& data);
  // Takes the image out of its film and puts it last in another film, with
  // every attribute it has; a move into its own film changes nothing.
  void MoveImage(int category, int film, int image, int toCategory, int toFilm);

  // Where the image at these positions was captured; nothing when the entry
  // does not say or does not exist.
  std::optional<TCaptureSource> ImageSource(int category, int film, int image) const;
  // A video or disc found somewhere else than its images say: every image
  // captured from `moved` (the same video file; the same disc at the same
  // place) names the place `found` gives from now on. Written once; nothing
  // is written when no image names it.
  void RelinkSource(const TCaptureSource& moved, const TCaptureSource& found);

 private:
  TXmlNode& Element(TXmlNode& parent, int index, const char* what);
  // Runs `change` on the document and writes the file; the change answers
  // whether it changed anything. A failed write restores the document.
  void Apply(const std::function<bool(TXmlDocument&)>& change);

  TXmlDocument Document_;
  std::filesystem::path LibraryFile_;
  bool AutoSave_ = true;
};

}  // namespace kelta

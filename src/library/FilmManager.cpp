#include "library/FilmManager.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>

#include "library/AtomicFileWrite.h"
#include "library/CodePage.h"
#include "library/LibraryImages.h"
#include "library/LibraryPaths.h"

namespace kelta {

namespace {

constexpr std::string_view RootName = "films";

std::string Quoted(const std::filesystem::path& path) { return "\"" + path.string() + "\""; }

bool IsYes(std::string_view value) {
  return value.size() == 3 && (value[0] | 0x20) == 'y' && (value[1] | 0x20) == 'e' && (value[2] | 0x20) == 's';
}

// The library file's declaration has one form whatever the file held: the
// version it gave (1.0 when none), UTF-8, and standalone only when it said
// yes. Other pseudo-attributes are dropped.
void MakeLibraryDeclaration(TXmlNode& declaration) {
  const TXmlAttribute* version = declaration.FindAttribute("version");
  std::vector<TXmlAttribute> attributes{{"version", version ? version->Value : "1.0"}, {"encoding", "UTF-8"}};
  if (IsYes(declaration.Attribute("standalone"))) attributes.push_back({"standalone", "yes"});
  declaration.Attributes = std::move(attributes);
}

// The bytes of a file. Not a std::string: that would clear the whole
// buffer before the read fills it again.
struct TFileBytes {
  std::unique_ptr<char[]> Data;
  std::size_t Size = 0;
  std::size_t Capacity = 0;

  void Grow(std::size_t capacity) {
    auto data = std::make_unique_for_overwrite<char[]>(capacity);
    if (Size) std::memcpy(data.get(), Data.get(), Size);
    Data = std::move(data);
    Capacity = capacity;
  }
  std::string_view View() const { return {Data.get(), Size}; }
};

// Reads the whole file; false only when it does not exist.
bool ReadWholeFile(const std::filesystem::path& path, TFileBytes& bytes) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT) return false;
    throw ELibraryFileError("The library file " + Quoted(path) + " cannot be read: " + std::strerror(errno),
                            path);
  }
  // One read into a buffer of the file's size; a file that grows meanwhile
  // is read on in chunks.
  struct stat info {};
  std::size_t size = 0;
  if (::fstat(fd, &info) == 0 && info.st_size > 0) size = std::size_t(info.st_size);
  bytes.Grow(size + 1);
  for (;;) {
    if (bytes.Size == bytes.Capacity) bytes.Grow(bytes.Capacity * 2 + 4096);
    const ssize_t got = ::read(fd, bytes.Data.get() + bytes.Size, bytes.Capacity - bytes.Size);
    if (got == 0) break;
    if (got < 0) {
      if (errno == EINTR) continue;
      const int error = errno;
      ::close(fd);
      throw ELibraryFileError("The library file " + Quoted(path) + " cannot be read: " + std::strerror(error),
                              path);
    }
    bytes.Size += std::size_t(got);
  }
  ::close(fd);
  return true;
}

}  // namespace

TFilmManager::TFilmManager() : TFilmManager(LibraryFilePath()) {}

TFilmManager::TFilmManager(std::filesystem::path libraryFile) : LibraryFile_(std::move(libraryFile)) {
  Load(LibraryFile_);
}

TFilmManager::~TFilmManager() {
  if (!AutoSave_) return;
  try {
    Save(LibraryFile_);
  } catch (...) {
  }
}

void TFilmManager::Load(const std::filesystem::path& path) {
  TFileBytes bytes;
  try {
    if (ReadWholeFile(path, bytes)) {
      try {
        Document_ = ParseXml(bytes.View());
      } catch (const EXmlParseError& error) {
        throw ELibraryFileError("The library file " + Quoted(path) + " cannot be read: " + error.what(), path);
      }
    }
  } catch (...) {
    AutoSave_ = false;
    throw;
  }
  Document_.Root.Name = RootName;
  AutoSave_ = true;
}

void TFilmManager::Save(const std::filesystem::path& path) {
  TXmlNode* declaration = Document_.Declaration();
  if (!declaration) declaration = &Document_.Prolog.emplace_back(TXmlNodeKind::Declaration);
  MakeLibraryDeclaration(*declaration);
  try {
    WriteFileAtomically(path, WriteXml(Document_));
  } catch (const std::system_error& error) {
    throw ELibraryFileError("The library file " + Quoted(path) + " cannot be written: " + error.what(), path);
  }
}

TXmlNode& TFilmManager::Element(TXmlNode& parent, int index, const char* what) {
  if (index < 0 || std::size_t(index) >= parent.Children.size())
    throw std::out_of_range(std::string("No ") + what + " at position " + std::to_string(index) +
                            " of the library");
  TXmlNode& node = parent.Children[std::size_t(index)];
  if (!node.IsElement())
    throw std::out_of_range(std::string("The entry at position ") + std::to_string(index) +
                            " of the library is not a " + what + " element");
  return node;
}

void TFilmManager::Apply(const std::function<bool(TXmlDocument&)>& change) {
  if (!AutoSave_) {
    change(Document_);
    return;
  }
  TXmlDocument before = Document_;
  if (!change(Document_)) return;
  try {
    Save(LibraryFile_);
  } catch (const ELibraryFileError&) {
    // Kept, the change would reach the file with the next one, while the
    // user was told it failed.
    Document_ = std::move(before);
    throw;
  }
}

void TFilmManager::AddCategory(std::u16string_view name) {
  Apply([&](TXmlDocument& document) {
    TXmlNode category = TXmlNode::MakeElement("category");
    category.Attributes.push_back({"name", WideToAnsi(name)});
    document.Root.Children.push_back(std::move(category));
    return true;
  });
}

void TFilmManager::AddFilm(int category, const TImageLibraryFilmData& film) {
  Apply([&](TXmlDocument& document) {
    TXmlNode& parent = Element(document.Root, category, "category");
    TXmlNode node = TXmlNode::MakeElement("film");
    node.Attributes.push_back({"name", WideToAnsi(film.Name)});
    parent.Children.push_back(std::move(node));
    return true;
  });
}

void TFilmManager::AddImage(int category, int film, const TImageLibraryImageData& image,
                            const TCaptureSource& source) {
  Apply([&](TXmlDocument& document) {
    TXmlNode& parent = Element(Element(document.Root, category, "category"), film, "film");
    TXmlNode node = TXmlNode::MakeElement("image");
    node.Attributes = {{"name", WideToAnsi(image.Name)},
                       {"filename", WideToAnsi(image.FileName)},
                       {"thumbnail", WideToAnsi(image.Thumbnail)},
                       {"memo", WideToAnsi(image.Memo)}};
    WriteCaptureSource(node, source);
    parent.Children.push_back(std::move(node));
    return true;
  });
}

namespace {

// Removes the child at `index`; false when there is none (nothing to do).
bool EraseChild(std::vector<TXmlNode>& children, int index) {
  if (index < 0 || std::size_t(index) >= children.size()) return false;
  children.erase(children.begin() + index);
  return true;
}

}  // namespace

void TFilmManager::DeleteCategory(int category) {
  Apply([&](TXmlDocument& document) { return EraseChild(document.Root.Children, category); });
}

void TFilmManager::DeleteFilm(int category, int film) {
  Apply([&](TXmlDocument& document) {
    return EraseChild(Element(document.Root, category, "category").Children, film);
  });
}

void TFilmManager::DeleteImage(int category, int film, int image) {
  Apply([&](TXmlDocument& document) {
    return EraseChild(Element(Element(document.Root, category, "category"), film, "film").Children, image);
  });
}

void TFilmManager::RenameCategory(int category, std::u16string_view name) {
  Apply([&](TXmlDocument& document) {
    Element(document.Root, category, "category").SetAttribute("name", WideToAnsi(name));
    return true;
  });
}

void TFilmManager::RenameFilm(int category, int film, const TImageLibraryFilmData& data) {
  Apply([&](TXmlDocument& document) {
    Element(Element(document.Root, category, "category"), film, "film").SetAttribute("name", WideToAnsi(data.Name));
    return true;
  });
}

void TFilmManager::UpdateImage(int category, int film, int image, const TImageLibraryImageData& data) {
  Apply([&](TXmlDocument& document) {
    TXmlNode& node =
        Element(Element(Element(document.Root, category, "category"), film, "film"), image, "image");
    node.SetAttribute("name", WideToAnsi(data.Name));
    node.SetAttribute("memo", WideToAnsi(data.Memo));
    return true;
  });
}

void TFilmManager::MoveImage(int category, int film, int image, int toCategory, int toFilm) {
  Apply([&](TXmlDocument& document) {
    TXmlNode& from = Element(Element(document.Root, category, "category"), film, "film");
    Element(from, image, "image");
    TXmlNode& to = Element(Element(document.Root, toCategory, "category"), toFilm, "film");
    if (&from == &to) return false;
    TXmlNode moved = std::move(from.Children[std::size_t(image)]);
    from.Children.erase(from.Children.begin() + image);
    to.Children.push_back(std::move(moved));
    return true;
  });
}

}  // namespace kelta

namespace kelta {

std::optional<TCaptureSource> TFilmManager::ImageSource(int category, int film, int image) const {
  const TXmlNode* entry = ImageEntryAt(Document_, category, film, image);
  if (!entry || !entry->IsElement()) return std::nullopt;
  return ReadCaptureSource(*entry);
}

void TFilmManager::RelinkSource(const TCaptureSource& moved, const TCaptureSource& found) {
  Apply([&](TXmlDocument& document) {
    bool changed = false;
    for (TXmlNode& category : document.Root.Children)
      for (TXmlNode& film : category.Children)
        for (TXmlNode& image : film.Children) {
          if (!image.IsElement()) continue;
          if (!moved.IsDvd() && !moved.Video.empty() && image.Attribute("source-video") == moved.Video &&
              image.Attribute("source-dvd").empty()) {
            image.SetAttribute("source-video", found.Video);
            changed = true;
          } else if (moved.IsDvd() && image.Attribute("source-dvd") == moved.DvdLocation &&
                     image.Attribute("source-volume") == moved.DvdVolume) {
            image.SetAttribute("source-dvd", found.DvdLocation);
            changed = true;
          }
        }
    return changed;
  });
}

}  // namespace kelta

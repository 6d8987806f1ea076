#pragma once
// What the Qt tests of the library controller stand on: a temporary folder
// holding the library file ("config") and the data folder, the document, a
// stand-in host, and the tree with its controller once a test opens them.
// Test classes derive from it instead of QObject.

#include <QObject>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <filesystem>
#include <memory>

#include "library/FilmManager.h"
#include "library/ui/ImageLibraryManager.h"
#include "support/ui/FakeLibraryHost.h"

namespace kelta::test {

class TLibraryTestBase : public QObject {
 protected:
  std::unique_ptr<QTemporaryDir> Dir;
  std::filesystem::path ConfigFile;
  std::filesystem::path DataFolder;
  std::unique_ptr<TFilmManager> Films;
  std::unique_ptr<TFakeLibraryHost> Host;
  std::unique_ptr<QTreeWidget> Tree;
  std::unique_ptr<TImageLibraryManager> Manager;

  std::filesystem::path TempPath() const { return std::filesystem::path(Dir->path().toStdString()); }

  // A fresh folder, an empty document over its library file, a fresh host;
  // false when the folder could not be made.
  bool SetUpLibrary() {
    Dir = std::make_unique<QTemporaryDir>();
    if (!Dir->isValid()) return false;
    ConfigFile = TempPath() / "config";
    DataFolder = TempPath() / "data";
    Films = std::make_unique<TFilmManager>(ConfigFile);
    Host = std::make_unique<TFakeLibraryHost>();
    return true;
  }

  // The controller over a new tree (owned by `treeParent` when given).
  void OpenLibrary(TLibraryHost& host, QWidget* treeParent) {
    Tree = std::make_unique<QTreeWidget>(treeParent);
    Manager = std::make_unique<TImageLibraryManager>(Tree.get(), *Films, host, DataFolder, TempPath());
  }

  // The controller goes first: it works over the tree, the document and the host.
  void TearDownLibrary() {
    Manager.reset();
    Tree.reset();
    Host.reset();
    Films.reset();
    Dir.reset();
  }
};

}  // namespace kelta::test

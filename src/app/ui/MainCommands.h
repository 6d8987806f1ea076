#pragma once
// The commands that the main window forwards unchanged to the library
// controller. The controller fills in what it carries out; a command left
// empty does nothing.

#include <functional>

namespace kelta {

struct TMainCommands {
  using TCommand = std::function<void()>;
  // Library commands.
  TCommand OpenVideoFile;
  TCommand NewCategory;
  TCommand NewFilm;
  TCommand DeleteNode;
  TCommand EditNode;
  TCommand SaveImage;
  // Picture commands on the current frame.
  TCommand ViewFrame;
  TCommand ExportFrame;
  TCommand CropFrame;
  TCommand ResizeFrame;
  // Picture commands on the selected library image.
  TCommand ViewImage;
  TCommand CropImage;
  TCommand ResizeImage;
  TCommand PrintImage;
  // Opens the selected image's video or disc title on its frame.
  TCommand GoToSource;
  // Tag 0 BMP, 1 JPEG, 2 PNG, 3 GIF, 4 PDF.
  std::function<void(int tag)> ExportImage;
  // Help page, update check, About window.
  TCommand Help;
  TCommand CheckUpdate;
  TCommand About;
};

}  // namespace kelta

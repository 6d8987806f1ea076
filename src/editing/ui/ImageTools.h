#pragma once
// The tools that decide how an image control paints and takes the mouse: the
// viewer's draw tool (picture with a white outline), the resize tool and the
// crop tool. A tool hooks itself into its control when made and unhooks when
// destroyed; the window that made it destroys it.

#include <functional>

#include <QPainter>

#include "editing/CropEditor.h"
#include "editing/ResizeEditor.h"
#include "editing/ui/ImageControl.h"

namespace kelta {

class TImageTool {
 public:
  explicit TImageTool(TImageControl* control) : Control(control) {}
  virtual ~TImageTool();
  TImageTool(const TImageTool&) = delete;
  TImageTool& operator=(const TImageTool&) = delete;

  virtual void Attach() = 0;

 protected:
  // The control the tool serves (not owned). It keeps the name it is
  // documented by, hence no trailing underscore.
  TImageControl* Control;
};

class TImageDrawTool : public TImageTool {
 public:
  explicit TImageDrawTool(TImageControl* control);
  void Attach() override;
  void Paint(QPainter& painter);
};

class TImageResizeTool : public TImageTool {
 public:
  explicit TImageResizeTool(TImageControl* control);
  void Attach() override;
  void Paint(QPainter& painter);

  // Resamples the loaded picture to width x height; false when that is the
  // size shown. A size that cannot be made raises EResizeRefused.
  bool Resize(int width, int height);
  void Revert();

 private:
  TResizeEditor Editor_;
};

class TImageCropTool : public TImageTool {
 public:
  explicit TImageCropTool(TImageControl* control);
  void Attach() override;
  void Paint(QPainter& painter);

  void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
  void MouseMove(Qt::KeyboardModifiers shift, int x, int y);
  void MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);

  bool Crop();
  void Revert();
  void RefreshSource();

  // The selection as shown (corners in order; empty when there is none).
  TRect Selection() const;
  // Runs whenever the selection changed: during every drag, and after a
  // crop or revert emptied it.
  std::function<void()> OnSelectionChanged;

  // Selection state, for the window and for tests.
  const TCropEditor& Editor() const { return Editor_; }

 private:
  void SelectionChanged();

  TCropEditor Editor_;
};

}  // namespace kelta

#pragma once
// A picture at its natural size (one image pixel per screen pixel) inside a
// scrolling area that centres it when it is smaller than the area. The control
// paints nothing itself: the image tool attached to it paints it and takes the
// mouse.

#include <functional>
#include <string>

#include <QScrollArea>
#include <QWidget>

#include "editing/ImageDocument.h"
#include "imaging/FastDIB.h"

namespace kelta {

class TImageControl : public QWidget {
  Q_OBJECT
 public:
  explicit TImageControl(QWidget* parent = nullptr);

  TImageDocument Document;
  TFastDIB& WorkImage() { return Document.WorkImage; }
  TFastDIB& LoadedImage() { return Document.LoadedImage; }
  const std::string& FileName() const { return Document.FileName; }

  std::function<void(QPainter& painter)> OnPaintImage;
  std::function<void(int value)> OnLayoutChanged;
  std::function<void()> OnImageLoaded;
  // Mouse hooks, in control coordinates; set by a tool that takes the mouse.
  std::function<void(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y)> OnMouseDown;
  std::function<void(Qt::KeyboardModifiers shift, int x, int y)> OnMouseMove;
  std::function<void(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y)> OnMouseUp;

  // Reads a BMP file and runs ImageLoaded; a file without a usable picture
  // changes nothing and answers false.
  bool LoadFromFile(const std::string& fileName);
  // Takes WorkImage as the loaded picture: the control takes its size, the box
  // re-centres it and OnImageLoaded runs. An empty work image changes nothing.
  bool ImageLoaded();
  void RevertToLoaded();
  void NotifyLayout(int value);
  // Control size as the picture's, then re-centre in the box.
  void SetBounds(int width, int height);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
};

class TImageControlBox : public QScrollArea {
  Q_OBJECT
 public:
  explicit TImageControlBox(QWidget* parent = nullptr);

  TImageControl* Control() const { return Control_; }
  // Centres the control when it is smaller than the area, scrolls otherwise.
  void Relayout();

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  TImageControl* Control_;
};

}  // namespace kelta

#include "editing/ui/ImageTools.h"

#include "common/ui/Cursors.h"
#include "imaging/PixelScale.h"
#include "imaging/ui/DibImage.h"

namespace kelta {

namespace {
void DrawPicture(QPainter& painter, const TFastDIB& dib) {
  const QImage image = DibToImage(dib);
  if (!image.isNull()) painter.drawImage(0, 0, image);
}
}  // namespace

TImageTool::~TImageTool() {
  // The control may outlive its tool: leave no hook pointing at it.
  if (!Control) return;
  Control->OnPaintImage = nullptr;
  Control->OnMouseDown = nullptr;
  Control->OnMouseMove = nullptr;
  Control->OnMouseUp = nullptr;
  Control->OnImageLoaded = nullptr;
}

TImageDrawTool::TImageDrawTool(TImageControl* control) : TImageTool(control) { Attach(); }

void TImageDrawTool::Attach() {
  Control->OnPaintImage = [this](QPainter& p) { Paint(p); };
}

void TImageDrawTool::Paint(QPainter& painter) {
  DrawPicture(painter, Control->WorkImage());
  // A one-pixel white outline on the picture's outermost pixels.
  painter.setBrush(Qt::NoBrush);
  painter.setPen(QPen(Qt::white, 0));
  painter.drawRect(0, 0, Control->width() - 1, Control->height() - 1);
}

TImageResizeTool::TImageResizeTool(TImageControl* control)
    : TImageTool(control), Editor_(control->Document) {
  Attach();
}

void TImageResizeTool::Attach() {
  Control->OnPaintImage = [this](QPainter& p) { Paint(p); };
}

void TImageResizeTool::Paint(QPainter& painter) { DrawPicture(painter, Control->WorkImage()); }

bool TImageResizeTool::Resize(int width, int height) {
  try {
    if (!Editor_.Resize(width, height)) return false;
  } catch (const EResizeRefused&) {
    // A size whose memory could not be had shows the loaded picture again.
    Control->SetBounds(Control->WorkImage().Width(), Control->WorkImage().RowCount());
    Control->update();
    throw;
  }
  Control->SetBounds(width, height);
  Control->update();
  return true;
}

void TImageResizeTool::Revert() {
  if (!Editor_.Revert()) return;
  Control->SetBounds(Control->LoadedImage().Width(), Control->LoadedImage().RowCount());
  Control->update();
}

TImageCropTool::TImageCropTool(TImageControl* control)
    : TImageTool(control), Editor_(control->Document) {
  Attach();
  Control->OnImageLoaded = [this] { RefreshSource(); };
  Control->setCursor(KeltaCursor(CursorCropCross));
  // A picture loaded before the tool came is taken now.
  if (!Control->LoadedImage().Empty()) RefreshSource();
}

void TImageCropTool::Attach() {
  Control->OnPaintImage = [this](QPainter& p) { Paint(p); };
  Control->OnMouseDown = [this](Qt::MouseButton b, Qt::KeyboardModifiers s, int x, int y) {
    MouseDown(b, s, x, y);
  };
  Control->OnMouseMove = [this](Qt::KeyboardModifiers s, int x, int y) { MouseMove(s, x, y); };
  Control->OnMouseUp = [this](Qt::MouseButton b, Qt::KeyboardModifiers s, int x, int y) {
    MouseUp(b, s, x, y);
  };
}

namespace {
// A box's outline inside its edges, in a pen `line` pixels wide.
QRectF OutlineBox(const TRect& box, int line) {
  const qreal half = line / 2.0;
  return QRectF(box.Left + half, box.Top + half, box.WidthOf() - line, box.HeightOf() - line);
}
}  // namespace

void TImageCropTool::Paint(QPainter& painter) {
  DrawPicture(painter, Control->WorkImage());
  const TRect outline = Editor_.OutlineRect();
  if (IsEmptyRect(outline)) return;
  // Black dashes over white: seen on dark, light and busy pictures alike.
  // Drawn in the screen's own pixels, edges rounded and lines whole pixels
  // wide, so the outline and the handles stay crisp at 1.25 or 1.5 and grow
  // with the scale like the picture does.
  const TPixelScale scale{painter.device()->devicePixelRatioF()};
  const int line = scale.Line();
  painter.save();
  painter.setWorldTransform(QTransform::fromScale(1 / scale.Ratio, 1 / scale.Ratio));
  painter.setBrush(Qt::NoBrush);
  const QRectF box = OutlineBox(scale.Of(outline), line);
  painter.setPen(QPen(Qt::white, line));
  painter.drawRect(box);
  painter.setPen(QPen(Qt::black, line, Qt::DashLine));
  painter.drawRect(box);
  if (Editor_.ShowsHandles()) {
    painter.setPen(QPen(Qt::black, line));
    painter.setBrush(Qt::white);
    for (const TRect& handle : Editor_.HandleRects()) painter.drawRect(OutlineBox(scale.Of(handle), line));
  }
  painter.restore();
}

void TImageCropTool::SelectionChanged() {
  Control->update();
  if (OnSelectionChanged) OnSelectionChanged();
}

void TImageCropTool::MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers, int x, int y) {
  if (button != Qt::LeftButton) return;
  Editor_.MouseDown(x, y);
  SelectionChanged();
}

void TImageCropTool::MouseMove(Qt::KeyboardModifiers, int x, int y) {
  const int cursor = Editor_.MouseMove(x, y);
  if (cursor == CursorSizeAll)
    Control->setCursor(Qt::SizeAllCursor);
  else if (cursor != 0)
    Control->setCursor(KeltaCursor(cursor));
  if (Editor_.State() != TCropState::Idle) SelectionChanged();
}

void TImageCropTool::MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers, int, int) {
  if (button != Qt::LeftButton) return;
  Editor_.MouseUp();
  SelectionChanged();
}

TRect TImageCropTool::Selection() const { return Editor_.OutlineRect(); }

bool TImageCropTool::Crop() {
  if (!Editor_.Crop()) return false;
  Control->SetBounds(Control->WorkImage().Width(), Control->WorkImage().RowCount());
  SelectionChanged();
  return true;
}

void TImageCropTool::Revert() {
  Editor_.Revert();
  Control->SetBounds(Control->LoadedImage().Width(), Control->LoadedImage().RowCount());
  SelectionChanged();
}

void TImageCropTool::RefreshSource() {
  Editor_.RefreshSource();
  Control->update();
}

}  // namespace kelta

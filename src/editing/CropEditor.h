#pragma once
// The crop tool's selection: a rubber band drawn with the mouse, moved by
// dragging its inside and resized by four corner handles, then cut out of the
// picture. The window draws the selection's figure from this state: the
// outline always, the handle squares once the selection is no longer being
// drawn.

#include <array>
#include <cstdint>

#include "editing/ImageDocument.h"
#include "imaging/FastDIB.h"

namespace kelta {

enum class TCropState : std::uint8_t { Idle = 0, Drawing = 1, Moving = 2, Sizing = 3 };

// Cursors the idle crop tool asks for (numbers of Kelta's own cursors; the
// negative one is the platform's four-way size cursor).
constexpr int CursorSizeAll = -22;
constexpr int CursorCropInside = 251;
constexpr int CursorCropCross = 253;

constexpr int CropHandleSize = 8;
constexpr std::uint8_t NoHandle = 4;

// Empty when right is not greater than left or bottom not greater than top.
bool IsEmptyRect(const TRect& rect);
// Left and top inclusive, right and bottom exclusive.
bool PtInRect(const TRect& rect, TPoint point);

class TCropEditor {
 public:
  explicit TCropEditor(TImageDocument& document);

  // The current selection in image coordinates; empty when there is none.
  TRect CropRect;

  // The drag state, read-only outside the editor.
  TCropState DragState() const { return State; }
  // The selection when the last drag ended.
  const TRect& SavedSelection() const { return SavedRect; }
  // 0 top-left, 1 top-right, 2 bottom-right, 3 bottom-left.
  const std::array<TRect, 4>& Handles() const { return HandleRects; }
  // The handle the last successful HandleAt found; NoHandle before any.
  std::uint8_t LastHandleFound() const { return ActiveHandle; }

  // The figure to show: an outline (corners in either order while drawing),
  // and whether its handles show with it.
  TRect OutlineRect() const;
  bool ShowsHandles() const { return State != TCropState::Drawing && !IsEmptyRect(CropRect); }

  // Left button only; the window drops the other buttons.
  void MouseDown(int x, int y);
  // Answers the cursor to show when idle, 0 while a drag runs (cursor unchanged).
  int MouseMove(int x, int y);
  void MouseUp();

  // Cuts the selection out of Source into the work image; false without a selection.
  bool Crop();
  // Back to the image as loaded, without a selection.
  void Revert();
  // Source becomes a copy of the loaded image (after every load).
  void RefreshSource();

  // Computes and stores the handle squares of a selection.
  void PlaceHandles(const TRect& rect);
  int HandleAt(TPoint point);
  void Normalize();
  void KeepInside(bool keepSize);

  // The control is exactly as large as the work image.
  int ClientWidth() const { return Document_.WorkImage.Width(); }
  int ClientHeight() const { return Document_.WorkImage.RowCount(); }

 private:
  TImageDocument& Document_;

  // The crop tool's drag state keeps the names it is documented by, hence no
  // trailing underscore on these.
  // The picture the next crop cuts from: the image as loaded, then each crop result.
  TFastDIB Source;
  TPoint DownPoint;
  TRect SavedRect;
  TCropState State = TCropState::Idle;
  std::array<TRect, 4> HandleRects{};
  std::uint8_t ActiveHandle = NoHandle;

  // From the pointer to the grabbed corner when a handle was pressed, so the
  // corner follows the pointer without jumping to it.
  TPoint GrabOffset_;
};

}  // namespace kelta

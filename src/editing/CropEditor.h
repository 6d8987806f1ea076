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
enum class TKeepInside : std::uint8_t { KeepSize, Free };

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

  // The selection in image coordinates, and the state of the drag, kept
  // for the window that draws them.
  const TRect& CropRect() const { return CropRect_; }
  const TRect& SavedRect() const { return SavedRect_; }  // the selection when the last drag ended
  TCropState State() const { return State_; }
  // 0 top-left, 1 top-right, 2 bottom-right, 3 bottom-left
  const std::array<TRect, 4>& HandleRects() const { return HandleRects_; }
  std::uint8_t ActiveHandle() const { return ActiveHandle_; }
  // Selects a rectangle as it is, as a drag would have left it.
  void SetCropRect(const TRect& rect) { CropRect_ = rect; }

  // The figure to show: an outline (corners in either order while drawing),
  // and whether its handles show with it.
  TRect OutlineRect() const;
  bool ShowsHandles() const { return State_ != TCropState::Drawing && !IsEmptyRect(CropRect_); }

  // Left button only; the window drops the other buttons.
  void MouseDown(int x, int y);
  // Answers the cursor to show when idle, 0 while a drag runs (cursor unchanged).
  int MouseMove(int x, int y);
  void MouseUp();

  // Cuts the selection out of the picture into the work image; false without a selection.
  bool Crop();
  // Back to the image as loaded, without a selection.
  void Revert();
  // The picture to cut from becomes a copy of the loaded image (after every load).
  void RefreshSource();

  // Computes and stores the handle squares of a selection.
  void PlaceHandles(const TRect& rect);
  int HandleAt(TPoint point);
  void Normalize();
  // Moves the selection back inside the picture: whole (keeping its size)
  // or edge by edge.
  void KeepInside(TKeepInside how);

  // The control is exactly as large as the work image.
  int ClientWidth() const { return Document_.WorkImage.Width(); }
  int ClientHeight() const { return Document_.WorkImage.RowCount(); }

 private:
  TImageDocument& Document_;
  // The picture the next crop cuts from: the image as loaded, then each crop result.
  TFastDIB Source_;
  TPoint DownPoint_;
  TRect SavedRect_;
  TRect CropRect_;
  TCropState State_ = TCropState::Idle;
  std::array<TRect, 4> HandleRects_{};
  std::uint8_t ActiveHandle_ = NoHandle;
  // From the pointer to the grabbed corner when a handle was pressed, so the
  // corner follows the pointer without jumping to it.
  TPoint GrabOffset_;
};

}  // namespace kelta

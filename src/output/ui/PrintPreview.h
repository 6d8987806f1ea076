#pragma once
// The page preview: a grid of page pictures on a grey ground, each page white
// with a black outline (5 pixels for the selected page) and a shadow, drawn
// only within its page, scrolled with the bars and the wheel, zoomed (fit
// page, fit width, any factor, Ctrl+wheel), a page picked by clicking it. A
// page is the printer's sheet; it prints one to one onto the paper.

#include <functional>
#include <memory>
#include <vector>

#include <QAbstractScrollArea>
#include <QPainter>
#include <QPicture>
#include <stdexcept>

#include "output/PrintPreviewLayout.h"

class QPrinter;

namespace kelta {

// A printer that could not start the job; what() says which and why.
class EPrintError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum class TZoomMode { Fixed, FitPage, FitWidth };

class TmyPreview : public QAbstractScrollArea {
  Q_OBJECT
 public:
  explicit TmyPreview(QWidget* parent = nullptr);
  ~TmyPreview() override;

  QString Title = "Printing ...";
  std::function<void()> OnChange;

  int PageWidth() const { return Layout_.PageWidth; }
  int PageHeight() const { return Layout_.PageHeight; }
  // The sheet's size in page pixels (96 per inch); pages made afterwards take it.
  void SetPageSize(int width, int height);

  // A fit mode follows the panel's size; Ctrl+wheel and SetZoom fix the zoom.
  void SetZoom(double zoom);
  void SetZoomMode(TZoomMode mode);
  TZoomMode ZoomMode() const { return ZoomMode_; }
  double Zoom() const { return Layout_.Zoom(); }

  // Drops all pages, selects none, scrolls to the start.
  void Clear();
  // A blank page; the painter records into it until EndPage. Owned by the preview.
  QPainter* NewPage();
  void EndPage();

  // Prints every page on a printer already set up, one sheet per page, each
  // page point on the same point of the paper. Throws EPrintError when the
  // printer cannot start the job.
  void PrintTo(QPrinter& printer) const;

  int PageCount() const { return int(Pages_.size()); }
  const QPicture& Page(int index) const { return *Pages_[std::size_t(index)]; }
  const TPreviewLayout& Layout() const { return Layout_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;

 private:
  void DoLayout();
  void Changed();
  void ApplyZoomMode();
  // Draws a page picture stretched over target (device coordinates of painter).
  void PlayPage(QPainter& painter, const QPicture& page, const QRectF& target) const;

  std::vector<std::unique_ptr<QPicture>> Pages_;
  std::unique_ptr<QPainter> Recorder_;
  TPreviewLayout Layout_;
  TZoomMode ZoomMode_ = TZoomMode::Fixed;
  bool Applying_ = false;
};

}  // namespace kelta

#pragma once
// The page preview: a grid of page pictures on a grey ground, each page white
// with a black outline (5 pixels for the selected page) and a shadow, scrolled
// with the bars and the wheel, a page picked by clicking it. It prints its
// pages stretched over the printable area of the sheet.

#include <functional>
#include <memory>
#include <vector>

#include <QAbstractScrollArea>
#include <QPainter>
#include <QPicture>

#include "output/PrintPreviewLayout.h"

class QPrinter;

namespace kelta {

class TmyPreview : public QAbstractScrollArea {
  Q_OBJECT
 public:
  explicit TmyPreview(QWidget* parent = nullptr);
  ~TmyPreview() override;

  QString Title = "Printing ...";
  int MarginLeft = 96, MarginTop = 96, MarginRight = 96, MarginBottom = 96;
  std::function<void()> OnChange;

  int PageWidth() const { return Layout_.PageWidth; }
  int PageHeight() const { return Layout_.PageHeight; }

  // Drops all pages, selects none, scrolls to the start.
  void Clear();
  // A blank page; the painter records into it until EndPage. Owned by the preview.
  QPainter* NewPage();
  void EndPage();

  // Asks with the print dialog, then prints every page; nothing on cancel.
  void Print();
  // Prints every page on a printer already set up (one sheet per page).
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
  // Draws a page picture stretched over target (device coordinates of painter).
  void PlayPage(QPainter& painter, const QPicture& page, const QRectF& target) const;

  std::vector<std::unique_ptr<QPicture>> Pages_;
  std::unique_ptr<QPainter> Recorder_;
  TPreviewLayout Layout_;
  bool Applying_ = false;
};

}  // namespace kelta

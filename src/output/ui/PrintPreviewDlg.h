#pragma once
// The print window: one library picture on a page of the printer's paper,
// optionally with its name and memo centred above it (the memo wrapped to
// the page's text column), shown in the page preview and printed through the
// print dialog.

#include <QDialog>
#include <QList>
#include <QPrinter>
#include <QRect>
#include <QStringList>

#include "imaging/ui/ViewRecord.h"
#include "output/PrintPageLayout.h"
#include "output/ui/PrintPreview.h"

class QAction;
class QToolBar;

namespace kelta {

// Where BuildPage puts things on the page, in page pixels.
struct TPrintPageGeometry {
  QRect Image;
  QPoint Name;  // top-left of the name's line
  int NameHeight = 0;
  int MemoHeight = 0;  // of one memo line
  // The memo wrapped to the width of the page's text column: each line's
  // text and where it lies (left, top, its advance width, MemoHeight).
  QStringList Memo;
  QList<QRect> MemoLines;
  int TextLeft = 0;  // the column the caption lines are centred in
  int TextWidth = 0;
};

class TprintDlg : public QDialog {
  Q_OBJECT
 public:
  explicit TprintDlg(QWidget* parent = nullptr);

  // Image (not owned, kept alive by the caller while shown), Name and Memo are read.
  TViewRecord FViewRecord;

  TmyPreview* FPagePreview() const { return Preview_; }
  QAction* tbiText() const { return Text_; }
  // Where the last BuildPage put the picture and the caption lines.
  const TPrintPageGeometry& PageGeometry() const { return Geometry_; }

  // The printer the page is laid out for and printed on. After changing its
  // paper or margins in code, BuildPage lays the page out for them.
  QPrinter& Printer() { return Printer_; }
  const TPrintPaper& Paper() const { return Paper_; }

  // Composes the single page afresh for the printer's paper, with or without
  // the caption lines.
  void BuildPage(bool withText);
  void tbiPrintClick();
  void tbiTextClick();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  // Takes the printer's paper and printable area; true when they changed.
  bool TakePaper();

  QPrinter Printer_;
  TPrintPaper Paper_;
  TmyPreview* Preview_;
  QToolBar* ToolBar_;
  QAction* Text_ = nullptr;
  TPrintPageGeometry Geometry_;
  bool Shown_ = false;
};

}  // namespace kelta

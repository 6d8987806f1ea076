#include "output/ui/PrintPreviewDlg.h"

#include <QAction>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QKeySequence>
#include <QPageLayout>
#include <QPrintDialog>
#include <QTextLayout>
#include <QTextOption>
#include <QToolBar>
#include <QVBoxLayout>

#include <cmath>

#include "common/ui/EscapeCloses.h"
#include "common/ui/BusyCursor.h"
#include "common/ui/ShowException.h"
#include "output/PrintPageLayout.h"
#include "imaging/ui/DibImage.h"
#include "common/ui/DesktopCentre.h"

namespace kelta {

namespace {

QAction* AddItem(QToolBar* bar, const char* name, const QString& caption) {
  QAction* action = bar->addAction(caption);
  action->setObjectName(name);
  action->setShortcut(QKeySequence::mnemonic(caption));
  return action;
}

// The text broken into lines no wider than `width` on `device`: at its own
// line breaks, then between words, and inside a word longer than a line.
// Blanks at the end of a line go, as do empty lines at the end of the text.
QStringList WrappedLines(const QString& text, const QFont& font, QPaintDevice* device, int width) {
  QString plain = text;
  plain.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  plain.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  QTextOption option;
  option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  QStringList lines;
  for (const QString& paragraph : plain.split(QLatin1Char('\n'))) {
    QTextLayout layout(paragraph, font, device);
    layout.setTextOption(option);
    layout.beginLayout();
    const qsizetype before = lines.size();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
      line.setLineWidth(std::max(width, 1));
      QString shown = paragraph.mid(line.textStart(), line.textLength());
      while (!shown.isEmpty() && shown.back().isSpace()) shown.chop(1);
      lines << shown;
    }
    layout.endLayout();
    if (lines.size() == before) lines << QString();
  }
  while (lines.size() > 1 && lines.back().isEmpty()) lines.removeLast();
  return lines;
}

}  // namespace

TprintDlg::TprintDlg(QWidget* parent)
    : QDialog(parent), Printer_(QPrinter::HighResolution), Preview_(nullptr), ToolBar_(new QToolBar(this)) {
  CloseOnEscape(this);
  setObjectName("printDlg");
  setWindowTitle("Print Preview");
  resize(750, 500);
  setModal(true);
  CentreOnDesktopWhenShown(this);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, QColor(231, 231, 231));
  setPalette(pal);
  QFont font("Tahoma");
  font.setPixelSize(11);
  setFont(font);

  ToolBar_->setObjectName("TBXToolbar1");
  ToolBar_->setMovable(false);
  ToolBar_->setFloatable(false);
  ToolBar_->setToolButtonStyle(Qt::ToolButtonTextOnly);
  ToolBar_->setStyleSheet(
      "QToolBar { background: rgb(231,231,231); border: none; }"
      "QToolButton { font-family: Tahoma; font-weight: bold; color: rgb(128,128,128); padding: 2px 6px; }"
      "QToolButton:checked { background: rgb(208,208,208); }");
  connect(AddItem(ToolBar_, "tbiPrint", "&Print"), &QAction::triggered, this, [this] { tbiPrintClick(); });
  Text_ = AddItem(ToolBar_, "tbiText", "&Text");
  Text_->setCheckable(true);
  Text_->setChecked(true);
  connect(Text_, &QAction::triggered, this, [this] { tbiTextClick(); });
  connect(AddItem(ToolBar_, "tbiClose", "&Close"), &QAction::triggered, this, [this] { close(); });
  ToolBar_->addSeparator();
  connect(AddItem(ToolBar_, "tbiFitPage", "Fit Pa&ge"), &QAction::triggered, this,
          [this] { Preview_->SetZoomMode(TZoomMode::FitPage); });
  connect(AddItem(ToolBar_, "tbiFitWidth", "Fit &Width"), &QAction::triggered, this,
          [this] { Preview_->SetZoomMode(TZoomMode::FitWidth); });
  connect(AddItem(ToolBar_, "tbiActualSize", "&100%"), &QAction::triggered, this, [this] { Preview_->SetZoom(1.0); });

  // The preview comes first in the tab order and takes the keys.
  Preview_ = new TmyPreview(this);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(ToolBar_);
  layout->addWidget(Preview_, 1);
  Preview_->setFocus();
  TakePaper();
}

bool TprintDlg::TakePaper() {
  const QPageLayout layout = Printer_.pageLayout();
  const double toPage = double(PagePixelsPerInch) / 72.0;
  const QRectF sheet = layout.fullRect(QPageLayout::Point);
  const QRectF area = layout.paintRect(QPageLayout::Point);
  TPrintPaper paper;
  paper.Width = int(std::lround(sheet.width() * toPage));
  paper.Height = int(std::lround(sheet.height() * toPage));
  // Rounded inwards, so nothing is placed on the edge the printer cannot reach.
  paper.PrinterLeft = int(std::ceil((area.left() - sheet.left()) * toPage));
  paper.PrinterTop = int(std::ceil((area.top() - sheet.top()) * toPage));
  paper.PrinterRight = int(std::ceil((sheet.right() - area.right()) * toPage));
  paper.PrinterBottom = int(std::ceil((sheet.bottom() - area.bottom()) * toPage));
  if (paper == Paper_ && Preview_->PageWidth() == paper.Width && Preview_->PageHeight() == paper.Height) return false;
  Paper_ = paper;
  Preview_->SetPageSize(paper.Width, paper.Height);
  return true;
}

void TprintDlg::BuildPage(bool withText) {
  TakePaper();
  TmyPreview& preview = *Preview_;
  preview.Clear();
  QPainter* canvas = preview.NewPage();
  QFont font("tahoma");
  font.setPointSize(14);
  canvas->setFont(font);
  // Measured against the screen, as the page picture is.
  const QFontMetrics metrics(font, canvas->device());
  const int nameHeight = metrics.height(), memoHeight = metrics.height();
  // The caption lines share the picture's column between the margins.
  QStringList memo = withText ? WrappedLines(FViewRecord.Memo, font, canvas->device(),
                                             TPrintPageLayout::TextWidth(Paper_))
                              : QStringList();

  const TFastDIB* image = FViewRecord.Image;
  const bool hasImage = image && !image->Empty() && image->Width() > 0 && image->RowCount() > 0;
  const TPrintPagePlan plan =
      TPrintPageLayout::Plan(Paper_, hasImage ? image->Width() : 0, hasImage ? image->RowCount() : 0, withText,
                             nameHeight, memoHeight, int(std::max<qsizetype>(memo.size(), 1)));
  TPrintPageGeometry g;
  g.NameHeight = nameHeight;
  g.MemoHeight = memoHeight;
  g.TextLeft = plan.TextLeft;
  g.TextWidth = plan.TextWidth;
  g.Image = QRect(plan.Image.Left, plan.Image.Top, plan.Image.Width, plan.Image.Height);
  if (hasImage && !g.Image.isEmpty()) {
    canvas->setRenderHint(QPainter::SmoothPixmapTransform);
    canvas->drawImage(g.Image, DibToImage(*image));
  }
  if (withText) {
    // Each line centred in the column; a name too long for it ends in an
    // ellipsis, as does the last memo line shown when the page has no room
    // for the rest.
    const auto centred = [&](const QString& line) {
      return plan.TextLeft + (plan.TextWidth - metrics.horizontalAdvance(line)) / 2;
    };
    const QString name = metrics.elidedText(FViewRecord.Name, Qt::ElideRight, plan.TextWidth);
    if (memo.size() > plan.MemoLines) {
      memo = memo.mid(0, plan.MemoLines);
      memo.back() = metrics.elidedText(memo.back() + QChar(0x2026), Qt::ElideRight, plan.TextWidth);
    }
    g.Name = QPoint(centred(name), plan.NameTop);
    canvas->setPen(Qt::black);
    canvas->drawText(g.Name + QPoint(0, metrics.ascent()), name);
    for (qsizetype i = 0; i < memo.size(); ++i) {
      const QRect line(centred(memo[i]), plan.MemoTop + int(i) * memoHeight, metrics.horizontalAdvance(memo[i]),
                       memoHeight);
      canvas->drawText(line.topLeft() + QPoint(0, metrics.ascent()), memo[i]);
      g.MemoLines << line;
    }
    g.Memo = memo;
  }
  preview.EndPage();
  Geometry_ = g;
}

void TprintDlg::tbiPrintClick() {
  if (Preview_->PageCount() == 0) return;
  {
    QPrintDialog dialog(&Printer_, this);
    if (dialog.exec() != QDialog::Accepted) return;
  }
  // Another paper or printer chosen in the dialog: the page is laid out anew for it.
  if (TakePaper()) BuildPage(Text_->isChecked());
  try {
    TBusyCursor busy;
    Preview_->PrintTo(Printer_);
  } catch (const std::exception& error) {
    ShowException(error, this);
  }
}

void TprintDlg::tbiTextClick() { BuildPage(Text_->isChecked()); }

void TprintDlg::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  // Each opening composes the page afresh.
  if (!Shown_) BuildPage(true);
  Shown_ = true;
}

}  // namespace kelta

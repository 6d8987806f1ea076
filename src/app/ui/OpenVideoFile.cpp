#include "app/ui/OpenVideoFile.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>

#include "library/LibraryPaths.h"
#include "app/ui/MainDlg.h"
#include "app/ui/PositionSlider.h"
#include "video/ui/VideoFrameBar.h"

namespace kelta {

namespace {
// The folder of the last chosen video in this run.
QString LastVideoFolder;
}  // namespace

QStringList VideoFileFilters() {
  return {QStringLiteral("DVD Video/Audio Files (vts*.vob)"), QStringLiteral("MPEG2 Video Files (*.vob *.mp2)"),
          QStringLiteral("ALL Files (*)")};
}

QString VideoFileStartFolder() {
  if (!LastVideoFolder.isEmpty()) return LastVideoFolder;
  return QString::fromStdString(ProgramFolder().string()) + QStringLiteral("/samples");
}

void OpenChosenVideo(TMainDlg& mainDlg, const QString& path) {
  TVideoFrameBar& frameBar = *mainDlg.FrameBar;
  frameBar.FileName = path;
  LastVideoFolder = QFileInfo(path).absolutePath();
  mainDlg.repaint();
  mainDlg.imgMainView->hide();
  frameBar.OpenVideo();
  mainDlg.Slider->setValue(0);
  mainDlg.Slider->setMaximum(int(frameBar.MaxPosition()));
  for (QWidget* control : std::initializer_list<QWidget*>{mainDlg.btPlay, mainDlg.btSave, mainDlg.btView,
                                                          mainDlg.btExport, mainDlg.btCrop, mainDlg.btResize,
                                                          mainDlg.Slider}) {
    control->setEnabled(true);
  }
}

void OpenVideoFile(TMainDlg& mainDlg) {
  TVideoFrameBar& frameBar = *mainDlg.FrameBar;
  const bool wasPlaying = frameBar.Playing();
  if (wasPlaying) frameBar.Pause();

  QString chosen;
  {
    QFileDialog dialog(&mainDlg, QStringLiteral("Open"), VideoFileStartFolder());
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // Name filters match in any letter case, so "vts*.vob" also finds VTS_01_1.VOB.
    dialog.setNameFilters(VideoFileFilters());
    // In the samples folder the first filter would hide sample.vob from a
    // newcomer; there the plain MPEG-2 filter is preselected instead.
    const bool inSamples = LastVideoFolder.isEmpty();
    dialog.selectNameFilter(VideoFileFilters().at(inSamples ? 1 : 0));
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) chosen = dialog.selectedFiles().first();
  }
  if (chosen.isEmpty()) {
    if (wasPlaying) frameBar.Play();
    return;
  }
  OpenChosenVideo(mainDlg, chosen);
}

}  // namespace kelta

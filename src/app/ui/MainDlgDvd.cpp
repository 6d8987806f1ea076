// The main window's DVDs: File > Open DVD, the title chooser, the checks
// before a title replaces the open video, and the chapters of the title on
// screen (slider marks, Previous/Next Chapter, the status line's chapter),
// which a rip's Matroska or MP4 chapters follow by frame number.
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

#include "app/ui/MainDlg.h"
#include "app/ui/PositionSlider.h"
#include "common/ui/OffGuiThread.h"
#include "common/ui/ShowException.h"
#include "library/ui/ImageLibraryManager.h"
#include "video/DvdChapters.h"
#include "video/ui/DvdFileDialog.h"
#include "video/ui/DvdTitleDlg.h"
#include "video/PlaybackPause.h"
#include "video/ui/VideoFrameBar.h"

namespace kelta {

const TDvdTitle* TMainDlg::DvdTitle() const {
  // While another video opens, the panel shows that one's first picture:
  // the title's chapters no longer apply to it.
  if (!Dvd_ || FrameBar->Opening()) return nullptr;
  return &Dvd_->Disc.Titles.at(Dvd_->Title);
}

std::vector<std::int64_t> TMainDlg::ChapterPositions() const {
  std::vector<std::int64_t> starts;
  if (const TDvdTitle* title = DvdTitle())
    for (const TDvdChapter& chapter : title->Chapters) starts.push_back(chapter.Position / PositionBlock);
  else if (!FrameBar->Opening())
    starts = FrameBar->ChapterPositions();
  return starts;
}

TMainDlg::TChapterPlaces TMainDlg::ChapterPlaces() const {
  if (DvdTitle() != nullptr) return {ChapterPositions(), FrameBar->Position()};
  if (FrameBar->Opening() || FrameBar->FrameNumber() < 0) return {};
  return {FrameBar->ChapterFrames(), FrameBar->FrameNumber()};
}

void TMainDlg::OpenDvdCommand() {
  TPlaybackPause paused(*FrameBar);
  QString chosen;
  {
    TDvdFileDialog dialog(this, TImageLibraryManager::VideoFileStartFolder());
    if (dialog.exec() == QDialog::Accepted) chosen = dialog.Chosen();
  }
  // The open decides about playback: paused on a newly opened title, and
  // running again when no title opens.
  if (!chosen.isEmpty() && OpenDvd(chosen, paused.Before())) paused.StayPaused();
}

bool TMainDlg::OpenDvd(const QString& chosen, TPlaybackBefore before) {
  if (!FrameBar->DecoderLoaded())
    throw std::runtime_error("Cannot open " + chosen.toStdString() +
                             ": the MPEG-2 video decoder (codec.so) is missing from the program folder");
  TPlaybackPause paused(*FrameBar);
  // The disc is read by a helper process that may take its time on a slow
  // drive or a damaged disc; the window paints meanwhile, and a video handed
  // over in that time waits.
  ReadingDisc_ = true;
  struct TReadEnd {
    bool& Reading;
    ~TReadEnd() { Reading = false; }
  } readEnd{ReadingDisc_};
  const std::string local = QFile::encodeName(chosen).toStdString();
  TDvdDisc disc = RunOffGuiThread([&local] { return ReadDvdDisc(local); });
  std::size_t index = disc.LongestTitle();
  // Without title information the largest title set opens at once: there
  // are no titles to choose from.
  if (disc.Damage.empty()) {
    const std::optional<std::size_t> picked = ChooseDvdTitle(disc, this);
    if (!picked) return false;
    index = *picked;
  }
  const TDvdTitle& title = disc.Titles.at(index);
  if (RunOffGuiThread([&title] { return TitleEncrypted(title); })) throw EDvdError(EncryptedDvdMessage);

  // The title opens beside the window, as a file does; the disc becomes the
  // window's once it opened.
  const QString name = QString::fromStdString(DvdTitleName(disc, title));
  const TDvdCells cells = title.Cells;
  auto opened = std::make_shared<TOpenDvd>(TOpenDvd{chosen, std::move(disc), index});
  FrameBar->BeginOpenDvdTitle(
      name, cells,
      [this, opened](TOpenEnd end, const std::exception_ptr& error) {
        if (end == TOpenEnd::Failed) RunCommand([&error] { std::rethrow_exception(error); });
        if (end == TOpenEnd::Opened) DvdTitleOpened(std::move(*opened));
      },
      paused.WasPlaying() ? TPlaybackBefore::Playing : before);
  paused.StayPaused();
  return true;
}

void TMainDlg::DvdTitleOpened(TOpenDvd opened) {
  TImageLibraryManager::RememberVideoFolder(QFileInfo(QFileInfo(opened.Chosen).absoluteFilePath()).absolutePath());
  NoteOpenedVideo(opened.Chosen);
  const std::string damage = opened.Disc.Damage;
  Dvd_ = std::move(opened);
  UseDiscSubtitle();
  imgMainView->hide();
  ShowOpenedVideo(FrameBar->MaxPosition());
  ShowVideoStatus();
  if (!damage.empty()) QMessageBox::warning(this, ApplicationTitle, QString::fromStdString(damage));
}

void TMainDlg::StepChapter(int delta) {
  const TChapterPlaces chapters = ChapterPlaces();
  if (chapters.Starts.empty()) return;
  FrameBar->Pause();
  const std::size_t target = ChapterStep(chapters.Starts, chapters.Here, delta);
  // A title's chapters start at a group of pictures, a rip's at any frame.
  if (const TDvdTitle* title = DvdTitle())
    FrameBar->ShowFrameAt(title->Chapters[target].Position);
  else
    FrameBar->ShowFrameNumber(chapters.Starts[target]);
  Slider->setValue(int(FrameBar->Position()));
  ShowVideoStatus();
}

}  // namespace kelta

// Go to Source in the main window: the Image menu's item, finding a video or
// disc that is not where a still's source says, opening it in the background
// like any open (with its progress and Cancel), and showing the frame.
#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>

#include "app/ui/MainDlg.h"
#include "app/ui/PositionSlider.h"
#include "common/ui/OffGuiThread.h"
#include "common/ui/ShowException.h"
#include "library/ui/ImageLibraryManager.h"
#include "library/ui/ImageSourceLink.h"
#include "library/ui/LibraryDocument.h"
#include "video/PlaybackPause.h"
#include "video/ui/DvdFileDialog.h"
#include "video/ui/VideoFrameBar.h"

namespace kelta {

namespace {

QString Text(const std::string& text) { return QString::fromStdString(text); }

// The message, with Find… and Cancel; true for Find.
bool AskToFind(QWidget* owner, const QString& text) {
  QMessageBox box(QMessageBox::Warning, ApplicationTitle, text, QMessageBox::Cancel, owner);
  QPushButton* find = box.addButton(QStringLiteral("&Find\u2026"), QMessageBox::AcceptRole);
  box.setDefaultButton(find);
  box.exec();
  return box.clickedButton() == find;
}

// The folder nearest to where `path` was that still exists.
QString NearestFolder(const QString& path, const QString& otherwise) {
  QDir folder = QFileInfo(path).absoluteDir();
  while (!folder.exists())
    if (!folder.cdUp()) return otherwise;
  return folder.absolutePath();
}

bool SamePlace(const QString& a, const QString& b) {
  return QFileInfo(a).absoluteFilePath() == QFileInfo(b).absoluteFilePath();
}

}  // namespace

void TMainDlg::AddGoToSource() {
  if (pmiGoToSource != nullptr) return;
  pmImage->addSeparator();
  pmiGoToSource = pmImage->addAction(QStringLiteral("&Go to Source"));
  pmiGoToSource->setObjectName(QStringLiteral("pmiGoToSource"));
  connect(pmiGoToSource, &QAction::triggered, this, [this] { RunCommand(Commands.GoToSource); });
  // Only an image that says where it came from can go there.
  connect(pmImage, &QMenu::aboutToShow, this, [this] {
    pmiGoToSource->setEnabled(FilmManager != nullptr && Library_ != nullptr &&
                              ImageSourceOf(*FilmManager, Library_->FocusedNode()).has_value());
  });
}

std::optional<QString> TMainDlg::FindSourceVideo(const TCaptureSource& source) {
  QString path = Text(source.Video);
  while (!QFileInfo(path).isFile()) {
    if (!AskToFind(this, QStringLiteral("The video this still was captured from is not at \"%1\" any more: it "
                                        "was moved, renamed or deleted.\n\nFind it to go to the frame?")
                             .arg(path)))
      return std::nullopt;
    QFileDialog dialog(this, QStringLiteral("Find %1").arg(QFileInfo(Text(source.Video)).fileName()),
                       NearestFolder(path, TImageLibraryManager::VideoFileStartFolder()));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setNameFilters(TImageLibraryManager::VideoFileFilters());
    dialog.selectFile(QFileInfo(Text(source.Video)).fileName());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    path = dialog.selectedFiles().constFirst();
  }
  return QFileInfo(path).absoluteFilePath();
}

std::optional<TMainDlg::TOpenDvd> TMainDlg::FindSourceDisc(const TCaptureSource& source) {
  const QString volume = Text(source.DvdVolume);
  QString location = Text(source.DvdLocation);
  for (;;) {
    QString problem;
    if (QFileInfo::exists(location)) {
      const std::string local = QFile::encodeName(location).toStdString();
      try {
        TDvdDisc disc = RunOffGuiThread([&local] { return ReadDvdDisc(local); });
        // The volume name tells the disc; a disc without one is taken at its word.
        if (!volume.isEmpty() && Text(disc.VolumeName) != volume) {
          problem = QStringLiteral("The DVD at \"%1\" is \"%2\", not \"%3\", the disc this still was captured "
                                   "from.\n\nFind \"%3\" to go to the frame?")
                        .arg(location, Text(disc.VolumeName), volume);
        } else {
          for (std::size_t i = 0; i < disc.Titles.size(); ++i)
            if (disc.Titles[i].Number == source.Title) return TOpenDvd{location, std::move(disc), i};
          throw EDvdError("The DVD \"" + source.DvdVolume + "\" has no title " + std::to_string(source.Title) +
                          ", the title this still was captured from.");
        }
      } catch (const EDvdError& error) {
        if (volume.isEmpty() || error.what() == std::string(EncryptedDvdMessage)) throw;
        problem = QStringLiteral("\"%1\" cannot be read as the DVD \"%2\": %3\n\nFind the disc to go to the frame?")
                      .arg(location, volume, QString::fromUtf8(error.what()));
      }
    } else {
      problem = QStringLiteral("The DVD \"%1\" this still was captured from is not at \"%2\".\n\nInsert the "
                               "disc, or find its folder or disc image, to go to the frame.")
                    .arg(volume, location);
    }
    if (!AskToFind(this, problem)) return std::nullopt;
    TDvdFileDialog dialog(this, NearestFolder(location, TImageLibraryManager::VideoFileStartFolder()));
    if (dialog.exec() != QDialog::Accepted || dialog.Chosen().isEmpty()) return std::nullopt;
    location = QFileInfo(dialog.Chosen()).absoluteFilePath();
  }
}

void TMainDlg::GoToSource(const TCaptureSource& source, const TLibraryHost::TSourceFound& found) {
  if (!FrameBar->DecoderLoaded())
    throw std::runtime_error("Go to Source: the MPEG-2 video decoder (codec.so) is missing from the program folder");
  TPlaybackPause paused(*FrameBar);
  const auto done = [this, source](const std::function<void()>& opened) {
    return [this, source, opened](TOpenEnd end, const std::exception_ptr& error) {
      if (end == TOpenEnd::Failed) RunCommand([&error] { std::rethrow_exception(error); });
      if (end != TOpenEnd::Opened) return;
      opened();
      ShowSourceFrame(source);
    };
  };

  if (source.IsDvd()) {
    const TDvdTitle* onScreen = DvdTitle();
    if (onScreen != nullptr && onScreen->Number == source.Title && Dvd_->Disc.VolumeName == source.DvdVolume &&
        SamePlace(Dvd_->Chosen, Text(source.DvdLocation))) {
      ShowSourceFrame(source);
      return;
    }
    std::optional<TOpenDvd> disc = FindSourceDisc(source);
    if (!disc) return;
    if (!SamePlace(disc->Chosen, Text(source.DvdLocation)) && found) {
      TCaptureSource moved = source;
      moved.DvdLocation = disc->Chosen.toStdString();
      found(moved);
    }
    const TDvdTitle& title = disc->Disc.Titles.at(disc->Title);
    if (RunOffGuiThread([&title] { return TitleEncrypted(title); })) throw EDvdError(EncryptedDvdMessage);
    const QString name = Text(DvdTitleName(disc->Disc, title));
    const TDvdCells cells = title.Cells;
    auto opened = std::make_shared<TOpenDvd>(std::move(*disc));
    FrameBar->BeginOpenDvdTitle(name, cells, done([this, opened] { DvdTitleOpened(std::move(*opened)); }),
                                paused.Before());
    paused.StayPaused();
    return;
  }

  const std::optional<QString> path = FindSourceVideo(source);
  if (!path) return;
  if (*path != Text(source.Video) && found) {
    TCaptureSource moved = source;
    moved.Video = path->toStdString();
    found(moved);
  }
  if (!Dvd_ && FrameBar->FileOpened() && !FrameBar->Opening() && SamePlace(FrameBar->FileName, *path)) {
    ShowSourceFrame(source);
    return;
  }
  FrameBar->FileName = *path;
  imgMainView->hide();
  FrameBar->BeginOpen(done([this] { VideoFileOpened(); }), paused.Before());
  paused.StayPaused();
}

void TMainDlg::ShowSourceFrame(const TCaptureSource& source) {
  FrameBar->Pause();
  // The frame number is exact where the decoder numbers frames; the byte
  // position lands near it elsewhere.
  if (source.Frame >= 0 && FrameBar->FrameNavigation() && source.Frame < FrameBar->FrameCount() &&
      FrameBar->Decoder()->SeekFrame(source.Frame))
    FrameBar->ShowFrameAt(-1);
  else if (source.Position >= 0)
    FrameBar->ShowFrameAt(source.Position);
  Slider->setValue(int(FrameBar->Position()));
  ShowVideoStatus();
}

}  // namespace kelta

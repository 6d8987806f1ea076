// The main window's subtitles (Playback > Subtitles): the streams of the
// video on screen, the one drawn over its frames, and each disc's choice,
// kept between runs in its own file beside the library.
#include <exception>
#include <vector>

#include <QAction>
#include <QActionGroup>
#include <QLocale>
#include <QMenu>

#include "app/ui/MainDlg.h"
#include "video/SubtitleChoice.h"
#include "video/ui/VideoFrameBar.h"

namespace kelta {

namespace {

// "Stream 1: English (en)"; a stream without a disc palette says that its
// colours are the fallback greys.
QString OfferCaption(const TSubtitleOffer& offer) {
  QString caption = QStringLiteral("Stream %1").arg(offer.Stream + 1);
  if (!offer.Language.empty()) {
    const QString code = QString::fromStdString(offer.Language);
    const QLocale::Language language = QLocale(code).language();
    caption += language == QLocale::C || language == QLocale::AnyLanguage
                   ? QStringLiteral(": %1").arg(code)
                   : QStringLiteral(": %1 (%2)").arg(QLocale::languageToString(language), code);
  }
  if (offer.FallbackColours) caption += QStringLiteral(" \u2013 fallback greys, no disc palette");
  return caption;
}

}  // namespace

void TMainDlg::UseSubtitleChoiceFile(const std::filesystem::path& file) { SubtitleChoiceFile_ = file; }

void TMainDlg::FillSubtitlesMenu() {
  tbSubtitles->clear();
  for (QActionGroup* old : tbSubtitles->findChildren<QActionGroup*>()) delete old;
  auto* choices = new QActionGroup(tbSubtitles);
  const std::int32_t current = FrameBar->Subtitle();
  auto add = [&](const QString& caption, std::int32_t stream) {
    QAction* action = tbSubtitles->addAction(caption);
    action->setCheckable(true);
    action->setChecked(stream == current);
    choices->addAction(action);
    connect(action, &QAction::triggered, this, [this, stream] { ChooseSubtitle(stream); });
  };
  add(QStringLiteral("&Off"), SubtitlesOff);
  std::vector<TSubtitleOffer> offers;
  if (const TDvdTitle* title = DvdTitle())
    offers = DvdSubtitleOffers(*title);
  else if (FrameBar->FileOpened() && !FrameBar->Opening())
    offers = FileSubtitleOffers(FrameBar->SubtitleStreams());
  for (const TSubtitleOffer& offer : offers) add(OfferCaption(offer), offer.Stream);
}

void TMainDlg::ChooseSubtitle(std::int32_t stream) {
  const TDvdTitle* title = DvdTitle();
  FrameBar->SetSubtitle(stream, title ? title->Palette : std::vector<std::uint32_t>{});
  if (FrameBar->FileOpened() && !FrameBar->Opening()) ShowVideoStatus();
  if (!title || SubtitleChoiceFile_.empty()) return;
  try {
    SaveSubtitleChoice(SubtitleChoiceFile_, DvdDiscKey(Dvd_->Disc), stream);
  } catch (const std::exception&) {
    // A folder that cannot be written keeps the choice while the disc is
    // on screen, as it keeps the still choice for the run.
  }
}

void TMainDlg::UseDiscSubtitle() {
  const TDvdTitle* title = DvdTitle();
  if (!title || SubtitleChoiceFile_.empty()) return;
  const std::int32_t stream = LoadSubtitleChoice(SubtitleChoiceFile_, DvdDiscKey(Dvd_->Disc));
  if (stream != SubtitlesOff) FrameBar->SetSubtitle(stream, title->Palette);
}

}  // namespace kelta

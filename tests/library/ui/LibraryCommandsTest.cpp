// The library commands driven with their dialogs answered as a user would:
// tree, document, library file and data folder must change in step, or not
// at all.

#include <QCheckBox>
#include <QFileDialog>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QLabel>
#include <QTest>
#include <QTreeWidget>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

#include "codec/FFmpegPtr.h"
#include "support/LetterboxedFrame.h"
#include "support/SamePixels.h"
#include "support/ui/LibraryTestBase.h"
#include "support/ui/ModalAnswer.h"
#include "imaging/FastDIB.h"
#include "library/CodePage.h"
#include "library/FilmManager.h"
#include "library/ImageSaveManager.h"
#include "library/LibraryPaths.h"
#include "library/XmlDocument.h"
#include "library/ui/EditImageDlg.h"
#include "library/ui/FilmTipDlg.h"
#include "library/ui/FrameBarLibraryHost.h"
#include "library/ui/ImageLibraryManager.h"
#include "library/ui/LibraryTreeItem.h"
#include "library/ui/NewCategoryDlg.h"
#include "library/ui/NewFilmDlg.h"
#include "library/ui/SaveImageDlg.h"
#include "support/VideoFixture.h"
#include "video/ui/VideoFrameBar.h"
#include "common/ui/VideoOutPanel.h"

using namespace kelta;
using namespace kelta::test;
namespace fs = std::filesystem;

namespace {

// A colourful 24-bit frame: no pixel is grey except by accident of the pattern.
void FillColourful(TFastDIB& frame, int width, int height) {
  frame.SetSize(width, height, 24);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      std::uint8_t* p = frame.PixelPtr(x, y);
      p[0] = std::uint8_t(40 + x % 160);
      p[1] = std::uint8_t(20 + y % 200);
      p[2] = std::uint8_t(230 - (x + y) % 150);
    }
}

bool AllGrey(const TFastDIB& dib) {
  for (int y = 0; y < dib.Height(); ++y)
    for (int x = 0; x < dib.Width(); ++x) {
      const std::uint8_t* p = dib.PixelPtr(x, y);
      if (p[0] != p[1] || p[1] != p[2]) return false;
    }
  return true;
}

template <class TDlg>
void AnswerName(QLineEdit* TDlg::*edit, const QString& name) {
  WhenModal<TDlg>([edit, name](TDlg* dialog) {
    (dialog->*edit)->setText(name);
    dialog->btOk->click();
  });
}

struct TSaveAnswer {
  QString Name = "Beach";
  QString Memo;
  int Aspect = 2;  // as the radio buttons: 0 original ... 3 1.85:1, 4 square pixels, 5 ITU; -1 the one preselected
  int Saturation = 255;
  bool CropBars = false;
};

void AnswerSave(const TSaveAnswer& answer, QString* target = nullptr, QString* still = nullptr) {
  WhenModal<TSaveImageDlg>([answer, target, still](TSaveImageDlg* dialog) {
    if (target) *target = dialog->etFilm->text();
    if (still) *still = dialog->lbStill->isVisible() ? dialog->lbStill->text() : QString();
    dialog->etName->setText(answer.Name);
    dialog->moMemo->setPlainText(answer.Memo);
    if (answer.Aspect >= 0) dialog->AspectButtons()[std::size_t(answer.Aspect)]->setChecked(true);
    dialog->tbSaturation->setValue(answer.Saturation);
    if (answer.CropBars) dialog->ckCropBars->setChecked(true);
    dialog->btOk->click();
  });
}

// Types a sibling's name into a name dialog, presses Ok, notes the refusal
// box and what the edit kept, then cancels.
struct TNameRefusal {
  TBoxSeen Seen;
  QString Kept;
  QString Caption;
  void Answer(QDialog* dialog, QLineEdit* edit, QPushButton* ok, QPushButton* cancel, const QString& name) {
    Caption = dialog->windowTitle();
    edit->setText(name);
    AnswerBox(Seen, QMessageBox::Ok);
    ok->click();
    Kept = edit->text();
    cancel->click();
  }
};

std::vector<fs::path> FilesIn(const fs::path& folder) {
  std::vector<fs::path> files;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(folder, ec)) files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  return files;
}

QSize BitmapSize(const fs::path& file) {
  TFastDIB dib;
  if (!dib.LoadFromFile(file.string())) return QSize();
  return QSize(dib.Width(), dib.Height());
}

}  // namespace

class LibraryCommandsTest : public TLibraryTestBase {
  Q_OBJECT

  void Open(TLibraryHost& host) {
    OpenLibrary(host, nullptr);
    Tree->expandAll();
  }
  void Open() { Open(*Host); }

  QTreeWidgetItem* Root() { return Tree->topLevelItem(0); }
  QTreeWidgetItem* Node(std::initializer_list<int> path) {
    QTreeWidgetItem* node = Root();
    for (int i : path) node = node->child(i);
    return node;
  }
  void Focus(QTreeWidgetItem* node) { Tree->setCurrentItem(node); }
  std::string Written() const { return WriteXml(Films->Document()); }
  // The library file as a fresh start would read it.
  std::string OnDisk() const {
    TFilmManager reread(ConfigFile);
    return WriteXml(reread.Document());
  }

  // Holidays / Summer 2005 made through the commands, the film focused.
  void MakeFilmThroughCommands() {
    Focus(Root());
    AnswerName(&TnewCategoryDlg::etCategoryName, "Holidays");
    Manager->NewCategory();
    Focus(Node({0}));
    AnswerName(&TnewFilmDlg::etFilmName, "Summer 2005");
    Manager->NewFilm();
    Focus(Node({0, 0}));
  }

  // Holidays / Summer 2005 / Beach (with files), made through the commands.
  void MakeLibraryWithOneImage() {
    Open();
    MakeFilmThroughCommands();
    AnswerSave(TSaveAnswer{});
    Manager->SaveImage();
    QCOMPARE(Node({0, 0})->childCount(), 1);
  }

 private slots:
  void init() {
    UnansweredModals() = 0;
    QVERIFY(SetUpLibrary());
    Host->IsOpened = true;
    FillColourful(Host->Frame, 720, 576);
  }
  void cleanup() {
    TearDownLibrary();
    QCOMPARE(UnansweredModals(), 0);
  }

  void captureADecodedFrameIntoANewFilm() {
    const fs::path clip = fs::path(Dir->path().toStdString()) / "clip.vob";
    const Mpeg2StreamOptions options{.frames = 6, .audio = false};
    WriteMpeg2ProgramStream(clip.string(), options);
    QWidget window;
    TVideoOutPanelEx panel(&window);
    TVideoFrameBar bar(&window, QStringLiteral(KELTA_PROGRAM_DIR));
    QVERIFY2(bar.DecoderLoaded(), "codec.so is built beside the program");
    bar.OutputPanel = &panel;
    bar.SetStillMode(TStillMode::Clean);
    int clears = 0;
    std::int64_t openedUpTo = -1;
    TMainWindowHooks hooks;
    hooks.ClearThumbnail = [&] { ++clears; };
    hooks.VideoOpened = [&](std::int64_t maxPosition) { openedUpTo = maxPosition; };
    TFrameBarLibraryHost host(bar, &window, std::move(hooks));
    host.StartOpeningVideo(QString::fromStdString(clip.string()), TPlaybackBefore::Paused);
    bar.WaitForOpen();
    QVERIFY(bar.FileOpened());
    QCOMPARE(bar.FileName, QString::fromStdString(clip.string()));
    QCOMPARE(openedUpTo, bar.MaxPosition());
    Open(host);

    MakeFilmThroughCommands();
    QString target;
    TSaveAnswer answer;
    answer.Aspect = 0;
    answer.Memo = "first line\nsecond line";
    QString still;
    AnswerSave(answer, &target, &still);
    Manager->SaveImage();

    QCOMPARE(target, QString("Holidays -> Summer 2005"));
    // The dialog says what was made of the frame it saves.
    QCOMPARE(still, QString("Frame: progressive"));
    QCOMPARE(Node({0})->text(0), QString("Holidays (1)"));
    QCOMPARE(Node({0, 0})->text(0), QString("Summer 2005 (1)"));
    QCOMPARE(Node({0, 0, 0})->text(0), QString("Beach"));

    // The document holds the three nested elements, and so does the file already.
    const TXmlNode& category = Films->Document().Root.Children.at(0);
    const TXmlNode& film = category.Children.at(0);
    const TXmlNode& image = film.Children.at(0);
    QCOMPARE(category.Attribute("name"), std::string("Holidays"));
    QCOMPARE(film.Attribute("name"), std::string("Summer 2005"));
    QCOMPARE(image.Attribute("name"), std::string("Beach"));
    QCOMPARE(image.Attribute("memo"), std::string("first line\r\nsecond line"));
    // The four every reader knows come first; where the frame came from follows.
    QVERIFY(image.Attributes.size() > 4);
    QCOMPARE(image.Attributes[3].Name, std::string("memo"));
    QCOMPARE(image.Attribute("source-frame"), std::to_string(bar.FrameNumber()));
    QCOMPARE(OnDisk(), Written());

    // The stored picture is the decoded frame itself, its thumbnail 200 wide.
    const fs::path picture = DataFolder / image.Attribute("filename");
    const fs::path thumbnail = DataFolder / image.Attribute("thumbnail");
    QCOMPARE(FilesIn(DataFolder), (std::vector<fs::path>{picture, thumbnail}));
    TFastDIB stored;
    QVERIFY(stored.LoadFromFile(picture.string()));
    QCOMPARE(stored.Width(), bar.FrameDIB().Width());
    QCOMPARE(stored.Height(), bar.FrameDIB().Height());
    QVERIFY(SamePixels(bar.FrameDIB(), stored, "stored capture"));
    QCOMPARE(ReadFrameCounter(stored.Bits(), stored.Width(), stored.Height(), stored.RowStride()), 0);
    QCOMPARE(BitmapSize(thumbnail), QSize(200, 160));
  }

  void storedSizesFollowTheAspectRatioAndAdjustments_data() {
    QTest::addColumn<int>("aspect");
    QTest::addColumn<int>("saturation");
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<QSize>("thumbnail");
    QTest::addColumn<QSize>("video");  // the display aspect of the video; 0 x 0 unknown
    QTest::newRow("original") << 0 << 255 << QSize(720, 576) << QSize(200, 160) << QSize();
    QTest::newRow("4:3 grey") << 1 << 0 << QSize(720, 540) << QSize(200, 150) << QSize();
    QTest::newRow("16:9") << 2 << 255 << QSize(720, 405) << QSize(200, 112) << QSize();
    QTest::newRow("1.85:1 grey") << 3 << 0 << QSize(720, 389) << QSize(200, 108) << QSize();
    // The four stored sizes do not depend on the video's shape.
    QTest::newRow("4:3 of a 16:9 video") << 1 << 255 << QSize(720, 540) << QSize(200, 150) << QSize(16, 9);
    QTest::newRow("square pixels of 4:3") << 4 << 255 << QSize(768, 576) << QSize(200, 150) << QSize(4, 3);
    QTest::newRow("square pixels of 16:9 grey") << 4 << 0 << QSize(1024, 576) << QSize(200, 112) << QSize(16, 9);
    QTest::newRow("square pixels, shape unknown") << 4 << 255 << QSize(720, 576) << QSize(200, 160) << QSize();
  }
  void storedSizesFollowTheAspectRatioAndAdjustments() {
    QFETCH(int, aspect);
    QFETCH(int, saturation);
    QFETCH(QSize, picture);
    QFETCH(QSize, thumbnail);
    QFETCH(QSize, video);
    Host->Aspect = TDisplayAspect{video.width(), video.height()};
    Films->AddCategory(u"Holidays");
    Films->AddFilm(0, TImageLibraryFilmData{u"Summer", 0});
    Open();
    Focus(Node({0, 0}));
    TSaveAnswer answer;
    answer.Aspect = aspect;
    answer.Saturation = saturation;
    AnswerSave(answer);
    Manager->SaveImage();
    const TXmlNode& image = Films->Document().Root.Children.at(0).Children.at(0).Children.at(0);
    QCOMPARE(BitmapSize(DataFolder / image.Attribute("filename")), picture);
    QCOMPARE(BitmapSize(DataFolder / image.Attribute("thumbnail")), thumbnail);
    TFastDIB stored;
    QVERIFY(stored.LoadFromFile((DataFolder / image.Attribute("filename")).string()));
    QCOMPARE(AllGrey(stored), saturation == 0);
    // The captured frame itself is not touched.
    QVERIFY(!AllGrey(Host->Frame));
  }

  // Crop black bars finds the bars over the frame and the frames near it
  // and stores what remains in its true shape; where the frames near it show
  // picture, the frame's dark edges are no bars.
  void cropBlackBarsStoresWhatRemains_data() {
    QTest::addColumn<QRect>("film");  // where the film lies in the frame
    QTest::addColumn<QRect>("near");  // ... and in the two frames near it
    QTest::addColumn<int>("aspect");
    QTest::addColumn<QSize>("picture");
    QTest::newRow("letterbox, square pixels") << QRect(0, 72, 720, 432) << QRect(0, 72, 720, 432) << 4
                                              << QSize(1024, 432);
    QTest::newRow("letterbox, ITU") << QRect(0, 72, 720, 432) << QRect(0, 72, 720, 432) << 5 << QSize(1048, 432);
    QTest::newRow("letterbox, as captured") << QRect(0, 72, 720, 432) << QRect(0, 72, 720, 432) << 0
                                            << QSize(720, 432);
    QTest::newRow("pillarbox, square pixels") << QRect(90, 0, 540, 576) << QRect(90, 0, 540, 576) << 4
                                              << QSize(768, 576);
    QTest::newRow("dark edges the frames near it fill") << QRect(0, 100, 720, 376) << QRect(0, 0, 720, 576) << 4
                                                        << QSize(1024, 576);
  }
  void cropBlackBarsStoresWhatRemains() {
    QFETCH(QRect, film);
    QFETCH(QRect, near);
    QFETCH(int, aspect);
    QFETCH(QSize, picture);
    auto rect = [](const QRect& r) { return TRect{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()}; };
    Host->Frame = test::LetterboxedFrame(rect(film), 1);
    Host->Nearby.push_back(test::LetterboxedFrame(rect(near), 2));
    Host->Nearby.push_back(test::LetterboxedFrame(rect(near), 3));
    Host->Aspect = TDisplayAspect{16, 9};
    Films->AddCategory(u"Holidays");
    Films->AddFilm(0, TImageLibraryFilmData{u"Summer", 0});
    Open();
    Focus(Node({0, 0}));
    TSaveAnswer answer;
    answer.Aspect = aspect;
    answer.CropBars = true;
    AnswerSave(answer);
    Manager->SaveImage();
    QCOMPARE(Host->NearbyAsked, 1);
    const TXmlNode& image = Films->Document().Root.Children.at(0).Children.at(0).Children.at(0);
    QCOMPARE(BitmapSize(DataFolder / image.Attribute("filename")), picture);
  }

  // Through the frame bar: the bars are judged over the paused frame and
  // frames about a second either way, decoded from the video. A film between
  // bars loses them; a moment dark above and below in a full-frame film keeps
  // every line, as the frames around it fill the frame.
  void cropBlackBarsLooksAtTheFramesAroundTheOneOnScreen_data() {
    QTest::addColumn<int>("darkFrom");  // frames from darkFrom to darkTo have black rows 0-95 and 480-575
    QTest::addColumn<int>("darkTo");
    QTest::addColumn<QSize>("picture");
    QTest::newRow("letterboxed film") << 0 << 59 << QSize(1024, 384);
    QTest::newRow("dark moment") << 27 << 33 << QSize(1024, 576);
  }
  void cropBlackBarsLooksAtTheFramesAroundTheOneOnScreen() {
    QFETCH(int, darkFrom);
    QFETCH(int, darkTo);
    QFETCH(QSize, picture);
    const fs::path clip = fs::path(Dir->path().toStdString()) / "bars.vob";
    Mpeg2StreamOptions options{.frames = 60, .audio = false, .aspectWidth = 16, .aspectHeight = 9};
    options.drawPicture = [darkFrom, darkTo](AVFrame* frame, int index) {
      const bool dark = index >= darkFrom && index <= darkTo;
      for (int y = 0; y < frame->height; ++y)
        for (int x = 0; x < frame->width; ++x) {
          const bool bar = dark && (y < 96 || y >= 480);
          frame->data[0][y * frame->linesize[0] + x] = std::uint8_t(bar ? 16 : 60 + (x * 7 + y * 3 + index * 5) % 150);
        }
      for (int plane = 1; plane < 3; ++plane)
        for (int y = 0; y < frame->height / 2; ++y)
          std::memset(frame->data[plane] + y * frame->linesize[plane], 128, std::size_t(frame->width / 2));
    };
    WriteMpeg2ProgramStream(clip.string(), options);
    QWidget window;
    TVideoFrameBar bar(&window, QStringLiteral(KELTA_PROGRAM_DIR));
    TFrameBarLibraryHost host(bar, &window, {});
    host.StartOpeningVideo(QString::fromStdString(clip.string()), TPlaybackBefore::Paused);
    bar.WaitForOpen();
    for (int i = 0; i < 30; ++i) bar.StepForward();
    QCOMPARE(bar.FrameNumber(), std::int64_t(30));
    Open(host);
    MakeFilmThroughCommands();
    TSaveAnswer answer;
    answer.Aspect = 4;
    answer.CropBars = true;
    AnswerSave(answer);
    Manager->SaveImage();
    const TXmlNode& image = Films->Document().Root.Children.at(0).Children.at(0).Children.at(0);
    const QSize stored = BitmapSize(DataFolder / image.Attribute("filename"));
    // The paused frame is a line-blended still: its first bar row below the
    // film takes some of the film's last row and counts as picture.
    QCOMPARE(stored.width(), picture.width());
    QVERIFY2(stored.height() >= picture.height() && stored.height() <= picture.height() + 1,
             qPrintable(QString::number(stored.height())));
    QCOMPARE(bar.FrameNumber(), std::int64_t(30));
  }

  // Ok with the aspect preselected keeps every line of the frame in the shape
  // the video is shown at; a choice picked once is remembered beside the
  // library for the next capture.
  void okWithThePreselectedAspectKeepsEveryLine() {
    Films->AddCategory(u"Holidays");
    Films->AddFilm(0, TImageLibraryFilmData{u"Summer", 0});
    Open();
    Focus(Node({0, 0}));
    struct TCapture {
      TDisplayAspect Video;
      int Aspect;
      QSize Stored;
    };
    const TCapture captures[] = {{{16, 9}, -1, QSize(1024, 576)},
                                 {{4, 3}, -1, QSize(768, 576)},
                                 {{16, 9}, 2, QSize(720, 405)},  // 16:9 picked for a 16:9 video ...
                                 {{4, 3}, -1, QSize(720, 540)}};  // ... means 4:3 for a 4:3 one
    for (int i = 0; i < int(std::size(captures)); ++i) {
      QCOMPARE(fs::exists(TempPath() / "save-aspect"), i > 2);
      Host->Aspect = captures[i].Video;
      TSaveAnswer answer;
      answer.Name = QString("Shot %1").arg(i);
      answer.Aspect = captures[i].Aspect;
      AnswerSave(answer);
      Manager->SaveImage();
      const TXmlNode& image = Films->Document().Root.Children.at(0).Children.at(0).Children.at(std::size_t(i));
      QCOMPARE(BitmapSize(DataFolder / image.Attribute("filename")), captures[i].Stored);
    }
  }

  // A library file written before the square-pixel choice existed reads and
  // writes back byte for byte; a square-pixel capture adds an element of the
  // same four attributes, so an older program reads the library as before.
  void anOlderLibraryFileKeepsItsBytesAndTakesASquarePixelCapture() {
    std::ifstream in(fs::path(KELTA_SOURCE_DIR) / "tests/library/corpus/example-library.xml", std::ios::binary);
    const std::string older((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    QVERIFY(older.find("<image name=\"Beach\"") != std::string::npos);
    Films.reset();
    std::ofstream(ConfigFile, std::ios::binary) << older;
    Films = std::make_unique<TFilmManager>(ConfigFile);
    QCOMPARE(Written(), older);

    Host->Aspect = TDisplayAspect{16, 9};
    Open();
    Focus(Node({0, 0}));
    TSaveAnswer answer;
    answer.Name = "Wide";
    answer.Aspect = 4;
    AnswerSave(answer);
    Manager->SaveImage();

    const TXmlNode& image = Films->Document().Root.Children.at(0).Children.at(0).Children.at(1);
    const std::string line = "      <image name=\"Wide\" filename=\"" + image.Attribute("filename") +
                             "\" thumbnail=\"" + image.Attribute("thumbnail") + "\" memo=\"\"/>\r\n";
    std::string expected = older;
    expected.insert(expected.find("    </film>"), line);
    std::ifstream written(ConfigFile, std::ios::binary);
    QCOMPARE(std::string((std::istreambuf_iterator<char>(written)), std::istreambuf_iterator<char>()), expected);
    QCOMPARE(BitmapSize(DataFolder / image.Attribute("filename")), QSize(1024, 576));
    QCOMPARE(BitmapSize(DataFolder / image.Attribute("thumbnail")), QSize(200, 112));
  }

  void saveImageWithoutAFilmShowsTheTipAndChangesNothing_data() {
    QTest::addColumn<int>("focus");  // -1 nothing, 0 root, 1 category
    QTest::newRow("nothing focused") << -1;
    QTest::newRow("root") << 0;
    QTest::newRow("category") << 1;
  }
  void saveImageWithoutAFilmShowsTheTipAndChangesNothing() {
    QFETCH(int, focus);
    Films->AddCategory(u"Holidays");
    Open();
    Focus(focus < 0 ? nullptr : focus == 0 ? Root() : Node({0}));
    Host->IsPlaying = true;
    const std::string before = Written();
    bool tipShown = false;
    WhenModal<TfilmTipDlg>([&](TfilmTipDlg* tip) {
      tipShown = true;
      QVERIFY(!Host->IsPlaying);  // paused while the tip is up
      QTest::keyClick(tip, Qt::Key_Escape);
    });
    Manager->SaveImage();
    QVERIFY(tipShown);
    QCOMPARE(Host->Pauses, 1);
    QCOMPARE(Host->Plays, 1);
    QCOMPARE(Written(), before);
    QVERIFY(!fs::exists(DataFolder));
    QCOMPARE(Node({0})->childCount(), 0);
  }

  void takenNamesAreRefusedInTheDialog_data() {
    QTest::addColumn<int>("what");  // 0 category, 1 film, 2 image
    QTest::addColumn<QString>("blanks");  // typed around the sibling's name
    for (const char* blanks : {"", " ", "  "}) {
      QTest::addRow("category, %d blanks", int(strlen(blanks))) << 0 << blanks;
      QTest::addRow("film, %d blanks", int(strlen(blanks))) << 1 << blanks;
      QTest::addRow("image, %d blanks", int(strlen(blanks))) << 2 << blanks;
    }
  }
  void takenNamesAreRefusedInTheDialog() {
    QFETCH(int, what);
    QFETCH(QString, blanks);
    MakeLibraryWithOneImage();
    const std::string before = Written();
    const auto filesBefore = FilesIn(DataFolder);
    const QString taken[] = {"Holidays", "Summer 2005", "Beach"};
    // Trailing blanks only for the film, leading ones too for the others.
    const QString typed = (what == 1 ? QString() : blanks) + taken[what] + blanks;
    TNameRefusal refusal;
    switch (what) {
      case 0:
        Focus(Node({0}));
        WhenModal<TnewCategoryDlg>([&](TnewCategoryDlg* d) {
          refusal.Answer(d, d->etCategoryName, d->btOk, d->btCancel, typed);
        });
        Manager->NewCategory();
        break;
      case 1:
        Focus(Node({0, 0, 0}));  // an image: the film goes to its category
        WhenModal<TnewFilmDlg>([&](TnewFilmDlg* d) {
          refusal.Answer(d, d->etFilmName, d->btOk, d->btCancel, typed);
        });
        Manager->NewFilm();
        break;
      default:
        Focus(Node({0, 0, 0}));  // an image: the picture goes to its film
        WhenModal<TSaveImageDlg>([&](TSaveImageDlg* d) {
          refusal.Answer(d, d->etName, d->btOk, d->btCancel, typed);
        });
        Manager->SaveImage();
        break;
    }
    QVERIFY(refusal.Seen.Shown);
    QCOMPARE(refusal.Seen.Title, QString("Information"));
    QCOMPARE(refusal.Seen.Icon, QMessageBox::Information);
    QCOMPARE(refusal.Kept, taken[what]);
    QCOMPARE(Written(), before);
    QCOMPARE(FilesIn(DataFolder), filesBefore);
    QCOMPARE(Root()->childCount(), 1);
    QCOMPARE(Node({0})->childCount(), 1);
    QCOMPARE(Node({0, 0})->childCount(), 1);
  }

  void imageFocusedAddsToItsFilmAndCategory() {
    MakeLibraryWithOneImage();
    Focus(Node({0, 0, 0}));
    AnswerSave(TSaveAnswer{"Dunes"});
    Manager->SaveImage();
    QCOMPARE(Node({0, 0})->text(0), QString("Summer 2005 (2)"));
    QCOMPARE(Node({0, 0, 1})->text(0), QString("Dunes"));
    Focus(Node({0, 0, 1}));
    AnswerName(&TnewFilmDlg::etFilmName, "Autumn");
    Manager->NewFilm();
    QCOMPARE(Node({0})->text(0), QString("Holidays (2)"));
    QCOMPARE(Node({0, 1})->text(0), QString("Autumn (0)"));
    QCOMPARE(Films->Document().Root.Children.at(0).Children.at(1).Attribute("name"), std::string("Autumn"));
    QCOMPARE(OnDisk(), Written());
  }

  // Every name the library is given, new or renamed, is kept without its
  // outer blanks; a name of blanks is refused like an empty one.
  void namesAreStoredWithoutTheirOuterBlanks() {
    Open();
    Focus(Root());
    AnswerName(&TnewCategoryDlg::etCategoryName, "  Holidays ");
    Manager->NewCategory();
    AnswerName(&TnewFilmDlg::etFilmName, "Summer 2005  ");
    Manager->NewFilm();
    TBoxSeen blank;
    WhenModal<TSaveImageDlg>([&blank](TSaveImageDlg* d) {
      d->etName->setText("   ");
      AnswerBox(blank, QMessageBox::Ok);
      d->btOk->click();
      d->etName->setText(" Beach");
      d->btOk->click();
    });
    Manager->SaveImage();
    QCOMPARE(blank.Text, QString("Please input a valid image name!"));
    QCOMPARE(Node({0})->text(0), QString("Holidays (1)"));
    QCOMPARE(Node({0, 0})->text(0), QString("Summer 2005 (1)"));
    QCOMPARE(Node({0, 0, 0})->text(0), QString("Beach"));
    auto names = [this] {
      const TXmlNode& category = Films->Document().Root.Children.at(0);
      const TXmlNode& film = category.Children.at(0);
      return QStringList{QString::fromStdString(category.Attribute("name")),
                         QString::fromStdString(film.Attribute("name")),
                         QString::fromStdString(film.Children.at(0).Attribute("name"))};
    };
    QCOMPARE(names(), (QStringList{"Holidays", "Summer 2005", "Beach"}));

    Focus(Node({0}));
    AnswerName(&TnewCategoryDlg::etCategoryName, " Trips ");
    Manager->EditNode();
    Focus(Node({0, 0}));
    AnswerName(&TnewFilmDlg::etFilmName, "\tAutumn ");
    Manager->EditNode();
    Focus(Node({0, 0, 0}));
    AnswerName(&TeditImageDlg::etImageName, "  Dunes  ");
    Manager->EditNode();
    QCOMPARE(Node({0})->text(0), QString("Trips (1)"));
    QCOMPARE(Node({0, 0})->text(0), QString("Autumn (1)"));
    QCOMPARE(Node({0, 0, 0})->text(0), QString("Dunes"));
    QCOMPARE(names(), (QStringList{"Trips", "Autumn", "Dunes"}));
    QCOMPARE(OnDisk(), Written());
  }

  // One question names what goes; on Yes it all goes, the library file
  // first, then the pictures of every image in it; other answers keep all.
  void deletingAsksOnceAndTakesEverythingInside_data() {
    QTest::addColumn<QList<int>>("path");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("question");
    QTest::addColumn<QStringList>("filesLeft");  // picture stems whose two files stay
    const QStringList all = {"Aa_1", "Bb_2", "Cc_3"};
    const int yes = QMessageBox::Yes;
    QTest::newRow("film of two images") << QList<int>{0, 0} << yes
                                        << "Delete the film 'Summer 2005' and its 2 images?" << QStringList{"Cc_3"};
    QTest::newRow("film of one image") << QList<int>{0, 1} << yes << "Delete the film 'Winter' and its 1 image?"
                                       << QStringList{"Aa_1", "Bb_2"};
    QTest::newRow("empty film") << QList<int>{0, 2} << yes << "Delete the film 'Spring'?" << all;
    QTest::newRow("category of films and images")
        << QList<int>{0} << yes << "Delete the category 'Holidays' with its 3 films and 3 images?" << QStringList{};
    QTest::newRow("category of one empty film") << QList<int>{2} << yes << "Delete the category 'Trips' with its 1 film?"
                                                << all;
    QTest::newRow("empty category") << QList<int>{1} << yes << "Delete the category 'Work'?" << all;
    QTest::newRow("image") << QList<int>{0, 0, 1} << yes << "Delete the image 'Dunes'?"
                           << QStringList{"Aa_1", "Cc_3"};
    QTest::newRow("film, No") << QList<int>{0, 0} << int(QMessageBox::No)
                              << "Delete the film 'Summer 2005' and its 2 images?" << all;
    QTest::newRow("category, Cancel") << QList<int>{0} << int(QMessageBox::Cancel)
                                      << "Delete the category 'Holidays' with its 3 films and 3 images?" << all;
  }
  void deletingAsksOnceAndTakesEverythingInside() {
    QFETCH(QList<int>, path);
    QFETCH(int, answer);
    QFETCH(QString, question);
    QFETCH(QStringList, filesLeft);
    Films->AddCategory(u"Holidays");
    Films->AddFilm(0, TImageLibraryFilmData{u"Summer 2005", 0});
    Films->AddFilm(0, TImageLibraryFilmData{u"Winter", 0});
    Films->AddFilm(0, TImageLibraryFilmData{u"Spring", 0});
    Films->AddImage(0, 0, {u"Beach", u"Aa_1.bmp", u"Aa_1_thumbnail.bmp", u""});
    Films->AddImage(0, 0, {u"Dunes", u"Bb_2.bmp", u"Bb_2_thumbnail.bmp", u""});
    Films->AddImage(0, 1, {u"Snow", u"Cc_3.bmp", u"Cc_3_thumbnail.bmp", u""});
    Films->AddCategory(u"Work");
    Films->AddCategory(u"Trips");
    Films->AddFilm(2, TImageLibraryFilmData{u"Rome", 0});
    fs::create_directory(DataFolder);
    for (const char* stem : {"Aa_1", "Bb_2", "Cc_3"})
      for (const char* tail : {".bmp", "_thumbnail.bmp"}) std::ofstream(DataFolder / (std::string(stem) + tail)) << "x";
    Open();
    QTreeWidgetItem* node = Root();
    for (int i : path) node = node->child(i);
    QTreeWidgetItem* parent = node->parent();
    const int siblings = parent->childCount();
    const QString name = node->text(0).section(" (", 0, 0);
    const std::string before = Written();
    Focus(node);
    TBoxSeen seen;
    AnswerBox(seen, QMessageBox::StandardButton(answer));
    Manager->DeleteNode();
    QCOMPARE(seen.Text, question);
    QCOMPARE(seen.Icon, QMessageBox::Question);
    std::vector<fs::path> expected;
    for (const QString& stem : filesLeft)
      for (const char* tail : {".bmp", "_thumbnail.bmp"}) expected.push_back(DataFolder / (stem.toStdString() + tail));
    std::sort(expected.begin(), expected.end());
    QCOMPARE(FilesIn(DataFolder), expected);
    if (answer != QMessageBox::Yes) {
      QCOMPARE(Written(), before);
      QCOMPARE(parent->childCount(), siblings);
      return;
    }
    QCOMPARE(parent->childCount(), siblings - 1);
    for (int i = 0; i < parent->childCount(); ++i) QVERIFY(parent->child(i)->text(0).section(" (", 0, 0) != name);
    if (path.size() > 1) QVERIFY2(parent->text(0).endsWith(QString("(%1)").arg(siblings - 1)), qPrintable(parent->text(0)));
    QVERIFY(Written().find("\"" + name.toStdString() + "\"") == std::string::npos);
    QCOMPARE(OnDisk(), Written());
  }

  void deletingAnImageRemovesElementFilesAndNode() {
    MakeLibraryWithOneImage();
    const fs::path picture = DataFolder / Films->Document().Root.Children[0].Children[0].Children[0].Attribute("filename");
    QVERIFY(fs::exists(picture));
    Focus(Node({0, 0, 0}));
    TBoxSeen seen;
    AnswerBox(seen, QMessageBox::No);
    Manager->DeleteNode();
    QCOMPARE(Node({0, 0})->childCount(), 1);
    QVERIFY(fs::exists(picture));

    const int clears = Host->Clears;
    AnswerBox(seen, QMessageBox::Yes);
    Manager->DeleteNode();
    QCOMPARE(seen.Text, QString("Delete the image 'Beach'?"));
    QCOMPARE(Node({0, 0})->childCount(), 0);
    QCOMPARE(Node({0, 0})->text(0), QString("Summer 2005 (0)"));
    QVERIFY(Films->Document().Root.Children[0].Children[0].Children.empty());
    QVERIFY(FilesIn(DataFolder).empty());
    QCOMPARE(Host->Clears, clears + 1);
    QCOMPARE(OnDisk(), Written());
  }

  // After a delete the thumbnail box shows the image the selection moved
  // to, and is blank once the selection is on no image.
  void afterADeleteTheBoxShowsTheNewlySelectedImage() {
    Films->AddCategory(u"Holidays");
    Films->AddFilm(0, TImageLibraryFilmData{u"Summer", 0});
    fs::create_directory(DataFolder);
    const QColor colours[] = {QColor(200, 0, 0), QColor(0, 200, 0), QColor(0, 0, 200)};
    const std::string stems[] = {"Aa_1", "Bb_2", "Cc_3"};
    for (int i = 0; i < 3; ++i) {
      Films->AddImage(0, 0, {AnsiToWide(stems[i]), AnsiToWide(stems[i] + ".bmp"),
                             AnsiToWide(stems[i] + "_thumbnail.bmp"), u""});
      std::ofstream(DataFolder / (stems[i] + ".bmp")) << "x";
      TFastDIB thumbnail;
      thumbnail.SetSize(80, 45, 24);
      thumbnail.Fill(TBGRColor{std::uint8_t(colours[i].blue()), std::uint8_t(colours[i].green()),
                               std::uint8_t(colours[i].red())});
      QVERIFY(thumbnail.SaveToFile((DataFolder / (stems[i] + "_thumbnail.bmp")).string()));
    }
    Open();
    auto shown = [this] { return Host->Thumbnail.pixelColor(Host->Thumbnail.rect().center()); };
    auto deleteFocused = [this] {
      TBoxSeen seen;
      AnswerBox(seen, QMessageBox::Yes);
      Manager->DeleteNode();
    };
    Focus(Node({0, 0, 1}));
    QCOMPARE(shown(), colours[1]);
    deleteFocused();
    QCOMPARE(Tree->currentItem()->text(0), QString("Cc_3"));
    QVERIFY(Tree->currentItem()->isSelected());
    QCOMPARE(shown(), colours[2]);
    deleteFocused();  // the last one: the selection moves up
    QCOMPARE(Tree->currentItem()->text(0), QString("Aa_1"));
    QCOMPARE(shown(), colours[0]);
    const int clears = Host->Clears;
    deleteFocused();
    QCOMPARE(Tree->currentItem(), Node({0, 0}));
    QCOMPARE(Host->Clears, clears + 1);
  }

  void deletingEmptyFilmsAndCategoriesLowersCounts() {
    Films->AddCategory(u"Holidays");
    Films->AddFilm(0, TImageLibraryFilmData{u"Summer", 0});
    Films->AddFilm(0, TImageLibraryFilmData{u"Winter", 0});
    Films->AddCategory(u"Work");
    Open();
    QCOMPARE(Node({0})->text(0), QString("Holidays (2)"));
    Focus(Node({0, 0}));
    TBoxSeen seen;
    AnswerBox(seen, QMessageBox::Yes);
    Manager->DeleteNode();
    QCOMPARE(Node({0})->text(0), QString("Holidays (1)"));
    QCOMPARE(Node({0, 0})->text(0), QString("Winter (0)"));
    Focus(Node({1}));
    AnswerBox(seen, QMessageBox::Yes);
    Manager->DeleteNode();
    QCOMPARE(Root()->childCount(), 1);
    QCOMPARE(Films->Document().Root.Children.size(), std::size_t(1));
    QCOMPARE(Films->Document().Root.Children[0].Children[0].Attribute("name"), std::string("Winter"));
    QCOMPARE(OnDisk(), Written());
  }

  void editingAnImageKeepsItsFiles() {
    MakeLibraryWithOneImage();
    const TXmlNode before = Films->Document().Root.Children[0].Children[0].Children[0];
    Focus(Node({0, 0, 0}));
    QString shownName;
    WhenModal<TeditImageDlg>([&](TeditImageDlg* d) {
      shownName = d->etImageName->text();
      d->etImageName->setText("Sunset");
      d->moMemo->setPlainText("red\nsky");
      d->btOk->click();
    });
    Manager->EditNode();
    QCOMPARE(shownName, QString("Beach"));
    const TXmlNode& after = Films->Document().Root.Children[0].Children[0].Children[0];
    QCOMPARE(after.Attribute("name"), std::string("Sunset"));
    QCOMPARE(after.Attribute("memo"), std::string("red\r\nsky"));
    QCOMPARE(after.Attribute("filename"), before.Attribute("filename"));
    QCOMPARE(after.Attribute("thumbnail"), before.Attribute("thumbnail"));
    QVERIFY(fs::exists(DataFolder / after.Attribute("filename")));
    QCOMPARE(Node({0, 0, 0})->text(0), QString("Sunset"));
    QCOMPARE(OnDisk(), Written());
    // The memo comes back into the editor with its lines.
    QString memo;
    WhenModal<TeditImageDlg>([&](TeditImageDlg* d) {
      memo = d->moMemo->toPlainText();
      d->btCancel->click();
    });
    Manager->EditNode();
    QCOMPARE(memo, QString("red\nsky"));
  }

  // Renaming refuses a sibling's name as New does, and keeps the dialog
  // open with it; keeping a node's own name is no clash.
  void renamingToASiblingsNameIsRefused_data() {
    QTest::addColumn<int>("what");  // 0 category, 1 film, 2 image
    QTest::addColumn<QString>("caption");
    QTest::newRow("category") << 0 << "Edit Category";
    QTest::newRow("film") << 1 << "Edit Film";
    QTest::newRow("image") << 2 << "Edit Image";
  }
  void renamingToASiblingsNameIsRefused() {
    QFETCH(int, what);
    QFETCH(QString, caption);
    Films->AddCategory(u"Holidays");
    Films->AddCategory(u"Work");
    Films->AddFilm(0, TImageLibraryFilmData{u"Summer", 0});
    Films->AddFilm(0, TImageLibraryFilmData{u"Winter", 0});
    Films->AddImage(0, 0, TImageLibraryImageData{u"Beach", u"a.bmp", u"a_t.bmp", u""});
    Films->AddImage(0, 0, TImageLibraryImageData{u"Dunes", u"b.bmp", u"b_t.bmp", u""});
    Open();
    Host->IsPlaying = true;
    const std::string before = Written();
    const QList<QTreeWidgetItem*> second = {Node({1}), Node({0, 1}), Node({0, 0, 1})};
    const QString taken[] = {"Holidays", "Summer", "Beach"};
    Focus(second[what]);
    TNameRefusal refusal;
    switch (what) {
      case 0:
        WhenModal<TnewCategoryDlg>([&](TnewCategoryDlg* d) {
          refusal.Answer(d, d->etCategoryName, d->btOk, d->btCancel, taken[what]);
        });
        break;
      case 1:
        WhenModal<TnewFilmDlg>([&](TnewFilmDlg* d) {
          refusal.Answer(d, d->etFilmName, d->btOk, d->btCancel, taken[what]);
        });
        break;
      default:
        WhenModal<TeditImageDlg>([&](TeditImageDlg* d) {
          refusal.Answer(d, d->etImageName, d->btOk, d->btCancel, taken[what]);
        });
        break;
    }
    Manager->EditNode();
    QCOMPARE(refusal.Caption, caption);
    QVERIFY(refusal.Seen.Shown);
    QCOMPARE(refusal.Seen.Title, QString("Information"));
    QCOMPARE(refusal.Kept, taken[what]);
    QCOMPARE(Written(), before);

    // Its own name again, with a new memo for an image, is accepted.
    const QString own[] = {"Work", "Winter", "Dunes"};
    auto keep = [&](QLineEdit* edit, QPushButton* ok) {
      QCOMPARE(edit->text(), own[what]);
      ok->click();
    };
    switch (what) {
      case 0:
        WhenModal<TnewCategoryDlg>([&](TnewCategoryDlg* d) { keep(d->etCategoryName, d->btOk); });
        break;
      case 1:
        WhenModal<TnewFilmDlg>([&](TnewFilmDlg* d) { keep(d->etFilmName, d->btOk); });
        break;
      default:
        WhenModal<TeditImageDlg>([&](TeditImageDlg* d) {
          d->moMemo->setPlainText("windy");
          keep(d->etImageName, d->btOk);
        });
        break;
    }
    Manager->EditNode();
    QCOMPARE(second[what]->text(0).section(' ', 0, 0), own[what]);
    if (what == 2) QCOMPARE(Films->Document().Root.Children[0].Children[0].Children[1].Attribute("memo"), "windy");
    // Editing leaves playback alone.
    QCOMPARE(Host->Pauses, 0);
    QVERIFY(Host->IsPlaying);
  }

  void creatingPausesAndResumesPlayback() {
    Open();
    Host->IsPlaying = true;
    Focus(Root());
    bool pausedMeanwhile = false;
    WhenModal<TnewCategoryDlg>([&](TnewCategoryDlg* d) {
      pausedMeanwhile = !Host->IsPlaying;
      d->etCategoryName->setText("Holidays");
      d->btOk->click();
    });
    Manager->NewCategory();
    QVERIFY(pausedMeanwhile);
    QVERIFY(Host->IsPlaying);
    QCOMPARE(Host->Pauses, 1);
    QCOMPARE(Host->Plays, 1);
    QVERIFY(Host->Repaints >= 1);
    QCOMPARE(Node({0})->text(0), QString("Holidays (0)"));
  }

  // A capture that cannot be stored adds nothing; the save dialog says why
  // and stays open with what was typed, so that Ok stores it once the cause
  // is gone.
  void aPictureThatCannotBeWrittenAddsNothingUntilSavedAgain() {
    Films->AddCategory(u"Holidays");
    Films->AddFilm(0, TImageLibraryFilmData{u"Summer", 0});
    // The data folder's place is taken by a file: nothing can be stored.
    std::ofstream(DataFolder) << "not a folder";
    Open();
    Host->IsPlaying = true;
    Focus(Node({0, 0}));
    const std::string before = Written();
    TBoxSeen seen;
    bool stillOpen = false;
    int imagesMeanwhile = -1;
    std::string writtenMeanwhile;
    WhenModal<TSaveImageDlg>([&](TSaveImageDlg* dialog) {
      dialog->etName->setText("Beach");
      dialog->moMemo->setPlainText("sand");
      AnswerBox(seen);
      dialog->btOk->click();
      stillOpen = dialog->isVisible();
      imagesMeanwhile = Node({0, 0})->childCount();
      writtenMeanwhile = Written();
      fs::remove(DataFolder);
      dialog->btOk->click();
    });
    Manager->SaveImage();
    QVERIFY(seen.Shown);
    QCOMPARE(seen.Icon, QMessageBox::Critical);
    QVERIFY2(seen.Text.contains("image folder"), qPrintable(seen.Text));
    QVERIFY(stillOpen);
    QCOMPARE(imagesMeanwhile, 0);
    QCOMPARE(writtenMeanwhile, before);
    QCOMPARE(Node({0, 0})->text(0), QString("Summer (1)"));
    QCOMPARE(Node({0, 0, 0})->text(0), QString("Beach"));
    QCOMPARE(Tree->currentItem(), Node({0, 0, 0}));
    const TXmlNode& image = Films->Document().Root.Children.at(0).Children.at(0).Children.at(0);
    QCOMPARE(image.Attribute("memo"), std::string("sand"));
    QCOMPARE(FilesIn(DataFolder).size(), std::size_t(2));
    QCOMPARE(OnDisk(), Written());
    QVERIFY(Host->IsPlaying);
  }

  // Opening a video: the dialog starts in the samples folder with every MPEG
  // video listed, a cancel resumes playback, a chosen file opens paused, and
  // the next dialog starts in its folder.
  void openVideoFileAsksPausesAndRemembersTheFolder() {
    Open();
    const QString clip = Dir->filePath("VTS_01_1.VOB");
    std::ofstream(clip.toStdString()) << "video";
    QString folder, filter;
    QStringList filters;
    auto note = [&](QFileDialog* dialog) {
      folder = dialog->directory().absolutePath();
      filters = dialog->nameFilters();
      filter = dialog->selectedNameFilter();
    };
    QCOMPARE(TImageLibraryManager::VideoFileStartFolder(),
             QString::fromStdString(ProgramFolder().string()) + "/samples");
    Host->IsPlaying = true;
    WhenModal<QFileDialog>([&](QFileDialog* dialog) {
      note(dialog);
      dialog->reject();
    });
    Manager->OpenVideoFile();
    QCOMPARE(filters, TImageLibraryManager::VideoFileFilters());
    QCOMPARE(filter, TImageLibraryManager::VideoFileFilters().constFirst());
    QVERIFY(Host->OpenedVideos.isEmpty());
    QCOMPARE(Host->Pauses, 1);
    QVERIFY(Host->IsPlaying);

    WhenModal<QFileDialog>([&](QFileDialog* dialog) {
      test::ChooseFile(dialog, clip);
      static_cast<QDialog*>(dialog)->accept();  // QFileDialog hides its override
    });
    Manager->OpenVideoFile();
    QCOMPARE(Host->OpenedVideos, QStringList{QFileInfo(clip).absoluteFilePath()});
    QVERIFY(!Host->IsPlaying);
    QCOMPARE(Host->Plays, 1);
    // Playback ran before the dialog: it resumes if the video does not open.
    QCOMPARE(Host->ResumeRequests, QList<bool>{true});

    WhenModal<QFileDialog>([&](QFileDialog* dialog) {
      note(dialog);
      dialog->reject();
    });
    Manager->OpenVideoFile();
    QCOMPARE(folder, QFileInfo(clip).absolutePath());
    QCOMPARE(filter, TImageLibraryManager::VideoFileFilters().constFirst());
    QCOMPARE(UnansweredModals(), 0);
  }

  // The Open dialog's first filter lists all video Kelta opens, MPEG and
  // Matroska and MP4 rips, in any letter case; the older, narrower filters
  // and one for rips stay as further choices.
  void openFilterListsEveryVideo_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("listed");
    for (const char* video : {"VTS_01_1.VOB", "clip.vob", "clip.mpg", "clip.MPEG", "clip.m2v", "clip.mpv",
                              "clip.ts", "clip.m2ts", "clip.mts", "film.mkv", "film.MP4", "film.m4v", "film.mov"})
      QTest::newRow(video) << video << true;
    for (const char* other : {"clip.avi", "clip.webm", "clip.mp2", "notes.txt", "vob"})
      QTest::newRow(other) << other << false;
  }
  void openFilterListsEveryVideo() {
    QFETCH(QString, file);
    QFETCH(bool, listed);
    const QStringList filters = TImageLibraryManager::VideoFileFilters();
    QCOMPARE(filters.mid(1), (QStringList{"DVD Video/Audio Files (vts*.vob)", "MPEG2 Video Files (*.vob *.mp2)",
                                          "Matroska and MP4 Video (*.mkv *.mp4 *.m4v *.mov)", "ALL Files (*)"}));
    const QString& first = filters.constFirst();
    const QString patterns = first.mid(first.indexOf('(') + 1).chopped(1);
    QCOMPARE(QDir::match(patterns, file), listed);
  }

  // After New Category, New Film and Save Image the new node is the focused
  // one with its parent open, so the next command acts on it; the new image's
  // thumbnail shows at once.
  void newNodesAreSelectedWithTheirParentOpen() {
    Open();
    Tree->collapseAll();
    Focus(Root());
    AnswerName(&TnewCategoryDlg::etCategoryName, "Holidays");
    Manager->NewCategory();
    QCOMPARE(Tree->currentItem(), Node({0}));
    AnswerName(&TnewFilmDlg::etFilmName, "Summer 2005");
    Manager->NewFilm();
    QCOMPARE(Tree->currentItem(), Node({0, 0}));
    QVERIFY(Node({0})->isExpanded());
    const int thumbnails = Host->Thumbnails;
    AnswerSave(TSaveAnswer{});
    Manager->SaveImage();
    QCOMPARE(Tree->currentItem(), Node({0, 0, 0}));
    QVERIFY(Node({0, 0})->isExpanded());
    QCOMPARE(Host->Thumbnails, thumbnails + 1);
    // The next Save Image goes into the same film.
    AnswerSave(TSaveAnswer{"Dunes"});
    Manager->SaveImage();
    QCOMPARE(Node({0, 0})->childCount(), 2);
  }
};

QTEST_MAIN(LibraryCommandsTest)
#include "LibraryCommandsTest.moc"

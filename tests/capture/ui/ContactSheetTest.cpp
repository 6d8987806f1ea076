// The contact sheet of a capture: every cell is its still made small, one
// pixel to one, in the grid the layout gives, under a heading.
#include <QImage>
#include <QTest>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "capture/CaptureCommand.h"
#include "capture/ContactSheet.h"
#include "capture/ui/ContactSheetPainter.h"
#include "imaging/FastDIB.h"
#include "support/TempFolder.h"
#include "support/VideoFixture.h"

namespace kelta {

class ContactSheetTest : public QObject {
  Q_OBJECT

 private slots:
  void cellsAreTheStillsAtCellSize() {
    test::TTempFolder folder;
    test::Mpeg2StreamOptions video;
    video.frames = 30;
    video.audio = false;
    video.aspectWidth = 16;
    video.aspectHeight = 9;
    const std::string path = (folder / "clip.mpg").string();
    test::WriteMpeg2ProgramStream(path, video);
    const std::string sheetFile = (folder / "sheet.png").string();
    std::ostringstream out, err;
    const int status = RunCaptureCommand({path, "--count", "5", "--format", "bmp", "--columns", "2", "--to",
                                          (folder / "stills").string(), "--sheet", sheetFile, "--json"},
                                         KELTA_PROGRAM_DIR, out, err, false, WriteContactSheet);
    QCOMPARE(status, 0);

    // The layout as the painter made it, from the stills as they were written.
    TContactSheet expected;
    expected.Columns = 2;
    std::vector<std::filesystem::path> stills(std::filesystem::directory_iterator(folder / "stills"), {});
    std::sort(stills.begin(), stills.end());  // names hold the time: their order is the capture's
    QCOMPARE(int(stills.size()), 5);
    for (const auto& still : stills) {
      TFastDIB picture;
      QVERIFY(picture.LoadFromFile(still.string()));
      // The stream's 16:9 at its width: 720 x 405, so cells of 320 x 180.
      QCOMPARE(picture.Width(), 720);
      expected.Cells.push_back(TSheetCell{SheetCellPicture(picture), {}});
    }
    const TSheetLayout layout = LayOutSheet(expected, SheetLineHeight());
    const QImage sheet = QImage(QString::fromStdString(sheetFile)).convertToFormat(QImage::Format_RGB32);
    QCOMPARE(sheet.size(), QSize(layout.Width, layout.Height));
    QCOMPARE(layout.Pictures.size(), std::size_t(5));
    for (std::size_t i = 0; i < expected.Cells.size(); ++i) {
      const TFastDIB& cell = expected.Cells[i].Picture;
      QCOMPARE(cell.RowCount(), 180);
      const TRect at = layout.Pictures[i];
      int differing = 0;
      for (int y = 0; y < cell.RowCount(); ++y)
        for (int x = 0; x < cell.Width(); ++x) {
          const std::uint8_t* p = cell.PixelPtr(x, y);
          if (sheet.pixel(at.Left + x, at.Top + y) != qRgb(p[2], p[1], p[0])) ++differing;
        }
      QCOMPARE(differing, 0);
      // The label sits under its cell: some of its pixels are text.
      bool text = false;
      const TRect label = layout.Labels[i];
      for (int y = label.Top; y < label.Bottom && !text; ++y)
        for (int x = label.Left; x < label.Right && !text; ++x) text = sheet.pixel(x, y) != qRgb(255, 255, 255);
      QVERIFY(text);
    }
    // A sheet of another kind is refused with the usage.
    std::ostringstream none, said;
    QCOMPARE(RunCaptureCommand({path, "--count", "2", "--to", "x", "--sheet", "sheet.gif"}, KELTA_PROGRAM_DIR, none,
                               said, false, WriteContactSheet),
             2);
    QVERIFY(said.str().find("--sheet writes a .png or a .pdf file") != std::string::npos);
  }

  // The same sheet twice, as a PDF too: the same bytes.
  void theSameCaptureGivesTheSameSheet() {
    test::TTempFolder folder;
    test::Mpeg2StreamOptions video;
    video.frames = 20;
    video.audio = false;
    const std::string path = (folder / "clip.mpg").string();
    test::WriteMpeg2ProgramStream(path, video);
    for (const char* kind : {"png", "pdf"}) {
      std::string bytes[2];
      for (int run = 0; run < 2; ++run) {
        if (run == 1) QTest::qWait(1100);
        const std::filesystem::path file = folder / ("sheet" + std::to_string(run) + "." + kind);
        std::ostringstream out, err;
        QCOMPARE(RunCaptureCommand({path, "--count", "3", "--to", (folder / "s").string(), "--sheet", file.string()},
                                   KELTA_PROGRAM_DIR, out, err, false, WriteContactSheet),
                 0);
        std::ifstream in(file, std::ios::binary);
        bytes[run] = std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
      }
      QVERIFY(!bytes[0].empty());
      QVERIFY2(bytes[0] == bytes[1], kind);
    }
  }
};

}  // namespace kelta

QTEST_MAIN(kelta::ContactSheetTest)
#include "ContactSheetTest.moc"

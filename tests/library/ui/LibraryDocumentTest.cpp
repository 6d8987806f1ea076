// Start-up's library document: an unreadable library file is reported with
// its path and left exactly as it was; a readable one is opened.

#include <QTemporaryDir>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "library/FilmManager.h"
#include "library/ui/LibraryDocument.h"

using namespace kelta;
namespace fs = std::filesystem;

namespace {

std::string ReadAll(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

}  // namespace

class LibraryDocumentTest : public QObject {
  Q_OBJECT
 private slots:
  void unreadableFileIsReportedAndLeftAlone_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("text before the root") << QByteArray("hello <films/>");
    QTest::newRow("unterminated element") << QByteArray("<films>\r\n  <category name=\"A\">\r\n");
  }
  void unreadableFileIsReportedAndLeftAlone() {
    QFETCH(QByteArray, content);
    QTemporaryDir dir;
    const fs::path config = fs::path(dir.path().toStdString()) / "config";
    std::ofstream(config, std::ios::binary) << content.toStdString();
    QStringList reports;
    auto document = OpenLibraryDocument(config, [&](const QString& message) { reports << message; });
    QVERIFY(document == nullptr);
    QCOMPARE(reports.size(), 1);
    QVERIFY2(reports[0].contains(QString::fromStdString(config.string())), qPrintable(reports[0]));
    QCOMPARE(ReadAll(config), content.toStdString());
    // Nothing beside it either: no temporary file left.
    QCOMPARE(std::distance(fs::directory_iterator(dir.path().toStdString()), fs::directory_iterator()), 1);
  }

  void readableFileOpensAndIsWrittenBackWhenClosed() {
    QTemporaryDir dir;
    const fs::path config = fs::path(dir.path().toStdString()) / "config";
    {
      bool reported = false;
      auto document = OpenLibraryDocument(config, [&](const QString&) { reported = true; });
      QVERIFY(document != nullptr);
      QVERIFY(!reported);
      document->AddCategory(u"Holidays");
    }
    QCOMPARE(ReadAll(config),
             std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<films>\r\n"
                         "  <category name=\"Holidays\"/>\r\n</films>\r\n"));
  }
};

QTEST_MAIN(LibraryDocumentTest)
#include "LibraryDocumentTest.moc"

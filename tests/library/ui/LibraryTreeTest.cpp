// The library tree built from a document: texts, hints, colours, the context
// menu's entries per level, and the thumbnail box on clicks.

#include <QApplication>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <filesystem>
#include <memory>

#include "support/ui/LibraryTestBase.h"
#include "editing/ui/ImageViewDlg.h"
#include "imaging/FastDIB.h"
#include "library/FilmManager.h"
#include "library/ui/ImageLibraryManager.h"
#include "library/ui/LibraryTreeItem.h"

using namespace kelta;
using namespace kelta::test;
namespace fs = std::filesystem;

class LibraryTreeTest : public TLibraryTestBase {
  Q_OBJECT

  TLibraryContextMenu Menu;

  void Open() {
    OpenLibrary(*Host, &Host->MainWindow);
    Tree->resize(245, 250);
    Menu = BuildLibraryContextMenu(&Host->MainWindow);
    Manager->SetContextMenu(Menu);
    Host->MainWindow.show();
  }

  // Holidays (Summer 2005 with Beach, Winter), then "50%2 off" without films.
  void FillLibrary() {
    Films->AddCategory(u"Holidays");
    Films->AddFilm(0, TImageLibraryFilmData{u"Summer 2005", 0});
    Films->AddFilm(0, TImageLibraryFilmData{u"Winter", 0});
    Films->AddImage(0, 0, TImageLibraryImageData{u"Beach", u"Bh7_1.bmp", u"Bh7_1_thumbnail.bmp", u"sunny\r\nwarm"});
    Films->AddCategory(u"50%2 off");
  }

  QTreeWidgetItem* Root() { return Tree->topLevelItem(0); }
  QTreeWidgetItem* Holidays() { return Root()->child(0); }
  QTreeWidgetItem* Summer() { return Holidays()->child(0); }
  QTreeWidgetItem* Beach() { return Summer()->child(0); }

  void ClickOn(QTreeWidgetItem* node) {
    const QRect r = Tree->visualItemRect(node);
    QTest::mouseClick(Tree->viewport(), Qt::LeftButton, {}, r.center());
  }

 private slots:
  void init() { QVERIFY(SetUpLibrary()); }
  void cleanup() { TearDownLibrary(); }

  void theTreeTakesItsControllerWithIt() {
    auto* tree = new QTreeWidget;
    LibraryManager = new TImageLibraryManager(tree, *Films, *Host, DataFolder, Dir->path().toStdString());
    QCOMPARE(LibraryManager->parent(), tree);
    delete tree;
    QVERIFY(LibraryManager == nullptr);
  }

  // Solid lines join each category to the root's line, passing by to the
  // next one, and end at the last.
  void connectingLinesAreDrawnInTheirColour() {
    FillLibrary();
    Open();
    QVERIFY(QTest::qWaitForWindowExposed(&Host->MainWindow));
    const QImage shown = Tree->viewport()->grab().toImage();
    const QColor line(0xC5, 0xC5, 0xC5);
    const QRect first = Tree->visualItemRect(Holidays()), last = Tree->visualItemRect(Root()->child(1));
    // The branch column of the categories lies one indentation left of their text.
    const int column = first.left() - Tree->indentation();
    auto lineAt = [&](int y) {
      for (int x = column; x < first.left(); ++x)
        if (shown.pixelColor(x, y) == line) return x;
      return -1;
    };
    const int x = lineAt(first.top() + 1);
    QVERIFY2(x >= 0, "no line beside the first category");
    // Down through the first category's row (around its expand arrow) and on into the last one's.
    for (int y : {first.top(), first.top() + 2, first.bottom() - 2, first.bottom(), last.top() + 1})
      QCOMPARE(shown.pixelColor(x, y), line);
    // Across to each category, and not past the last one.
    QCOMPARE(shown.pixelColor(first.left() - 2, first.top() + first.height() / 2), line);
    QVERIFY(shown.pixelColor(x, last.bottom()) != line);
    // The root has no parent: nothing above it.
    const QRect root = Tree->visualItemRect(Root());
    for (int rx = root.left() - Tree->indentation(); rx < root.left(); ++rx)
      QVERIFY(shown.pixelColor(rx, root.top()) != line);
  }

  void emptyLibraryShowsOnlyTheExpandedRoot() {
    Open();
    QCOMPARE(Tree->topLevelItemCount(), 1);
    QTreeWidgetItem* root = Root();
    QCOMPARE(root->text(0), QString("My Library"));
    QCOMPARE(root->childCount(), 0);
    QVERIFY(root->isExpanded());
    QVERIFY(!root->data(0, Qt::ToolTipRole).isValid());
    QVERIFY(root->font(0).bold());
    QCOMPARE(root->foreground(0).color(), QColor(128, 128, 128));
    QVERIFY(!root->icon(0).isNull());
  }

  void nodesShowTheirRecords() {
    FillLibrary();
    Open();
    QCOMPARE(Root()->childCount(), 2);
    QCOMPARE(Holidays()->text(0), QString("Holidays (2)"));
    QCOMPARE(Summer()->text(0), QString("Summer 2005 (1)"));
    QCOMPARE(Holidays()->child(1)->text(0), QString("Winter (0)"));
    QCOMPARE(Beach()->text(0), QString("Beach"));
    // A name that looks like a placeholder stays as typed.
    QCOMPARE(Root()->child(1)->text(0), QString("50%2 off (0)"));

    QCOMPARE(Holidays()->toolTip(0), QString("Category Name: Holidays\nFilms Count: 2"));
    QCOMPARE(Summer()->toolTip(0), QString("Film Name: Summer 2005\nImage Count: 1"));
    QCOMPARE(Beach()->toolTip(0),
             QString("Image Name: Beach\nFilename: Bh7_1.bmp\nThumbnail: Bh7_1_thumbnail.bmp\nMemo: sunny\r\nwarm"));

    QVERIFY(Root()->isExpanded());
    QVERIFY(!Holidays()->isExpanded());
    QVERIFY(!Summer()->isExpanded());
    for (QTreeWidgetItem* node : {Holidays(), Summer(), Beach()}) {
      QVERIFY(!node->font(0).bold());
      QCOMPARE(node->foreground(0).color(), QColor(128, 128, 128));
    }
    QCOMPARE(TLibraryTreeItem::Level(Root()), int(LevelRoot));
    QCOMPARE(TLibraryTreeItem::Level(Holidays()), int(LevelCategory));
    QCOMPARE(TLibraryTreeItem::Level(Summer()), int(LevelFilm));
    QCOMPARE(TLibraryTreeItem::Level(Beach()), int(LevelImage));
    QCOMPARE(TLibraryTreeItem::Record(Beach())->Image.FileName, std::u16string(u"Bh7_1.bmp"));
    // The four levels have four different icons.
    QImage a = Root()->icon(0).pixmap(16, 16).toImage();
    QImage b = Holidays()->icon(0).pixmap(16, 16).toImage();
    QImage c = Summer()->icon(0).pixmap(16, 16).toImage();
    QImage d = Beach()->icon(0).pixmap(16, 16).toImage();
    QVERIFY(a != b && a != c && a != d && b != c && b != d && c != d);
  }

  void contextMenuEntriesFollowLevelAndVideo_data() {
    QTest::addColumn<int>("level");  // -1: no node
    QTest::addColumn<bool>("video");
    // New Category, New Film, Save Image Here, Delete, Edit, Image.
    QTest::addColumn<QString>("enabled");
    for (bool video : {false, true}) {
      const char* v = video ? " with video" : " without video";
      QTest::newRow(qPrintable(QString("no node") + v)) << -1 << video << "100000";
      QTest::newRow(qPrintable(QString("root") + v)) << 0 << video << "100000";
      QTest::newRow(qPrintable(QString("category") + v)) << 1 << video << "110110";
      QTest::newRow(qPrintable(QString("film") + v)) << 2 << video << (video ? "111110" : "110110");
      QTest::newRow(qPrintable(QString("image") + v)) << 3 << video << (video ? "111111" : "110111");
    }
  }
  void contextMenuEntriesFollowLevelAndVideo() {
    QFETCH(int, level);
    QFETCH(bool, video);
    QFETCH(QString, enabled);
    FillLibrary();
    Open();
    Host->IsOpened = video;
    QTreeWidgetItem* nodes[] = {Root(), Holidays(), Summer(), Beach()};
    // Start from the opposite state so that every entry is really set.
    for (QAction* a : {Menu.pmiNewCategory, Menu.pmiNewFilm, Menu.pmiSaveImageHere, Menu.pmiDelete, Menu.pmiEdit,
                       Menu.pmImage->menuAction()})
      a->setEnabled(false);
    Manager->PrepareContextMenu(level < 0 ? nullptr : nodes[level]);
    QString seen;
    for (QAction* a : {Menu.pmiNewCategory, Menu.pmiNewFilm, Menu.pmiSaveImageHere, Menu.pmiDelete, Menu.pmiEdit,
                       Menu.pmImage->menuAction()})
      seen += a->isEnabled() ? '1' : '0';
    QCOMPARE(seen, enabled);
    QVERIFY(!Menu.pmThumbnail->menuAction()->isVisible());
  }

  void rightClickSelectsTheNodeOrOffersOnlyNewCategory() {
    FillLibrary();
    Open();
    Tree->expandAll();
    Tree->setCurrentItem(Root());
    Manager->PopupContextMenu(Tree->visualItemRect(Summer()).center());
    QCOMPARE(Tree->currentItem(), Summer());
    QVERIFY(Menu.pmiDelete->isEnabled());
    Menu.pmImageLibrary->hide();
    // Empty space below the last node.
    Manager->PopupContextMenu(QPoint(10, Tree->viewport()->height() - 3));
    QVERIFY(Menu.pmiNewCategory->isEnabled());
    QVERIFY(!Menu.pmiNewFilm->isEnabled());
    QVERIFY(!Menu.pmiDelete->isEnabled());
    Menu.pmImageLibrary->hide();
  }

  void clickShowsTheThumbnailWithAWhiteFrame() {
    FillLibrary();
    fs::create_directories(DataFolder);
    TFastDIB thumb;
    thumb.SetSize(200, 112, 24);
    thumb.Fill(TBGRColor{200, 100, 50});
    QVERIFY(thumb.SaveToFile((DataFolder / "Bh7_1_thumbnail.bmp").string()));
    Open();
    Tree->expandAll();
    ClickOn(Beach());
    QCOMPARE(Tree->currentItem(), Beach());
    QCOMPARE(Host->Thumbnails, 1);
    QCOMPARE(Host->Thumbnail.size(), QSize(200, 112));
    for (QPoint edge : {QPoint(0, 0), QPoint(199, 0), QPoint(0, 111), QPoint(199, 111), QPoint(100, 0)})
      QCOMPARE(Host->Thumbnail.pixelColor(edge), QColor(255, 255, 255));
    QCOMPARE(Host->Thumbnail.pixelColor(1, 1), QColor(50, 100, 200));

    // Another level blanks the box.
    ClickOn(Summer());
    QCOMPARE(Host->Clears, 1);

    // A thumbnail gone from the data folder leaves the box as it is.
    fs::remove(DataFolder / "Bh7_1_thumbnail.bmp");
    ClickOn(Beach());
    QCOMPARE(Host->Thumbnails, 1);
    QCOMPARE(Host->Clears, 1);
  }

  // Thumbnails of every stored shape show whole in the 241 x 128 box: those
  // taller than it scaled down to fit, with the white frame around them.
  void thumbnailsOfEveryShapeShowWhole_data() {
    QTest::addColumn<QSize>("stored");
    QTest::addColumn<QSize>("shown");
    QTest::newRow("as captured 720 x 576") << QSize(200, 160) << QSize(160, 128);
    QTest::newRow("4:3 and square pixels of 4:3") << QSize(200, 150) << QSize(171, 128);
    QTest::newRow("16:9") << QSize(200, 112) << QSize(200, 112);
    QTest::newRow("1.85:1") << QSize(200, 108) << QSize(200, 108);
  }
  void thumbnailsOfEveryShapeShowWhole() {
    QFETCH(QSize, stored);
    QFETCH(QSize, shown);
    FillLibrary();
    fs::create_directories(DataFolder);
    // Grey with a red band along the top and a blue one along the bottom.
    TFastDIB thumb;
    thumb.SetSize(stored.width(), stored.height(), 24);
    thumb.Fill(TBGRColor{128, 128, 128});
    for (int y = 0; y < 12; ++y)
      for (int x = 0; x < stored.width(); ++x) {
        *reinterpret_cast<TBGRColor*>(thumb.PixelPtr(x, y)) = TBGRColor{0, 0, 255};
        *reinterpret_cast<TBGRColor*>(thumb.PixelPtr(x, stored.height() - 1 - y)) = TBGRColor{255, 0, 0};
      }
    QVERIFY(thumb.SaveToFile((DataFolder / "Bh7_1_thumbnail.bmp").string()));
    Open();
    Tree->expandAll();
    ClickOn(Beach());
    QCOMPARE(Host->Thumbnail.size(), shown);
    const int w = shown.width(), h = shown.height();
    for (QPoint edge : {QPoint(0, 0), QPoint(w - 1, h - 1), QPoint(w / 2, 0), QPoint(w / 2, h - 1)})
      QCOMPARE(Host->Thumbnail.pixelColor(edge), QColor(255, 255, 255));
    QCOMPARE(Host->Thumbnail.pixelColor(w / 2, 3), QColor(255, 0, 0));
    QCOMPARE(Host->Thumbnail.pixelColor(w / 2, h - 4), QColor(0, 0, 255));
    QCOMPARE(Host->Thumbnail.pixelColor(w / 2, h / 2), QColor(128, 128, 128));
  }

  // Moving through the tree with the keyboard shows what a click would.
  void keyboardMovesShowTheThumbnail() {
    FillLibrary();
    fs::create_directories(DataFolder);
    TFastDIB thumb;
    thumb.SetSize(200, 112, 24);
    QVERIFY(thumb.SaveToFile((DataFolder / "Bh7_1_thumbnail.bmp").string()));
    Open();
    Tree->expandAll();
    Tree->setFocus();
    Tree->setCurrentItem(Summer());
    const int clears = Host->Clears;
    QTest::keyClick(Tree.get(), Qt::Key_Down);
    QCOMPARE(Tree->currentItem(), Beach());
    QCOMPARE(Host->Thumbnails, 1);
    QTest::keyClick(Tree.get(), Qt::Key_Down);
    QCOMPARE(Tree->currentItem(), Holidays()->child(1));
    QCOMPARE(Host->Clears, clears + 1);
  }

  void doubleClickOpensOnlyAnImageWhoseThumbnailExists() {
    FillLibrary();
    Open();
    Tree->expandAll();
    fs::create_directories(DataFolder);
    TFastDIB picture;
    picture.SetSize(64, 48, 24);
    QVERIFY(picture.SaveToFile((DataFolder / "Bh7_1.bmp").string()));
    int views = 0;
    // Closes the viewer if the double-click opens one, counting it.
    auto doubleClick = [&](QTreeWidgetItem* node) {
      QTimer::singleShot(0, [&views] {
        if (auto* viewer = qobject_cast<TimageViewDlg*>(QApplication::activeModalWidget())) {
          ++views;
          viewer->reject();
        }
      });
      ClickOn(node);
      QTest::mouseDClick(Tree->viewport(), Qt::LeftButton, {}, Tree->visualItemRect(node).center());
      QCoreApplication::processEvents();
    };
    doubleClick(Beach());
    QCOMPARE(views, 0);  // no thumbnail file yet

    TFastDIB thumb;
    thumb.SetSize(200, 112, 24);
    QVERIFY(thumb.SaveToFile((DataFolder / "Bh7_1_thumbnail.bmp").string()));
    doubleClick(Beach());
    QCOMPARE(views, 1);
    doubleClick(Summer());
    QCOMPARE(views, 1);
  }
};

QTEST_MAIN(LibraryTreeTest)
#include "LibraryTreeTest.moc"

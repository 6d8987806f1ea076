// The picture grid over the library tree: what it shows for the tree's
// current node, choosing and viewing in it, the tree's menu, the search, and
// moving an image onto another film by drag and drop.

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QScopeGuard>
#include <QTest>
#include <QTreeWidget>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "imaging/FastDIB.h"
#include "imaging/PictureFile.h"
#include "library/FilmManager.h"
#include "library/ui/ImageLibraryManager.h"
#include "library/ui/LibraryTreeFilter.h"
#include "library/ui/LibraryTreeItem.h"
#include "library/ui/PictureGrid.h"
#include "support/ui/LibraryTestBase.h"

using namespace kelta;
using namespace kelta::test;
namespace fs = std::filesystem;

class PictureGridTest : public TLibraryTestBase {
  Q_OBJECT

  std::unique_ptr<TPictureGrid> Grid;
  std::unique_ptr<QLineEdit> Field;
  TLibraryTreeFilter* Filter = nullptr;
  int Viewed = 0;
  int Menus = 0;

  // Holidays: Summer (Beach, Pier), Winter (Snow); Work: Meeting (Board).
  // Beach's thumbnail is red, the others have none on disk.
  void Open() {
    Films->AddCategory(u"Holidays");
    Films->AddFilm(0, TImageLibraryFilmData{u"Summer", 0});
    Films->AddFilm(0, TImageLibraryFilmData{u"Winter", 0});
    Films->AddImage(0, 0, TImageLibraryImageData{u"Beach", u"Aa_1.bmp", u"Aa_1_thumbnail.bmp", u"sunny"});
    Films->AddImage(0, 0, TImageLibraryImageData{u"Pier", u"Bb_2.bmp", u"Bb_2_thumbnail.bmp", u""});
    Films->AddImage(0, 1, TImageLibraryImageData{u"Snow", u"Cc_3.bmp", u"Cc_3_thumbnail.bmp", u""});
    Films->AddCategory(u"Work");
    Films->AddFilm(1, TImageLibraryFilmData{u"Meeting", 0});
    Films->AddImage(1, 0, TImageLibraryImageData{u"Board", u"Dd_4.bmp", u"Dd_4_thumbnail.bmp", u""});
    fs::create_directory(DataFolder);
    TFastDIB red;
    red.SetSize(160, 90, 24);
    for (int y = 0; y < 90; ++y)
      for (int x = 0; x < 160; ++x) {
        std::uint8_t* p = red.PixelPtr(x, y);
        p[0] = 0, p[1] = 0, p[2] = 220;
      }
    QVERIFY(red.SaveToFile((DataFolder / "Aa_1_thumbnail.bmp").string()));
    OpenLibrary(*Host, &Host->MainWindow);
    Field = std::make_unique<QLineEdit>(&Host->MainWindow);
    Filter = new TLibraryTreeFilter(Field.get(), Tree.get());
    Grid = std::make_unique<TPictureGrid>(Tree.get(), &Host->MainWindow);
    Grid->ThumbnailFile = [this](const std::u16string& name) { return Manager->DataFile(name); };
    Grid->ViewImage = [this] { ++Viewed; };
    Grid->PopupMenu = [this](const QPoint&) { ++Menus; };
    Grid->MoveImage = [this](QTreeWidgetItem* image, QTreeWidgetItem* film) { Manager->MoveImage(image, film); };
    Grid->ImagesOf = [this](QTreeWidgetItem* node) { return Filter->ImagesInSight(node); };
    connect(Filter, &TLibraryTreeFilter::Filtered, Grid.get(), [this] { Grid->ContentsChanged(); });
    Host->MainWindow.resize(800, 600);
    Tree->setGeometry(0, 0, 245, 400);
    Grid->setGeometry(250, 0, 500, 400);
    Host->MainWindow.show();
    QVERIFY(QTest::qWaitForWindowExposed(&Host->MainWindow));
  }

  QTreeWidgetItem* Node(std::initializer_list<int> path) {
    QTreeWidgetItem* node = Tree->topLevelItem(0);
    for (int i : path) node = node->child(i);
    return node;
  }

  QStringList Names() {
    Grid->Refresh();
    QStringList names;
    for (int i = 0; i < Grid->count(); ++i) names << Grid->item(i)->text();
    return names;
  }

  std::string OnDisk() {
    std::ifstream in(ConfigFile, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }

  // A drag of the grid's item onto a node of the tree, as the window system
  // delivers it while the grid drags (the tree then takes drops); whether
  // the tree took it.
  bool Drop(QListWidgetItem* item, QTreeWidgetItem* onto) {
    std::unique_ptr<QMimeData> carried(Grid->mimeData({item}));
    Tree->viewport()->setAcceptDrops(true);
    const auto after = qScopeGuard([this] { Tree->viewport()->setAcceptDrops(false); });
    const QPoint at = Tree->visualItemRect(onto).center();
    QDragEnterEvent enter(at, Qt::MoveAction, carried.get(), Qt::LeftButton, {});
    QCoreApplication::sendEvent(Tree->viewport(), &enter);
    QDragMoveEvent move(at, Qt::MoveAction, carried.get(), Qt::LeftButton, {});
    QCoreApplication::sendEvent(Tree->viewport(), &move);
    if (!move.isAccepted()) return false;
    QDropEvent drop(at, Qt::MoveAction, carried.get(), Qt::LeftButton, {});
    QCoreApplication::sendEvent(Tree->viewport(), &drop);
    return drop.isAccepted();
  }

 private slots:
  void init() {
    QVERIFY(SetUpLibrary());
    Viewed = Menus = 0;
  }
  void cleanup() {
    Grid.reset();
    Field.reset();
    TearDownLibrary();
  }

  // A film shows its images, a category all its films' images; an image
  // shows its film, or keeps the category it is in.
  void theGridFollowsTheTree() {
    Open();
    QCOMPARE(Names(), QStringList());
    Tree->setCurrentItem(Node({0, 0}));
    QCOMPARE(Names(), (QStringList{"Beach", "Pier"}));
    Tree->setCurrentItem(Node({0}));
    QCOMPARE(Names(), (QStringList{"Beach", "Pier", "Snow"}));
    Tree->setCurrentItem(Node({0, 1, 0}));
    QCOMPARE(Names(), (QStringList{"Beach", "Pier", "Snow"}));
    QCOMPARE(Grid->currentItem()->text(), QString("Snow"));
    Tree->setCurrentItem(Node({1, 0, 0}));
    QCOMPARE(Names(), QStringList{"Board"});
    QVERIFY(Grid->Shown() == Node({1, 0}));
  }

  // The thumbnails are read into the grid, shrunk into its icons.
  void thumbnailsShowInTheGrid() {
    Open();
    Tree->setCurrentItem(Node({0, 0}));
    Grid->Refresh();
    QTest::qWait(20);
    const QImage beach = Grid->item(0)->icon().pixmap(TPictureGrid::IconWidth, TPictureGrid::IconHeight).toImage();
    QCOMPARE(beach.width(), TPictureGrid::IconWidth);
    QCOMPARE(beach.pixelColor(beach.width() / 2, beach.height() / 2), QColor(220, 0, 0));
    const QImage pier = Grid->item(1)->icon().pixmap(TPictureGrid::IconWidth, TPictureGrid::IconHeight).toImage();
    QVERIFY(pier.pixelColor(pier.width() / 2, pier.height() / 2) != QColor(220, 0, 0));
  }

  // Keys move through the grid and choose in the tree; Enter and a double
  // click view; a right click shows the tree's menu for the picture.
  void choosingInTheGridChoosesInTheTree() {
    Open();
    Tree->setCurrentItem(Node({0}));
    Grid->Refresh();
    Grid->setFocus();
    Grid->setCurrentItem(Grid->item(0));
    QCOMPARE(Tree->currentItem(), Node({0, 0, 0}));
    // The tree's rows stay where they are (a drag may be on its way to one).
    QVERIFY(!Node({0, 0})->isExpanded());
    QTest::keyClick(Grid.get(), Qt::Key_Right);
    QCOMPARE(Tree->currentItem(), Node({0, 0, 1}));
    QTest::keyClick(Grid.get(), Qt::Key_End);
    QCOMPARE(Tree->currentItem(), Node({0, 1, 0}));
    QCOMPARE(Names(), (QStringList{"Beach", "Pier", "Snow"}));
    QTest::keyClick(Grid.get(), Qt::Key_Return);
    QCOMPARE(Viewed, 1);
    const QRect pier = Grid->visualItemRect(Grid->item(1));
    QTest::mouseClick(Grid->viewport(), Qt::LeftButton, {}, pier.center());
    QTest::mouseDClick(Grid->viewport(), Qt::LeftButton, {}, pier.center());
    QCOMPARE(Viewed, 2);
    QCOMPARE(Tree->currentItem(), Node({0, 0, 1}));
    Tree->setCurrentItem(Node({1}));
    QCOMPARE(Names(), QStringList{"Board"});
    emit Grid->customContextMenuRequested(Grid->visualItemRect(Grid->item(0)).center());
    QCOMPARE(Menus, 1);
    QCOMPARE(Tree->currentItem(), Node({1, 0, 0}));
  }

  // The grid shows what the search leaves in the tree.
  void theSearchFiltersTheGrid() {
    Open();
    Tree->setCurrentItem(Node({0}));
    QCOMPARE(Names().size(), 3);
    QTest::keyClicks(Field.get(), "pi");
    QCOMPARE(Names(), QStringList{"Pier"});
    QTest::keyClick(Field.get(), Qt::Key_Escape);
    QCOMPARE(Names().size(), 3);
  }

  // An image dropped on another film (or on an image of it) moves there in
  // the library file at once, with its counts; not on its own film, a
  // category, or a film holding an image of its name.
  void droppingAnImageOnAFilmMovesIt() {
    Open();
    Node({0})->setExpanded(true);
    Node({1})->setExpanded(true);
    Tree->setCurrentItem(Node({0, 0}));
    QCOMPARE(Names(), (QStringList{"Beach", "Pier"}));
    const std::string before = OnDisk();
    QVERIFY(!Drop(Grid->item(0), Node({0, 0})));
    QVERIFY(!Drop(Grid->item(0), Node({1})));
    QCOMPARE(OnDisk(), before);

    QVERIFY(Drop(Grid->item(0), Node({1, 0})));
    QCOMPARE(Names(), QStringList{"Pier"});
    QCOMPARE(Node({0, 0})->text(0), QString("Summer (1)"));
    QCOMPARE(Node({1, 0})->text(0), QString("Meeting (2)"));
    QCOMPARE(Node({1, 0, 1})->text(0), QString("Beach"));
    const TXmlNode& meeting = Films->Document().Root.Children.at(1).Children.at(0);
    QCOMPARE(meeting.Children.size(), std::size_t(2));
    QCOMPARE(meeting.Children[1].Attribute("memo"), std::string("sunny"));
    TFilmManager reread(TempPath() / "reread");
    reread.Load(ConfigFile);
    QCOMPARE(reread.Document().Root.Children.at(1).Children.at(0).Children.size(), std::size_t(2));

    // Onto an image of Winter: into Winter.
    Node({0, 1})->setExpanded(true);
    QVERIFY(Drop(Grid->item(0), Node({0, 1, 0})));
    QCOMPARE(Node({0, 1})->text(0), QString("Winter (2)"));
    QCOMPARE(Names(), QStringList());

    // A name Winter already has.
    Films->AddImage(1, 0, TImageLibraryImageData{u"Snow", u"Ee_5.bmp", u"Ee_5_thumbnail.bmp", u""});
    TImageLibraryNodeData snow;
    snow.Image = TImageLibraryImageData{u"Snow", u"Ee_5.bmp", u"Ee_5_thumbnail.bmp", u""};
    Manager->AppendChild(Node({1, 0}), snow);
    Tree->setCurrentItem(Node({1, 0}));
    QCOMPARE(Names(), (QStringList{"Board", "Beach", "Snow"}));
    const std::string kept = OnDisk();
    Drop(Grid->item(2), Node({0, 1}));
    QCOMPARE(OnDisk(), kept);
    QCOMPARE(Node({1, 0})->childCount(), 3);
    QVERIFY(Host->Explanations.last().contains("already holds an image named 'Snow'"));
  }
};

QTEST_MAIN(PictureGridTest)
#include "PictureGridTest.moc"

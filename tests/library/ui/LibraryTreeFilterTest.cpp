// The search field over the library tree: which nodes stay in sight for what
// is typed, Enter and Escape, and the commands on a filtered tree.

#include <QLineEdit>
#include <QTest>
#include <QTreeWidget>
#include <filesystem>
#include <fstream>
#include <set>

#include "library/FilmManager.h"
#include "library/ui/ImageLibraryManager.h"
#include "library/ui/LibraryTreeFilter.h"
#include "library/ui/LibraryTreeItem.h"
#include "library/ui/SearchFold.h"
#include "support/ui/LibraryTestBase.h"
#include "support/ui/ModalAnswer.h"

using namespace kelta;
using namespace kelta::test;
namespace fs = std::filesystem;

class LibraryTreeFilterTest : public TLibraryTestBase {
  Q_OBJECT

  std::unique_ptr<QLineEdit> Field;
  TLibraryTreeFilter* Filter = nullptr;
  int Viewed = 0;

  // Holidays: Summer 2005 (Beach "sunny", Château "Loire"), Winter (Snow);
  // Work: Meeting (Whiteboard "ÉTÉ plans").
  void Open() {
    Films->AddCategory(u"Holidays");
    Films->AddFilm(0, TImageLibraryFilmData{u"Summer 2005", 0});
    Films->AddFilm(0, TImageLibraryFilmData{u"Winter", 0});
    Films->AddImage(0, 0, TImageLibraryImageData{u"Beach", u"Aa_1.bmp", u"Aa_1_thumbnail.bmp", u"sunny"});
    Films->AddImage(0, 0, TImageLibraryImageData{u"Château", u"Bb_2.bmp", u"Bb_2_thumbnail.bmp", u"Loire"});
    Films->AddImage(0, 1, TImageLibraryImageData{u"Snow", u"Cc_3.bmp", u"Cc_3_thumbnail.bmp", u""});
    Films->AddCategory(u"Work");
    Films->AddFilm(1, TImageLibraryFilmData{u"Meeting", 0});
    Films->AddImage(1, 0, TImageLibraryImageData{u"Whiteboard", u"Dd_4.bmp", u"Dd_4_thumbnail.bmp", u"ÉTÉ plans"});
    OpenLibrary(*Host, &Host->MainWindow);
    Field = std::make_unique<QLineEdit>(&Host->MainWindow);
    Filter = new TLibraryTreeFilter(Field.get(), Tree.get());
    Filter->ViewImage = [this] { ++Viewed; };
  }

  // Key by key; QTest types ASCII only, so other letters are inserted as an
  // input method would.
  void Type(const QString& text) {
    for (QChar c : text) {
      if (c.unicode() < 0x80)
        QTest::keyClick(Field.get(), c.toLatin1());
      else
        Field->insert(QString(c));
    }
  }

  // The names of the nodes in sight: shown themselves and all their parents.
  QStringList InSight() {
    QStringList names;
    std::function<void(QTreeWidgetItem*)> walk = [&](QTreeWidgetItem* node) {
      for (int i = 0; i < node->childCount(); ++i) {
        QTreeWidgetItem* child = node->child(i);
        if (child->isHidden()) continue;
        names << child->text(0).section(" (", 0, 0);
        walk(child);
      }
    };
    walk(Tree->topLevelItem(0));
    return names;
  }

  QTreeWidgetItem* Node(std::initializer_list<int> path) {
    QTreeWidgetItem* node = Tree->topLevelItem(0);
    for (int i : path) node = node->child(i);
    return node;
  }

 private slots:
  void init() {
    QVERIFY(SetUpLibrary());
    Viewed = 0;
  }
  void cleanup() {
    Field.reset();
    TearDownLibrary();
  }

  void foldingIgnoresCaseAndAccents_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("folded");
    QTest::newRow("ascii") << "Summer 2005" << "summer 2005";
    QTest::newRow("accents") << "ÉTÉ à Noël" << "ete a noel";
    QTest::newRow("cedilla") << "Façade" << "facade";
    QTest::newRow("sharp s") << "Straße" << "strasse";
    QTest::newRow("ligatures") << "Œuvre ﬁn Æ" << "oeuvre fin ae";
    QTest::newRow("slashed") << "Øresund Łódź" << "oresund lodz";
    QTest::newRow("greek") << "ΆΛΦΑ" << "αλφα";
  }
  void foldingIgnoresCaseAndAccents() {
    QFETCH(QString, text);
    QFETCH(QString, folded);
    QCOMPARE(QString::fromStdU16String(FoldForSearch(text.toStdU16String())), folded);
  }

  // `opened`: the categories and films in sight that are open.
  void typingShowsTheHitsAndTheWayToThem_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("inSight");
    QTest::addColumn<QStringList>("opened");
    const QStringList holidays{"Holidays", "Summer 2005"};
    QTest::newRow("image name") << "beach" << QStringList{"Holidays", "Summer 2005", "Beach"} << holidays;
    QTest::newRow("case and accent") << "CHATEAU" << QStringList{"Holidays", "Summer 2005", "Château"} << holidays;
    QTest::newRow("memo") << "Sunny" << QStringList{"Holidays", "Summer 2005", "Beach"} << holidays;
    QTest::newRow("accented query, memo") << "été" << QStringList{"Work", "Meeting", "Whiteboard"}
                                          << QStringList{"Work", "Meeting"};
    QTest::newRow("part of a word") << "oir" << QStringList{"Holidays", "Summer 2005", "Château"} << holidays;
    QTest::newRow("film shows its images") << "winter" << QStringList{"Holidays", "Winter", "Snow"}
                                           << QStringList{"Holidays"};
    QTest::newRow("category shows all it holds")
        << "holidays" << QStringList{"Holidays", "Summer 2005", "Beach", "Château", "Winter", "Snow"} << QStringList{};
    QTest::newRow("words over the parents") << "2005 beach" << QStringList{"Holidays", "Summer 2005", "Beach"}
                                            << holidays;
    QTest::newRow("every word counts") << "beach snow" << QStringList{} << QStringList{};
    QTest::newRow("hits at every level")
        << "n" << QStringList{"Holidays", "Summer 2005", "Beach", "Winter", "Snow", "Work", "Meeting", "Whiteboard"}
        << QStringList{"Holidays", "Summer 2005", "Work"};
    QTest::newRow("nothing") << "zebra" << QStringList{} << QStringList{};
    QTest::newRow("blanks") << "   "
                            << QStringList{"Holidays", "Summer 2005", "Beach", "Château", "Winter", "Snow", "Work",
                                           "Meeting", "Whiteboard"}
                            << QStringList{};
  }
  void typingShowsTheHitsAndTheWayToThem() {
    QFETCH(QString, typed);
    QFETCH(QStringList, inSight);
    QFETCH(QStringList, opened);
    Open();
    Type(typed);
    QCOMPARE(InSight(), inSight);
    QStringList open;
    for (QTreeWidgetItem* node : {Node({0}), Node({0, 0}), Node({0, 1}), Node({1}), Node({1, 0})}) {
      bool shown = true;
      for (QTreeWidgetItem* p = node; p; p = p->parent()) shown = shown && !p->isHidden();
      if (shown && node->isExpanded()) open << node->text(0).section(" (", 0, 0);
    }
    QCOMPARE(open, opened);
  }

  // Many hits open no way (the person opens it, filtered); few hits open
  // theirs. A node closed again and opened later shows its children as the
  // search at that time wants them.
  void onlyShortWaysAreOpened() {
    Films->AddCategory(u"Archive");
    for (int i = 0; i < 2 * TLibraryTreeFilter::MostOpenedForHits; ++i) {
      const std::u16string n = QString::number(i).toStdU16String();
      Films->AddFilm(0, TImageLibraryFilmData{u"Reel " + n, 0});
      Films->AddImage(0, i, TImageLibraryImageData{u"Shot " + n, u"Shot" + n + u".bmp", u"", u""});
    }
    Films->AddImage(0, 1, TImageLibraryImageData{u"Extra", u"Extra.bmp", u"", u""});
    OpenLibrary(*Host, &Host->MainWindow);
    Field = std::make_unique<QLineEdit>(&Host->MainWindow);
    Filter = new TLibraryTreeFilter(Field.get(), Tree.get());
    QTreeWidgetItem* archive = Node({0});
    QTreeWidgetItem* reel1 = Node({0, 1});

    Type("shot");
    QVERIFY(!archive->isHidden());
    QVERIFY(!archive->isExpanded());
    archive->setExpanded(true);
    QVERIFY(!reel1->isHidden());
    QVERIFY(!reel1->isExpanded());
    reel1->setExpanded(true);
    QVERIFY(!reel1->child(0)->isHidden());
    QVERIFY(reel1->child(1)->isHidden());
    reel1->setExpanded(false);

    QTest::keyClick(Field.get(), Qt::Key_Escape);
    Type("extra");
    QVERIFY(archive->isExpanded() && reel1->isExpanded());
    QVERIFY(reel1->child(0)->isHidden());
    QVERIFY(Node({0, 2})->isHidden());
    // Reel 1 is a hit itself now: it closes, and shows all it holds when opened.
    Field->setText("reel 1");
    QVERIFY(!reel1->isExpanded());
    QVERIFY(!Node({0, 10})->isHidden());
    QVERIFY(Node({0, 2})->isHidden());
    reel1->setExpanded(true);
    QVERIFY(!reel1->child(0)->isHidden());
    QVERIFY(!reel1->child(1)->isHidden());
  }

  // A node renamed while searching is found by its new name from the next key on.
  void aRenamedNodeIsFoundByItsNewName() {
    Open();
    Type("qua");
    QCOMPARE(InSight(), QStringList());
    auto* beach = static_cast<TLibraryTreeItem*>(Node({0, 0, 0}));
    beach->Data.Image.Name = u"Quay";
    beach->Invalidate();
    Type("y");
    QCOMPARE(InSight(), (QStringList{"Holidays", "Summer 2005", "Quay"}));
    QCOMPARE(Filter->FirstHit(), static_cast<QTreeWidgetItem*>(beach));
  }

  // Nodes removed and added while searching (a delete, a save, a move) are
  // searched by their own text from the next key on.
  void changedNodesAreSearchedByTheirOwnText() {
    Open();
    Type("snow");
    Manager->RemoveNode(Node({0, 1, 0}));
    TImageLibraryNodeData hail;
    hail.Image = TImageLibraryImageData{u"Hail", u"Ee_5.bmp", u"Ee_5_thumbnail.bmp", u""};
    Manager->AppendChild(Node({0, 1}), hail);
    Field->setText("hail");
    QCOMPARE(InSight(), (QStringList{"Holidays", "Winter", "Hail"}));
    Field->setText("snow");
    QCOMPARE(InSight(), QStringList());
    // Beach moved into Winter, as the picture grid's drop moves it.
    QTreeWidgetItem* beach = Node({0, 0, 0});
    Node({0, 0})->removeChild(beach);
    Node({0, 1})->addChild(beach);
    Field->setText("sunny");
    QCOMPARE(InSight(), (QStringList{"Holidays", "Winter", "Beach"}));
  }

  // Escape empties the field and the whole tree comes back, opened as it was
  // but for the way to the node chosen meanwhile.
  void escapeShowsTheWholeTreeAgain() {
    Open();
    Node({1})->setExpanded(true);
    QVERIFY(!Node({0})->isExpanded());
    Type("beach");
    QVERIFY(Node({0})->isExpanded() && Node({0, 0})->isExpanded());
    QVERIFY(Node({1})->isHidden());
    QTest::keyClick(Field.get(), Qt::Key_Escape);
    QCOMPARE(Field->text(), QString());
    QCOMPARE(InSight().size(), 9);
    QVERIFY(!Node({0})->isExpanded());
    QVERIFY(Node({1})->isExpanded());

    Type("snow");
    Tree->setCurrentItem(Node({0, 1, 0}));
    QTest::keyClick(Field.get(), Qt::Key_Escape);
    QVERIFY(Node({0})->isExpanded() && Node({0, 1})->isExpanded());
    QVERIFY(!Node({0, 0})->isExpanded());
    QCOMPARE(Tree->currentItem(), Node({0, 1, 0}));
  }

  // Enter makes the first hit current, and views it when it is an image.
  void enterGoesToTheFirstHit_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("current");
    QTest::addColumn<int>("viewed");
    QTest::newRow("image") << "chat" << "Château" << 1;
    QTest::newRow("the tree's order") << "o" << "Holidays (2)" << 0;
    QTest::newRow("memo") << "plans" << "Whiteboard" << 1;
    QTest::newRow("film") << "meet" << "Meeting (1)" << 0;
    QTest::newRow("nothing") << "zebra" << "My Library" << 0;
  }
  void enterGoesToTheFirstHit() {
    QFETCH(QString, typed);
    QFETCH(QString, current);
    QFETCH(int, viewed);
    Open();
    Tree->setCurrentItem(Tree->topLevelItem(0));
    Type(typed);
    QTest::keyClick(Field.get(), Qt::Key_Return);
    QCOMPARE(Tree->currentItem()->text(0), current);
    QCOMPARE(Viewed, viewed);
  }

  // The commands count the hidden nodes: deleting a hit removes its own
  // entry, and the node chosen after it is one in sight.
  void commandsWorkOnTheFilteredTree() {
    Open();
    fs::create_directory(DataFolder);
    for (const char* stem : {"Aa_1", "Bb_2", "Cc_3", "Dd_4"})
      for (const char* tail : {".bmp", "_thumbnail.bmp"}) std::ofstream(DataFolder / (std::string(stem) + tail)) << "x";
    Type("chateau");
    Tree->setCurrentItem(Node({0, 0, 1}));
    TBoxSeen seen;
    AnswerBox(seen, QMessageBox::Yes);
    Manager->DeleteNode();
    QCOMPARE(seen.Text, QString("Delete the image 'Château'?"));
    const TXmlNode& summer = Films->Document().Root.Children.at(0).Children.at(0);
    QCOMPARE(summer.Children.size(), std::size_t(1));
    QCOMPARE(summer.Children[0].Attribute("name"), std::string("Beach"));
    QVERIFY(fs::exists(DataFolder / "Aa_1.bmp"));
    QVERIFY(!fs::exists(DataFolder / "Bb_2.bmp"));
    QTest::qWait(10);
    QTreeWidgetItem* now = Tree->currentItem();
    QVERIFY(now != nullptr);
    for (QTreeWidgetItem* p = now; p; p = p->parent()) QVERIFY2(!p->isHidden(), qPrintable(now->text(0)));

    // A node made while filtering is in sight until the search changes.
    QTest::keyClick(Field.get(), Qt::Key_Escape);
    Type("beach");
    TImageLibraryNodeData pier;
    pier.Image = TImageLibraryImageData{u"Pier", u"Ee_5.bmp", u"Ee_5_thumbnail.bmp", u""};
    QVERIFY(!Manager->AppendChild(Node({0, 0}), pier)->isHidden());
    QCOMPARE(InSight(), (QStringList{"Holidays", "Summer 2005", "Beach", "Pier"}));
    QTest::keyClick(Field.get(), Qt::Key_Backspace);
    QCOMPARE(InSight(), (QStringList{"Holidays", "Summer 2005", "Beach"}));
    QTest::keyClick(Field.get(), Qt::Key_Escape);
    QCOMPARE(InSight().size(), 9);
  }
};

QTEST_MAIN(LibraryTreeFilterTest)
#include "LibraryTreeFilterTest.moc"

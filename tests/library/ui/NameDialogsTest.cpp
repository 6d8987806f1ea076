// The name dialogs, the deletion question and the fixed notices, driven as a
// user would: typing, Enter, Escape and the buttons of the boxes they open.

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <memory>

#include "support/ui/ModalAnswer.h"
#include "library/ui/ActionWarnning.h"
#include "library/ui/CusException.h"
#include "library/ui/EditImageDlg.h"
#include "library/ui/FilmTipDlg.h"
#include "library/ui/NewCategoryDlg.h"
#include "library/ui/NewFilmDlg.h"

using namespace kelta;
using namespace kelta::test;

namespace {

enum class TKind { Category, Film, Image };

// One dialog of the kind with access to its name edit.
struct TAnyNameDlg {
  std::unique_ptr<TNameDlg> Dialog;
  QLineEdit* Edit = nullptr;
};

TAnyNameDlg Make(TKind kind) {
  TAnyNameDlg made;
  switch (kind) {
    case TKind::Category: {
      auto* d = new TnewCategoryDlg;
      made.Edit = d->etCategoryName;
      made.Dialog.reset(d);
      break;
    }
    case TKind::Film: {
      auto* d = new TnewFilmDlg;
      made.Edit = d->etFilmName;
      made.Dialog.reset(d);
      break;
    }
    case TKind::Image: {
      auto* d = new TeditImageDlg;
      made.Edit = d->etImageName;
      made.Dialog.reset(d);
      break;
    }
  }
  return made;
}

}  // namespace

Q_DECLARE_METATYPE(TKind)

class NameDialogsTest : public QObject {
  Q_OBJECT
 private slots:
  void init() { UnansweredModals() = 0; }
  void cleanup() { QCOMPARE(UnansweredModals(), 0); }

  void kinds_data() {
    QTest::addColumn<TKind>("kind");
    QTest::addColumn<QString>("what");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("editCaption");
    QTest::addColumn<QSize>("size");
    QTest::newRow("category") << TKind::Category << "category name" << "New Category" << "Edit Category"
                              << QSize(434, 146);
    QTest::newRow("film") << TKind::Film << "film name" << "New Film" << "Edit Film" << QSize(434, 146);
    QTest::newRow("image") << TKind::Image << "image name" << "Edit Image" << "Edit Image" << QSize(434, 333);
  }

  // A name of blanks would show as an empty row: it is no name either.
  void emptyNameIsRefusedAndTheDialogStaysOpen_data() {
    QTest::addColumn<TKind>("kind");
    QTest::addColumn<QString>("what");
    QTest::addColumn<QString>("typed");
    const std::pair<const char*, QString> names[] = {{"empty", ""}, {"spaces", "   "}, {"tab", " \t "}};
    for (const auto& [tag, typed] : names) {
      QTest::addRow("category, %s", tag) << TKind::Category << "category name" << typed;
      QTest::addRow("film, %s", tag) << TKind::Film << "film name" << typed;
      QTest::addRow("image, %s", tag) << TKind::Image << "image name" << typed;
    }
  }
  void emptyNameIsRefusedAndTheDialogStaysOpen() {
    QFETCH(TKind, kind);
    QFETCH(QString, what);
    QFETCH(QString, typed);
    TAnyNameDlg d = Make(kind);
    TBoxSeen seen;
    bool stillOpen = false;
    WhenModal<TNameDlg>([&](TNameDlg* dlg) {
      d.Edit->setText(typed);
      AnswerBox(seen, QMessageBox::Ok);
      dlg->btOk->click();
      stillOpen = dlg->isVisible();
      dlg->btCancel->click();
    });
    d.Dialog->exec();
    QVERIFY(seen.Shown);
    QCOMPARE(seen.Title, QString("Information"));
    QCOMPARE(seen.Text, QString("Please input the '%1'!").arg(what));
    QCOMPARE(seen.Icon, QMessageBox::Information);
    QVERIFY(stillOpen);
    QVERIFY(!d.Dialog->Accepted);
  }

  void enterInTheNameEditAccepts_data() { kinds_data(); }
  void enterInTheNameEditAccepts() {
    QFETCH(TKind, kind);
    TAnyNameDlg d = Make(kind);
    WhenModal<TNameDlg>([&](TNameDlg* dlg) {
      // The name edit has the focus from the start: typing goes straight in.
      QCOMPARE(dlg->focusWidget(), d.Edit);
      QTest::keyClicks(d.Edit, "  Summer 2005 ");
      QTest::keyClick(d.Edit, Qt::Key_Return);
    });
    d.Dialog->exec();
    // The name is taken without its outer blanks; the inner one stays.
    QVERIFY(d.Dialog->Accepted);
    QCOMPARE(d.Edit->text(), QString("Summer 2005"));
  }

  void escapeClosesWithoutAccepting_data() { kinds_data(); }
  void escapeClosesWithoutAccepting() {
    QFETCH(TKind, kind);
    TAnyNameDlg d = Make(kind);
    WhenModal<TNameDlg>([&](TNameDlg* dlg) {
      d.Edit->setText("Holidays");
      QTest::keyClick(dlg, Qt::Key_Escape);
    });
    QCOMPARE(d.Dialog->exec(), int(QDialog::Rejected));
    QVERIFY(!d.Dialog->Accepted);
  }

  void captionsAndSizes_data() { kinds_data(); }
  void captionsAndSizes() {
    QFETCH(TKind, kind);
    QFETCH(QString, caption);
    QFETCH(QString, editCaption);
    QFETCH(QSize, size);
    for (bool editMode : {false, true}) {
      TAnyNameDlg d = Make(kind);
      d.Dialog->EditMode = editMode;
      QString shownCaption;
      WhenModal<TNameDlg>([&](TNameDlg* dlg) {
        shownCaption = dlg->windowTitle();
        dlg->btCancel->click();
      });
      d.Dialog->exec();
      QCOMPARE(shownCaption, editMode ? editCaption : caption);
      QCOMPARE(d.Dialog->size(), size);
    }
  }

  void takenNameIsRefusedWithTheTextKept_data() { kinds_data(); }
  void takenNameIsRefusedWithTheTextKept() {
    QFETCH(TKind, kind);
    TAnyNameDlg d = Make(kind);
    QStringList asked;
    d.Dialog->NameTaken = [&](const QString& name) {
      asked << name;
      return name == "Summer";
    };
    TBoxSeen seen;
    QString keptText;
    WhenModal<TNameDlg>([&](TNameDlg* dlg) {
      // Blanks around a sibling's name do not make another name.
      d.Edit->setText("Summer ");
      AnswerBox(seen, QMessageBox::Ok);
      QTest::keyClick(d.Edit, Qt::Key_Return);
      keptText = d.Edit->text();
      QVERIFY(dlg->isVisible());
      d.Edit->setText("summer");  // letter case counts: another name
      dlg->btOk->click();
    });
    d.Dialog->exec();
    QVERIFY(seen.Shown);
    QCOMPARE(seen.Title, QString("Information"));
    QCOMPARE(seen.Icon, QMessageBox::Information);
    QCOMPARE(keptText, QString("Summer"));
    QCOMPARE(asked, QStringList({"Summer", "summer"}));
    QVERIFY(d.Dialog->Accepted);
  }

  void imageDialogReturnsItsMemo() {
    TeditImageDlg dlg;
    dlg.etImageName->setText("Beach");
    QWidget* afterName = nullptr;
    WhenModal<TeditImageDlg>([&](TeditImageDlg* d) {
      // The memo is typed into next: Tab goes there from the name.
      QTest::keyClick(d->etImageName, Qt::Key_Tab);
      afterName = d->focusWidget();
      QTest::keyClicks(d->moMemo, "line one");
      QTest::keyClick(d->moMemo, Qt::Key_Return);
      QTest::keyClicks(d->moMemo, "line two");
      d->btOk->click();
    });
    dlg.exec();
    QCOMPARE(afterName, static_cast<QWidget*>(dlg.moMemo));
    QVERIFY(dlg.Accepted);
    QCOMPARE(dlg.moMemo->toPlainText(), QString("line one\nline two"));
  }

  void confirmAnswers_data() {
    QTest::addColumn<int>("button");
    QTest::addColumn<bool>("answer");
    QTest::newRow("yes") << int(QMessageBox::Yes) << true;
    QTest::newRow("no") << int(QMessageBox::No) << false;
    QTest::newRow("cancel") << int(QMessageBox::Cancel) << false;
  }
  void confirmAnswers() {
    QFETCH(int, button);
    QFETCH(bool, answer);
    TActionWarnning warning;
    warning.Suppressed = false;
    warning.Text = "Are you sure you want to delete the film?";
    TBoxSeen seen;
    AnswerBox(seen, QMessageBox::StandardButton(button));
    QCOMPARE(warning.Confirm(), answer);
    QCOMPARE(seen.Title, QString("Information"));
    QCOMPARE(seen.Text, warning.Text);
    QCOMPARE(seen.Icon, QMessageBox::Question);
    QCOMPARE(seen.Buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
  }

  void suppressedQuestionAnswersNoWithoutAsking() {
    TActionWarnning warning;
    warning.Suppressed = true;
    warning.Text = "Are you sure?";
    QVERIFY(!warning.Confirm());
  }

  void unknownErrorNotice() {
    TBoxSeen seen;
    AnswerBox(seen, QMessageBox::Ok);
    TcusException(TcusException::UnknownError, nullptr);
    QCOMPARE(seen.Text, QString("Unknown error!"));
    QCOMPARE(seen.Title, QString("Information"));
    QCOMPARE(seen.Icon, QMessageBox::Critical);
  }

  void filmTipShownForBothCodesAndClosedByEscapeOrClose_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<bool>("byButton");
    QTest::newRow("nothing focused, Escape") << 8193 << false;
    QTest::newRow("no film focused, Escape") << 8194 << false;
    QTest::newRow("no film focused, Close") << 8194 << true;
  }
  void filmTipShownForBothCodesAndClosedByEscapeOrClose() {
    QFETCH(int, code);
    QFETCH(bool, byButton);
    QString caption;
    QSize size;
    QString step1;
    WhenModal<TfilmTipDlg>([&](TfilmTipDlg* tip) {
      caption = tip->windowTitle();
      size = tip->size();
      step1 = tip->Label2->text();
      if (byButton) {
        // Inside the window, clear of the second picture.
        QVERIFY(tip->rect().contains(tip->btClose()->geometry()));
        QVERIFY(!tip->btClose()->geometry().intersects(tip->Image3->geometry()));
        tip->btClose()->click();
      } else {
        QTest::keyClick(tip, Qt::Key_Escape);
      }
    });
    TcusException(code, nullptr);
    QCOMPARE(caption, QString("Information"));
    QCOMPARE(size, QSize(442, 350));
    QCOMPARE(step1, QString("Step 1. Click menu FILE->NEW CATEGORY to create a new CATEGORY"));
  }

  void otherCodesShowNothing() {
    TcusException(0, nullptr);
    TcusException(8195, nullptr);
    QVERIFY(QApplication::activeModalWidget() == nullptr);
  }

  // Every line of the tip shows whole, on one line, inside the window and
  // clear of the control below it.
  void filmTipLinesFitTheWindow_data() {
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("nextTop");
    QTest::newRow("Label1") << "Label1" << "Please select a valid FILM name from image library, or" << 56;
    QTest::newRow("Label4") << "Label4" << "You can create a new film by following these steps" << 88;
    QTest::newRow("Label2") << "Label2" << "Step 1. Click menu FILE->NEW CATEGORY to create a new CATEGORY" << 112;
    QTest::newRow("Label3") << "Label3"
                            << "Step 2. Select the category, click menu FILE->NEW FILM to create a new FILM" << 232;
  }
  void filmTipLinesFitTheWindow() {
    QFETCH(QString, label);
    QFETCH(QString, text);
    QFETCH(int, nextTop);
    TfilmTipDlg tip;
    tip.show();
    QVERIFY(QTest::qWaitForWindowExposed(&tip));
    auto* line = tip.findChild<QLabel*>(label);
    QVERIFY(line);
    QCOMPARE(line->text(), text);
    QVERIFY(!line->wordWrap());
    const QRect r = line->geometry();
    const int needed = line->fontMetrics().horizontalAdvance(text);
    QVERIFY2(r.width() >= needed, qPrintable(QString("%1 of %2 pixels shown").arg(r.width()).arg(needed)));
    // A margin on the right as wide as the one on the left of the step lines.
    QVERIFY2(r.right() < tip.width() - 16, qPrintable(QString("right edge at %1").arg(r.right())));
    QVERIFY2(r.bottom() < nextTop, qPrintable(QString("bottom at %1").arg(r.bottom())));
  }

  void filmTipPicturesHighlightTheirEntry() {
    // The two pictures differ only where a different entry is highlighted.
    const QImage a =
        TfilmTipDlg::FileMenuPicture(QSize(160, 95), TfilmTipDlg::TMenuEntry::NewCategory).toImage();
    const QImage b = TfilmTipDlg::FileMenuPicture(QSize(160, 95), TfilmTipDlg::TMenuEntry::NewFilm).toImage();
    int firstDifferentRow = -1;
    int lastDifferentRow = -1;
    for (int y = 0; y < a.height(); ++y)
      for (int x = 0; x < a.width(); ++x)
        if (a.pixel(x, y) != b.pixel(x, y)) {
          if (firstDifferentRow < 0) firstDifferentRow = y;
          lastDifferentRow = y;
        }
    // New Category sits right above New Film: two adjacent rows of 14 pixels.
    QVERIFY(firstDifferentRow > 16);
    QCOMPARE(lastDifferentRow - firstDifferentRow + 1, 28);
  }
};

QTEST_MAIN(NameDialogsTest)
#include "NameDialogsTest.moc"

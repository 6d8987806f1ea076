#pragma once
// Answers the modal windows that the code under test opens: a callback runs
// on the first active modal widget of the wanted type. A modal window that
// nobody expected is closed after a while and counted, so a wrong turn in the
// code under test fails the test instead of hanging it.

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QStringList>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

namespace kelta::test {

inline int& UnansweredModals() {
  static int count = 0;
  return count;
}

// The test function (and data row) that is running: an answer belongs to it.
inline QByteArray RunningTest() {
  return QByteArray(QTest::currentTestFunction()) + '/' + QByteArray(QTest::currentDataTag());
}

template <class T>
void WhenModal(std::function<void(T*)> answer, int timeoutMs = 5000) {
  auto* timer = new QTimer;
  auto clock = std::make_shared<QElapsedTimer>();
  clock->start();
  timer->setInterval(5);
  QObject::connect(timer, &QTimer::timeout, [timer, clock, answer, timeoutMs, test = RunningTest()] {
    // An answer whose test has ended goes with it: it must never answer a
    // later test's window with the ended test's (dead) variables.
    if (RunningTest() != test) {
      timer->stop();
      timer->deleteLater();
      return;
    }
    QWidget* modal = QApplication::activeModalWidget();
    if (T* wanted = qobject_cast<T*>(modal)) {
      timer->stop();
      timer->deleteLater();
      answer(wanted);
      return;
    }
    if (clock->elapsed() > timeoutMs) {
      timer->stop();
      timer->deleteLater();
      ++UnansweredModals();
      if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->reject();
    }
  });
  timer->start();
}

// Runs `action`; a modal window that opens meanwhile is closed at once.
// True when none opened.
inline bool NoModalDuring(const std::function<void()>& action) {
  bool opened = false;
  QTimer timer;
  timer.setInterval(5);
  QObject::connect(&timer, &QTimer::timeout, [&opened] {
    if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
      opened = true;
      dialog->reject();
    }
  });
  timer.start();
  action();
  return !opened;
}

// What a command showed while it ran: the texts of its message boxes
// (answered with OK) and how many other modal windows opened (closed at once).
struct TShown {
  QStringList Messages;
  int Windows = 0;
};

inline TShown ShownDuring(const std::function<void()>& action) {
  TShown shown;
  QTimer poll;
  poll.setInterval(5);
  QObject::connect(&poll, &QTimer::timeout, [&shown] {
    QWidget* modal = QApplication::activeModalWidget();
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
      shown.Messages << box->text();
      if (QAbstractButton* ok = box->button(QMessageBox::Ok))
        ok->click();
      else
        box->reject();
    } else if (auto* dialog = qobject_cast<QDialog*>(modal)) {
      ++shown.Windows;
      dialog->reject();
    }
  });
  poll.start();
  action();
  return shown;
}

// Chooses a file in an open file dialog. The dialog leaves its name box as it
// is while the box has the keyboard focus (the user may be typing there), and
// the box gets the focus at some moment after the dialog shows; so it gives
// the focus up first, or the choice would depend on that moment.
inline void ChooseFile(QFileDialog* dialog, const QString& file) {
  if (auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) name->clearFocus();
  dialog->selectFile(file);
}

// What a message box said.
struct TBoxSeen {
  bool Shown = false;
  QString Title;
  QString Text;
  QMessageBox::Icon Icon = QMessageBox::NoIcon;
  QMessageBox::StandardButtons Buttons;
};

// Answers the next message box with `button`, recording what it showed.
inline void AnswerBox(TBoxSeen& seen, QMessageBox::StandardButton button = QMessageBox::Ok) {
  WhenModal<QMessageBox>([&seen, button](QMessageBox* box) {
    seen.Shown = true;
    seen.Title = box->windowTitle();
    seen.Text = box->text();
    seen.Icon = box->icon();
    seen.Buttons = box->standardButtons();
    if (QAbstractButton* b = box->button(button))
      b->click();
    else
      box->done(button);
  });
}

}  // namespace kelta::test

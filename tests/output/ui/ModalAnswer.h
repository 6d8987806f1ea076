#pragma once
// Answers the modal windows the code under test opens: the callback runs on
// the first active modal widget of the wanted type; one that never comes, or
// a window of another type, is closed after a while and counted, so a wrong
// turn fails the test instead of hanging it.

#include <functional>

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QTimer>

namespace kelta::test {

inline int& UnansweredModals() {
  static int count = 0;
  return count;
}

template <class T>
void WhenModal(std::function<void(T*)> answer, int timeoutMs = 5000) {
  auto* timer = new QTimer;
  auto clock = std::make_shared<QElapsedTimer>();
  clock->start();
  timer->setInterval(5);
  QObject::connect(timer, &QTimer::timeout, [timer, clock, answer, timeoutMs] {
    QWidget* modal = QApplication::activeModalWidget();
    if (T* wanted = qobject_cast<T*>(modal)) {
      timer->stop();
      timer->deleteLater();
      answer(wanted);
    } else if (clock->elapsed() > timeoutMs) {
      timer->stop();
      timer->deleteLater();
      ++UnansweredModals();
      if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->reject();
    }
  });
  timer->start();
}

struct TBoxSeen {
  bool Shown = false;
  QString Title;
  QString Text;
  QMessageBox::Icon Icon = QMessageBox::NoIcon;
};

// Closes the next message box, recording what it showed.
inline void AnswerBox(TBoxSeen& seen) {
  WhenModal<QMessageBox>([&seen](QMessageBox* box) {
    seen.Shown = true;
    seen.Title = box->windowTitle();
    seen.Text = box->text();
    seen.Icon = box->icon();
    box->accept();
  });
}

}  // namespace kelta::test

#include "library/ui/NameEntry.h"

#include <QDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

#include "library/ui/LibraryMessage.h"

namespace kelta {

void AddOkCancel(QDialog* dialog, QRect okArea, QRect cancelArea, QPushButton*& ok, QPushButton*& cancel,
                 std::function<void()> okClick, std::function<void()> cancelClick) {
  cancel = new QPushButton(QStringLiteral("&Cancel"), dialog);
  ok = new QPushButton(QStringLiteral("&Ok"), dialog);
  ok->setGeometry(okArea);
  cancel->setGeometry(cancelArea);
  ok->setAutoDefault(false);
  cancel->setAutoDefault(false);
  QObject::connect(ok, &QPushButton::clicked, dialog, std::move(okClick));
  QObject::connect(cancel, &QPushButton::clicked, dialog, std::move(cancelClick));
}

bool CheckName(QWidget* owner, QLineEdit* edit, const TNameTaken& taken, const QString& emptyText,
               const QString& takenText) {
  const QString name = edit->text().trimmed();
  if (name != edit->text()) edit->setText(name);
  if (name.isEmpty()) {
    ShowInformation(owner, emptyText);
    return false;
  }
  if (taken && taken(name)) {
    ShowInformation(owner, takenText);
    return false;
  }
  return true;
}

bool HandleNameDialogKey(QKeyEvent* event, const std::function<void()>& cancel) {
  if (event->key() == Qt::Key_Escape) {
    cancel();
    return true;
  }
  return event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
}

}  // namespace kelta

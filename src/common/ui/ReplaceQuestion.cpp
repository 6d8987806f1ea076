#include "common/ui/ReplaceQuestion.h"

#include <QDir>
#include <QFileInfo>
#include <QMessageBox>

namespace kelta {

QStringList ExistingFiles(const QStringList& fileNames) {
  QStringList existing;
  for (const QString& name : fileNames)
    if (QFileInfo(name).exists() || QFileInfo(name).isSymLink()) existing << name;
  return existing;
}

bool ConfirmReplacing(QWidget* owner, const QStringList& existing) {
  if (existing.isEmpty()) return true;
  QString text;
  if (existing.size() == 1) {
    text = QStringLiteral("The file \"%1\" already exists.\nDo you want to replace it?")
               .arg(QDir::toNativeSeparators(existing.first()));
  } else {
    text = QStringLiteral("These files already exist:\n");
    for (const QString& name : existing) text += QStringLiteral("\n") + QDir::toNativeSeparators(name);
    text += QStringLiteral("\n\nDo you want to replace them?");
  }
  QMessageBox box(QMessageBox::Question, QStringLiteral("Information"), text, QMessageBox::Yes | QMessageBox::No,
                  owner);
  box.setDefaultButton(QMessageBox::No);
  return box.exec() == QMessageBox::Yes;
}

}  // namespace kelta

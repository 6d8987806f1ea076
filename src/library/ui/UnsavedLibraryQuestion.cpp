#include "library/ui/UnsavedLibraryQuestion.h"

#include <QMessageBox>
#include <QPushButton>

#include "imaging/ui/ShowException.h"
#include "library/FilmManager.h"

namespace kelta {

bool LibraryMayClose(QWidget* owner, TFilmManager& films) {
  while (films.HasUnsavedChanges()) {
    QMessageBox box(QMessageBox::Warning, ApplicationTitle,
                    QStringLiteral("The library could not be saved, so your latest changes are not in the "
                                   "library file yet.\n\n%1\n\nTry to save it again?")
                        .arg(QString::fromStdString(films.UnsavedReason())),
                    QMessageBox::Retry | QMessageBox::Discard | QMessageBox::Cancel, owner);
    box.button(QMessageBox::Discard)->setText(QStringLiteral("Close &Without Saving"));
    box.setDefaultButton(QMessageBox::Retry);
    switch (box.exec()) {
      case QMessageBox::Retry:
        try {
          films.SaveChanges();
        } catch (const ELibraryFileError&) {
          // The question comes again with the new reason.
        }
        break;
      case QMessageBox::Discard:
        return true;
      default:
        return false;
    }
  }
  return true;
}

}  // namespace kelta

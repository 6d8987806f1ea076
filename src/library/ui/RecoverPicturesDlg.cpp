#include "library/ui/RecoverPicturesDlg.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace kelta {

TRecoverPicturesDlg::TRecoverPicturesDlg(QWidget* parent, int pictureCount) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Information"));
  setModal(true);
  lbText = new QLabel(
      (pictureCount == 1 ? QStringLiteral("1 picture in the image folder belongs to no library entry.")
                         : QStringLiteral("%1 pictures in the image folder belong to no library entry.")
                               .arg(pictureCount)) +
          QStringLiteral(" They may be captures that an interrupted save kept out of the library.\n\n"
                         "Add them to a film of the category \"Recovered\", or leave them alone?"),
      this);
  lbText->setWordWrap(true);
  etFilmName = new QLineEdit(QStringLiteral("Recovered"), this);
  etFilmName->selectAll();
  btAdd = new QPushButton(QStringLiteral("&Add to Film"), this);
  btAdd->setDefault(true);
  btLeaveAlone = new QPushButton(QStringLiteral("&Leave Alone"), this);

  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("&Film:"), etFilmName);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(btAdd);
  buttons->addWidget(btLeaveAlone);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(lbText);
  layout->addLayout(form);
  layout->addLayout(buttons);
  setFixedWidth(420);

  connect(btAdd, &QPushButton::clicked, this, [this] {
    if (etFilmName->text().trimmed().isEmpty()) return;
    Choice = TChoice::Add;
    accept();
  });
  connect(btLeaveAlone, &QPushButton::clicked, this, [this] {
    Choice = TChoice::LeaveAlone;
    accept();
  });
}

}  // namespace kelta

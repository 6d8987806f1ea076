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
  Text_ = new QLabel(
      (pictureCount == 1 ? QStringLiteral("1 picture in the image folder belongs to no library entry.")
                         : QStringLiteral("%1 pictures in the image folder belong to no library entry.")
                               .arg(pictureCount)) +
          QStringLiteral(" They may be captures that an interrupted save kept out of the library.\n\n"
                         "Add them to a film of the category \"Recovered\", or leave them alone?"),
      this);
  Text_->setWordWrap(true);
  etFilmName = new QLineEdit(QStringLiteral("Recovered"), this);
  etFilmName->selectAll();
  Add_ = new QPushButton(QStringLiteral("&Add to Film"), this);
  Add_->setDefault(true);
  LeaveAlone_ = new QPushButton(QStringLiteral("&Leave Alone"), this);

  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("&Film:"), etFilmName);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(Add_);
  buttons->addWidget(LeaveAlone_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Text_);
  layout->addLayout(form);
  layout->addLayout(buttons);
  setFixedWidth(420);

  connect(Add_, &QPushButton::clicked, this, [this] {
    if (etFilmName->text().trimmed().isEmpty()) return;
    Choice_ = TChoice::Add;
    accept();
  });
  connect(LeaveAlone_, &QPushButton::clicked, this, [this] {
    Choice_ = TChoice::LeaveAlone;
    accept();
  });
}

}  // namespace kelta

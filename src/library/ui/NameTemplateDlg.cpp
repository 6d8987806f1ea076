#include "library/ui/NameTemplateDlg.h"

#include <QAction>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/ui/ShowException.h"
#include "library/LibraryPaths.h"
#include "output/FileNameTemplate.h"

namespace kelta {

namespace {

// The capture the example name is made from.
TNameFields ExampleFields() {
  TCaptureSource source;
  source.DvdVolume = "FILM";
  source.DvdLocation = "/media/FILM";
  source.Title = 2;
  source.Chapter = 5;
  source.Frame = 18516;  // "frame 18517", counted from 1
  source.TimeMs = 754567;
  source.FrameRate = 25;
  source.Captured = "2026-12-11T10:16:00Z";
  return {"Beach", "Film", source};
}

}  // namespace

TNameTemplateDlg::TNameTemplateDlg(std::filesystem::path file, QWidget* parent)
    : QDialog(parent), File_(std::move(file)) {
  setWindowTitle(QStringLiteral("File Names"));
  auto* layout = new QVBoxLayout(this);
  auto* intro = new QLabel(QStringLiteral("Save As and Export Frame name their files by this template:"), this);
  layout->addWidget(intro);
  cbTemplate = new QComboBox(this);
  cbTemplate->setObjectName(QStringLiteral("cbTemplate"));
  cbTemplate->setEditable(true);
  cbTemplate->addItem(QString::fromUtf8(DefaultNameTemplate.data(), qsizetype(DefaultNameTemplate.size())));
  cbTemplate->addItem(QString::fromUtf8(PlainNameTemplate.data(), qsizetype(PlainNameTemplate.size())));
  cbTemplate->setEditText(QString::fromStdString(LoadNameTemplate(File_)));
  layout->addWidget(cbTemplate);
  auto* fields = new QLabel(
      QStringLiteral("Fields: {film} {title} {chapter} {time} {timecode} {frame} {video} {date} {name}.\n"
                     "A part between \" - \" whose field is unknown is left out. {name} alone gives the names "
                     "of before: the picture's name, a frame's position."),
      this);
  fields->setWordWrap(true);
  layout->addWidget(fields);
  lbExample = new QLabel(this);
  lbExample->setObjectName(QStringLiteral("lbExample"));
  lbExample->setTextFormat(Qt::PlainText);
  layout->addWidget(lbExample);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  btOk = buttons->button(QDialogButtonBox::Ok);
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &TNameTemplateDlg::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(cbTemplate, &QComboBox::editTextChanged, this, [this] { ShowExample(); });
  ShowExample();
}

void TNameTemplateDlg::ShowExample() {
  lbExample->setText(QStringLiteral("For example: ") +
                     QString::fromStdString(NameFromTemplate(cbTemplate->currentText().toStdString(),
                                                             ExampleFields())) +
                     QStringLiteral(".png"));
}

void TNameTemplateDlg::accept() {
  try {
    SaveNameTemplate(File_, cbTemplate->currentText().toStdString());
  } catch (const std::exception& error) {
    ShowException(error, this);
    return;
  }
  QDialog::accept();
}

void AddNameTemplateItem(QMenu* menu, QWidget* owner) {
  menu->addSeparator();
  QAction* item = menu->addAction(QStringLiteral("File &Names\u2026"));
  item->setObjectName(QStringLiteral("tbiFileNames"));
  QObject::connect(item, &QAction::triggered, owner, [owner] {
    TNameTemplateDlg dialog(ProgramFolder() / NameTemplateFileName, owner);
    dialog.exec();
  });
}

}  // namespace kelta

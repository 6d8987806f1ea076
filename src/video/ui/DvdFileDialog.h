#pragma once
// TDvdFileDialog: the Open DVD dialog. It shows folders and disc images
// (.iso) and takes a folder that is or holds VIDEO_TS as the choice when Open
// is pressed, where a file dialog would only go into it; a double click still
// goes into a folder. VIDEO_TS.IFO may be chosen for its folder too.

#include <QFileDialog>

namespace kelta {

class TDvdFileDialog : public QFileDialog {
  Q_OBJECT
 public:
  TDvdFileDialog(QWidget* parent, const QString& folder);

  // The folder or image chosen; empty before an accepted choice.
  QString Chosen() const;

 public slots:
  void accept() override;
};

}  // namespace kelta

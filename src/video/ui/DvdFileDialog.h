#pragma once
// TDvdFileDialog: the Open DVD dialog. It shows folders and disc images
// (.iso) and takes a folder that is or holds VIDEO_TS as the choice when Open
// is pressed, where a file dialog would only go into it; a double click still
// goes into a folder. VIDEO_TS.IFO may be chosen for its folder too. A line
// under the list says whether the folder on show is a DVD, and how to choose
// one when it is not; in a DVD's folder its VIDEO_TS is chosen already.

#include <QFileDialog>

class QLabel;

namespace kelta {

class TDvdFileDialog : public QFileDialog {
  Q_OBJECT
 public:
  TDvdFileDialog(QWidget* parent, const QString& folder);

  // The folder or image chosen; empty before an accepted choice.
  QString Chosen() const;
  // The line about the folder on show.
  const QLabel* FolderHint() const { return Hint_; }

 public slots:
  void accept() override;

 private:
  void FollowFolder(const QString& folder);

  QLabel* Hint_ = nullptr;
};

}  // namespace kelta

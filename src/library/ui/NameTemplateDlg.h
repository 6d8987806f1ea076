#pragma once
// Tools > File Names: the one place where the template that names exported
// pictures (Save As and the frame export) is chosen: the names from the
// source ("Film - Title 2 - 00.12.34.567 - frame 18517"), the names of
// before, or a template of one's own, with an example of the name it gives.

#include <filesystem>

#include <QDialog>

class QComboBox;
class QLabel;
class QMenu;
class QPushButton;

namespace kelta {

class TNameTemplateDlg : public QDialog {
  Q_OBJECT
 public:
  // Shows the template kept in `file`; Ok keeps the one chosen there.
  TNameTemplateDlg(std::filesystem::path file, QWidget* parent = nullptr);

  QComboBox* cbTemplate = nullptr;
  QLabel* lbExample = nullptr;
  QPushButton* btOk = nullptr;

  void accept() override;

 private:
  void ShowExample();

  std::filesystem::path File_;
};

// Adds "File &Names…" to the menu; it opens the dialog over the program
// folder's template file.
void AddNameTemplateItem(QMenu* menu, QWidget* owner);

}  // namespace kelta

#include "library/ui/EditImageDlg.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace kelta {

TeditImageDlg::TeditImageDlg(QWidget* parent)
    : TNameDlg(parent, 333, QStringLiteral("image name"),
               QStringLiteral("An image with this name already exists in this film!")) {
  setObjectName(QStringLiteral("editImageDlg"));
  // The caption stays "Edit Image" in both modes.
  setWindowTitle(QStringLiteral("Edit Image"));
  Label1 = new QLabel(QStringLiteral("Image Name"), this);
  Label1->move(16, 16);
  etImageName = new QLineEdit(this);
  etImageName->setObjectName(QStringLiteral("etImageName"));
  SetNameEdit(etImageName);
  Label2 = new QLabel(QStringLiteral("Memo"), this);
  Label2->move(16, 88);
  moMemo = new QPlainTextEdit(this);
  moMemo->setObjectName(QStringLiteral("moMemo"));
  moMemo->setGeometry(17, 120, 400, 153);
  moMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  moMemo->setTabChangesFocus(true);
}

}  // namespace kelta

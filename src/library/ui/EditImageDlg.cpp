#include "library/ui/EditImageDlg.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace kelta {

TeditImageDlg::TeditImageDlg(QWidget* parent)
    // The caption stays "Edit Image" in both modes.
    : TNameDlg(parent, 333,
               {QStringLiteral("editImageDlg"), QStringLiteral("Edit Image"), QString(), QStringLiteral("Image Name"),
                QStringLiteral("etImageName"), QStringLiteral("image name"),
                QStringLiteral("An image with this name already exists in this film!")}),
      Label1(NameLabel()),
      etImageName(NameEdit()) {
  Label2 = new QLabel(QStringLiteral("Memo"), this);
  Label2->move(16, 88);
  moMemo = new QPlainTextEdit(this);
  moMemo->setObjectName(QStringLiteral("moMemo"));
  moMemo->setGeometry(17, 120, 400, 153);
  moMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  moMemo->setTabChangesFocus(true);
  // Tab goes from the name to the memo, then to the buttons.
  setTabOrder(etImageName, moMemo);
  setTabOrder(moMemo, btCancel);
  setTabOrder(btCancel, btOk);
}

}  // namespace kelta

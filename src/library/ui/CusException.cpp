#include "library/ui/CusException.h"

#include "library/ui/FilmTipDlg.h"
#include "library/ui/LibraryMessage.h"

namespace kelta {

TcusException::TcusException(int code, QWidget* owner) {
  switch (code) {
    case UnknownError:
      AskInformation(owner, QStringLiteral("Unknown error!"), QMessageBox::Critical, QMessageBox::Ok);
      break;
    case NoNodeFocused:
    case NoFilmFocused: {
      TfilmTipDlg tip(owner);
      tip.exec();
      break;
    }
    default:
      break;
  }
}

}  // namespace kelta

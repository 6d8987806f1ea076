#include "library/ui/NewFilmDlg.h"

namespace kelta {

TnewFilmDlg::TnewFilmDlg(QWidget* parent)
    : TNameDlg(parent, 146,
               {QStringLiteral("newFilmDlg"), QStringLiteral("New Film"), QStringLiteral("Edit Film"),
                QStringLiteral("Film Name"), QStringLiteral("etFilmName"), QStringLiteral("film name"),
                QStringLiteral("A film with this name already exists in this category!")}),
      Label1(NameLabel()),
      etFilmName(NameEdit()) {}

}  // namespace kelta

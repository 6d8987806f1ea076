#pragma once
// The 16 x 16 icons of the library tree, drawn in code, by level: a gold star
// (the root), a green disc with a white cross (category), a silver disc
// (film), a framed landscape picture (image).

#include <QIcon>
#include <QPixmap>

namespace kelta {

QPixmap LibraryIconPixmap(int level);
QIcon LibraryIcon(int level);

}  // namespace kelta

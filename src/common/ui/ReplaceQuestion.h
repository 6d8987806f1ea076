#pragma once
// The question asked before a save or export replaces files that exist: the
// names are those that will really be written, so nothing is replaced unasked.

#include <QStringList>

class QWidget;

namespace kelta {

// The files of `fileNames` that exist (in their order).
QStringList ExistingFiles(const QStringList& fileNames);

// Asks once whether the existing files may be replaced ("Information", Yes
// and No, No the default). True when there are none or Yes was pressed.
bool ConfirmReplacing(QWidget* owner, const QStringList& existing);

}  // namespace kelta

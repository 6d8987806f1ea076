#pragma once
// What a viewer or the print window needs about the library picture it shows.
// The library controller fills it and keeps it current while a viewer steps
// through a film; the windows only read it.

#include <cstdint>

#include <QString>

#include "imaging/FastDIB.h"

class QTreeWidget;
class QTreeWidgetItem;

namespace kelta {

struct TViewRecord {
  QTreeWidget* Tree = nullptr;      // tree that holds the picture's node
  QTreeWidgetItem* Node = nullptr;  // node of the picture shown
  std::uint32_t Count = 0;          // pictures in the picture's film
  std::int32_t Index = 0;           // 1-based position among them
  TFastDIB* Image = nullptr;        // the buffer that shows the picture (not owned)
  QString Name;
  QString Memo;
};

}  // namespace kelta

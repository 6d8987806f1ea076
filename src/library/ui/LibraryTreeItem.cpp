#include "library/ui/LibraryTreeItem.h"

#include <QColor>
#include <QFont>

#include "library/ui/LibraryIcons.h"

namespace kelta {

namespace {

QString Q(const std::u16string& s) { return QString::fromStdU16String(s); }

// Built by concatenation: a name may itself contain "%1" or "%2".
QString Counted(const std::u16string& name, std::int32_t count) {
  return Q(name) + QStringLiteral(" (") + QString::number(count) + QLatin1Char(')');
}

}  // namespace

int TLibraryTreeItem::Level(const QTreeWidgetItem* node) {
  int level = 0;
  for (const QTreeWidgetItem* p = node ? node->parent() : nullptr; p; p = p->parent()) ++level;
  return level;
}

int TLibraryTreeItem::Index(const QTreeWidgetItem* node) {
  return node->parent() ? node->parent()->indexOfChild(const_cast<QTreeWidgetItem*>(node)) : 0;
}

TImageLibraryNodeData* TLibraryTreeItem::Record(QTreeWidgetItem* node) {
  if (node == nullptr || node->type() != ItemType) return nullptr;
  return &static_cast<TLibraryTreeItem*>(node)->Data;
}

QString TLibraryTreeItem::NodeText(const TImageLibraryNodeData& data, int level) {
  switch (level) {
    case LevelRoot:
      return Q(data.Root.Name);
    case LevelCategory:
      return Counted(data.Category.Name, data.Category.Count);
    case LevelFilm:
      return Counted(data.Film.Name, data.Film.Count);
    default:
      return Q(data.Image.Name);
  }
}

QString TLibraryTreeItem::NodeHint(const TImageLibraryNodeData& data, int level) {
  switch (level) {
    case LevelRoot:
      return QString();
    case LevelCategory:
      return QStringLiteral("Category Name: ") + Q(data.Category.Name) + QStringLiteral("\nFilms Count: ") +
             QString::number(data.Category.Count);
    case LevelFilm:
      return QStringLiteral("Film Name: ") + Q(data.Film.Name) + QStringLiteral("\nImage Count: ") +
             QString::number(data.Film.Count);
    default:
      return QStringLiteral("Image Name: %1\nFilename: %2\nThumbnail: %3\nMemo: %4")
          .arg(Q(data.Image.Name), Q(data.Image.FileName), Q(data.Image.Thumbnail), Q(data.Image.Memo));
  }
}

QVariant TLibraryTreeItem::data(int column, int role) const {
  if (column != 0) return QVariant();
  const int level = Level(this);
  switch (role) {
    case Qt::DisplayRole:
      return NodeText(Data, level);
    case Qt::DecorationRole:
      return LibraryIcon(level);
    case Qt::ForegroundRole:
      return QColor(128, 128, 128);
    case Qt::FontRole:
      if (level == LevelRoot) {
        QFont bold = treeWidget() ? treeWidget()->font() : QFont();
        bold.setBold(true);
        return bold;
      }
      return QVariant();
    case Qt::ToolTipRole: {
      const QString hint = NodeHint(Data, level);
      return hint.isEmpty() ? QVariant() : QVariant(hint);
    }
    default:
      return QTreeWidgetItem::data(column, role);
  }
}

}  // namespace kelta

#pragma once
// Keyboard accelerators of a window's menus and toolbars: no two items shown
// together may answer to the same Alt+letter, or the key only highlights.

#include <QAction>
#include <QMap>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QToolBar>
#include <QWidget>

#include <vector>

namespace kelta::test {

// The accelerator character of a caption ("Cr&op" gives 'o'); 0 without one.
inline QChar Mnemonic(const QString& text) {
  for (int i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != '&') continue;
    if (text[i + 1] == '&') {
      ++i;
      continue;
    }
    return text[i + 1].toLower();
  }
  return QChar();
}

// Each toolbar and each menu of the window: no accelerator used twice among
// the items shown together.
inline void ExpectDistinctAccelerators(QWidget* window) {
  std::vector<QList<QAction*>> groups;
  for (QToolBar* bar : window->findChildren<QToolBar*>()) groups.push_back(bar->actions());
  for (QMenu* menu : window->findChildren<QMenu*>()) groups.push_back(menu->actions());
  for (QMenuBar* bar : window->findChildren<QMenuBar*>()) groups.push_back(bar->actions());
  QVERIFY(!groups.empty());
  for (const QList<QAction*>& group : groups) {
    QMap<QChar, QString> seen;
    for (QAction* action : group) {
      const QChar key = Mnemonic(action->text());
      if (key.isNull()) continue;
      QVERIFY2(!seen.contains(key), qPrintable(window->objectName() + ": " + seen.value(key) + " and " +
                                               action->text() + " share Alt+" + key));
      seen.insert(key, action->text());
    }
  }
}

}  // namespace kelta::test

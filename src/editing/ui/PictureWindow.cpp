#include "editing/ui/PictureWindow.h"

#include "common/ui/DesktopCentre.h"
#include "common/ui/PictureClipboard.h"
#include "common/ui/ShowException.h"

#include <QAction>
#include <QDialog>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWidget>

namespace kelta {

namespace {
const char* const ToolBarStyle =
    "QToolBar { background: rgb(231,231,231); border: none; spacing: 2px; }"
    "QToolButton { font-family: Tahoma; font-weight: bold; color: rgb(128,128,128);"
    " padding: 2px 6px; }"
    "QToolButton::menu-indicator { image: none; }";
}  // namespace

void SetUpPictureWindow(QDialog* window, const char* name, const QString& title, int width, int height) {
  window->setObjectName(name);
  window->setWindowTitle(title);
  window->resize(width, height);
  window->setModal(true);
  CentreOnDesktopWhenShown(window);
  QPalette pal = window->palette();
  pal.setColor(QPalette::Window, PictureWindowColour);
  window->setPalette(pal);
  window->setFont(QFont("Tahoma", 8));
}

void StackPictureWindow(QWidget* window, std::initializer_list<QWidget*> rows, QWidget* box,
                        int labelWidth, QLabel** status) {
  auto* layout = new QVBoxLayout(window);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  for (QWidget* row : rows) layout->addWidget(row);
  layout->addWidget(box, 1);
  layout->addWidget(MakeStatusPanel(window, labelWidth, status));
}

QToolBar* MakePictureToolBar(QWidget* window) {
  auto* bar = new QToolBar(window);
  bar->setObjectName("TBXToolbar1");
  bar->setMovable(false);
  bar->setFloatable(false);
  bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
  bar->setStyleSheet(ToolBarStyle);
  return bar;
}

QAction* AddToolItem(QToolBar* bar, const char* name, const QString& caption) {
  QAction* action = bar->addAction(caption);
  action->setObjectName(name);
  action->setShortcut(QKeySequence::mnemonic(caption));
  action->setShortcutContext(Qt::WindowShortcut);
  return action;
}

QAction* AddGoToSourceItem(QToolBar* bar, QDialog* window, bool& chosen) {
  QAction* item = AddToolItem(bar, "tbiGoToSource", "&Go to Source");
  item->setVisible(false);
  QObject::connect(item, &QAction::triggered, window, [window, &chosen] {
    chosen = true;
    if (!window->close()) chosen = false;
  });
  return item;
}

QString WithSource(const QString& status, const QString& source) {
  return source.isEmpty() ? status : status + QStringLiteral(" - ") + source;
}

QAction* AddCopyItem(QToolBar* bar, std::function<const TFastDIB&()> shown) {
  QAction* copy = AddToolItem(bar, "tbiCopy", "Cop&y");
  copy->setShortcuts({QKeySequence::mnemonic(copy->text()), QKeySequence(QKeySequence::Copy)});
  QObject::connect(copy, &QAction::triggered, bar, [shown] { CopyPictureToClipboard(shown()); });
  return copy;
}

QMenu* AddExportMenu(QToolBar* bar, const char* name, const QString& caption,
                     const std::array<TExportItem, 5>& items, std::function<void(int tag)> chosen) {
  auto* menu = new QMenu(caption, bar);
  menu->setObjectName(name);
  for (int tag = 0; tag < 5; ++tag) {
    QAction* item = menu->addAction(items[std::size_t(tag)].Caption);
    item->setObjectName(items[std::size_t(tag)].Name);
    item->setData(tag);
    QObject::connect(item, &QAction::triggered, bar, [chosen, tag] { chosen(tag); });
  }
  QAction* opener = menu->menuAction();
  opener->setObjectName(QString(name) + "Menu");
  opener->setShortcut(QKeySequence::mnemonic(caption));
  opener->setShortcutContext(Qt::WindowShortcut);
  bar->addAction(opener);
  if (auto* button = qobject_cast<QToolButton*>(bar->widgetForAction(opener))) {
    button->setPopupMode(QToolButton::InstantPopup);
    // A submenu's action only announces its shortcut; the menu is opened here.
    QObject::connect(opener, &QAction::triggered, button, [button] { button->showMenu(); });
  }
  return menu;
}

QWidget* MakeStatusPanel(QWidget* window, int labelWidth, QLabel** label) {
  auto* panel = new QWidget(window);
  panel->setObjectName("LinePanel1");
  panel->setFixedHeight(24);
  panel->setStyleSheet("#LinePanel1 { border-top: 1px solid rgb(192,192,192); }");
  auto* status = new QLabel(panel);
  status->setObjectName("lbStatus");
  status->setTextFormat(Qt::PlainText);
  status->setGeometry(4, 3, labelWidth, 18);
  status->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  *label = status;
  return panel;
}

void DisableSaveItem(QToolBar* bar, QAction* save) {
  save->setEnabled(false);
  if (QWidget* button = bar->widgetForAction(save)) button->setStyleSheet("color: rgb(192,192,192);");
}

TCloseAnswer AskBeforeClosing(QWidget* owner, const QString& name, bool canSave) {
  const QString shown = name.isEmpty() ? QStringLiteral("this picture") : name;
  QMessageBox box(QMessageBox::Question, ApplicationTitle,
                  canSave ? QStringLiteral("Save changes to %1 before closing?").arg(shown)
                          : QStringLiteral("Discard the changes to %1?").arg(shown),
                  QMessageBox::NoButton, owner);
  box.setTextFormat(Qt::PlainText);
  // Captions of their own: the desktop's wording of Discard varies.
  QPushButton* save = canSave ? box.addButton(QStringLiteral("&Save"), QMessageBox::AcceptRole) : nullptr;
  QPushButton* discard = box.addButton(QStringLiteral("&Discard"), QMessageBox::DestructiveRole);
  QPushButton* cancel = box.addButton(QStringLiteral("Cancel"), QMessageBox::RejectRole);
  box.setDefaultButton(save ? save : cancel);
  box.setEscapeButton(cancel);
  box.exec();
  if (save && box.clickedButton() == save) return TCloseAnswer::Save;
  if (box.clickedButton() == discard) return TCloseAnswer::Discard;
  return TCloseAnswer::Cancel;
}

}  // namespace kelta

#pragma once
// What the picture windows (crop, resize, viewer, frame view) share: their
// toolbar and status panel look, the export submenu whose items carry the
// format tags 0 BMP .. 4 PDF, the question before an edited picture is
// closed, and the callback through which they export a picture.

#include <array>
#include <functional>
#include <initializer_list>

#include <QColor>
#include <QString>

#include "imaging/FastDIB.h"

class QAction;
class QDialog;
class QLabel;
class QMenu;
class QToolBar;
class QWidget;

namespace kelta {

// Saves a picture under a name and format the user picks (owner: the window
// that asks, for its file dialog). Supplied by whoever opens the window.
using TExportImageAs = std::function<void(int format, QWidget* owner, const TFastDIB& picture)>;

// Background of the picture windows ($E7E7E7).
inline const QColor PictureWindowColour(231, 231, 231);

// A modal grey window in Tahoma 8 of the given starting size.
void SetUpPictureWindow(QDialog* window, const char* name, const QString& title, int width, int height);
// Stacks the window from the top: the rows (toolbar first), the picture box
// taking all spare height, then the status panel (see MakeStatusPanel).
void StackPictureWindow(QWidget* window, std::initializer_list<QWidget*> rows, QWidget* box,
                        int labelWidth, QLabel** status);

// A toolbar docked at the top that cannot be dragged off; bold grey captions.
QToolBar* MakePictureToolBar(QWidget* window);
// An item whose caption's accelerator character also works with Alt.
QAction* AddToolItem(QToolBar* bar, const char* name, const QString& caption);
// "Cop&y", also on Ctrl+C: copies the picture that `shown` gives at the time.
QAction* AddCopyItem(QToolBar* bar, std::function<const TFastDIB&()> shown);

struct TExportItem {
  const char* Name;
  QString Caption;
};
// A submenu of five export items, tags 0 .. 4 in order; choosing one calls
// chosen(tag). Its caption's accelerator opens it.
QMenu* AddExportMenu(QToolBar* bar, const char* name, const QString& caption,
                     const std::array<TExportItem, 5>& items, std::function<void(int tag)> chosen);

// A 24-pixel panel with the status label at (4, 3), labelWidth x 18.
QWidget* MakeStatusPanel(QWidget* window, int labelWidth, QLabel** label);

// "&Go to Source", hidden until the window's picture has a source to go to.
// Choosing it sets `chosen` and closes the window; the opener goes to the
// source once the window has closed. A window that stays open (its unsaved
// change kept) goes nowhere.
QAction* AddGoToSourceItem(QToolBar* bar, QDialog* window, bool& chosen);
// The status line's text with the source after it, when there is one.
QString WithSource(const QString& status, const QString& source);

// A library picture's "Save" is meaningless for a video frame: disabled, caption silver.
void DisableSaveItem(QToolBar* bar, QAction* save);

enum class TCloseAnswer { Save, Discard, Cancel };

// Asked before a window with a changed picture closes: "Save changes to
// <name> before closing?" with Save, Discard and Cancel; where the picture
// cannot be saved (a video frame), "Discard the changes to <name>?" with
// Discard and Cancel. An empty name is "this picture".
TCloseAnswer AskBeforeClosing(QWidget* owner, const QString& name, bool canSave);

}  // namespace kelta

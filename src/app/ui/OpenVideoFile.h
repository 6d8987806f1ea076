#pragma once
// The Open Video command: asks for a video file, opens it in the frame bar
// and readies the main window's controls.

#include <QString>

namespace kelta {

class TMainDlg;

// The filters of the file dialog, the first one selected.
QStringList VideoFileFilters();

// The folder the file dialog opens in: the last folder used in this run, or
// the program folder's samples/ before any was used.
QString VideoFileStartFolder();

// Pauses playback, shows the file dialog and opens the chosen file; playback
// resumes only when the dialog was cancelled. Errors of the decoder propagate
// to the caller (the window shows them as the standard error report).
void OpenVideoFile(TMainDlg& mainDlg);

// The same after the dialog: open the given path as if it had been chosen.
void OpenChosenVideo(TMainDlg& mainDlg, const QString& path);

}  // namespace kelta

#include "app/ui/Theme.h"

#include <QApplication>
#include <QFont>

namespace kelta {

namespace {

const char* const StyleSheet = R"(
QWidget#MainDlg { background: #E7E7E7; color: #686868; }
QWidget#MainDlg QLabel { color: #686868; }
QMenuBar { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #F4F4F4, stop:1 #E2E2E2);
           border-bottom: 1px solid #C5C5C5; color: #404040; }
QMenuBar::item { padding: 2px 8px; background: transparent; }
QMenuBar::item:selected { background: #D6DCE4; }
QMenu { background: #F7F7F7; border: 1px solid #A8A8A8; color: #404040; }
QMenu::item { padding: 3px 24px 3px 20px; }
QMenu::item:selected { background: #C9D5E3; color: #202020; }
QMenu::item:disabled { color: #A0A0A0; }
QMenu::separator { height: 1px; background: #D0D0D0; margin: 3px 6px; }
QFrame#Panel1 { background: #E7E7E7; }
QFrame#Image2 { background: #C5C5C5; }
QPushButton { font-weight: bold; color: #686868; border: 1px solid #B5B5B5; border-radius: 3px;
              background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #FDFDFD, stop:1 #E0E0E0); }
QPushButton:hover { border-color: #8FA4BC;
                    background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #FFFFFF, stop:1 #E6ECF3); }
QPushButton:pressed { background: #D3D9E1; }
/* The button Tab reached, ready for Space. */
QPushButton:focus { border: 2px solid #1F56A8; }
QPushButton:disabled { color: #B4B4B4; border-color: #CFCFCF; background: #EDEDED; }
QFrame#FlatPanel1 { background: #FFFFFF; border: 1px solid #C5C5C5; }
QWidget#SliderStrip { background: #FFFFFF; }
QSlider::groove:horizontal { height: 4px; background: #C9CED6; border-radius: 2px; }
QSlider::handle:horizontal { width: 10px; margin: -6px 0; border-radius: 3px; border: 1px solid #7D8FA5;
                             background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #FFFFFF, stop:1 #C6D0DC); }
QSlider::handle:horizontal:disabled { border-color: #C0C0C0; background: #E4E4E4; }
/* A slider with the keyboard focus says so: a darker groove, a blue-edged handle. */
QSlider::groove:horizontal:focus { background: #6F8FB8; }
QSlider::handle:horizontal:focus { border-color: #1F56A8;
                                   background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #FFFFFF, stop:1 #9FB9DA); }
QFrame#Panel3 { background: #FFFFFF; border: 1px solid #C5C5C5; border-top: none; }
QFrame#Panel3 > QLabel#Label1 { color: #FFFFFF; font-weight: bold; background: transparent; }
QTreeWidget { border: none; border-top: 1px solid #D8D8D8; border-bottom: 1px solid #D8D8D8;
              background: #FFFFFF; color: #404040; }
QTreeWidget:focus { border-top: 2px solid #1F56A8; border-bottom: 2px solid #1F56A8; }
QLabel#imgThumb { background: #FFFFFF; }
QFrame#LinePanel1 { background: #E7E7E7; border-top: 1px solid #C5C5C5; }
QLabel#lbStatus { color: #686868; }
QProgressBar { border: 1px solid #A8A8A8; background: #FFFFFF; }
QProgressBar::chunk { background: #7D98B8; }
)";

}  // namespace

void ApplyTheme(QApplication& app) {
  QFont font(QStringLiteral("Tahoma"));
  font.setPointSize(8);
  app.setFont(font);
  app.setStyleSheet(QString::fromLatin1(StyleSheet));
}

}  // namespace kelta

#pragma once
// Kelta's icon: a film strip across a dark square, its middle frame lit and
// marked with a shutter. One list of shapes draws it as pixels (the window
// icon, the installed PNG sizes) and writes it as SVG (the scalable icon),
// so the two never drift apart.

#include <QIcon>
#include <QImage>
#include <QString>

namespace kelta {

// The icon drawn at size x size pixels, transparent around its rounded square.
QImage DrawAppIcon(int size);
// The same shapes as an SVG document on a 256-unit canvas.
QString AppIconSvg();
// The window icon, drawn at the sizes window systems ask for.
QIcon AppIcon();

}  // namespace kelta

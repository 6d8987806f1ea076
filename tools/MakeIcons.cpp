// kelta_make_icons FOLDER: writes kelta.svg and kelta-<size>.png for the
// desktop entry's icon theme folders.
#include <cstdio>

#include <QDir>
#include <QFile>
#include <QGuiApplication>

#include "app/ui/AppIcon.h"

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: kelta_make_icons FOLDER\n");
    return 2;
  }
  const QDir folder(QString::fromLocal8Bit(argv[1]));
  if (!folder.mkpath(QStringLiteral("."))) return 1;
  for (int size : {16, 24, 32, 48, 64, 128, 256}) {
    if (!kelta::DrawAppIcon(size).save(folder.filePath(QStringLiteral("kelta-%1.png").arg(size)))) return 1;
  }
  QFile svg(folder.filePath(QStringLiteral("kelta.svg")));
  if (!svg.open(QIODevice::WriteOnly) || svg.write(kelta::AppIconSvg().toUtf8()) < 0) return 1;
  return 0;
}

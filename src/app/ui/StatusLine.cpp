#include "app/ui/StatusLine.h"

#include <algorithm>
#include <cstdlib>

namespace kelta {

QString VideoTimeText(std::int64_t ms) {
  if (ms < 0) ms = 0;
  const std::int64_t hours = ms / 3600000;
  return QStringLiteral("%1:%2:%3.%4")
      .arg(hours, 2, 10, QLatin1Char('0'))
      .arg(ms / 60000 % 60, 2, 10, QLatin1Char('0'))
      .arg(ms / 1000 % 60, 2, 10, QLatin1Char('0'))
      .arg(ms % 1000, 3, 10, QLatin1Char('0'));
}

namespace {

QString FramePart(const TStatusFacts& facts) {
  if (facts.FrameNumber >= 0 && facts.FrameCount > 0)
    return QStringLiteral(" - Frame %1 / %2").arg(facts.FrameNumber + 1).arg(facts.FrameCount);
  if (facts.FrameNumber >= 0) return QStringLiteral(" - Frame %1").arg(facts.FrameNumber + 1);
  if (facts.FrameCount > 0) return QStringLiteral(" - %1 frames").arg(facts.FrameCount);
  return QString();
}

QString ChapterPart(const TStatusFacts& facts) {
  if (facts.Chapter <= 0) return QString();
  return QStringLiteral(" - Chapter %1 / %2").arg(facts.Chapter).arg(facts.ChapterCount);
}

QString RatePart(const TStatusFacts& facts) {
  // While playing, the rate the frames actually reach the screen, once known.
  if (facts.Playing && facts.MeasuredRate > 0.0)
    return QStringLiteral(" (playing at %1 fps)").arg(facts.MeasuredRate, 0, 'f', 2);
  return QStringLiteral(" (%1 fps)").arg(facts.NominalRate, 0, 'f', 2);
}

}  // namespace

int NameRoom(const QString& path, const QFontMetrics& metrics) {
  return std::min(metrics.horizontalAdvance(path), 20 * metrics.averageCharWidth());
}

QString StatusLineText(const TStatusFacts& facts, const QFontMetrics& metrics, int width) {
  const QString size = QStringLiteral(" - [%1x%2]").arg(facts.Width).arg(facts.Height);
  const QString time = ChapterPart(facts) + QStringLiteral(" - Time: ") + VideoTimeText(facts.TimeMs);
  const QString frame = FramePart(facts);
  const QString rate = RatePart(facts);
  const QString still = facts.Still.isEmpty() ? QString() : QStringLiteral(" - ") + facts.Still;

  // The parts that may go, in the order they go.
  QString tail = size + time + frame + still + rate;
  const QString minimalName = QStringLiteral("\u2026");
  const int nameStub = std::max(NameRoom(facts.Path, metrics), metrics.horizontalAdvance(minimalName));
  if (nameStub + metrics.horizontalAdvance(tail) > width) tail = time + frame + still + rate;
  if (nameStub + metrics.horizontalAdvance(tail) > width) tail = time + frame + still;
  if (nameStub + metrics.horizontalAdvance(tail) > width) tail = time + frame;

  const int nameRoom = width - metrics.horizontalAdvance(tail);
  QString name = metrics.elidedText(facts.Path, Qt::ElideMiddle, std::max(nameRoom, 0));
  // The name never vanishes altogether: the ellipsis says there is one.
  if (name.isEmpty() && !facts.Path.isEmpty()) name = minimalName;
  return name + tail;
}

}  // namespace kelta

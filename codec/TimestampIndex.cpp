#include "TimestampIndex.h"

#include <algorithm>

namespace kelta::codec {

std::int64_t TimestampIndex::FrameAt(std::int64_t pts) const {
  const auto it = std::lower_bound(frames.begin(), frames.end(), pts);
  return it != frames.end() && *it == pts ? std::int64_t(it - frames.begin()) : -1;
}

std::int64_t TimestampIndex::FirstFrameFrom(std::int64_t pts) const {
  return std::int64_t(std::lower_bound(frames.begin(), frames.end(), pts) - frames.begin());
}

TimestampIndex BuildTimestampIndex(const std::vector<TimedPacket>& packets) {
  TimestampIndex index;
  const auto first = std::find_if(packets.begin(), packets.end(), [](const TimedPacket& p) { return p.startsGroup; });
  if (first == packets.end()) return index;
  const std::int64_t origin = first->pts;

  // The frames: every picture from the first group on that is shown after
  // its first picture, and the first group's leading pictures when they can
  // be decoded. The earliest time each group's decode gives goes with it.
  struct Start {
    const TimedPacket* packet;
    std::int64_t earliest;
  };
  std::vector<Start> starts;
  for (auto it = first; it != packets.end(); ++it) {
    if (it->startsGroup) starts.push_back({&*it, it->pts});
    Start& group = starts.back();
    const bool leading = it->pts < group.packet->pts;
    if (leading && group.packet->leadingDecodable) group.earliest = std::min(group.earliest, it->pts);
    const bool shown = it->pts >= origin || (starts.size() == 1 && group.packet->leadingDecodable);
    if (shown) index.frames.push_back(it->pts);
  }
  std::sort(index.frames.begin(), index.frames.end());
  index.frames.erase(std::unique(index.frames.begin(), index.frames.end()), index.frames.end());

  // Groups whose position or first frame does not rise are left out: a seek
  // by either must find them in order, and the group before reaches their
  // frames as well.
  for (const Start& s : starts) {
    TimedGroup g;
    g.pos = s.packet->pos;
    g.pts = s.packet->pts;
    g.seekTime = s.packet->dts == TimedPacket::NoTime ? g.pts : std::min(g.pts, s.packet->dts);
    g.firstFrame = index.FirstFrameFrom(s.earliest);
    g.dropBefore = s.packet->leadingDecodable ? TimedPacket::NoTime : g.pts;
    if (g.firstFrame >= std::int64_t(index.frames.size())) continue;
    if (!index.groups.empty()) {
      const TimedGroup& last = index.groups.back();
      if (g.firstFrame <= last.firstFrame || (g.pos >= 0 && last.pos >= 0 && g.pos <= last.pos)) continue;
    }
    index.groups.push_back(g);
  }
  return index;
}

}  // namespace kelta::codec

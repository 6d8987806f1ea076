// The frame index of timestamped video: which pictures are frames, in what
// order, and where a decode for each frame starts.

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "codec/TimestampIndex.h"

namespace {

using kelta::codec::BuildTimestampIndex;
using kelta::codec::TimedPacket;
using kelta::codec::TimestampIndex;

// Pictures in file order by presentation time; `group` marks those that
// start a group.
std::vector<TimedPacket> Packets(std::initializer_list<std::pair<std::int64_t, bool>> pictures,
                                 bool leadingDecodable = false) {
  std::vector<TimedPacket> packets;
  std::int64_t pos = 100;
  for (const auto& [pts, group] : pictures) {
    TimedPacket p;
    p.pts = pts;
    p.pos = pos += 10;
    p.startsGroup = group;
    p.leadingDecodable = group && leadingDecodable;
    packets.push_back(p);
  }
  return packets;
}

std::vector<std::int64_t> FirstFrames(const TimestampIndex& index) {
  std::vector<std::int64_t> frames;
  for (const auto& g : index.groups) frames.push_back(g.firstFrame);
  return frames;
}

// Two open groups, I B B P B B: the first group's leading pictures have
// nothing to refer to and are no frames; the second's come from a decode of
// the first group, and a decode started at the second drops them.
TEST(TimestampIndex, OpenGroupsLeadingPicturesBelongToTheGroupBefore) {
  const TimestampIndex index = BuildTimestampIndex(
      Packets({{2, true}, {0, false}, {1, false}, {5, false}, {3, false}, {4, false},
               {8, true}, {6, false}, {7, false}, {11, false}, {9, false}, {10, false}}));
  EXPECT_EQ(index.frames, (std::vector<std::int64_t>{2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
  EXPECT_EQ(FirstFrames(index), (std::vector<std::int64_t>{0, 6}));
  EXPECT_EQ(index.groups[1].dropBefore, 8);
  EXPECT_EQ(index.FrameAt(6), 4);
  EXPECT_EQ(index.FrameAt(1), -1);
  EXPECT_EQ(index.FirstFrameFrom(7), 5);
}

// Closed groups: their leading pictures decode on their own, are frames,
// and a decode started at the group gives them first.
TEST(TimestampIndex, ClosedGroupsKeepTheirLeadingPictures) {
  const TimestampIndex index = BuildTimestampIndex(
      Packets({{2, true}, {0, false}, {1, false}, {5, false}, {3, false}, {4, false},
               {8, true}, {6, false}, {7, false}, {11, false}, {9, false}, {10, false}},
              true));
  EXPECT_EQ(index.frames.size(), 12u);
  EXPECT_EQ(FirstFrames(index), (std::vector<std::int64_t>{0, 6}));
  EXPECT_EQ(index.groups[1].dropBefore, TimedPacket::NoTime);
}

// Pictures before the first group cannot be decoded; a group whose position
// does not rise past the one before is left to that one.
TEST(TimestampIndex, OnlyWhatADecodeReachesCounts) {
  std::vector<TimedPacket> packets = Packets({{-3, false}, {0, true}, {1, false}, {2, true}, {3, false}});
  packets[3].pos = packets[1].pos;
  const TimestampIndex index = BuildTimestampIndex(packets);
  EXPECT_EQ(index.frames, (std::vector<std::int64_t>{0, 1, 2, 3}));
  EXPECT_EQ(FirstFrames(index), (std::vector<std::int64_t>{0}));
  EXPECT_TRUE(BuildTimestampIndex(Packets({{0, false}, {1, false}})).groups.empty());
}

}  // namespace

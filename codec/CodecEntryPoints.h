#pragma once
// The entry points of codec.so as a program that loads the plugin holds
// them: addresses resolved by name at run time, each typed after its own
// declaration in CodecApi.h, so that a change there reaches every caller.

#include "CodecApi.h"

namespace kelta::codec {

struct EntryPoints {
  decltype(&::openFile) openFile = nullptr;
  decltype(&::getFrameInfo) getFrameInfo = nullptr;
  decltype(&::getFileInfo) getFileInfo = nullptr;
  decltype(&::closeFile) closeFile = nullptr;
  decltype(&::getFrame) getFrame = nullptr;
  decltype(&::seek) seek = nullptr;
  decltype(&::skipFrames) skipFrames = nullptr;
  decltype(&::setPixelFormat) setPixelFormat = nullptr;
  decltype(&::setRGBScaleFlag) setRGBScaleFlag = nullptr;
  decltype(&::writeToFile) writeToFile = nullptr;

  // Calls resolve(member, name) for each entry point, in the order a loader
  // resolves them, so that the first one missing is the one reported.
  // `resolve` stores the address found for `name` into `member`.
  template <typename Resolve>
  void ResolveAll(Resolve&& resolve) {
    resolve(openFile, "openFile");
    resolve(getFrameInfo, "getFrameInfo");
    resolve(getFileInfo, "getFileInfo");
    resolve(closeFile, "closeFile");
    resolve(getFrame, "getFrame");
    resolve(seek, "seek");
    resolve(skipFrames, "skipFrames");
    resolve(setPixelFormat, "setPixelFormat");
    resolve(setRGBScaleFlag, "setRGBScaleFlag");
    resolve(writeToFile, "writeToFile");
  }
};

// The optional entry points: null where the loaded plugin lacks them.
struct OptionalEntryPoints {
  decltype(&::getFrameCount) getFrameCount = nullptr;
  decltype(&::getFrameNumber) getFrameNumber = nullptr;
  decltype(&::seekFrame) seekFrame = nullptr;
  decltype(&::setOpenProgress) setOpenProgress = nullptr;
  decltype(&::openDvdCells) openDvdCells = nullptr;
  decltype(&::getCleanStill) getCleanStill = nullptr;
  decltype(&::getOpenFailure) getOpenFailure = nullptr;
  decltype(&::getChapterFrames) getChapterFrames = nullptr;
  decltype(&::getSubtitleStreams) getSubtitleStreams = nullptr;
  decltype(&::setSubtitleStream) setSubtitleStream = nullptr;
  decltype(&::getSubtitle) getSubtitle = nullptr;

  // Frame-exact navigation needs all three of its entry points.
  bool FrameNavigation() const { return getFrameCount && getFrameNumber && seekFrame; }
  // Subtitles need all three of theirs.
  bool Subtitles() const { return getSubtitleStreams && setSubtitleStream && getSubtitle; }

  template <typename Resolve>
  void ResolveAll(Resolve&& resolve) {
    resolve(getFrameCount, "getFrameCount");
    resolve(getFrameNumber, "getFrameNumber");
    resolve(seekFrame, "seekFrame");
    resolve(setOpenProgress, "setOpenProgress");
    resolve(openDvdCells, "openDvdCells");
    resolve(getCleanStill, "getCleanStill");
    resolve(getOpenFailure, "getOpenFailure");
    resolve(getChapterFrames, "getChapterFrames");
    resolve(getSubtitleStreams, "getSubtitleStreams");
    resolve(setSubtitleStream, "setSubtitleStream");
    resolve(getSubtitle, "getSubtitle");
  }
};

}  // namespace kelta::codec

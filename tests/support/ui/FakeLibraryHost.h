#pragma once
// A stand-in for the frame bar and the main window: counts pauses, resumes,
// repaints and thumbnail changes, notes the videos opened and the reasons
// given for commands that could not act, and holds a frame of its own.

#include <QImage>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <vector>

#include "imaging/FastDIB.h"
#include "library/ui/LibraryHost.h"

namespace kelta::test {

class TFakeLibraryHost : public TLibraryHost {
 public:
  bool IsPlaying = false;
  bool IsOpened = false;
  int Pauses = 0;
  int Plays = 0;
  int Repaints = 0;
  int Clears = 0;
  int Thumbnails = 0;
  QImage Thumbnail;
  QStringList OpenedVideos;
  // For each video opened: whether playback is to resume if it does not open.
  QList<bool> ResumeRequests;
  QStringList Explanations;
  TFastDIB Frame;
  TDisplayAspect Aspect;  // of Frame; unknown unless a test sets it
  // The frames near Frame the host hands out, copies each time; none unless a test sets them.
  std::vector<TFastDIB> Nearby;
  int NearbyAsked = 0;
  QWidget MainWindow;

  bool Playing() override { return IsPlaying; }
  void Pause() override {
    ++Pauses;
    IsPlaying = false;
  }
  void Play() override {
    ++Plays;
    IsPlaying = true;
  }
  bool FileOpened() override { return IsOpened; }
  TFastDIB& FrameDIB() override { return Frame; }
  TDisplayAspect FrameAspect() override { return Aspect; }
  void StartOpeningVideo(const QString& path, TPlaybackBefore before) override {
    OpenedVideos << path;
    ResumeRequests << (before == TPlaybackBefore::Playing);
    IsOpened = true;
  }
  QWidget* Window() override { return &MainWindow; }
  void Repaint() override { ++Repaints; }
  void ClearThumbnail() override { ++Clears; }
  void SetThumbnail(const QImage& picture) override {
    ++Thumbnails;
    Thumbnail = picture;
  }
  void Explain(const QString& why) override { Explanations << why; }
  std::vector<TFastDIB> FramesNearFrame() override {
    ++NearbyAsked;
    std::vector<TFastDIB> copies;
    for (const TFastDIB& frame : Nearby) {
      TFastDIB& copy = copies.emplace_back();
      copy.SetSize(frame.Width(), frame.Height(), std::uint8_t(frame.BitCount()));
      if (!copy.Empty()) frame.Draw(copy, 0, 0);
    }
    return copies;
  }
};

}  // namespace kelta::test

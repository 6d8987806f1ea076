#pragma once
// The Qt test classes of the video windows, run together by main.cpp.

#include <QObject>
#include <QTemporaryDir>

namespace kelta {

class VideoPanelsTest : public QObject {
  Q_OBJECT
 private slots:
  void panelFrameAndShadow();
  void panelWithoutImageShowsOnlyFrame();
  void panelDoubleClick();
};

class PlayThreadTest : public QObject {
  Q_OBJECT
 private slots:
  void reportsFramesThenEndOfStream();
  void errorEndsWithFailedAndStopped();
  void frameOfAnotherShapeEndsWithFailedAndStopped();
  void stoppingWhileWaitingInHandOverReturns();
};

class VideoFrameBarTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase();
  void stripCellRectangles();
  void stripPaintingPixels();
  void missingDecoderShowsTip();
  void cellClickBeforeOpenSelectsNothing();
  void openVideoBuildsStrip();
  void stepShowsNextFrame();
  void playToEnd();
  void pauseWhileWorkerWaitsInHandOver();
  void cellClickDuringPlaybackResumes();
  void openingWhilePlayingStopsPlaybackFirst();
  void failedOpenKeepsTheOpenVideo_data();
  void failedOpenKeepsTheOpenVideo();
  void stepsBackToTheFramesStepsForwardShowed();
  void frameStepsDuringPlaybackResume();

 private:
  QTemporaryDir Dir_;
  QString Video_;
};

}  // namespace kelta

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
  void stripPaintsInTheScreensPixels();
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
  void framesNearTheOneOnScreenLeaveItThere();
  void frameStepsDuringPlaybackResume();
  void picturesShowInTheirShape_data();
  void picturesShowInTheirShape();

 private:
  QTemporaryDir Dir_;
  QString Video_;
};

class VideoOpeningTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase();
  void firstPictureComesBeforeTheWholeOpen_data();
  void firstPictureComesBeforeTheWholeOpen();
  void openThatDoesNotCompleteLeavesThePreviousVideo_data();
  void openThatDoesNotCompleteLeavesThePreviousVideo();
  void secondOpenCancelsTheFirst();
  void destroyingTheBarEndsItsOpen();
  void cancelLeavesTheRealVideoWorking_data();
  void cancelLeavesTheRealVideoWorking();
  void progressRisesToTheEndWithARealFile();

 private:
  // A fake plugin's held open goes on once this file exists.
  QString NewHoldFile();
  static void Release(const QString& holdFile);

  QTemporaryDir Dir_;
  QString Small_, Large_;
  int Holds_ = 0;
};

class StillFrameTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase();
  void pausedFrameIsTheChosenStill_data();
  void pausedFrameIsTheChosenStill();
  void theFirstPictureIsAStillToo();
  void pausingPlaybackLeavesTheStill();
  void aNewChoiceMakesTheFrameOnScreenAgain();

 private:
  QTemporaryDir Dir_;
  QString Interlaced_, Telecined_, Progressive_;
};

}  // namespace kelta

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>
#include <vector>

#include <QTest>

#include "imaging/FastDIB.h"
#include "video/ui/MPEG2PlayThread.h"
#include "video/ui/TestClasses.h"

namespace kelta {

namespace {

// Frames of a 4 x 2 buffer whose bytes all hold the frame's number.
struct TCountingSource {
  int Frames = 0;
  int Delivered = 0;
  std::vector<std::uint8_t> Memory;
  FrameView Next() {
    if (Delivered >= Frames) return {};
    ++Delivered;
    Memory.assign(24, std::uint8_t(Delivered));
    return FrameView::Bgr24(Memory.data(), 4, 2);
  }
};

}  // namespace

void PlayThreadTest::reportsFramesThenEndOfStream() {
  TCountingSource source{3};
  TFastDIB target;
  target.SetSize(4, 2, 24);
  std::vector<TPlayStatus> reports;
  std::vector<std::uint8_t> seen;
  std::atomic<std::int32_t> threshold{-1};
  {
    TMPEG2PlayThread thread([&](std::int32_t t) {
      threshold = t;
      return source.Next();
    });
    thread.Target = &target;
    thread.Threshold = 240;
    thread.OnStatus = [&](TPlayStatus status) {
      reports.push_back(status);
      // The frame is in the target while the worker waits for this call.
      if (status & psFrameReady) seen.push_back(target.Bits()[0]);
    };
    thread.Start();
    QTRY_VERIFY_WITH_TIMEOUT(thread.Finished() && reports.size() == 4, 10000);
  }
  const std::vector<TPlayStatus> expected = {psFrameReady, psFrameReady, psFrameReady, psStopped | psEndOfStream};
  QCOMPARE(reports, expected);
  QCOMPARE(seen, (std::vector<std::uint8_t>{1, 2, 3}));
  QCOMPARE(threshold.load(), 240);
}

void PlayThreadTest::errorEndsWithFailedAndStopped() {
  std::vector<TPlayStatus> reports;
  int calls = 0;
  TMPEG2PlayThread thread([&](std::int32_t) -> FrameView {
    if (++calls == 2) throw std::runtime_error("decoder broke");
    static std::uint8_t frame[24] = {};
    return FrameView::Bgr24(frame, 4, 2);
  });
  TFastDIB target;
  target.SetSize(4, 2, 24);
  thread.Target = &target;
  thread.OnStatus = [&](TPlayStatus status) { reports.push_back(status); };
  thread.Start();
  QTRY_VERIFY_WITH_TIMEOUT(thread.Finished() && reports.size() == 2, 10000);
  QCOMPARE(reports[0], psFrameReady);
  QCOMPARE(reports[1], TPlayStatus(psFailed | psStopped));
}

void PlayThreadTest::frameOfAnotherShapeEndsWithFailedAndStopped() {
  // A 2 x 2 frame (8 bytes a row) for a 4 x 2 target: the copy refuses it.
  std::uint8_t frame[16] = {7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7};
  std::vector<TPlayStatus> reports;
  TMPEG2PlayThread thread([&](std::int32_t) { return FrameView::Bgr24(frame, 2, 2); });
  TFastDIB target;
  target.SetSize(4, 2, 24);
  target.Fill(TBGRColor{1, 2, 3});
  thread.Target = &target;
  thread.OnStatus = [&](TPlayStatus status) { reports.push_back(status); };
  thread.Start();
  QTRY_VERIFY_WITH_TIMEOUT(thread.Finished() && reports.size() == 1, 10000);
  QCOMPARE(reports[0], TPlayStatus(psFailed | psStopped));
  QCOMPARE(target.PixelAt(0, 0), (TBGRColor{1, 2, 3}));
}

void PlayThreadTest::stoppingWhileWaitingInHandOverReturns() {
  std::atomic<int> decoded{0};
  int statusCalls = 0;
  std::uint8_t frame[24] = {};
  auto thread = std::make_unique<TMPEG2PlayThread>([&](std::int32_t) {
    ++decoded;
    return FrameView::Bgr24(frame, 4, 2);
  });
  TFastDIB target;
  target.SetSize(4, 2, 24);
  target.Fill(TBGRColor{1, 2, 3});
  thread->Target = &target;
  thread->OnStatus = [&](TPlayStatus) { ++statusCalls; };
  thread->Start();
  // No events run here: the worker's first report waits for this thread.
  while (decoded.load() == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  QCOMPARE(decoded.load(), 1);
  thread.reset();  // must return although the main thread never ran the call
  QCoreApplication::processEvents();
  QTest::qWait(20);
  // The queued report found no handler any more, and the frame it carried
  // was never shown, so the target does not hold it either.
  QCOMPARE(statusCalls, 0);
  QCOMPARE(decoded.load(), 1);
  QCOMPARE(target.PixelAt(0, 0), (TBGRColor{1, 2, 3}));
}

}  // namespace kelta

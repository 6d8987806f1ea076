#include "video/ui/MPEG2PlayThread.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <stdexcept>

#include <QCoreApplication>
#include <QMetaObject>

#include "imaging/ImageUtils.h"
#include "video/MPEG2Decoder.h"

namespace kelta {

TFrameCopyProc FrameCopyProc = &CopyFrameBits;

// State that a queued status call may still reach after the thread object is
// gone (the call then finds no handler and only marks itself done).
struct TMPEG2PlayThread::TShared {
  std::mutex Mutex;
  std::condition_variable Changed;
  bool CallDone = true;
  bool Terminated = false;
  std::atomic<bool> Finished{false};
  std::atomic<bool> HasStatus{false};
  // Touched only on the main thread.
  TStatusEvent OnStatus;
  // Written by the worker before a call, read on the main thread during it.
  TPlayStatus Status = 0;
  // The decoded frame of a psFrameReady report; the decoder keeps its memory
  // while the worker waits for the call.
  FrameView Frame;
  // Set before the worker starts; written only inside a report's call.
  TFastDIB* Target = nullptr;
  // The report's frame did not fit the target: the run ends.
  bool Refused = false;
};

TMPEG2PlayThread::TMPEG2PlayThread(TMPEG2Decoder* decoder)
    : TMPEG2PlayThread(TFrameSource([decoder](std::int32_t threshold) { return decoder->GetFrame(threshold); })) {}

TMPEG2PlayThread::TMPEG2PlayThread(TFrameSource source)
    : Source_(std::move(source)), Shared_(std::make_shared<TShared>()) {}

TMPEG2PlayThread::~TMPEG2PlayThread() {
  Shared_->HasStatus = false;
  Shared_->OnStatus = nullptr;
  {
    std::lock_guard lock(Shared_->Mutex);
    Shared_->Terminated = true;
  }
  Shared_->Changed.notify_all();
  if (Worker_.joinable()) Worker_.join();
}

void TMPEG2PlayThread::Start() {
  if (Worker_.joinable()) return;
  Shared_->Target = Target;
  Shared_->OnStatus = OnStatus;
  Shared_->HasStatus = static_cast<bool>(OnStatus);
  Worker_ = std::thread([this] { Execute(); });
}

TPlayStatus TMPEG2PlayThread::Status() const { return Shared_->Status; }
bool TMPEG2PlayThread::Finished() const { return Shared_->Finished; }

void TMPEG2PlayThread::CallStatus(TPlayStatus status) {
  if (!Shared_->HasStatus) return;
  std::shared_ptr<TShared> shared = Shared_;
  {
    std::lock_guard lock(shared->Mutex);
    if (shared->Terminated) return;
    shared->Status = status;
    shared->CallDone = false;
  }
  QMetaObject::invokeMethod(
      QCoreApplication::instance(),
      [shared] {
        // A copy, so that a handler which destroys the thread object does not
        // destroy the function it is running in.
        const TStatusEvent handler = shared->OnStatus;
        if (handler && shared->HasStatus) {
          // The frame reaches the target only here, where it is shown: a
          // frame decoded while playback was being stopped never does.
          if ((shared->Status & psFrameReady) && shared->Target != nullptr && FrameCopyProc != nullptr &&
              !FrameCopyProc(shared->Frame, *shared->Target)) {
            shared->Refused = true;
            shared->Status = psFailed | psStopped;
          }
          handler(shared->Status);
        }
        {
          std::lock_guard lock(shared->Mutex);
          shared->CallDone = true;
        }
        shared->Changed.notify_all();
      },
      Qt::QueuedConnection);
  std::unique_lock lock(shared->Mutex);
  shared->Changed.wait(lock, [&] { return shared->CallDone || shared->Terminated; });
}

void TMPEG2PlayThread::Execute() {
  TShared& shared = *Shared_;
  auto terminated = [&shared] {
    std::lock_guard lock(shared.Mutex);
    return shared.Terminated;
  };
  try {
    while (!terminated()) {
      const FrameView frame = Source_(Threshold);
      if (!frame) {
        CallStatus(psStopped | psEndOfStream);
        shared.Finished = true;
        return;
      }
      shared.Frame = frame;
      CallStatus(psFrameReady);
      // A frame the target cannot hold was reported as the run's failure.
      if (shared.Refused) break;
    }
  } catch (...) {
    // Errors never leave the worker; the report tells the main thread.
    CallStatus(psFailed | psStopped);
  }
  shared.Finished = true;
}

}  // namespace kelta

#pragma once
// TMPEG2PlayThread: decodes frames one after another on a worker thread and
// reports each to the main thread through a synchronous status call, which
// copies the frame into Target on the main thread just before the handler
// shows it: Target only ever holds a frame that was shown, also when
// playback stops between a decode and its report. The worker never paces
// itself: the status call holds it until the main thread has shown the frame.
//
// Stopping never deadlocks: destruction clears OnStatus and breaks the
// worker's wait for the main thread directly, so it does not depend on the
// main thread running its queued calls.

#include <cstdint>
#include <functional>
#include <memory>
#include <thread>

#include "codec/FrameView.h"
#include "imaging/FastDIB.h"

namespace kelta {

class TMPEG2Decoder;

// The status flags of one report, held in one byte.
using TPlayStatus = std::uint8_t;
constexpr TPlayStatus psFrameReady = 1;
constexpr TPlayStatus psFailed = 2;
constexpr TPlayStatus psStopped = 4;
constexpr TPlayStatus psEndOfStream = 16;

// The process-wide routine that copies a decoded frame into a buffer of the
// same shape, and refuses (false, nothing copied) a buffer of another shape;
// the frame bar installs CopyFrameBits.
using TFrameCopyProc = bool (*)(const FrameView& source, TFastDIB& dib);
extern TFrameCopyProc FrameCopyProc;

class TMPEG2PlayThread {
 public:
  // Where frames come from: the next frame for the given blend threshold, or
  // a view of no frame at the end. May throw; an error ends the run with
  // psFailed, and so does a frame that the copy refuses for its shape.
  using TFrameSource = std::function<FrameView(std::int32_t threshold)>;
  using TStatusEvent = std::function<void(TPlayStatus status)>;

  // Created suspended; the creator sets Target, OnStatus, Threshold, then Start().
  explicit TMPEG2PlayThread(TMPEG2Decoder* decoder);
  explicit TMPEG2PlayThread(TFrameSource source);
  // Clears OnStatus, asks the worker to end and waits for it.
  ~TMPEG2PlayThread();
  TMPEG2PlayThread(const TMPEG2PlayThread&) = delete;
  TMPEG2PlayThread& operator=(const TMPEG2PlayThread&) = delete;

  TFastDIB* Target = nullptr;
  std::int32_t Threshold = 0;
  // Called on the main thread for every report while the worker waits.
  TStatusEvent OnStatus;

  void Start();
  // The flags of the current report; valid inside OnStatus (the worker is
  // blocked then) and after the thread has ended.
  TPlayStatus Status() const;
  // True once the worker has left its loop by itself or was stopped.
  bool Finished() const;

 private:
  struct TShared;
  void Execute();
  void CallStatus(TPlayStatus status);

  TFrameSource Source_;
  std::shared_ptr<TShared> Shared_;
  std::thread Worker_;
};

}  // namespace kelta

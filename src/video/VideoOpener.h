#pragma once
// TVideoOpener: opens a video on a worker thread of its own, in three stages
// whose results are handed over as soon as each is ready:
//  1. a quick look: the decoder opened on the head of the file or the DVD
//     title alone (QuickLookBytes) gives the first picture within
//     milliseconds, whatever the size of the video;
//  2. the open of the whole video, whose pass over the file to index its
//     groups of pictures takes nearly all the time; its progress is reported
//     by the bytes read;
//  3. the strip: the frame at each of the evenly spread positions, reduced
//     to a thumbnail in the video's shape, between black bars.
// The owner takes what is ready with Take() and learns that there is
// something to take through a callback on the worker thread. Cancel() and
// the destructor end the work within milliseconds when the plugin reports
// its reading; with an older plugin the open of the whole video runs to its
// end first.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "imaging/DisplayAspect.h"
#include "imaging/FastDIB.h"
#include "video/MPEG2Decoder.h"

namespace kelta {

class TVideoOpener {
 public:
  // Enough for the first group of pictures of any DVD, read in a few
  // milliseconds.
  static constexpr std::int64_t QuickLookBytes = 4 << 20;
  // Of the progress in percent, the share of the pass over the file; the
  // strip's frames take the rest up to 99, and the end of the open is 100.
  static constexpr int IndexPercent = 90;

  struct TRequest {
    // The file, or the name of the DVD title whose cells Dvd lists.
    std::string Path;
    TDvdCells Dvd;
    // A fresh decoder for the video, made on the worker thread.
    std::function<std::unique_ptr<TMPEG2Decoder>()> MakeDecoder;
    // The line blend threshold of the frames (see TMPEG2Decoder::GetFrame).
    std::int32_t Threshold = 0;
    // Width and height of each strip cell's thumbnail, in strip order.
    std::vector<std::pair<int, int>> ThumbSizes;
  };

  struct TCell {
    int Index = 0;
    TFastDIB Thumb;
    // The decoder's position right after seeking to the cell's share of the file.
    std::int64_t Position = 0;
  };

  // What became ready since the last Take().
  struct TNews {
    // The quick look's first frame at the video's size, and the shape it is
    // shown at; empty unless new.
    TFastDIB FirstPicture;
    TDisplayAspect FirstAspect;
    // The progress in percent when it moved on; -1 otherwise.
    int Percent = -1;
    std::vector<TCell> Cells;
    bool Ended = false;
    // Once ended: why the open failed, or else the decoder, back at the
    // start of the video, and the video's first frame.
    std::exception_ptr Error;
    std::unique_ptr<TMPEG2Decoder> Decoder;
    TFastDIB First;
  };

  // Starts the worker. `notify` is called on the worker thread when news
  // appears while the owner has taken everything told of before.
  TVideoOpener(TRequest request, std::function<void()> notify);
  // Cancels and waits for the worker.
  ~TVideoOpener();
  TVideoOpener(const TVideoOpener&) = delete;
  TVideoOpener& operator=(const TVideoOpener&) = delete;

  void Cancel() { Cancelled_ = true; }
  TNews Take();
  // Returns once there is news to take.
  void WaitForNews();

 private:
  void Run();
  // Opens the head of the file or title and hands over its first frame;
  // true when the head is the whole video, which is then open. A head that does not
  // open leaves the decision to the open of the whole video.
  bool QuickLook(TMPEG2Decoder& decoder);
  void MakeStrip(TMPEG2Decoder& decoder, TFastDIB& first);
  void ReportPercent(int percent);
  // Changes the news under the lock, and tells the owner when it has taken
  // everything told of before.
  void Publish(const std::function<void(TNews&)>& change);
  void ThrowIfCancelled() const;

  const TRequest Request_;
  const std::function<void()> Notify_;
  std::atomic<bool> Cancelled_{false};
  int Percent_ = 0;  // worker only

  std::mutex Mutex_;
  std::condition_variable Changed_;
  TNews News_;
  bool HasNews_ = false;
  bool Told_ = false;

  std::thread Worker_;
};

}  // namespace kelta

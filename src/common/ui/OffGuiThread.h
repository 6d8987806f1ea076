#pragma once
// Work that may take long (reading a disc through a helper process) run on a
// thread of its own while the window goes on painting: the caller waits in
// an event loop that leaves the user's input queued until the work is done,
// so nothing the user does can start a second command meanwhile. The
// result, or the work's exception, comes back as from a plain call.

#include <QEventLoop>
#include <QMetaObject>

#include <exception>
#include <optional>
#include <thread>
#include <type_traits>
#include <utility>

#include "common/ui/BusyCursor.h"

namespace kelta {

template <typename Work>
auto RunOffGuiThread(Work&& work) -> std::invoke_result_t<Work&> {
  using Result = std::invoke_result_t<Work&>;
  TBusyCursor busy;
  QEventLoop loop;
  std::optional<std::conditional_t<std::is_void_v<Result>, bool, Result>> result;
  std::exception_ptr error;
  std::thread worker([&] {
    try {
      if constexpr (std::is_void_v<Result>) {
        work();
        result = true;
      } else {
        result.emplace(work());
      }
    } catch (...) {
      error = std::current_exception();
    }
    // Queued, so that it also ends a loop that has not started yet.
    QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
  });
  loop.exec(QEventLoop::ExcludeUserInputEvents);
  worker.join();
  if (error) std::rethrow_exception(error);
  if constexpr (!std::is_void_v<Result>) return std::move(*result);
}

}  // namespace kelta

#pragma once
// Why an update check failed, and the line that tells the user so.

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

namespace kelta {

enum class TUpdateFailureKind : std::uint8_t {
  None,              // the check ended normally
  Aborted,           // the user (or the closing dialog) ended it: nothing to explain
  Refused,           // nothing listens at the server's address
  HostNotFound,      // the server's name could not be looked up
  ConnectionClosed,  // the server hung up before answering
  NetworkError,      // any other network failure, described by Detail
  HttpStatus,        // the server answered with a status other than 2xx
  Timeout,           // no complete answer within Deadline
  TooLarge,          // more than MaxUpdateAnswerBytes without a valid record
  WebPage,           // a web page came back instead of the record
};

struct TUpdateFailure {
  TUpdateFailureKind Kind = TUpdateFailureKind::None;
  int HttpStatus = 0;                    // for HttpStatus
  std::chrono::milliseconds Deadline{};  // for Timeout
  std::string Detail;                    // for NetworkError: the network layer's own words
};

inline constexpr std::string_view UnreachablePrefix = "Could not reach the update server: ";

// The reason alone, e.g. "HTTP 404 Not Found"; empty for None and Aborted.
std::string UpdateFailureReason(const TUpdateFailure& failure);

// The line the dialog shows: UnreachablePrefix and the reason; empty for
// None and Aborted.
std::string UpdateFailureLine(const TUpdateFailure& failure);

}  // namespace kelta

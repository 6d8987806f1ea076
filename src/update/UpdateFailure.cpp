#include "update/UpdateFailure.h"

#include "update/UpdateAnswer.h"

namespace kelta {

namespace {

// The standard phrase, not the server's: a server's own phrase is whatever it
// likes to send, of any length.
std::string_view StatusPhrase(int status) {
  switch (status) {
    case 300: return "Multiple Choices";
    case 301: return "Moved Permanently";
    case 302: return "Found";
    case 303: return "See Other";
    case 304: return "Not Modified";
    case 307: return "Temporary Redirect";
    case 308: return "Permanent Redirect";
    case 400: return "Bad Request";
    case 401: return "Unauthorized";
    case 403: return "Forbidden";
    case 404: return "Not Found";
    case 405: return "Method Not Allowed";
    case 407: return "Proxy Authentication Required";
    case 408: return "Request Timeout";
    case 410: return "Gone";
    case 429: return "Too Many Requests";
    case 500: return "Internal Server Error";
    case 501: return "Not Implemented";
    case 502: return "Bad Gateway";
    case 503: return "Service Unavailable";
    case 504: return "Gateway Timeout";
    default: return {};
  }
}

std::string Duration(std::chrono::milliseconds span) {
  const auto ms = span.count();
  if (ms % 1000 != 0) return std::to_string(ms) + (ms == 1 ? " millisecond" : " milliseconds");
  return std::to_string(ms / 1000) + (ms == 1000 ? " second" : " seconds");
}

}  // namespace

std::string UpdateFailureReason(const TUpdateFailure& failure) {
  switch (failure.Kind) {
    case TUpdateFailureKind::None:
    case TUpdateFailureKind::Aborted:
      return {};
    case TUpdateFailureKind::Refused:
      return "the connection was refused";
    case TUpdateFailureKind::HostNotFound:
      return "the server name could not be looked up (is the computer online?)";
    case TUpdateFailureKind::ConnectionClosed:
      return "the server closed the connection without an answer";
    case TUpdateFailureKind::NetworkError:
      return failure.Detail.empty() ? std::string("network error") : "network error (" + failure.Detail + ")";
    case TUpdateFailureKind::HttpStatus: {
      std::string reason = "HTTP " + std::to_string(failure.HttpStatus);
      const std::string_view phrase = StatusPhrase(failure.HttpStatus);
      if (!phrase.empty()) (reason += ' ') += phrase;
      return reason;
    }
    case TUpdateFailureKind::Timeout:
      return "the server did not answer within " + Duration(failure.Deadline);
    case TUpdateFailureKind::TooLarge:
      return "the answer is larger than " + std::to_string(MaxUpdateAnswerBytes / 1024) +
             " KiB and holds no update information";
    case TUpdateFailureKind::WebPage:
      return "the answer is a web page, not update information";
  }
  return {};
}

std::string UpdateFailureLine(const TUpdateFailure& failure) {
  const std::string reason = UpdateFailureReason(failure);
  return reason.empty() ? std::string() : std::string(UnreachablePrefix) + reason;
}

}  // namespace kelta

#pragma once
// Errors the output writers raise. Callers let them reach the standard error
// report, which shows what() as the message text.

#include <stdexcept>
#include <string>

namespace kelta {

// A target file that cannot be created or written.
class EFCreateError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The JPEG codec refused a picture.
class EJpegError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The PDF writer was handed something it cannot place.
class EPdfError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace kelta

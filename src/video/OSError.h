#pragma once
// EOSError: a failure reported by the operating system (a library that cannot
// be loaded, a file that cannot be copied), carrying the system's own text.

#include <stdexcept>
#include <string>

namespace kelta {

class EOSError : public std::runtime_error {
 public:
  // Code is the errno value when there is one, 0 for loader messages.
  explicit EOSError(const std::string& Message, int Code = 0)
      : std::runtime_error(Message), Code_(Code) {}
  int Code() const noexcept { return Code_; }

 private:
  int Code_;
};

}  // namespace kelta

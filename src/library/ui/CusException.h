#pragma once
// Shows one of the library's fixed notices, chosen by a code, at construction.

class QWidget;

namespace kelta {

class TcusException {
 public:
  static constexpr int UnknownError = 8192;
  static constexpr int NoNodeFocused = 8193;
  static constexpr int NoFilmFocused = 8194;

  // 8192: the "Unknown error!" box; 8193 and 8194: the film tip window;
  // any other code: nothing.
  TcusException(int code, QWidget* owner);
};

}  // namespace kelta

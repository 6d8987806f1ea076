#pragma once
// The wait cursor over the whole program while a long save, export or print
// runs on the main thread; restored however the work ends.

namespace kelta {

class TBusyCursor {
 public:
  TBusyCursor();
  ~TBusyCursor();
  TBusyCursor(const TBusyCursor&) = delete;
  TBusyCursor& operator=(const TBusyCursor&) = delete;
};

}  // namespace kelta

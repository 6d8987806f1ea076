#pragma once
// A picture object that report items can hold. Items check the concrete kind
// they accept (a JPEG picture item takes only JPEG pictures).

namespace kelta {

class TGraphic {
 public:
  virtual ~TGraphic() = default;
  virtual bool Empty() const = 0;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
};

}  // namespace kelta

#pragma once
// A JPEG picture: a pixel buffer compressed with libjpeg into a complete
// JPEG file held in memory.

#include <cstdint>
#include <string>

#include "imaging/FastDIB.h"
#include "output/Graphic.h"

namespace kelta {

class TJpegImage : public TGraphic {
 public:
  int CompressionQuality = 90;  // 1 .. 100, libjpeg's scale
  bool Grayscale() const { return Grayscale_; }

  // Takes a copy of the picture; compression happens in Compress.
  void Assign(const TFastDIB& dib);
  // Compresses the assigned picture. Raises EJpegError with the codec's
  // message when it refuses (an empty picture, sizes beyond JPEG's limits).
  void Compress();

  bool Empty() const override { return Data_.empty(); }
  int Width() const override { return Width_; }
  int Height() const override { return Height_; }
  // The JPEG file's bytes, after Compress.
  const std::string& Data() const { return Data_; }

 private:
  // Colour, baseline pictures: nothing Kelta writes asks for the others.
  bool Grayscale_ = false;
  bool ProgressiveEncoding_ = false;
  TFastDIB Source_;
  std::string Data_;
  int Width_ = 0;
  int Height_ = 0;
};

}  // namespace kelta

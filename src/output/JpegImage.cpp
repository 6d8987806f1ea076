#include "output/JpegImage.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include <jpeglib.h>

#include "output/OutputErrors.h"

namespace kelta {

namespace {

// libjpeg reports fatal errors through error_exit, which must not return.
// Exceptions must not cross libjpeg's C frames, so jump back and raise here.
struct TErrorManager {
  jpeg_error_mgr Pub;
  std::jmp_buf Jump;
  char Message[JMSG_LENGTH_MAX];
};

void ErrorExit(j_common_ptr cinfo) {
  auto* err = reinterpret_cast<TErrorManager*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, err->Message);
  std::longjmp(err->Jump, 1);
}

void SilentOutput(j_common_ptr) {}

struct TCompressState {
  jpeg_compress_struct Info{};
  TErrorManager Err{};
  unsigned char* Out = nullptr;
  unsigned long OutSize = 0;
};

struct TJpegSettings {
  int Quality;
  bool Grayscale;
  bool Progressive;
};

std::string EncodeJpeg(const TFastDIB& dib, const TJpegSettings& settings) {
  if (dib.Bits() && dib.BitCount() != 24) throw EJpegError("Unsupported bitmap format");
  // Heap-held, so nothing with a destructor lives in the frame setjmp returns to.
  auto state = std::make_unique<TCompressState>();
  jpeg_compress_struct& cinfo = state->Info;
  cinfo.err = jpeg_std_error(&state->Err.Pub);
  state->Err.Pub.error_exit = ErrorExit;
  state->Err.Pub.output_message = SilentOutput;
  if (setjmp(state->Err.Jump)) {
    const std::string message = state->Err.Message;
    jpeg_destroy_compress(&cinfo);
    std::free(state->Out);
    throw EJpegError(message);
  }
  jpeg_create_compress(&cinfo);
  jpeg_mem_dest(&cinfo, &state->Out, &state->OutSize);
  // An empty buffer goes to the codec as a 0 x 0 picture, which it refuses with its own message.
  cinfo.image_width = dib.Bits() ? static_cast<JDIMENSION>(dib.Width()) : 0;
  cinfo.image_height = dib.Bits() ? static_cast<JDIMENSION>(dib.RowCount()) : 0;
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_EXT_BGR;  // the buffer's own byte order, no conversion pass
  jpeg_set_defaults(&cinfo);           // YCbCr, 2 x 2 chroma subsampling
  jpeg_set_quality(&cinfo, settings.Quality, TRUE);
  if (settings.Grayscale) jpeg_set_colorspace(&cinfo, JCS_GRAYSCALE);
  if (settings.Progressive) jpeg_simple_progression(&cinfo);
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    // JPEG rows run top-down; the buffer stores its top row last.
    JSAMPROW row = const_cast<JSAMPROW>(dib.PixelPtr(0, static_cast<int>(cinfo.next_scanline)));
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  std::string result(reinterpret_cast<const char*>(state->Out), state->OutSize);
  jpeg_destroy_compress(&cinfo);
  std::free(state->Out);
  return result;
}

}  // namespace

void TJpegImage::Assign(const TFastDIB& dib) {
  Data_.clear();
  Width_ = Height_ = 0;
  Source_.SetSize(dib.Width(), dib.Height(), static_cast<std::uint8_t>(dib.BitCount()));
  if (dib.Bits() && Source_.Bits()) std::memcpy(Source_.Bits(), dib.Bits(), dib.ImageSize());
}

void TJpegImage::Compress() {
  Data_ = EncodeJpeg(Source_, {CompressionQuality, Grayscale_, ProgressiveEncoding_});
  Width_ = Source_.Width();
  Height_ = Source_.RowCount();
}

}  // namespace kelta


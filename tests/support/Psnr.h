#pragma once
// How close a still comes to the picture it should show.

#include <cstdint>

namespace kelta::test {

// Peak signal to noise ratio of two frames of the plugin's layout (24-bit,
// rows padded to 4 bytes) over their pixel bytes, in dB; 99 for identical
// frames.
double Psnr(const std::uint8_t* a, const std::uint8_t* b, int width, int height);

}  // namespace kelta::test

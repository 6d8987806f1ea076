#include "OutputTestSupport.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/wait.h>

namespace kelta::test {

TFastDIB QuadrantPicture(int width, int height) {
  TFastDIB dib;
  dib.SetSize(width, height, 24);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      std::uint8_t* p = dib.PixelPtr(x, y);
      const bool right = x >= width / 2, bottom = y >= height / 2;
      const int ramp = (x + y) * 64 / (width + height);
      p[0] = static_cast<std::uint8_t>((right ? 190 : 30) + ramp);  // blue
      p[1] = static_cast<std::uint8_t>((bottom ? 170 : 40) + ramp);  // green
      p[2] = static_cast<std::uint8_t>((right != bottom ? 180 : 50) + ramp);  // red
    }
  return dib;
}

std::string ReadFile(const std::string& fileName) {
  std::ifstream in(fileName, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteFile(const std::string& fileName, const std::string& data) {
  std::ofstream out(fileName, std::ios::binary | std::ios::trunc);
  out << data;
}

int Run(const std::string& command, std::string* output) {
  std::FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  if (!pipe) return -1;
  std::string text;
  char buf[4096];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0) text.append(buf, n);
  const int status = pclose(pipe);
  if (output) *output = text;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace kelta::test

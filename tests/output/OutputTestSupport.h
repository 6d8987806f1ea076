#pragma once
// Fixtures shared by the output tests: temporary folders, generated
// pictures, and running the command-line PDF tools.

#include <filesystem>
#include <string>

#include "imaging/FastDIB.h"
#include "support/TempFolder.h"

namespace kelta::test {

// Smooth gradients with a distinct colour in each quadrant, so a flipped or
// mirrored picture shows in a comparison while JPEG keeps it close.
TFastDIB QuadrantPicture(int width, int height);

std::string ReadFile(const std::string& fileName);
void WriteFile(const std::string& fileName, const std::string& data);

// Runs a shell command; returns its exit status and fills output with stdout.
int Run(const std::string& command, std::string* output = nullptr);

}  // namespace kelta::test

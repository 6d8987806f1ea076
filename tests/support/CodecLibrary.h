#pragma once
// Loads the built decoder plugin codec.so straight through the dynamic loader,
// the way a foreign program would, and resolves its ten entry points and the
// optional ones it has.

#include <dlfcn.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <type_traits>

#include "codec/CodecEntryPoints.h"

namespace kelta::test {

// The entry points are the members of codec::EntryPoints: Codec_->getFrame().
class CodecLibrary : public codec::EntryPoints {
 public:
  explicit CodecLibrary(const std::string& path) {
    Handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!Handle_) throw std::runtime_error(dlerror());
    ResolveAll([this](auto& entry, const char* name) { Resolve(entry, name); });
    Optional_.ResolveAll([this](auto& entry, const char* name) {
      entry = reinterpret_cast<std::remove_reference_t<decltype(entry)>>(dlsym(Handle_, name));
    });
  }
  ~CodecLibrary() {
    if (Handle_) dlclose(Handle_);
  }
  CodecLibrary(const CodecLibrary&) = delete;
  CodecLibrary& operator=(const CodecLibrary&) = delete;

  // The optional entry points: null where the plugin lacks them.
  const codec::OptionalEntryPoints& Optional() const { return Optional_; }

  KeltaCodecFrameInfo FrameInfo() const {
    KeltaCodecFrameInfo info{};
    getFrameInfo(&info);
    return info;
  }
  KeltaCodecFileInfo FileInfo() const {
    KeltaCodecFileInfo info{};
    getFileInfo(&info);
    return info;
  }

 private:
  template <typename F>
  void Resolve(F& target, const char* name) {
    void* address = dlsym(Handle_, name);
    if (!address) throw std::runtime_error(std::string("codec.so lacks ") + name);
    target = reinterpret_cast<F>(address);
  }
  void* Handle_ = nullptr;
  codec::OptionalEntryPoints Optional_;
};

// The plugin the build put beside the program.
inline std::string BuiltCodecPath() { return std::string(KELTA_PROGRAM_DIR) + "/codec.so"; }

}  // namespace kelta::test

#include "platform/Runtime.h"

#include <unistd.h>

#include <cstdio>

namespace platform {
namespace {

Runtime& DefaultRuntime() {
  static Runtime runtime = [] {
    Runtime r;
    r.debug = [](const std::string& text) { std::fputs(text.c_str(), stderr); };
    r.modulePath = ExecutablePath();
    return r;
  }();
  return runtime;
}

Runtime*& Installed() {
  static Runtime* installed = nullptr;
  return installed;
}

}  // namespace

Runtime& CurrentRuntime() {
  Runtime* r = Installed();
  return r ? *r : DefaultRuntime();
}

ScopedRuntime::ScopedRuntime(Runtime& runtime) : previous_(Installed()) {
  Installed() = &runtime;
}
ScopedRuntime::~ScopedRuntime() {
  Installed() = previous_;
}

std::string ExecutablePath() {
  // readlink cuts silently: a result that fills the buffer may have been cut, so grow and retry.
  for (std::size_t size = 4096; size <= (std::size_t{1} << 24); size *= 2) {
    std::string buf(size, '\0');
    const ssize_t n = readlink("/proc/self/exe", buf.data(), size);
    if (n <= 0) return {};
    if (static_cast<std::size_t>(n) < size) {
      buf.resize(static_cast<std::size_t>(n));
      return buf;
    }
  }
  return {};
}

}  // namespace platform

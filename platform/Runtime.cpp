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
  char buf[4096];
  ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return {};
  return std::string(buf, static_cast<std::size_t>(n));
}

}  // namespace platform

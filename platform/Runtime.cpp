#include "platform/Runtime.h"

#include <cstdio>

namespace platform {
namespace {

Runtime& DefaultRuntime() {
  static Runtime runtime = [] {
    Runtime r;
    r.debug = [](const std::string& text) {
      SendToSystemDebugger(text);
      std::fputs(text.c_str(), stderr);
    };
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

}  // namespace platform

// The process environment that the Win32 stand-ins run in: which host draws the windows, which
// loop carries the messages, which network the sockets reach, where debug output goes, and the
// executable's path and resources. A program (or a test fixture) installs one before it starts.
#pragma once

#include <functional>
#include <string>

namespace platform {

class Host;
class MessageLoop;
struct ResourceModule;
namespace net {
class Backend;
}

// Receives every OutputDebugStringA text.
using DebugSink = std::function<void(const std::string&)>;

struct Runtime {
  Host* host = nullptr;
  MessageLoop* loop = nullptr;
  net::Backend* net = nullptr;
  DebugSink debug;
  std::string modulePath;  // what GetModuleFileNameA reports
  // Name of the per-user folder ($XDG_CONFIG_HOME/<name>) that keeps the profile files of a
  // program folder this process cannot write; empty: the program folder's files only.
  std::string userSettingsName;
  const ResourceModule* resources = nullptr;
};

// The runtime in force; a default one (no host, no network, debug to stderr) before any install.
Runtime& CurrentRuntime();

// Installs a runtime for the lifetime of the object and restores the previous one afterwards.
class ScopedRuntime {
 public:
  explicit ScopedRuntime(Runtime& runtime);
  ~ScopedRuntime();
  ScopedRuntime(const ScopedRuntime&) = delete;
  ScopedRuntime& operator=(const ScopedRuntime&) = delete;

 private:
  Runtime* previous_;
};

// Path of the running executable (empty if unknown): /proc/self/exe on POSIX, on Windows the
// module's UTF-16 path as UTF-8.
std::string ExecutablePath();

// Hands a debug text to the system's debugger as well (OutputDebugString on Windows; nothing on
// POSIX, where standard error carries it).
void SendToSystemDebugger(const std::string& text);

// The name of the per-user settings folder of the programs (Runtime::userSettingsName).
#ifdef _WIN32
inline constexpr const char* kUserSettingsName = "Kestrival";
#else
inline constexpr const char* kUserSettingsName = "kestrival";
#endif

}  // namespace platform

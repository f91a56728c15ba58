// The tool programs that a lab test runs in the tool's namespace: the Linux build's, or, when
// KESTRIVAL_WINDOWS_BIN names the Windows build's bin/ folder, its .exe programs under Wine
// (scripts/wine-run, which gives each network namespace a Wine prefix of its own). The simulated
// readers are the Linux build's either way. Header only.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/support/DialogHarness.h"

namespace testing_support {

inline const char* WindowsToolsFolder() {
  const char* bin = std::getenv("KESTRIVAL_WINDOWS_BIN");
  return bin && *bin ? bin : nullptr;
}

// True when the lab runs the Windows programs.
inline bool WindowsTools() {
  return WindowsToolsFolder() != nullptr;
}

// Where the tool programs are built.
inline std::filesystem::path ToolProgramsFolder() {
  return WindowsTools() ? std::filesystem::path(WindowsToolsFolder()) : BuiltProgramsFolder();
}

// The file name of a program: "kestrival-cli" or "kestrival-cli.exe".
inline std::string ToolFile(const std::string& program) {
  return WindowsTools() ? program + ".exe" : program;
}

// The shell words that start the program copied into the current folder.
inline std::string ToolCommand(const std::string& program) {
  if (!WindowsTools()) return "./" + program;
  const char* source = std::getenv("KESTRIVAL_SOURCE_DIR");
  const std::string root = source ? source : ".";
  return "'" + root + "/scripts/wine-run' ./" + ToolFile(program);
}

// A program's output with the line ends of Linux: a Windows program ends its lines with CR LF.
inline std::string LinuxLineEnds(std::string text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i)
    if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) out += text[i];
  return out;
}

}  // namespace testing_support

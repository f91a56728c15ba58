// The file in which a simulated reader keeps its parameter record across restarts: a first line
// "kestrival-sim-state 1", then "record " and the 720 bytes as 1440 lowercase hexadecimal digits.
#pragma once

#include <filesystem>
#include <string>

#include "params/DevParam.h"

namespace sim {

enum class StateStatus {
  Loaded,   // the record came from the file
  Missing,  // no file yet: the caller keeps its record
  Corrupt,  // the file exists but is not a state file: the caller keeps its record
};

struct StateLoad {
  StateStatus status = StateStatus::Missing;
  DEV_PARAM_T record{};  // valid for Loaded
  std::string message;   // why, for Missing and Corrupt
};

// Reads the state file. Never throws; a file that is unreadable, cut short, or holds anything but
// the two lines counts as Corrupt, with the reason in the message.
StateLoad LoadState(const std::filesystem::path& path);

// Writes the record to `path` + ".tmp" and renames it over `path`, so that a crash at any moment
// leaves either the old or the new file whole. Returns false with the reason in *error.
bool SaveState(const std::filesystem::path& path, const DEV_PARAM_T& record, std::string* error);

// The file's text for a record (what SaveState writes).
std::string StateText(const DEV_PARAM_T& record);

}  // namespace sim

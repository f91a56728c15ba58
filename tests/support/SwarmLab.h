// A swarm of simulated readers in a host of a network lab: kestrival-sim --swarm N answering from
// N addresses added to the host, started and waited for until it says it is ready.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstddef>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/NetLab.h"

namespace testsupport {

// The whole of a file, empty when it cannot be read.
inline std::string ReadText(const std::string& path) {
  std::ifstream in(path);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// Starts `sim` (the kestrival-sim program) with --swarm `readers` on `host`, its output appended
// to `logPath`, with `extra` arguments. Returns its process once it is ready, or -1 with the log
// in *error when it failed or was not ready within `wait`.
inline pid_t StartSwarm(NetLab& lab, const NetLab::Host& host, std::size_t readers,
                        const std::string& sim, const std::string& logPath,
                        const std::vector<std::string>& extra, std::string* error,
                        std::chrono::seconds wait = std::chrono::seconds(60)) {
  const auto added = lab.AddAddresses(host, readers);
  std::vector<std::string> argv = {sim, "--swarm", std::to_string(readers), "--first-address",
                                   NetLab::FormatAddress(added.front())};
  argv.insert(argv.end(), extra.begin(), extra.end());
  NetLab::SpawnOptions spawn;
  spawn.logPath = logPath;
  const pid_t pid = lab.Spawn(host, argv, spawn);
  const auto readyBy = std::chrono::steady_clock::now() + wait;
  for (;;) {
    const std::string log = ReadText(logPath);
    if (log.find("ready swarm=") != std::string::npos) return pid;
    if (log.find("failed") != std::string::npos || std::chrono::steady_clock::now() > readyBy) {
      *error = "the swarm did not start:\n" + log;
      return -1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

}  // namespace testsupport

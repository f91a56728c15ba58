// kestrival-cli: batch work for installers (search, save a reader's configuration as a profile,
// apply it to many readers with read-back) on the real main dialog without a window; the commands
// are in programs/Cli.h. It starts like kestrival: config.ini and language.csv beside the
// executable, the real network. Run it only on a segment of readers or inside a network
// namespace made for it, since its search broadcasts to 255.255.255.255.
//
// With --demo it runs on an in-process virtual segment with the three demo readers instead, and
// nothing leaves the process.
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "platform/Runtime.h"
#include "platform/net/SystemBackend.h"
#include "platform/net/VirtualSegment.h"
#include "programs/Cli.h"
#include "sim/Demo.h"

int main(int argc, char** argv) {
  std::vector<std::string> args;
  bool demo = false;
  for (int i = 1; i < argc; ++i) {
    if (std::string(argv[i]) == "--demo")
      demo = true;
    else
      args.emplace_back(argv[i]);
  }

  std::unique_ptr<platform::net::Backend> system;
  std::unique_ptr<platform::net::VirtualSegment> segment;
  std::vector<std::unique_ptr<sim::VirtualReader>> demoReaders;
  cli::Environment env;
  if (demo) {
    segment = std::make_unique<platform::net::VirtualSegment>();
    env.network = &segment->AddHost(sim::kDemoToolAddress);
    demoReaders = sim::AddDemoReaders(*segment);
  } else {
    system = platform::net::SystemBackend();
    env.network = system.get();
  }
  env.modulePath = platform::ExecutablePath();
  return cli::RunCli(args, env, std::cout, std::cerr);
}

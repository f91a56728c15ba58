// kestrival-sim: one simulated reader on real UDP, ports 24680 and 24582 of every local address.
// Meant for network namespaces made for tests: never run it on a real network.
//
//   kestrival-sim --label "Door 1" [--version TEXT] [--address A.B.C.D] [--state FILE]
//                 [--misbehave RULES]
//   kestrival-sim --swarm N [--first-address A.B.C.D] [--label PREFIX]
//
// With --swarm, N readers answer from N local addresses at once (the namespace must hold them):
// the addresses from A on as the system lists them, labelled PREFIX00000, PREFIX00001, ...
// One log line per event on standard output ("ready ...", "request 30 on 24680: 0 bytes", ...).
// Exit status: 0 after SIGTERM or SIGINT, 1 when a port cannot be bound, 2 for bad options.
#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "programs/Options.h"
#include "protocol/CommandCatalog.h"
#include "protocol/IpAddress.h"
#include "sim/ReaderEngine.h"
#include "sim/SwarmReader.h"
#include "sim/UdpReader.h"

namespace {

std::atomic<bool> stopRequested{false};

extern "C" void OnStopSignal(int) {
  stopRequested.store(true);
}

int Usage(const std::string& why) {
  std::cerr
      << "kestrival-sim: " << why << "\n"
      << "usage: kestrival-sim [--label TEXT] [--version TEXT] [--address A.B.C.D]\n"
      << "                     [--state FILE] [--misbehave KIND[=N][@CMD][*TIMES],...]\n"
      << "       kestrival-sim --swarm N [--first-address A.B.C.D] [--label PREFIX]\n"
      << "  KIND: noreply, badsum, delay=MS, short[=BYTES]\n"
      << "  --swarm: N readers, one per local address from A on, answer every search at once\n";
  return 2;
}

void Help() {
  std::cout
      << "Usage: kestrival-sim [--label TEXT] [--reader-version TEXT] [--address A.B.C.D]\n"
      << "                     [--state FILE] [--misbehave KIND[=N][@CMD][*TIMES],...]\n"
      << "       kestrival-sim --swarm N [--first-address A.B.C.D] [--label PREFIX]\n"
      << "One simulated reader on real UDP ports 24680 and 24582, for network namespaces made\n"
      << "for tests: never run it on a real network.\n\n"
      << "Options:\n"
      << "  --label TEXT           the reader's label (at most 16 bytes)\n"
      << "  --reader-version TEXT  the version text the reader reports (also --version TEXT)\n"
      << "  --address A.B.C.D      the address in the reader's record\n"
      << "  --state FILE           keep the reader's parameter record in FILE\n"
      << "  --misbehave RULES      KIND: noreply, badsum, delay=MS, short[=BYTES]\n"
      << "  --swarm N              N readers, one per local address from --first-address on\n"
      << "  -h, --help             show this help and exit\n"
      << "  --version              (alone) show the program's version and exit\n\n"
      << "Output: one log line per event on standard output.\n"
      << "Exit status: 0 after SIGTERM or SIGINT, 1 when a port cannot be bound, 2 for bad "
         "options.\n";
}

void Say(const std::string& line) {
  std::cout << line << std::endl;  // flushed: tests read the log while the reader runs
}

int RunSwarm(std::size_t count, Ip32 first, const std::string& prefix) {
  const auto addresses = sim::SwarmAddresses(sim::LocalAddresses(), first.value, count);
  if (addresses.size() < count) {
    const std::string why = "the namespace has " + std::to_string(addresses.size()) +
                            " addresses for a swarm of " + std::to_string(count);
    std::cerr << "kestrival-sim: " << why << "\n";
    Say("failed: " + why);
    return 1;
  }
  std::string error;
  auto swarm = sim::SwarmReader::Open(addresses, prefix, COMMAND_PORT, DISCOVERY_PORT, &error);
  if (!swarm) {
    std::cerr << "kestrival-sim: " << error << "\n";
    Say("failed: " + error);
    return 1;
  }
  std::signal(SIGTERM, OnStopSignal);
  std::signal(SIGINT, OnStopSignal);
  Say("ready swarm=" + std::to_string(swarm->Size()) +
      " first=" + FormatDotted(Ip32{addresses.front()}) +
      " last=" + FormatDotted(Ip32{addresses.back()}) + " label=" + sim::SwarmLabel(prefix, 0));
  const int status = swarm->Serve(stopRequested, &error);
  if (status != 0) std::cerr << "kestrival-sim: " << error << "\n";
  const sim::SwarmCounters& c = swarm->Stats();
  Say("stopped searches=" + std::to_string(c.searches) + " replies=" + std::to_string(c.replies) +
      " send_errors=" + std::to_string(c.sendErrors) + " requests=" + std::to_string(c.requests));
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  sim::ReaderIdentity identity{"Reader", Ip32{}, sim::kClientVersion};
  std::optional<Ip32> address;
  std::string statePath;
  std::vector<sim::MisbehaviourRule> rules;
  std::optional<std::size_t> swarm;
  std::optional<Ip32> firstAddress;
  bool labelGiven = false;

  for (int i = 1; i < argc; ++i) {
    const std::string opt = argv[i];
    if (opt == "--help" || opt == "-h") {
      Help();
      return 0;
    }
    // --version alone is the program's version; with a value, the simulated reader's.
    if (opt == "--version" && i + 1 == argc) {
      std::cout << "kestrival-sim " << KESTRIVAL_VERSION << "\n";
      return 0;
    }
    static const char* const kWithValue[] = {"--label",   "--swarm",          "--first-address",
                                             "--version", "--reader-version", "--address",
                                             "--state",   "--misbehave"};
    if (std::find(std::begin(kWithValue), std::end(kWithValue), opt) == std::end(kWithValue)) {
      std::cerr << "kestrival-sim: unknown option '" << opt << "' (try 'kestrival-sim --help')\n";
      return 2;
    }
    if (i + 1 >= argc) return Usage("option " + opt + " needs a value");
    const std::string value = argv[++i];
    if (opt == "--label") {
      if (value.size() > sim::kMaxLabelLen)
        return Usage("a label has at most " + std::to_string(sim::kMaxLabelLen) + " bytes");
      identity.label = value;
      labelGiven = true;
    } else if (opt == "--swarm") {
      char* end = nullptr;
      const unsigned long n = std::strtoul(value.c_str(), &end, 10);
      if (value.empty() || *end != '\0' || n == 0 || n > 64516)
        return Usage("--swarm needs a count from 1 to 64516");
      swarm = n;
    } else if (opt == "--first-address") {
      firstAddress = ParseDotted(value);
      if (!firstAddress) return Usage("not an IPv4 address: " + value);
    } else if (opt == "--version" || opt == "--reader-version") {
      identity.version = value;
    } else if (opt == "--address") {
      address = ParseDotted(value);
      if (!address) return Usage("not an IPv4 address: " + value);
    } else if (opt == "--state") {
      statePath = value;
    } else if (opt == "--misbehave") {
      std::string error;
      auto parsed = sim::ParseMisbehaviourList(value, &error);
      if (!parsed) return Usage(error);
      rules.insert(rules.end(), parsed->begin(), parsed->end());
    } else {
      return Usage("unknown option " + opt);
    }
  }
  if (swarm) {
    if (address || !statePath.empty() || !rules.empty())
      return Usage("--swarm takes neither --address, --state nor --misbehave");
    return RunSwarm(*swarm, firstAddress.value_or(Ip32{}), labelGiven ? identity.label : "R");
  }
  if (firstAddress) return Usage("--first-address belongs to --swarm");
  identity.address = address.value_or(Ip32{sim::FirstInterfaceAddress()});

  sim::ReaderEngine engine(identity);
  engine.SetLog(Say);
  engine.SetMisbehaviour(rules);
  if (!statePath.empty()) {
    const sim::StateLoad load = engine.UseStateFile(statePath);
    if (load.status == sim::StateStatus::Corrupt)
      std::cerr << "kestrival-sim: " << load.message << "\n";
  }

  std::string error;
  auto reader = sim::UdpReader::Open(engine, COMMAND_PORT, DISCOVERY_PORT, &error);
  if (!reader) {
    std::cerr << "kestrival-sim: " << error << "\n";
    Say("failed: " + error);
    return 1;
  }
  std::signal(SIGTERM, OnStopSignal);
  std::signal(SIGINT, OnStopSignal);
  Say("ready label=" + engine.Label() + " address=" + FormatDotted(engine.Record().ipAddr) +
      " version=" + engine.Version());

  const int status = reader->Serve(stopRequested, &error);
  if (status != 0) std::cerr << "kestrival-sim: " << error << "\n";
  const sim::Counters& c = engine.Stats();
  Say("stopped requests=" + std::to_string(c.requests) + " replies=" + std::to_string(c.replies) +
      " mismatched=" + std::to_string(c.mismatchedData) + " stray=" + std::to_string(c.strayData));
  return status;
}

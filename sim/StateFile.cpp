#include "sim/StateFile.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <system_error>

#include "protocol/HexDump.h"

namespace sim {

namespace {

constexpr const char* kMagicLine = "kestrival-sim-state 1";
constexpr const char* kRecordKey = "record ";

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

StateLoad Corrupt(const std::filesystem::path& path, const std::string& why) {
  StateLoad load;
  load.status = StateStatus::Corrupt;
  load.message = "state file " + path.string() + " is corrupt (" + why + ")";
  return load;
}

}  // namespace

std::string StateText(const DEV_PARAM_T& record) {
  const auto bytes = EncodeDevParam(record);
  return std::string(kMagicLine) + "\n" + kRecordKey + LowerHex(bytes.data(), bytes.size()) + "\n";
}

StateLoad LoadState(const std::filesystem::path& path) {
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) {
    StateLoad load;
    load.message = "state file " + path.string() + " does not exist yet";
    return load;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) return Corrupt(path, "cannot be read");
  std::stringstream ss;
  ss << in.rdbuf();
  const std::string text = ss.str();

  const std::string expected_head = std::string(kMagicLine) + "\n" + kRecordKey;
  if (text.compare(0, expected_head.size(), expected_head) != 0)
    return Corrupt(path, "no state header");
  const std::size_t hexStart = expected_head.size();
  const std::size_t hexLen = 2 * DEV_PARAM_LEN;
  if (text.size() < hexStart + hexLen) return Corrupt(path, "record cut short");
  if (text.size() != hexStart + hexLen + 1 || text.back() != '\n')
    return Corrupt(path, "record of the wrong length");

  std::array<std::uint8_t, DEV_PARAM_LEN> bytes{};
  for (std::size_t i = 0; i < DEV_PARAM_LEN; ++i) {
    const int hi = HexValue(text[hexStart + 2 * i]);
    const int lo = HexValue(text[hexStart + 2 * i + 1]);
    if (hi < 0 || lo < 0) return Corrupt(path, "not hexadecimal at byte " + std::to_string(i));
    bytes[i] = static_cast<std::uint8_t>(hi * 16 + lo);
  }
  StateLoad load;
  load.status = StateStatus::Loaded;
  load.record = DecodeDevParam(bytes.data(), bytes.size());
  return load;
}

bool SaveState(const std::filesystem::path& path, const DEV_PARAM_T& record, std::string* error) {
  std::filesystem::path tmp = path;
  tmp += ".tmp";
  {
    std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
    if (!out) {
      if (error) *error = "cannot write " + tmp.string() + ": " + std::strerror(errno);
      return false;
    }
    out << StateText(record);
    out.flush();
    if (!out) {
      if (error) *error = "writing " + tmp.string() + " failed";
      return false;
    }
  }
  std::error_code ec;
  std::filesystem::rename(tmp, path, ec);
  if (ec) {
    if (error) *error = "cannot rename " + tmp.string() + ": " + ec.message();
    std::filesystem::remove(tmp, ec);
    return false;
  }
  return true;
}

}  // namespace sim

// Shared pieces of the protocol tests that drive the real dialog: access to the send routine,
// a recorder of every status bar text, and discovery replies of scripted readers.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "protocol/DiscoverDev.h"
#include "protocol/MspPacket.h"
#include "tests/support/DialogHarness.h"
#include "tests/support/ScriptedReader.h"

namespace protocol_dlg {

constexpr std::uint32_t Addr(int a, int b, int c, int d) {
  return (static_cast<std::uint32_t>(a) << 24) | (static_cast<std::uint32_t>(b) << 16) |
         (static_cast<std::uint32_t>(c) << 8) | static_cast<std::uint32_t>(d);
}

// Calls the dialog's protected members as their callers inside the dialog do.
struct DialogAccess : CKestrivalDlg {
  static int Send(CKestrivalDlg& dlg, const std::string& bytes) {
    return (dlg.*(&DialogAccess::SendToSelectedDevice))(bytes.data(),
                                                        static_cast<int>(bytes.size()));
  }
  static void SetNetwork(CKestrivalDlg& dlg) { (dlg.*(&DialogAccess::OnSetNetworkParams))(); }
};

// Every text set into the status bar, in order, as (part, text).
class StatusRecorder {
 public:
  explicit StatusRecorder(testing_support::DialogHarness& h) : bar_(h.Control(IDC_STATUS_BAR)) {
    bar_->SetProcedure([this](UINT msg, WPARAM wParam, LPARAM lParam) -> LRESULT {
      if (msg == SB_SETTEXTA) {
        texts_.emplace_back(static_cast<int>(LOBYTE(wParam)),
                            lParam ? reinterpret_cast<const char*>(lParam) : "");
      }
      return bar_->DefaultProc(msg, wParam, lParam);
    });
  }
  ~StatusRecorder() { bar_->SetProcedure({}); }
  StatusRecorder(const StatusRecorder&) = delete;
  StatusRecorder& operator=(const StatusRecorder&) = delete;

  const std::vector<std::pair<int, std::string>>& Texts() const { return texts_; }
  std::vector<std::string> Part(int part) const {
    std::vector<std::string> out;
    for (const auto& [p, text] : texts_) {
      if (p == part) out.push_back(text);
    }
    return out;
  }
  void Clear() { texts_.clear(); }

 private:
  platform::Window* bar_;
  std::vector<std::pair<int, std::string>> texts_;
};

// The 96 data bytes a reader sends in reply 3: its label and network block as it reports them.
inline std::string DiscoveryRecord(const std::string& label, Ip32 reportedIp = MakeIp32(0, 0, 0, 0),
                                   int netMode = 1) {
  NetworkBlock block;
  block.netMode = netMode;
  block.ipAddr = reportedIp;
  block.netMask = MakeIp32(255, 255, 255, 0);
  block.serverAddr = "server.example";
  block.serverPort = 8080;
  block.httpLang = 1;
  const auto bytes = BuildDeviceRecord(label, block);
  return std::string(bytes.begin(), bytes.end());
}

// A reader that answers every search with reply 3 carrying `record`.
inline void AnswerSearches(testing_support::ScriptedReader& reader, std::string record) {
  reader.OnReceive([&reader, record](const testing_support::ScriptedReader::Received& r) {
    if (r.port == 24582 && r.bytes.size() == PACKAGE_HEADER_LEN &&
        static_cast<unsigned char>(r.bytes[8]) == 2) {
      reader.SendToTool(testing_support::Reply(3, record), testing_support::kToolAddress);
    }
  });
}

// The index of a list line with this text, or -1.
inline int LineOf(const testing_support::DialogHarness& h, const std::string& text) {
  const auto items = h.Items(IDC_LIST_DEVICES);
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (items[i] == text) return static_cast<int>(i);
  }
  return -1;
}

inline std::string Bytes(std::initializer_list<int> values) {
  std::string out;
  for (int v : values) out += static_cast<char>(v);
  return out;
}

}  // namespace protocol_dlg

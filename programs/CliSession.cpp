#include "programs/CliSession.h"

#include <algorithm>

#include "app/KestrivalDlg.h"
#include "params/CodePage.h"
#include "params/DevParam.h"
#include "platform/MessageLoop.h"
#include "platform/UserInput.h"
#include "programs/ProfileControls.h"
#include "protocol/CommandCatalog.h"
#include "protocol/DiscoverDev.h"
#include "protocol/HexDump.h"
#include "protocol/MspPacket.h"

namespace cli {

namespace {

using platform::InputResult;
using platform::Window;

// The reply a captured datagram carries if the dialog's reply handling accepts it: its data,
// zero-filled as far as the receive buffer reaches.
std::optional<std::pair<int, std::vector<std::uint8_t>>> Accepted(const Captured& c) {
  if (c.sent || c.bytes.empty() || c.bytes.size() > static_cast<std::size_t>(RECV_BUFFER_LEN))
    return std::nullopt;
  std::vector<std::uint8_t> buffer(RECV_BUFFER_LEN, 0);
  std::copy(c.bytes.begin(), c.bytes.end(), buffer.begin());
  const ReplyCheck check =
      ParseReply(buffer.data(), buffer.size(), static_cast<int>(c.bytes.size()));
  if (check.status != ReplyStatus::Ok) return std::nullopt;
  return std::make_pair(
      static_cast<int>(check.cmdId),
      std::vector<std::uint8_t>(buffer.begin() + PACKAGE_HEADER_LEN, buffer.end()));
}

}  // namespace

DialogSession::DialogSession(CKestrivalDlg& dialog, platform::MessageLoop& loop, TapBackend& tap,
                             TextResolver english, std::chrono::milliseconds replyTimeout)
    : dialog_(dialog),
      loop_(loop),
      tap_(tap),
      english_(std::move(english)),
      replyTimeout_(replyTimeout) {}

bool DialogSession::NetworkReady() const {
  return dialog_.SocketReady() != 0;
}

std::string DialogSession::StatusText() const {
  Window* bar = dialog_.m_hWnd->Child(IDC_STATUS_BAR);
  return bar ? AnsiToUtf8String(bar->PartText(0)) : std::string();
}

std::optional<std::vector<std::uint8_t>> DialogSession::Reply(std::size_t from, int cmdId) const {
  for (const Captured& c : tap_.Since(from)) {
    auto reply = Accepted(c);
    if (reply && reply->first == cmdId && ToNetAddr(Ip32{c.peer.addr}) == selected_)
      return reply->second;
  }
  return std::nullopt;
}

std::vector<FoundReader> DialogSession::Search(std::chrono::milliseconds wait) {
  const std::size_t before = tap_.Count();
  platform::UserClick(dialog_.m_hWnd, IDC_BTN_SEARCH);
  loop_.RunFor(wait);
  loop_.RunUntilIdle();
  std::vector<FoundReader> found;
  for (const Captured& c : tap_.Since(before)) {
    auto reply = Accepted(c);
    if (!reply || reply->first != CMD_SEARCH_REPLY) continue;
    const std::uint8_t* data = reply->second.data();
    const NetAddr from = ToNetAddr(Ip32{c.peer.addr});
    const DiscoveredRecord record = RecordFromDiscoveryReply(data, DISCOVER_DEV_LEN, from);
    const NetworkBlock block = DecodeNetworkBlock(data + NETWORK_BLOCK_OFFSET);
    found.push_back(
        FoundReader{LabelText(record.record), from, block.ipAddr, block.netMask, block.gateway});
  }
  return found;
}

bool DialogSession::Select(const FoundReader& reader, std::string* error) {
  // Each line of the device list carries its record (its position in the device array, from 1):
  // the line to select is the one whose record holds the address the reader answered from.
  Window* list = dialog_.m_hWnd->Child(IDC_LIST_DEVICES);
  const auto& devices = dialog_.Devices();
  int line = -1;
  const int lines = list ? static_cast<int>(list->Items().size()) : 0;
  for (int n = 0; n < lines && line < 0; ++n) {
    const LRESULT position = list->Send(LB_GETITEMDATA, static_cast<WPARAM>(n), 0);
    if (position < 1 || static_cast<std::size_t>(position) > devices.size()) continue;
    const DISCOVER_DEV_T& record = *devices[static_cast<std::size_t>(position) - 1];
    if (record.ipAddr == reader.from && LabelText(record) == reader.label) line = n;
  }
  if (line < 0) {
    *error = "its line is not in the device list";
    return false;
  }
  const InputResult r = platform::UserSelect(dialog_.m_hWnd, IDC_LIST_DEVICES, line);
  loop_.RunUntilIdle();
  if (r != InputResult::Ok) {
    *error =
        std::string("the device list refused the selection (") + platform::InputResultName(r) + ")";
    return false;
  }
  selected_ = reader.from;
  return true;
}

std::optional<ReadResult> DialogSession::Read() {
  const std::size_t before = tap_.Count();
  if (platform::UserClick(dialog_.m_hWnd, IDC_BTN_GET_PARAMS) != InputResult::Ok)
    return std::nullopt;
  const bool shown = loop_.RunUntil(
      [&] { return Reply(before, CMD_READ_PARAMS_REPLY) && dialog_.ParametersReceived() != 0; },
      replyTimeout_);
  loop_.RunUntilIdle();
  if (!shown) return std::nullopt;
  ReadResult result;
  const auto data = Reply(before, CMD_READ_PARAMS_REPLY);
  result.recordHex = LowerHex(data->data(), DEV_PARAM_LEN);
  for (const GroupSpec& g : Groups()) {
    result.groups[g.name] = ReadGroup(g);
    for (const FieldSpec& f : g.fields) {
      const Window* w = dialog_.m_hWnd->Child(f.control);
      if (w && !w->Enabled()) result.notShown.insert(std::string(g.name) + "." + f.name);
    }
  }
  return result;
}

GroupValues DialogSession::ReadGroup(const GroupSpec& group) const {
  return ReadControls(*dialog_.m_hWnd, group, english_);
}

bool DialogSession::Put(const GroupSpec& group, const GroupValues& values, std::string* error) {
  HWND hwnd = dialog_.m_hWnd;
  for (const FieldSpec& f : group.fields) {
    auto it = values.find(f.name);
    Window* w = hwnd->Child(f.control);
    if (it == values.end() || !w) continue;
    const Value& v = it->second;
    InputResult r = InputResult::Ok;
    // Only what differs is changed, as a user would: an untouched edit is not checked again
    // when the focus leaves it.
    if (f.kind == FieldKind::List) {
      const auto items = ItemTexts(f, english_);
      const auto at = std::find(items.begin(), items.end(), v.text);
      const int pos = v.null || at == items.end() ? -1 : static_cast<int>(at - items.begin());
      if (w->Selection() != pos) r = platform::UserSelect(hwnd, f.control, pos);
    } else if (f.kind == FieldKind::Address) {
      const auto address = ParseDotted(v.text);
      if (!address) continue;
      const NetAddr octets = ToNetAddr(*address);
      Window::IpFields fields;
      for (std::size_t i = 0; i < 4; ++i) fields[i] = octets.octets[i];
      if (w->Ip() != fields) r = platform::UserSetIp(hwnd, f.control, fields);
    } else {
      const std::string text = Utf8ToAnsiString(v.text);
      if (w->Text() != text) r = platform::UserType(hwnd, f.control, text);
    }
    loop_.RunUntilIdle();
    if (r != InputResult::Ok) {
      *error = std::string(group.name) + "." + f.name + " cannot be changed (the control is " +
               platform::InputResultName(r) + ")";
      return false;
    }
  }
  return true;
}

bool DialogSession::Press(const GroupSpec& group, std::string* error) {
  for (const SetButton& b : group.setButtons) {
    const std::size_t before = tap_.Count();
    const InputResult r = platform::UserClick(dialog_.m_hWnd, b.control);
    if (r != InputResult::Ok) {
      loop_.RunUntilIdle();
      *error =
          std::string("the Set button of ") + group.name + " is " + platform::InputResultName(r);
      return false;
    }
    const bool answered =
        loop_.RunUntil([&] { return Reply(before, b.reply).has_value(); }, replyTimeout_);
    loop_.RunUntilIdle();
    if (!answered) {
      *error =
          std::string("no reply to ") + group.name + " (command " + std::to_string(b.command) + ")";
      return false;
    }
  }
  return true;
}

}  // namespace cli

// The batch program's hands on the real main dialog: it searches, selects a reader's line, reads
// the reader, puts a profile's values into the controls and presses the Set buttons, exactly as
// a user would through the window, so that every datagram is the one the dialog builds. What the
// readers answered is read from a capture of the dialog's own socket (TapBackend).
#pragma once

#include <chrono>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "programs/Profile.h"
#include "programs/TapBackend.h"
#include "protocol/IpAddress.h"

class CKestrivalDlg;
namespace platform {
class MessageLoop;
}

namespace cli {

// One answer to a search, in order of arrival (the dialog's device array has the same order).
struct FoundReader {
  std::string label;  // as the device list shows it (code page 936)
  NetAddr from{};     // the address it answered from
  Ip32 address{};     // what its record reports
  Ip32 mask{};
  Ip32 gateway{};
};

struct ReadResult {
  std::map<std::string, GroupValues> groups;  // every group of the catalogue
  std::string recordHex;                      // the 720-byte record, lowercase hex
  // "group.field" of every field whose control the dialog leaves disabled for this reader (the
  // QR-code fields of a reader that does not report the client version): its value is whatever
  // the control held before, not the reader's.
  std::set<std::string> notShown;
};

class DialogSession {
 public:
  DialogSession(CKestrivalDlg& dialog, platform::MessageLoop& loop, TapBackend& tap,
                TextResolver english, std::chrono::milliseconds replyTimeout);

  // False when the dialog could not open its socket (the status bar says why).
  bool NetworkReady() const;
  // Part 0 of the status bar in UTF-8.
  std::string StatusText() const;

  // Search devices, then the answers that arrive within `wait`.
  std::vector<FoundReader> Search(std::chrono::milliseconds wait);
  // Selects the reader's line in the device list (each line carries its own record, so readers
  // that share a label are each reached); refused with a reason when its line is not there.
  bool Select(const FoundReader& reader, std::string* error);
  // Get current parameters; nothing when the selected reader's record does not come within the
  // reply timeout. Another reader's record, such as a late answer to an earlier request, is not
  // taken for it.
  std::optional<ReadResult> Read();
  // The group's values into its controls; a control that refuses (disabled) is named.
  bool Put(const GroupSpec& group, const GroupValues& values, std::string* error);
  // The group's Set buttons, each followed by the wait for its reply; one that gets none is named.
  bool Press(const GroupSpec& group, std::string* error);

 private:
  GroupValues ReadGroup(const GroupSpec& group) const;
  // The data of the first accepted reply `cmdId` from the selected reader captured from position
  // `from` on.
  std::optional<std::vector<std::uint8_t>> Reply(std::size_t from, int cmdId) const;

  CKestrivalDlg& dialog_;
  platform::MessageLoop& loop_;
  TapBackend& tap_;
  TextResolver english_;
  std::chrono::milliseconds replyTimeout_;
  NetAddr selected_{};  // the reader whose line was selected last
};

}  // namespace cli

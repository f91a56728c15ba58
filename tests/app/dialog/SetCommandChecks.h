// The checks that the Set command tests of the dialog share: the header of a command as the
// reader received it, what a list without a selection sends, and what the controls send.
#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "tests/app/dialog/ParamReader.h"
#include "tests/params/ParamRecords.h"
#include "tests/support/DialogHarness.h"

namespace params_test {

using testing_support::DialogHarness;
using testing_support::Hex;

inline std::string Bytes(std::initializer_list<int> bytes) {
  std::string s;
  for (int b : bytes) s += static_cast<char>(b);
  return s;
}

inline void ExpectHeader(const ReceivedCommand& c, std::int32_t cmdId) {
  ASSERT_EQ(c.header.size(), 17u);
  EXPECT_EQ(c.header.substr(0, 8), std::string("XXXX\0\0\0\0", 8));
  EXPECT_EQ(c.CmdId(), cmdId);
  EXPECT_EQ(c.DataLen(), static_cast<std::int32_t>(c.payload.size()));
  EXPECT_EQ(c.Checksum(),
            CmdDataChecksum(static_cast<int>(c.payload.size()), c.payload.data()) & 0xFF);
}

inline std::string Zeros(std::size_t n) {
  return std::string(n, '\0');
}

// A row's name as a test name: every character that is no letter or digit becomes '_'.
struct RowName {
  template <class Info>
  std::string operator()(const Info& info) const {
    std::string n;
    for (const char* p = info.param.name; *p; ++p)
      n += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
    return n;
  }
};

// A list without a selection: what each command sends for position -1.
struct NoSelectionRow {
  const char* name;
  int button;
  std::vector<int> cleared;
  std::size_t offset;  // where the compared bytes begin in the payload
  std::string bytes;
};

// Reads RecordB, clears the row's lists, presses its button: the bytes at the row's offset.
inline void ExpectNoSelectionSends(const NoSelectionRow& row) {
  DialogHarness h;
  ParamReader reader(h.Segment(), RecordB());
  SelectReader(h);
  GetParameters(h);
  for (int id : row.cleared) {
    if (h.Visible(id)) {
      h.Select(id, -1);
    } else {
      SetHiddenSelection(h, id, -1);
    }
    ASSERT_EQ(h.Selection(id), -1) << id;
  }
  reader.Clear();
  Press(h, row.button);
  ASSERT_EQ(reader.Commands().size(), 1u);
  const ReceivedCommand& c = reader.Commands().front();
  ASSERT_GE(c.payload.size(), row.offset + row.bytes.size());
  EXPECT_EQ(Hex(c.payload.substr(row.offset, row.bytes.size())), Hex(row.bytes));
  ExpectHeader(c, c.CmdId());
}

// What the user puts into the controls and the payload a Set button then sends.
struct InputRow {
  const char* name;
  void (*input)(DialogHarness&);
  int button;
  std::string payload;
  std::vector<std::string> trace;  // the hexadecimal conversion's lines, in order
};

// Reads RecordA, applies the row's input, presses its button: the payload and the hexadecimal
// conversion's trace lines.
inline void ExpectInputSends(const InputRow& row) {
  DialogHarness h;
  ParamReader reader(h.Segment(), RecordA());
  SelectReader(h);
  GetParameters(h);
  row.input(h);
  reader.Clear();
  h.TakeTrace();
  Press(h, row.button);
  ASSERT_EQ(reader.Commands().size(), 1u);
  const ReceivedCommand& c = reader.Commands().front();
  ExpectHeader(c, c.CmdId());
  // The cloud row compares its last field only when the expected bytes are shorter.
  const std::string sent = row.button == IDC_BTN_SET_CLOUD && row.payload.size() < c.payload.size()
                               ? c.payload.substr(c.payload.size() - row.payload.size())
                               : c.payload;
  EXPECT_EQ(Hex(sent), Hex(row.payload));
  std::vector<std::string> traced;
  for (const std::string& line : h.TakeTrace()) {
    if (line.rfind("data[", 0) == 0) traced.push_back(line);
  }
  EXPECT_EQ(traced, row.trace);
}

}  // namespace params_test

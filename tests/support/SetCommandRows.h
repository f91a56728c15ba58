// The tests' own table of the Set commands, written down as numbers from what the tool is to do
// (not taken from the production table): button, request and reply identifiers, the section of
// the 720-byte parameter record the command writes, the payload length, the pause between the
// header and the payload datagram, and the reader's port the command goes to. In the order in
// which the dialog disables the buttons at start and a shown record enables them again.
#pragma once

#include <cstddef>
#include <cstdint>

namespace testing_support {

struct SetCommandRow {
  const char* name;
  int button;
  std::int32_t request;
  std::int32_t reply;
  std::size_t offset;      // of the record section
  std::size_t size;        // of the record section
  std::size_t payloadLen;  // the section, after the 16-byte label for the network settings
  int pauseMs;
  std::uint16_t port;

  std::size_t SectionAt() const { return payloadLen - size; }
};

inline constexpr SetCommandRow kSetCommandRows[] = {
    {"cloud", 1038, 24, 25, 208, 200, 200, 0, 24680},
    {"serial", 1052, 38, 39, 516, 20, 20, 10, 24680},
    {"restart", 1053, 40, 41, 536, 4, 4, 10, 24680},
    {"light", 1030, 16, 17, 492, 4, 4, 10, 24680},
    {"speaker", 1032, 22, 23, 504, 4, 4, 10, 24680},
    {"work_mode", 1028, 18, 19, 496, 4, 4, 10, 24680},
    {"hidden_choice", 1018, 20, 21, 500, 4, 4, 10, 24680},
    {"wiegand", 1035, 28, 29, 508, 8, 8, 10, 24680},
    {"network", 1006, 32, 33, 0, 80, 96, 0, 24582},
    {"output_format", 1027, 6, 7, 408, 4, 4, 10, 24680},
    {"card_input_format", 1019, 8, 9, 412, 4, 4, 10, 24680},
    {"hid_format", 1021, 10, 11, 416, 4, 4, 10, 24680},
    {"card_prefix_suffix", 1024, 44, 45, 648, 72, 72, 0, 24680},
    {"qr_code", 1060, 42, 43, 540, 108, 108, 10, 24680},
    {"barcode_prefix", 1065, 12, 13, 420, 36, 36, 0, 24680},
    {"barcode_suffix", 1066, 14, 15, 456, 36, 36, 0, 24680},
};

// The row of a request identifier; nullptr for one that is no Set command.
inline const SetCommandRow* FindSetCommandRow(std::int32_t request) {
  for (const SetCommandRow& row : kSetCommandRows) {
    if (row.request == request) return &row;
  }
  return nullptr;
}

}  // namespace testing_support

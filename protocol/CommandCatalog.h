// The catalogue of command identifiers: every request the tool sends, the reply it
// expects, the data length, where it goes and the pause between its two datagrams.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr std::uint16_t COMMAND_PORT =
    24680;  // the tool's bound port and the readers' command port
constexpr std::uint16_t DISCOVERY_PORT = 24582;  // search broadcast and network settings command

// Requests (even) and their replies (request + 1).
constexpr std::int32_t CMD_READ_VERSION = 0;
constexpr std::int32_t CMD_READ_VERSION_REPLY = 1;
constexpr std::int32_t CMD_SEARCH = 2;
constexpr std::int32_t CMD_SEARCH_REPLY = 3;
constexpr std::int32_t CMD_SET_OUTPUT_FORMAT = 6;
constexpr std::int32_t CMD_SET_OUTPUT_FORMAT_REPLY = 7;
constexpr std::int32_t CMD_SET_CARD_INPUT_FORMAT = 8;
constexpr std::int32_t CMD_SET_CARD_INPUT_FORMAT_REPLY = 9;
constexpr std::int32_t CMD_SET_HID_FORMAT = 10;
constexpr std::int32_t CMD_SET_HID_FORMAT_REPLY = 11;
constexpr std::int32_t CMD_SET_BAR_PREFIX = 12;
constexpr std::int32_t CMD_SET_BAR_PREFIX_REPLY = 13;
constexpr std::int32_t CMD_SET_BAR_SUFFIX = 14;
constexpr std::int32_t CMD_SET_BAR_SUFFIX_REPLY = 15;
constexpr std::int32_t CMD_SET_LIGHT = 16;
constexpr std::int32_t CMD_SET_LIGHT_REPLY = 17;
constexpr std::int32_t CMD_SET_WORK_MODE = 18;
constexpr std::int32_t CMD_SET_WORK_MODE_REPLY = 19;
constexpr std::int32_t CMD_SET_HIDDEN_CHOICE = 20;
constexpr std::int32_t CMD_SET_HIDDEN_CHOICE_REPLY = 21;
constexpr std::int32_t CMD_SET_SPEAKER = 22;
constexpr std::int32_t CMD_SET_SPEAKER_REPLY = 23;
constexpr std::int32_t CMD_SET_CLOUD = 24;
constexpr std::int32_t CMD_SET_CLOUD_REPLY = 25;
constexpr std::int32_t CMD_SET_WIEGAND = 28;
constexpr std::int32_t CMD_SET_WIEGAND_REPLY = 29;
constexpr std::int32_t CMD_READ_PARAMS = 30;
constexpr std::int32_t CMD_READ_PARAMS_REPLY = 31;
constexpr std::int32_t CMD_SET_NETWORK = 32;
constexpr std::int32_t CMD_SET_NETWORK_REPLY = 33;
constexpr std::int32_t CMD_SET_SERIAL = 38;
constexpr std::int32_t CMD_SET_SERIAL_REPLY = 39;
constexpr std::int32_t CMD_SET_RESTART = 40;
constexpr std::int32_t CMD_SET_RESTART_REPLY = 41;
constexpr std::int32_t CMD_SET_QR_PARAMS = 42;
constexpr std::int32_t CMD_SET_QR_PARAMS_REPLY = 43;
constexpr std::int32_t CMD_SET_CARD_FIX = 44;
constexpr std::int32_t CMD_SET_CARD_FIX_REPLY = 45;

// Bytes the reply handler reads from the data of each reply.
constexpr int VERSION_REPLY_READ_LEN = 64;
constexpr int VERSION_TEXT_OFFSET = 16;  // inside the version reply's data, up to byte 63
constexpr int ECHO_REPLY_READ_LEN = 1;   // replies 19, 21, 23
constexpr int SERIAL_REPLY_READ_LEN = 20;

enum class Destination {
  SelectedReader,       // the selected reader's address, COMMAND_PORT (SendToSelectedDevice)
  Broadcast,            // 255.255.255.255, DISCOVERY_PORT
  ReaderDiscoveryPort,  // the selected reader's address, DISCOVERY_PORT
};

struct CommandInfo {
  std::int32_t request;
  std::int32_t reply;
  int dataLen;  // request data bytes (0: header-only datagram)
  Destination destination;
  int pauseMs;       // between header and data datagram: 10 or 0
  int replyReadLen;  // data bytes the reply handler reads from the reply
};

inline constexpr CommandInfo COMMAND_CATALOG[] = {
    {CMD_READ_VERSION, CMD_READ_VERSION_REPLY, 0, Destination::SelectedReader, 0,
     VERSION_REPLY_READ_LEN},
    {CMD_SEARCH, CMD_SEARCH_REPLY, 0, Destination::Broadcast, 0, 96},
    {CMD_SET_OUTPUT_FORMAT, CMD_SET_OUTPUT_FORMAT_REPLY, 4, Destination::SelectedReader, 10, 0},
    {CMD_SET_CARD_INPUT_FORMAT, CMD_SET_CARD_INPUT_FORMAT_REPLY, 4, Destination::SelectedReader, 10,
     0},
    {CMD_SET_HID_FORMAT, CMD_SET_HID_FORMAT_REPLY, 4, Destination::SelectedReader, 10, 0},
    {CMD_SET_BAR_PREFIX, CMD_SET_BAR_PREFIX_REPLY, 36, Destination::SelectedReader, 0, 0},
    {CMD_SET_BAR_SUFFIX, CMD_SET_BAR_SUFFIX_REPLY, 36, Destination::SelectedReader, 0, 0},
    {CMD_SET_LIGHT, CMD_SET_LIGHT_REPLY, 4, Destination::SelectedReader, 10, 0},
    {CMD_SET_WORK_MODE, CMD_SET_WORK_MODE_REPLY, 4, Destination::SelectedReader, 10,
     ECHO_REPLY_READ_LEN},
    {CMD_SET_HIDDEN_CHOICE, CMD_SET_HIDDEN_CHOICE_REPLY, 4, Destination::SelectedReader, 10,
     ECHO_REPLY_READ_LEN},
    {CMD_SET_SPEAKER, CMD_SET_SPEAKER_REPLY, 4, Destination::SelectedReader, 10,
     ECHO_REPLY_READ_LEN},
    {CMD_SET_CLOUD, CMD_SET_CLOUD_REPLY, 200, Destination::SelectedReader, 0, 0},
    {CMD_SET_WIEGAND, CMD_SET_WIEGAND_REPLY, 8, Destination::SelectedReader, 10, 0},
    {CMD_READ_PARAMS, CMD_READ_PARAMS_REPLY, 0, Destination::SelectedReader, 0, 720},
    {CMD_SET_NETWORK, CMD_SET_NETWORK_REPLY, 96, Destination::ReaderDiscoveryPort, 0, 0},
    {CMD_SET_SERIAL, CMD_SET_SERIAL_REPLY, 20, Destination::SelectedReader, 10,
     SERIAL_REPLY_READ_LEN},
    {CMD_SET_RESTART, CMD_SET_RESTART_REPLY, 4, Destination::SelectedReader, 10, 0},
    {CMD_SET_QR_PARAMS, CMD_SET_QR_PARAMS_REPLY, 108, Destination::SelectedReader, 10, 0},
    {CMD_SET_CARD_FIX, CMD_SET_CARD_FIX_REPLY, 72, Destination::SelectedReader, 0, 0},
};

constexpr std::size_t COMMAND_COUNT = sizeof(COMMAND_CATALOG) / sizeof(COMMAND_CATALOG[0]);

// The catalogue row of a request identifier; nullptr for one the tool never sends (4, 26, ...).
constexpr const CommandInfo* FindCommand(std::int32_t request) {
  for (const CommandInfo& c : COMMAND_CATALOG) {
    if (c.request == request) return &c;
  }
  return nullptr;
}

// The catalogue row whose reply is this identifier; nullptr for a reply the tool ignores.
constexpr const CommandInfo* FindCommandByReply(std::int32_t reply) {
  for (const CommandInfo& c : COMMAND_CATALOG) {
    if (c.reply == reply) return &c;
  }
  return nullptr;
}

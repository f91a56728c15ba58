// The command identifiers: every request the tool sends and the reply it expects (request + 1),
// the two UDP ports, and how many data bytes the reply handler reads from the replies it
// examines. The Set commands' replies, data lengths, record sections and pauses are one table
// in params/Catalogue.h, their buttons and handlers in app/SetCommandTable.h.
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

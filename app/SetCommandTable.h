// The Set commands, one row each: the Set button, its handler, the request and reply identifiers,
// the section of DEV_PARAM_T the command writes (offset and size), the payload that carries it
// and the pause between the header datagram and the payload datagram.
//
// Why a row list macro: the handler is a member of CKestrivalDlg and only the message map, inside
// the dialog, can name it; everything else in a row is plain data that the simulated reader
// needs too, and the reader must not depend on the dialog. So the rows are written once, below,
// and expanded three ways:
//   - SET_COMMANDS, plain constexpr rows without the handler: the dialog's initialisation
//     disables the buttons in this order, ShowParameters enables them in this order, the Set
//     handlers take their length and pause from it (SendSetCommand), and the simulated reader
//     takes the section each request writes and its reply identifier;
//   - the message map entries ON_BN_CLICKED(button, handler) (app/KestrivalDlg.cpp);
//   - compile-time checks that tie each row to DEV_PARAM_T and to its payload type.
//
// To add a Set command: a row here (button in app/resource.h, handler declared in
// app/KestrivalDlg.h and defined under app/dialog/, identifiers in protocol/CommandCatalog.h,
// the section in params/DevParam.h, a payload builder in params/Payloads.h).
#pragma once

#include <cstddef>
#include <cstdint>

#include "app/resource.h"
#include "params/DevParam.h"
#include "params/Payloads.h"
#include "protocol/CommandCatalog.h"
#include "protocol/DiscoverDev.h"

// ROW(button, handler, request, reply, section, first field of the section, payload type,
//     offset of the section inside the payload, pause in ms)
// In the order in which initialisation disables the buttons and a shown record enables them.
// The network settings (32) carry the reader's 16-byte label before the network block; they go
// to the reader's discovery port without the pause.
#define KESTRIVAL_SET_COMMANDS(ROW)                                                               \
  ROW(IDC_BTN_SET_CLOUD, OnSetCloud, CMD_SET_CLOUD, CMD_SET_CLOUD_REPLY, SECTION_CLOUD,           \
      cloudProvider, CloudPayload, 0, 0)                                                          \
  ROW(IDC_BTN_SET_SERIAL, OnSetSerial, CMD_SET_SERIAL, CMD_SET_SERIAL_REPLY, SECTION_SERIAL,      \
      baudRate, SerialPayload, 0, 10)                                                             \
  ROW(IDC_BTN_SET_RESTART, OnSetRestart, CMD_SET_RESTART, CMD_SET_RESTART_REPLY, SECTION_RESTART, \
      restartSetting, OneValuePayload, 0, 10)                                                     \
  ROW(IDC_BTN_SET_LIGHT, OnSetLight, CMD_SET_LIGHT, CMD_SET_LIGHT_REPLY, SECTION_LIGHT, light,    \
      OneValuePayload, 0, 10)                                                                     \
  ROW(IDC_BTN_SET_SPEAKER, OnSetSpeaker, CMD_SET_SPEAKER, CMD_SET_SPEAKER_REPLY, SECTION_SPEAKER, \
      speaker, OneValuePayload, 0, 10)                                                            \
  ROW(IDC_BTN_SET_WORK_MODE, OnSetWorkMode, CMD_SET_WORK_MODE, CMD_SET_WORK_MODE_REPLY,           \
      SECTION_WORK_MODE, workMode, OneValuePayload, 0, 10)                                        \
  ROW(IDC_BTN_SET_HIDDEN_CHOICE, OnSetHiddenChoice, CMD_SET_HIDDEN_CHOICE,                        \
      CMD_SET_HIDDEN_CHOICE_REPLY, SECTION_HIDDEN_CHOICE, hiddenChoice, OneValuePayload, 0, 10)   \
  ROW(IDC_BTN_SET_WIEGAND, OnSetWiegand, CMD_SET_WIEGAND, CMD_SET_WIEGAND_REPLY, SECTION_WIEGAND, \
      wgHighPulse, WiegandPayload, 0, 10)                                                         \
  ROW(IDC_BTN_SET_NETWORK, OnSetNetworkParams, CMD_SET_NETWORK, CMD_SET_NETWORK_REPLY,            \
      SECTION_NETWORK, netMode, DISCOVER_DEV_T, NETWORK_BLOCK_OFFSET, 0)                          \
  ROW(IDC_BTN_SET_OUTPUT_FORMAT, OnSetOutputFormat, CMD_SET_OUTPUT_FORMAT,                        \
      CMD_SET_OUTPUT_FORMAT_REPLY, SECTION_OUTPUT_FORMAT, outputFormat, OneValuePayload, 0, 10)   \
  ROW(IDC_BTN_SET_CARD_INPUT_FORMAT, OnSetCardInputFormat, CMD_SET_CARD_INPUT_FORMAT,             \
      CMD_SET_CARD_INPUT_FORMAT_REPLY, SECTION_CARD_INPUT_FORMAT, cardInputFormat,                \
      OneValuePayload, 0, 10)                                                                     \
  ROW(IDC_BTN_SET_HID, OnSetHidFormat, CMD_SET_HID_FORMAT, CMD_SET_HID_FORMAT_REPLY,              \
      SECTION_HID_FORMAT, hidEnter, OneValuePayload, 0, 10)                                       \
  ROW(IDC_BTN_SET_CARD_FIX, OnSetCardPrefixSuffix, CMD_SET_CARD_FIX, CMD_SET_CARD_FIX_REPLY,      \
      SECTION_CARD_FIX, cardSerialFormat, CardFixPayload, 0, 0)                                   \
  ROW(IDC_BTN_SET_QR, OnSetQrParams, CMD_SET_QR_PARAMS, CMD_SET_QR_PARAMS_REPLY,                  \
      SECTION_QR_PARAMS, qrProtocol, QrPayload, 0, 10)                                            \
  ROW(IDC_BTN_SET_BAR_PREFIX, OnSetBarcodePrefix, CMD_SET_BAR_PREFIX, CMD_SET_BAR_PREFIX_REPLY,   \
      SECTION_BAR_PREFIX, barPrefixFmt, BarcodeFixPayload, 0, 0)                                  \
  ROW(IDC_BTN_SET_BAR_SUFFIX, OnSetBarcodeSuffix, CMD_SET_BAR_SUFFIX, CMD_SET_BAR_SUFFIX_REPLY,   \
      SECTION_BAR_SUFFIX, barSuffixFmt, BarcodeFixPayload, 0, 0)

// One row as plain data.
struct SetCommand {
  int button;              // the Set button's control identifier
  std::int32_t request;    // cmdId of the request
  std::int32_t reply;      // cmdId of the reader's confirmation
  ParamSection section;    // the bytes of DEV_PARAM_T that the command writes
  std::size_t sectionAt;   // where those bytes begin inside the payload
  std::size_t payloadLen;  // data bytes of the payload datagram
  int pauseMs;             // between the header datagram and the payload datagram, 0 for none
};

#define KESTRIVAL_SET_COMMAND_DATA(button, handler, request, reply, section, field, Payload, at, \
                                   pause)                                                        \
  SetCommand{button, request, reply, section, at, sizeof(Payload), pause},
inline constexpr SetCommand SET_COMMANDS[] = {KESTRIVAL_SET_COMMANDS(KESTRIVAL_SET_COMMAND_DATA)};
#undef KESTRIVAL_SET_COMMAND_DATA

// Each section begins at its first field and is exactly what its payload carries after the
// offset at which it stands there.
#define KESTRIVAL_SET_COMMAND_CHECK(button, handler, request, reply, section, field, Payload, at, \
                                    pause)                                                        \
  static_assert((section).offset == offsetof(DEV_PARAM_T, field), #section " begins at " #field); \
  static_assert((at) + (section).len == sizeof(Payload), #Payload " carries " #section);
KESTRIVAL_SET_COMMANDS(KESTRIVAL_SET_COMMAND_CHECK)
#undef KESTRIVAL_SET_COMMAND_CHECK

// The row of a request identifier; nullptr for a request that is no Set command.
constexpr const SetCommand* FindSetCommand(std::int32_t request) {
  for (const SetCommand& c : SET_COMMANDS) {
    if (c.request == request) return &c;
  }
  return nullptr;
}

// The row of a Set command's request, found while compiling.
consteval const SetCommand& SetCommandOf(std::int32_t request) {
  const SetCommand* c = FindSetCommand(request);
  if (c == nullptr) throw "no Set command with this request identifier";
  return *c;
}

// Across the rows: requests are even and each reply is its request + 1; the pause is 10 ms or
// none; buttons and requests are distinct; the sections lie inside the record without
// overlapping and, with the opaque block that no command writes, cover all of it.
static_assert([] {
  std::size_t covered = SECTION_OPAQUE.len;
  for (const SetCommand& a : SET_COMMANDS) {
    if (a.request % 2 != 0 || a.reply != a.request + 1) return false;
    if (a.pauseMs != 0 && a.pauseMs != 10) return false;
    if (a.section.offset + a.section.len > DEV_PARAM_LEN) return false;
    if (a.section.offset < SECTION_OPAQUE.offset + SECTION_OPAQUE.len &&
        SECTION_OPAQUE.offset < a.section.offset + a.section.len)
      return false;
    covered += a.section.len;
    for (const SetCommand& b : SET_COMMANDS) {
      if (&a == &b) continue;
      if (a.button == b.button || a.request == b.request) return false;
      if (a.section.offset < b.section.offset + b.section.len &&
          b.section.offset < a.section.offset + a.section.len)
        return false;
    }
  }
  return covered == DEV_PARAM_LEN;
}());

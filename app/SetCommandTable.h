// The Set commands as the dialog binds them: per command its Set button and its handler. The
// protocol facts of each command (request, reply, confirmation, section, payload, pause) are the
// rows of params/Catalogue.h, which the simulated reader and the programs read too.
//
// Why a row list macro: the handler is a member of CKestrivalDlg and only the message map, inside
// the dialog, can name it. The rows are written once, below, and expanded two ways:
//   - SET_COMMANDS, plain constexpr rows: the button with the catalogue's row of its request. The
//     dialog's initialisation disables the buttons in this order, ShowParameters enables them in
//     this order, the Set handlers take their length and pause from it (SendSetCommand);
//   - the message map entries ON_BN_CLICKED(button, handler) (app/KestrivalDlg.cpp).
// params/Catalogue.h ties each catalogue row to DEV_PARAM_T and to its payload type while
// compiling; below, each catalogue row is tied to exactly one button.
//
// To add a Set command: its row in params/Catalogue.h, a row here (button in app/resource.h,
// handler declared in app/KestrivalDlg.h and defined under app/dialog/).
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>

#include "app/resource.h"
#include "params/Catalogue.h"
#include "params/DevParam.h"
#include "protocol/CommandCatalog.h"

// ROW(button, handler, request)
// In the order in which initialisation disables the buttons and a shown record enables them.
#define KESTRIVAL_SET_COMMANDS(ROW)                                                   \
  ROW(IDC_BTN_SET_CLOUD, OnSetCloud, CMD_SET_CLOUD)                                   \
  ROW(IDC_BTN_SET_SERIAL, OnSetSerial, CMD_SET_SERIAL)                                \
  ROW(IDC_BTN_SET_RESTART, OnSetRestart, CMD_SET_RESTART)                             \
  ROW(IDC_BTN_SET_LIGHT, OnSetLight, CMD_SET_LIGHT)                                   \
  ROW(IDC_BTN_SET_SPEAKER, OnSetSpeaker, CMD_SET_SPEAKER)                             \
  ROW(IDC_BTN_SET_WORK_MODE, OnSetWorkMode, CMD_SET_WORK_MODE)                        \
  ROW(IDC_BTN_SET_HIDDEN_CHOICE, OnSetHiddenChoice, CMD_SET_HIDDEN_CHOICE)            \
  ROW(IDC_BTN_SET_WIEGAND, OnSetWiegand, CMD_SET_WIEGAND)                             \
  ROW(IDC_BTN_SET_NETWORK, OnSetNetworkParams, CMD_SET_NETWORK)                       \
  ROW(IDC_BTN_SET_OUTPUT_FORMAT, OnSetOutputFormat, CMD_SET_OUTPUT_FORMAT)            \
  ROW(IDC_BTN_SET_CARD_INPUT_FORMAT, OnSetCardInputFormat, CMD_SET_CARD_INPUT_FORMAT) \
  ROW(IDC_BTN_SET_HID, OnSetHidFormat, CMD_SET_HID_FORMAT)                            \
  ROW(IDC_BTN_SET_CARD_FIX, OnSetCardPrefixSuffix, CMD_SET_CARD_FIX)                  \
  ROW(IDC_BTN_SET_QR, OnSetQrParams, CMD_SET_QR_PARAMS)                               \
  ROW(IDC_BTN_SET_BAR_PREFIX, OnSetBarcodePrefix, CMD_SET_BAR_PREFIX)                 \
  ROW(IDC_BTN_SET_BAR_SUFFIX, OnSetBarcodeSuffix, CMD_SET_BAR_SUFFIX)

// One row as plain data.
struct SetCommand {
  int button;                 // the Set button's control identifier
  std::int32_t request;       // cmdId of the request
  std::int32_t reply;         // cmdId of the reader's confirmation
  ParamSection section;       // the bytes of DEV_PARAM_T that the command writes
  std::size_t sectionAt;      // where those bytes begin inside the payload
  std::size_t payloadLen;     // data bytes of the payload datagram
  int pauseMs;                // between the header datagram and the payload datagram, 0 for none
  Confirmation confirmation;  // what in the reply confirms the request
};

constexpr SetCommand BindSetCommand(int button, const SetCommandSpec& spec) {
  return SetCommand{button,         spec.request,    spec.reply,   spec.section,
                    spec.sectionAt, spec.payloadLen, spec.pauseMs, spec.confirmation};
}

#define KESTRIVAL_SET_COMMAND_DATA(button, handler, request) \
  BindSetCommand(button, SetCommandSpecOf(request)),
inline constexpr SetCommand SET_COMMANDS[] = {KESTRIVAL_SET_COMMANDS(KESTRIVAL_SET_COMMAND_DATA)};
#undef KESTRIVAL_SET_COMMAND_DATA

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

// Every Set command of the catalogue has exactly one button here, and the buttons are distinct.
static_assert([] {
  if (std::size(SET_COMMANDS) != std::size(SET_COMMAND_SPECS)) return false;
  for (const SetCommand& a : SET_COMMANDS) {
    for (const SetCommand& b : SET_COMMANDS) {
      if (&a != &b && (a.button == b.button || a.request == b.request)) return false;
    }
  }
  return true;
}());

// Reply handling: validation of every received datagram and the dispatch on its cmdId.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "app/FieldControls.h"
#include "app/KestrivalDlg.h"
#include "app/dialog/DialogHelpers.h"
#include "params/Catalogue.h"
#include "params/DevParam.h"
#include "params/Payloads.h"
#include "protocol/ByteOrder.h"
#include "protocol/CommandCatalog.h"
#include "protocol/MspPacket.h"

namespace {

constexpr char kSourceFile[] = "KestrivalDlg";
constexpr char kFunction[] = "CKestrivalDlg::UdpCmdRecv";

// The first N data bytes of a reply in a zero-filled copy: bytes the datagram did not carry read
// as zero, and nothing past the received bytes is read.
template <std::size_t N>
std::array<std::uint8_t, N> ReadData(const char* data, int available) {
  std::array<std::uint8_t, N> out{};
  if (available > 0)
    std::memcpy(out.data(), data, std::min(N, static_cast<std::size_t>(available)));
  return out;
}

}  // namespace

void CKestrivalDlg::UdpCmdRecv(const char* buffer, int count, const NetAddr& sender) {
  if (count < PACKAGE_HEADER_LEN) {
    DebugTrace("\n\n\n %s,%s,%d  recvbytes=%d PACKAGE_HEADER_LEN=%d\n", kSourceFile, kFunction,
               __LINE__, count, PACKAGE_HEADER_LEN);
    return;
  }
  // The receive buffer holds RECV_BUFFER_LEN bytes; nothing beyond the received ones is read.
  count = std::min(count, RECV_BUFFER_LEN);
  const ReplyCheck check =
      ParseReply(reinterpret_cast<const std::uint8_t*>(buffer), RECV_BUFFER_LEN, count);

  if (check.status == ReplyStatus::BadSync) {
    DebugTrace("sync code error\n");
    return;
  }
  DebugTrace("%s,%s,%d pNet->cmdId =0x%0x\n", kSourceFile, kFunction, __LINE__,
             static_cast<unsigned>(check.cmdId));
  if (check.status == ReplyStatus::DataTooLong) {
    // The checksum of such a length would run past the receive buffer: the reply is dropped.
    DebugTrace("cmdData len error ,cmdDataLen=%d ,max=%d \n", check.cmdDataLen, MAX_REPLY_DATA_LEN);
    return;
  }
  if (check.status == ReplyStatus::BadChecksum) {
    DebugTrace("cmdData_checksum error ,retCrc=0x%0x ,cmdData_checksum=0x%0x \n",
               static_cast<unsigned>(check.computedChecksum),
               static_cast<unsigned>(check.receivedChecksum));
    return;
  }

  const char* data = buffer + PACKAGE_HEADER_LEN;
  const int available = count - PACKAGE_HEADER_LEN;

  switch (check.cmdId) {
    case CMD_READ_VERSION_REPLY: {
      auto version = ReadData<VERSION_REPLY_READ_LEN>(data, available);
      // The text runs from data byte 16 to byte 63 at the latest: at most 47 characters.
      version[VERSION_REPLY_READ_LEN - 1] = 0;
      const char* text = reinterpret_cast<const char*>(version.data() + VERSION_TEXT_OFFSET);
      if (std::strcmp(text, "ver_client1_1.1") == 0) {
        m_clientVersion = 1;
        DebugTrace("ver_client1_1.0:%s\n", text);
      } else {
        m_clientVersion = 0;
        DebugTrace("ver_common_1.0:%s\n", text);
      }
      break;
    }
    case CMD_SEARCH_REPLY:
      AddDiscoveredDevice(data, available, sender);
      break;
    case CMD_READ_PARAMS_REPLY: {
      const auto record = std::make_unique<DEV_PARAM_T>(
          DecodeDevParam(reinterpret_cast<const std::uint8_t*>(data),
                         std::min(DEV_PARAM_LEN, static_cast<std::size_t>(available))));
      ShowParameters(*record);
      break;
    }
    default:
      // The reply of a Set command confirms it as its catalogue row says; even identifiers, 5,
      // 27, 35, 37 and anything outside 1..45: ignored.
      if (const SetCommandSpec* set = FindSetCommandByReply(check.cmdId))
        ConfirmSetCommand(*set, data, available);
      break;
  }
}

void CKestrivalDlg::ConfirmSetCommand(const SetCommandSpec& command, const char* data,
                                      int available) {
  switch (command.confirmation) {
    case Confirmation::ByReply:
      // The bytes 4 to 35 of replies 13 and 15 are the field as the reader stored it, which for
      // hexadecimal input differs from the edit's text: they are not compared, the reply itself
      // confirms.
      SetStatusText(0, InterfaceText(Text::SetSuccessfully));
      break;
    case Confirmation::ByEcho: {
      // The list of the section's only field.
      const ParamField* field = FirstFieldOf(command);
      CWnd* list = field ? GetDlgItem(ControlOf(field->field)) : nullptr;
      const int position =
          list ? static_cast<int>(list->SendMessage(CB_GETCURSEL)) : static_cast<int>(CB_ERR);
      const auto echo = ReadData<ECHO_REPLY_READ_LEN>(data, available);
      // Read as a signed byte, so 0xFF matches a list without a selection (-1).
      if (static_cast<std::int8_t>(echo[0]) == position) {
        SetStatusText(0, InterfaceText(Text::SetSuccessfully));
      }
      break;
    }
    case Confirmation::BySerial: {
      // Reply 39 carries five 32-bit values; the first three answer baud rate, data bits and stop
      // bits. They confirm the settings when, all three together, they are either the numbers of
      // the selected items (what request 38 sent: the echo of a reader) or the positions of
      // those items in their lists (the form some readers answer with). Each list needs a
      // selection; parity and the output format are not examined.
      const auto values = ReadData<SERIAL_REPLY_READ_LEN>(data, available);
      const std::int32_t reply[3] = {kestrival::GetLeI32(values.data()),
                                     kestrival::GetLeI32(values.data() + 4),
                                     kestrival::GetLeI32(values.data() + 8)};
      const CComboBox* lists[3] = {&m_baudRate, &m_dataBits, &m_stopBits};
      bool selected = true, asNumbers = true, asPositions = true;
      for (int i = 0; i < 3; ++i) {
        const int position = lists[i]->GetCurSel();
        selected = selected && position >= 0;
        asPositions = asPositions && reply[i] == position;
        asNumbers = asNumbers && reply[i] == ListTextValue(SelectedItemText(*lists[i]));
      }
      if (selected && (asNumbers || asPositions))
        SetStatusText(0, InterfaceText(Text::SetSuccessfully));
      break;
    }
  }
}

// Discovery of readers, the device list and the network settings command.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "app/KestrivalDlg.h"
#include "app/dialog/DialogHelpers.h"
#include "i18n/TextFormat.h"
#include "protocol/CommandCatalog.h"
#include "protocol/MspPacket.h"

void CKestrivalDlg::OnSearchDevices() {
  if (!m_socketReady) {
    SetStatusText(0, InterfaceText(Text::NetworkNotReady));
    return;
  }
  // The list and the array are emptied together, so every line keeps a record with its label.
  // The array owns its records: emptying it frees them.
  m_deviceList.ResetContent();
  m_devices.clear();

  UpdateData(TRUE);

  MspSendCmd_t header{};
  BuildCmdHeader(CMD_SEARCH, nullptr, 0, &header);
  const auto bytes = EncodeCmdHeader(header);
  const int sent =
      sendto(m_udpSocket, reinterpret_cast<const char*>(bytes.data()), PACKAGE_HEADER_LEN, 0,
             reinterpret_cast<const sockaddr*>(&m_broadcastAddr), sizeof m_broadcastAddr);
  SetStatusText(0, InterfaceText(sent == SOCKET_ERROR ? Text::SendFailed : Text::Sent));

  UpdateData(FALSE);
}

void CKestrivalDlg::AddDiscoveredDevice(const char* data, int available, const NetAddr& sender) {
  // A label without a NUL in its 16 bytes is cut to 15 bytes: the record is kept and its line,
  // like every other, finds it again.
  const DiscoveredRecord found =
      RecordFromDiscoveryReply(reinterpret_cast<const std::uint8_t*>(data),
                               available > 0 ? static_cast<std::size_t>(available) : 0, sender);
  m_devices.push_back(std::make_unique<DISCOVER_DEV_T>(found.record));
  // The line carries its record (its position in the array, from 1), so that readers sharing a
  // label, as every reader fresh from the factory does, are each reached from their own line.
  const int line = m_deviceList.AddString(m_devices.back()->devLabel);
  if (line >= 0) m_deviceList.SetItemData(line, static_cast<DWORD_PTR>(m_devices.size()));
}

int CKestrivalDlg::FindDeviceByLabel(const char* label) {
  const std::string wanted = label != nullptr ? label : "";
  for (const auto& record : m_devices) {
    if (LabelText(*record) == wanted) {
      m_selectedDevice = *record;
      break;
    }
  }
  return 0;
}

bool CKestrivalDlg::SelectDeviceOfSelectedLine() {
  const int line = m_deviceList.GetCurSel();
  if (line < 0) return false;
  const DWORD_PTR position = m_deviceList.GetItemData(line);
  if (position >= 1 && position <= m_devices.size()) {
    m_selectedDevice = *m_devices[position - 1];
    return true;
  }
  // A line that carries no record of the array is found by its label.
  const std::string label = SelectedDeviceLabel(m_deviceList);
  FindDeviceByLabel(label.c_str());
  return true;
}

void CKestrivalDlg::OnDeviceListDblClk() {
  if (!SelectDeviceOfSelectedLine()) return;
  const std::string label = SelectedDeviceLabel(m_deviceList);

  const NetAddr& addr = m_selectedDevice.ipAddr;
  // Text::ReaderAddressLine comes from the editable language.csv: formatted safely, never as a
  // printf format.
  const std::string text =
      FormatInterfaceText(InterfaceText(Text::ReaderAddressLine),
                          {label.c_str(), int{addr.octets[0]}, int{addr.octets[1]},
                           int{addr.octets[2]}, int{addr.octets[3]}});
  SetStatusText(0, text.c_str());
  SetWindowText(text.c_str());
}

void CKestrivalDlg::OnSetNetworkParams() {
  UpdateData(TRUE);

  MspSendCmd_t header{};
  m_selectedDevice = DISCOVER_DEV_T{};

  auto address = [](const CIPAddressCtrl& control) {
    DWORD value = 0;
    control.GetAddress(value);
    return Ip32{value};
  };
  NetworkBlock block;
  block.netMode = m_netMode.GetCurSel();
  block.ipAddr = address(m_ipAddress);
  block.netMask = address(m_ipNetmask);
  block.gateway = address(m_ipGateway);
  block.dns1 = address(m_ipDns1);
  block.dns2 = address(m_ipDns2);
  char serverAddr[SERVER_ADDR_LEN] = {};
  m_serverAddr.GetWindowText(serverAddr, static_cast<int>(sizeof serverAddr));
  block.serverAddr = serverAddr;
  block.serverPort = m_serverPortValue;
  block.httpLang = m_httpLang.GetCurSel();

  if (!SelectDeviceOfSelectedLine()) {
    SetStatusText(0, InterfaceText(Text::NoReaderSelected));
    return;
  }
  const std::string label = SelectedDeviceLabel(m_deviceList);

  const auto record = BuildDeviceRecord(label, block);
  BuildCmdHeader(CMD_SET_NETWORK, record.data(), static_cast<int>(record.size()), &header);
  const auto headerBytes = EncodeCmdHeader(header);

  // The discovery port of the reader, not its command port.
  const sockaddr_in to = SocketAddress(m_selectedDevice.ipAddr, DISCOVERY_PORT);

  DebugTrace("MspSendCmd_t:%d", PACKAGE_HEADER_LEN);
  int sent = sendto(m_udpSocket, reinterpret_cast<const char*>(headerBytes.data()),
                    PACKAGE_HEADER_LEN, 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
  SetStatusText(0, InterfaceText(sent == SOCKET_ERROR ? Text::SendFailed : Text::Sent));

  DebugTrace("DISCOVER_DEV_T:%d", static_cast<int>(DISCOVER_DEV_LEN));
  sent =
      sendto(m_udpSocket, reinterpret_cast<const char*>(record.data()),
             static_cast<int>(record.size()), 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
  SetStatusText(0, InterfaceText(sent == SOCKET_ERROR ? Text::SendFailed : Text::Sent));
}

// The UDP transport of the dialog: the socket set-up, the read notification, the one routine
// through which commands reach the selected reader, and the debug trace.
#include <array>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include "app/KestrivalDlg.h"
#include "app/dialog/DialogHelpers.h"
#include "i18n/TextFormat.h"
#include "protocol/CommandCatalog.h"
#include "protocol/HexDump.h"
#include "protocol/MspPacket.h"

// The socket's receive buffer in the system (SO_RCVBUF), not the buffer of one recvfrom
// (RECV_BUFFER_LEN): room for a search answered by a few thousand readers at once.
constexpr int SOCKET_RCVBUF_BYTES = 4 * 1024 * 1024;

// A text that does not fit the 2048-byte buffer is cut to its first 2047 bytes: vsnprintf never
// writes past the buffer and always ends it with a NUL.
void DebugTrace(const char* format, ...) {
  char buffer[2048];
  va_list args;
  va_start(args, format);
  const int n = std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  if (n < 0) buffer[0] = '\0';
  OutputDebugStringA(buffer);
}

void CKestrivalDlg::InitUdpSocket() {
  WSADATA wsaData;
  if (WSAStartup(0x0202, &wsaData) != 0) {
    SetStatusText(0, InterfaceText(Text::CannotStartSockets));
    WSACleanup();
    return;
  }

  m_udpSocket = socket(AF_INET, SOCK_DGRAM, 0);
  if (m_udpSocket == INVALID_SOCKET) {
    SetStatusText(0, InterfaceText(Text::CannotCreateSocket));
    return;
  }

  // Text::PortLine comes from the editable language.csv: formatted safely, never as a printf
  // format.
  const std::string ports =
      FormatInterfaceText(InterfaceText(Text::PortLine), {int{COMMAND_PORT}, int{DISCOVERY_PORT}});
  SetStatusText(1, ports.c_str());

  m_bindAddr = SocketAddress(ANY_ADDR, COMMAND_PORT);

  // Any non-zero value switches broadcasting on; a failure shows when the search is sent.
  const DWORD broadcast = 0xFFFFFFFF;
  setsockopt(m_udpSocket, SOL_SOCKET, SO_BROADCAST, reinterpret_cast<const char*>(&broadcast),
             sizeof broadcast);

  m_broadcastAddr = SocketAddress(BROADCAST_ADDR, DISCOVERY_PORT);

  // Readers answer a search all at the same moment. The default receive buffer of the socket
  // holds a few hundred replies and the rest are dropped before the tool can read them, so the
  // buffer is sized for thousands (the system may grant less; a refusal keeps the default).
  const int receiveBuffer = SOCKET_RCVBUF_BYTES;
  setsockopt(m_udpSocket, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&receiveBuffer),
             sizeof receiveBuffer);

  if (bind(m_udpSocket, reinterpret_cast<const sockaddr*>(&m_bindAddr), sizeof m_bindAddr) ==
      SOCKET_ERROR) {
    SetStatusText(0, InterfaceText(Text::CannotBindPort));
    closesocket(m_udpSocket);
    return;
  }

  WSAAsyncSelect(m_udpSocket, m_hWnd, WM_UDP_NOTIFY, FD_READ);

  SetStatusText(0, InterfaceText(Text::NetworkReady));
  m_socketReady = 1;
}

LRESULT CKestrivalDlg::OnUdpNotify(WPARAM, LPARAM lParam) {
  std::array<char, RECV_BUFFER_LEN> buffer{};
  sockaddr_in from{};
  int fromLen = sizeof from;

  if (WSAGETSELECTEVENT(lParam) != FD_READ) return 0;

  const int count = recvfrom(m_udpSocket, buffer.data(), RECV_BUFFER_LEN, 0,
                             reinterpret_cast<sockaddr*>(&from), &fromLen);
  // 0 or a failure (a datagram too big for the buffer, an earlier send that met an unreachable
  // port) shows nothing; the socket stays registered and the next datagram is read as usual.
  if (count <= 0) return 0;

  NetAddr sender{};
  std::memcpy(sender.octets, &from.sin_addr, sizeof sender.octets);
  UdpCmdRecv(buffer.data(), count, sender);

  // Shown whether the reply was accepted or not.
  SetStatusText(1, HexDump(buffer.data(), count).c_str());
  return 0;
}

int CKestrivalDlg::SendToSelectedDevice(const char* data, int len) {
  if (!SelectDeviceOfSelectedLine()) {
    SetStatusText(0, InterfaceText(Text::NoReaderSelected));
    return -1;
  }

  m_commandAddr = SocketAddress(m_selectedDevice.ipAddr, COMMAND_PORT);

  if (sendto(m_udpSocket, data, len, 0, reinterpret_cast<const sockaddr*>(&m_commandAddr),
             sizeof m_commandAddr) == SOCKET_ERROR) {
    SetStatusText(0, InterfaceText(Text::SendFailed));
    return -1;
  }

  const NetAddr to = m_selectedDevice.ipAddr;
  const int a = to.octets[0], b = to.octets[1], c = to.octets[2], d = to.octets[3];
  SetStatusText(0, FormatInterfaceText(InterfaceText(Text::SentToAddress), {a, b, c, d}).c_str());

  const std::string dump = HexDump(data, len);
  DebugTrace("senddata(%d.%d.%d.%d): %s\n", a, b, c, d, dump.c_str());
  SetStatusText(1, dump.c_str());
  return 0;
}

// PLACEHOLDER until the transport lands: the socket, the notification and the send routine.
#include <cstdarg>
#include <cstdio>

#include "app/KestrivalDlg.h"

void DebugTrace(const char* format, ...) {
  char buffer[2048];
  va_list args;
  va_start(args, format);
  std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  OutputDebugStringA(buffer);
}

void CKestrivalDlg::InitUdpSocket() {}
LRESULT CKestrivalDlg::OnUdpNotify(WPARAM, LPARAM) { return 0; }
int CKestrivalDlg::SendToSelectedDevice(const char*, int) { return -1; }

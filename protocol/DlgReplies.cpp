// PLACEHOLDER until reply handling lands.
#include "app/KestrivalDlg.h"

void CKestrivalDlg::UdpCmdRecv(const char*, int, const NetAddr&) {}

// PLACEHOLDER until discovery lands.
#include "app/KestrivalDlg.h"

void CKestrivalDlg::OnSearchDevices() {}
void CKestrivalDlg::AddDiscoveredDevice(const char*, int, const NetAddr&) {}
int CKestrivalDlg::FindDeviceByLabel(const char*) { return 0; }
void CKestrivalDlg::OnDeviceListDblClk() {}
void CKestrivalDlg::OnSetNetworkParams() {}

// PLACEHOLDER until the parameter display and the Set commands land.
#include "app/KestrivalDlg.h"
#include "params/DevParam.h"

void CKestrivalDlg::OnGetParameters() {}
void CKestrivalDlg::ShowParameters(const DEV_PARAM_T&) {}
void CKestrivalDlg::OnSetOutputFormat() {}
void CKestrivalDlg::OnSetCardInputFormat() {}
void CKestrivalDlg::OnSetHidFormat() {}
void CKestrivalDlg::OnSetLight() {}
void CKestrivalDlg::OnSetWorkMode() {}
void CKestrivalDlg::OnSetHiddenChoice() {}
void CKestrivalDlg::OnSetSpeaker() {}
void CKestrivalDlg::OnSetRestart() {}
void CKestrivalDlg::OnSetWiegand() {}
void CKestrivalDlg::OnSetSerial() {}
void CKestrivalDlg::OnSetQrParams() {}
void CKestrivalDlg::OnKillFocusWiegandLow() {}
void CKestrivalDlg::OnKillFocusWiegandHigh() {}
void CKestrivalDlg::OnSetBarcodePrefix() {}
void CKestrivalDlg::OnSetBarcodeSuffix() {}
void CKestrivalDlg::OnSetCardPrefixSuffix() {}
void CKestrivalDlg::OnSetCloud() {}
void CKestrivalDlg::SendSetCommand(int, const void*, int, int) {}

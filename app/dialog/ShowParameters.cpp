// Get current parameters and the display of a received parameter record.
#include <string>
#include <string_view>

#include "app/KestrivalDlg.h"
#include "app/SetCommandTable.h"
#include "params/CodePage.h"
#include "params/DevParam.h"
#include "params/ParamDisplay.h"
#include "protocol/CommandCatalog.h"
#include "protocol/MspPacket.h"

namespace {

// The QR controls that only a reader reporting its client version lets the user change.
constexpr int kVersionedQrControls[] = {IDC_COMBO_QR_ENCRYPTED, IDC_COMBO_QR_CARD_FORMAT,
                                        IDC_COMBO_QR_WORK_MODE, IDC_COMBO_QR_USE_COUNT,
                                        IDC_EDIT_QR_NTP,        IDC_EDIT_QR_BACKUP};

// Selects the first item that begins with the value's decimal text; no match keeps the selection.
void SelectByLookup(CComboBox& list, std::int32_t value) {
  const std::string text = LookupText(value);
  const int found = list.FindString(-1, text.c_str());
  if (found != CB_ERR) list.SetCurSel(found);
}

}  // namespace

void CKestrivalDlg::OnGetParameters() {
  UpdateData(TRUE);

  MspSendCmd_t header{};
  BuildCmdHeader(CMD_READ_VERSION, nullptr, 0, &header);
  const auto versionRequest = EncodeCmdHeader(header);
  SendToSelectedDevice(reinterpret_cast<const char*>(versionRequest.data()), PACKAGE_HEADER_LEN);

  CWnd* getButton = GetDlgItem(IDC_BTN_GET_PARAMS);
  if (getButton) getButton->EnableWindow(FALSE);
  m_paramsReceived = 0;

  // One request per click: replies are handled only after this handler returns, so the flag
  // cannot be set inside the loop.
  constexpr int kMaxAttempts = 1;
  int attempts = 0;
  while (m_paramsReceived == 0 && attempts < kMaxAttempts) {
    BuildCmdHeader(CMD_READ_PARAMS, nullptr, 0, &header);
    const auto readRequest = EncodeCmdHeader(header);
    SendToSelectedDevice(reinterpret_cast<const char*>(readRequest.data()), PACKAGE_HEADER_LEN);
    if (m_paramsReceived != 0) break;
    ++attempts;
  }

  if (getButton) getButton->EnableWindow(TRUE);
}

void CKestrivalDlg::ShowParameters(const DEV_PARAM_T& record) {
  m_paramsReceived = 1;

  m_ipAddress.SetAddress(record.ipAddr.value);
  m_ipNetmask.SetAddress(record.netMask.value);
  m_ipGateway.SetAddress(record.gateway.value);
  m_ipDns1.SetAddress(record.dns1.value);
  m_ipDns2.SetAddress(record.dns2.value);

  m_serverAddr.SetWindowText(FieldText(record.serverAddr, sizeof record.serverAddr).c_str());
  m_serverPortValue = record.serverPort;

  m_httpLang.SetCurSel(record.httpLang);
  m_netMode.SetCurSel(record.netMode);
  m_light.SetCurSel(record.light);

  m_barPrefix.SetWindowText(FieldText(record.barPrefix, sizeof record.barPrefix).c_str());
  m_barSuffix.SetWindowText(FieldText(record.barSuffix, sizeof record.barSuffix).c_str());

  // The one-byte slots are signed bytes (128 and above select nothing), the QR bytes unsigned.
  m_hidEnter.SetCurSel(record.hidEnter);
  m_hidNewline.SetCurSel(record.hidNewline);
  m_speaker.SetCurSel(record.speaker);
  m_hiddenChoice.SetCurSel(record.hiddenChoice);
  m_cloudProvider.SetCurSel(record.cloudProvider);
  m_workMode.SetCurSel(record.workMode);
  m_outputFormat.SetCurSel(OutputFormatCodeToIndex(record.outputFormat));
  m_cardInputFormat.SetCurSel(CardInputFormatCodeToIndex(record.cardInputFormat));
  m_parity.SetCurSel(record.parity);
  m_qrSerialFormat.SetCurSel(record.qrSerialFormat);
  m_barFixFormat.SetCurSel(record.barPrefixFmt);
  m_qrProtocol.SetCurSel(record.qrProtocol);
  m_qrStartDigit.SetCurSel(record.qrStartDigit);
  m_cardSerialFormat.SetCurSel(record.cardSerialFormat);
  m_cardFixFormat.SetCurSel(record.cardFixFmt);

  m_cardPrefix.SetWindowText(
      FixFieldDisplay(record.cardFixFmt, record.cardPrefix, sizeof record.cardPrefix).c_str());
  m_cardSuffix.SetWindowText(
      FixFieldDisplay(record.cardFixFmt, record.cardSuffix, sizeof record.cardSuffix).c_str());

  m_barPrefix.SetWindowText(
      FixFieldDisplay(record.barPrefixFmt, record.barPrefix, sizeof record.barPrefix).c_str());
  m_barSuffix.SetWindowText(
      FixFieldDisplay(record.barSuffixFmt, record.barSuffix, sizeof record.barSuffix).c_str());

  m_wgLowValue = WiegandDisplayValue(record.wgLowPulse);
  m_wgHighValue = WiegandDisplayValue(record.wgHighPulse);

  // A cloud text that fills its 32 bytes without a NUL is converted in full, never past them.
  const struct {
    CEdit& edit;
    const char* field;
  } cloudTexts[] = {{m_cloudText1, record.cloudText1}, {m_cloudText2, record.cloudText2},
                    {m_cloudText3, record.cloudText3}, {m_cloudText4, record.cloudText4},
                    {m_cloudText5, record.cloudText5}, {m_cloudText6, record.cloudText6}};
  for (const auto& c : cloudTexts)
    c.edit.SetWindowText(Utf8ToAnsiString(std::string_view(c.field, CLOUD_TEXT_LEN)).c_str());

  if (m_clientVersion != 0) {
    m_qrCardFormat.SetCurSel(record.qrCardFormat);
    m_qrEncrypted.SetCurSel(record.qrEncrypted);
    m_qrUseCount.SetCurSel(record.qrUseCount);
    m_qrWorkMode.SetCurSel(record.qrWorkMode);
    m_qrNtp.SetWindowText(FieldText(record.ntpAddr, sizeof record.ntpAddr).c_str());
    m_qrBackup.SetWindowText(FieldText(record.backupAddr, sizeof record.backupAddr).c_str());
    if (CWnd* w = GetDlgItem(IDC_BTN_SET_QR)) w->EnableWindow(TRUE);
  }

  for (int id : kVersionedQrControls) {
    if (CWnd* w = GetDlgItem(id)) w->EnableWindow(m_clientVersion != 0 ? TRUE : FALSE);
  }

  m_cloudServerIp.SetAddress(record.cloudServerIp.value);

  SelectByLookup(m_baudRate, record.baudRate);
  SelectByLookup(m_dataBits, record.dataBits);
  SelectByLookup(m_stopBits, record.stopBits);

  m_restart.SetCurSel(record.restartSetting);

  // Get current parameters and every Set button, the hidden ones included.
  if (CWnd* w = GetDlgItem(IDC_BTN_GET_PARAMS)) w->EnableWindow(TRUE);
  for (const SetCommand& command : SET_COMMANDS) {
    if (CWnd* w = GetDlgItem(command.button)) w->EnableWindow(TRUE);
  }

  UpdateData(FALSE);
  SetStatusText(0, InterfaceText(Text::ParametersRead));
}

// The set sequence and the Set commands whose data are list selections and numbers, with the
// checks of the two Wiegand edits.
#include <string>

#include "app/KestrivalDlg.h"
#include "app/SetCommandTable.h"
#include "app/dialog/DialogHelpers.h"
#include "params/Catalogue.h"
#include "params/Payloads.h"
#include "protocol/CommandCatalog.h"
#include "protocol/MspPacket.h"

namespace {

// The whole text of an edit.
std::string EditText(const CWnd& edit) {
  CString text;
  edit.GetWindowText(text);
  return text.str();
}

}  // namespace

void CKestrivalDlg::SendSetCommand(const SetCommand& command, const std::uint8_t* payload) {
  const int len = static_cast<int>(command.payloadLen);
  MspSendCmd_t header{};
  BuildCmdHeader(command.request, payload, len, &header);
  const auto headerBytes = EncodeCmdHeader(header);
  // Each send reports itself in the status bar; a failed header does not stop the payload.
  SendToSelectedDevice(reinterpret_cast<const char*>(headerBytes.data()), PACKAGE_HEADER_LEN);
  if (command.pauseMs > 0) Sleep(static_cast<DWORD>(command.pauseMs));
  SendToSelectedDevice(reinterpret_cast<const char*>(payload), len);
}

void CKestrivalDlg::OnSetOutputFormat() {
  UpdateData(TRUE);
  const auto payload = BuildOutputFormatPayload(m_outputFormat.GetCurSel());
  SendSetCommand(SetCommandOf(CMD_SET_OUTPUT_FORMAT), payload.data());
}

void CKestrivalDlg::OnSetCardInputFormat() {
  UpdateData(TRUE);
  const auto payload = BuildCardInputFormatPayload(m_cardInputFormat.GetCurSel());
  SendSetCommand(SetCommandOf(CMD_SET_CARD_INPUT_FORMAT), payload.data());
}

void CKestrivalDlg::OnSetHidFormat() {
  UpdateData(TRUE);
  const auto payload = BuildHidFormatPayload(m_hidEnter.GetCurSel(), m_hidNewline.GetCurSel());
  SendSetCommand(SetCommandOf(CMD_SET_HID_FORMAT), payload.data());
}

void CKestrivalDlg::OnSetLight() {
  UpdateData(TRUE);
  const auto payload = BuildLightPayload(m_light.GetCurSel());
  SendSetCommand(SetCommandOf(CMD_SET_LIGHT), payload.data());
}

void CKestrivalDlg::OnSetWorkMode() {
  UpdateData(TRUE);
  const auto payload = BuildWorkModePayload(m_workMode.GetCurSel());
  SendSetCommand(SetCommandOf(CMD_SET_WORK_MODE), payload.data());
}

void CKestrivalDlg::OnSetHiddenChoice() {
  UpdateData(TRUE);
  const auto payload = BuildHiddenChoicePayload(m_hiddenChoice.GetCurSel());
  SendSetCommand(SetCommandOf(CMD_SET_HIDDEN_CHOICE), payload.data());
}

void CKestrivalDlg::OnSetSpeaker() {
  UpdateData(TRUE);
  const auto payload = BuildSpeakerPayload(m_speaker.GetCurSel());
  SendSetCommand(SetCommandOf(CMD_SET_SPEAKER), payload.data());
}

void CKestrivalDlg::OnSetRestart() {
  UpdateData(TRUE);
  const auto payload = BuildRestartPayload(m_restart.GetCurSel());
  SendSetCommand(SetCommandOf(CMD_SET_RESTART), payload.data());
}

void CKestrivalDlg::OnSetWiegand() {
  UpdateData(TRUE);
  const auto payload = BuildWiegandPayload(WiegandInput{m_wgLowValue, m_wgHighValue});
  SendSetCommand(SetCommandOf(CMD_SET_WIEGAND), payload.data());
}

void CKestrivalDlg::OnSetSerial() {
  UpdateData(TRUE);
  const std::string baud = SelectedItemText(m_baudRate);
  const std::string dataBits = SelectedItemText(m_dataBits);
  const std::string stopBits = SelectedItemText(m_stopBits);
  const auto payload = BuildSerialPayload(
      SerialInput{baud, dataBits, stopBits, m_parity.GetCurSel(), m_qrSerialFormat.GetCurSel()});
  SendSetCommand(SetCommandOf(CMD_SET_SERIAL), payload.data());
}

void CKestrivalDlg::OnSetQrParams() {
  UpdateData(TRUE);
  // Disabled controls still hold their selections and texts, and those are sent.
  const std::string ntp = EditText(m_qrNtp);
  const std::string backup = EditText(m_qrBackup);
  const auto payload = BuildQrPayload(QrInput{
      m_qrProtocol.GetCurSel(), m_qrCardFormat.GetCurSel(), m_qrEncrypted.GetCurSel(),
      m_qrUseCount.GetCurSel(), m_qrStartDigit.GetCurSel(), m_qrWorkMode.GetCurSel(), ntp, backup});
  SendSetCommand(SetCommandOf(CMD_SET_QR_PARAMS), payload.data());
}

void CKestrivalDlg::OnKillFocusWiegandLow() {
  UpdateData(TRUE);
  if (m_wgLowValue < param_items::kMinWiegandPulseUs) {
    m_wgLowValue = param_items::kMinWiegandPulseUs;
    UpdateData(FALSE);
  }
}

void CKestrivalDlg::OnKillFocusWiegandHigh() {
  UpdateData(TRUE);
  if (m_wgHighValue < param_items::kMinWiegandPulseUs) {
    m_wgHighValue = param_items::kMinWiegandPulseUs;
    UpdateData(FALSE);
  }
}

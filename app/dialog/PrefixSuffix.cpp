// The prefix and suffix commands: barcode prefix (12), barcode suffix (14) and the card prefix
// and suffix together (44), each field as text or hexadecimal digits by its input format.
#include "app/KestrivalDlg.h"
#include "app/SetCommandTable.h"
#include "params/Payloads.h"
#include "protocol/CommandCatalog.h"

namespace {

// The whole text of an edit: the payload builder cuts it to its field, a text at a whole
// character, hexadecimal digits at 31 bytes.
std::string ReadFixEdit(const CWnd& edit) {
  CString text;
  edit.GetWindowText(text);
  return text.str();
}

// Every hexadecimal pair converted is traced with its position and byte.
void TraceHexByte(int i, int byte) {
  DebugTrace("data[%d]:0x%02x\n", i, byte);
}

}  // namespace

void CKestrivalDlg::OnSetBarcodePrefix() {
  UpdateData(TRUE);
  const std::string text = ReadFixEdit(m_barPrefix);
  const auto payload = BuildBarcodeFixPayload(m_barFixFormat.GetCurSel(), text, TraceHexByte);
  SendSetCommand(SetCommandOf(CMD_SET_BAR_PREFIX), payload.data());
}

void CKestrivalDlg::OnSetBarcodeSuffix() {
  UpdateData(TRUE);
  // The suffix shares the prefix's input-format list.
  const std::string text = ReadFixEdit(m_barSuffix);
  const auto payload = BuildBarcodeFixPayload(m_barFixFormat.GetCurSel(), text, TraceHexByte);
  SendSetCommand(SetCommandOf(CMD_SET_BAR_SUFFIX), payload.data());
}

void CKestrivalDlg::OnSetCardPrefixSuffix() {
  UpdateData(TRUE);
  const std::string prefix = ReadFixEdit(m_cardPrefix);
  const std::string suffix = ReadFixEdit(m_cardSuffix);
  const auto payload = BuildCardFixPayload(
      CardFixInput{m_cardSerialFormat.GetCurSel(), m_cardFixFormat.GetCurSel(), prefix, suffix},
      TraceHexByte);
  SendSetCommand(SetCommandOf(CMD_SET_CARD_FIX), payload.data());
}

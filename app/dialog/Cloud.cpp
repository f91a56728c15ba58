// The cloud connection command (24) of the hidden row: provider, server address and six texts
// that travel in UTF-8.
#include <array>
#include <string>

#include "app/KestrivalDlg.h"
#include "app/SetCommandTable.h"
#include "params/CodePage.h"
#include "params/Payloads.h"
#include "protocol/CommandCatalog.h"

void CKestrivalDlg::OnSetCloud() {
  UpdateData(TRUE);

  DWORD address = 0;  // blank fields count as 0
  m_cloudServerIp.GetAddress(address);

  // A text whose UTF-8 form exceeds 31 bytes is cut after its last whole character that fits, so
  // the field always ends with a NUL and the reader never sees half a character.
  std::array<std::string, 6> utf8;
  CEdit* const edits[] = {&m_cloudText1, &m_cloudText2, &m_cloudText3,
                          &m_cloudText4, &m_cloudText5, &m_cloudText6};
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    CString text;
    edits[i]->GetWindowText(text);
    utf8[i] = AnsiToUtf8String(text.str());
  }

  CloudInput in{m_cloudProvider.GetCurSel(), Ip32{static_cast<std::uint32_t>(address)}, {}};
  for (std::size_t i = 0; i < utf8.size(); ++i) in.texts[i] = utf8[i];
  const auto payload = BuildCloudPayload(in);
  SendSetCommand(SetCommandOf(CMD_SET_CLOUD), payload.data());
}

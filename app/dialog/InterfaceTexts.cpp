// The interface texts of the current language in every caption and option list, and every value
// back at its default.
#include "app/Captions.h"
#include "app/KestrivalDlg.h"
#include "params/Catalogue.h"

namespace {

// What Server address shows until a reader's parameters are read.
constexpr const char* kDefaultServerHost = "www.example.com";

DWORD DottedToControlValue(const char* dotted) {
  return ntohl(inet_addr(dotted));
}

}  // namespace

void CKestrivalDlg::FillOptionList(CComboBox& list, Field field) {
  const ParamField& row = FieldOf(field);
  list.ResetContent();
  int pos = 0;
  for (const ListItem& item : row.items)
    list.InsertString(pos++, item.fixed ? item.fixed : InterfaceText(item.text));
  list.SetCurSel(row.defaultPos);
}

void CKestrivalDlg::ApplyInterfaceTexts() {
  const auto t = [this](Text text) { return InterfaceText(text); };

  LoadLanguageTexts();
  SetWindowText(t(Text::WindowTitle));
  for (const CaptionEntry& c : DialogCaptions()) {
    if (CWnd* w = GetDlgItem(c.controlId)) w->SetWindowText(t(c.text));
  }

  m_ipAddress.SetAddress(DottedToControlValue("192.168.0.1"));
  m_ipGateway.SetAddress(DottedToControlValue("192.168.0.1"));
  m_ipNetmask.SetAddress(DottedToControlValue("255.255.255.0"));
  m_ipDns1.SetAddress(DottedToControlValue("114.114.114.114"));
  m_ipDns2.SetAddress(DottedToControlValue("8.8.8.8"));

  m_serverAddr.SetWindowText(kDefaultServerHost);
  m_serverPort.SetWindowText("80");

  FillOptionList(m_netMode, Field::NetworkMode);
  FillOptionList(m_light, Field::Light);
  m_barPrefix.SetWindowText("");
  m_barSuffix.SetWindowText("");
  FillOptionList(m_hidEnter, Field::CarriageReturn);
  FillOptionList(m_hidNewline, Field::LineFeed);
  FillOptionList(m_speaker, Field::Speaker);
  FillOptionList(m_hiddenChoice, Field::HiddenChoice);
  FillOptionList(m_cloudProvider, Field::CloudProvider);
  FillOptionList(m_workMode, Field::WorkMode);
  FillOptionList(m_outputFormat, Field::OutputFormat);
  FillOptionList(m_cardInputFormat, Field::CardInputFormat);
  FillOptionList(m_parity, Field::Parity);
  FillOptionList(m_qrSerialFormat, Field::QrSerialOutputFormat);
  FillOptionList(m_baudRate, Field::BaudRate);
  FillOptionList(m_dataBits, Field::DataBits);
  FillOptionList(m_stopBits, Field::StopBits);
  FillOptionList(m_cardFixFormat, Field::CardInputFixFormat);
  FillOptionList(m_cardSerialFormat, Field::CardSerialOutputFormat);
  FillOptionList(m_barFixFormat, Field::BarcodeInputFormat);
  FillOptionList(m_qrProtocol, Field::QrNetworkProtocol);
  FillOptionList(m_qrStartDigit, Field::QrOutputFromDigit);
  FillOptionList(m_restart, Field::RestartSetting);
  FillOptionList(m_httpLang, Field::HttpServerLanguage);

  m_wgLow.SetWindowText("400");
  m_wgHigh.SetWindowText("2000");
  for (CEdit* e :
       {&m_cloudText1, &m_cloudText2, &m_cloudText3, &m_cloudText4, &m_cloudText5, &m_cloudText6})
    e->SetWindowText("");
  m_cloudServerIp.SetAddress(DottedToControlValue("0.0.0.0"));

  FillOptionList(m_qrCardFormat, Field::QrCardNumberFormat);
  FillOptionList(m_qrEncrypted, Field::QrEncrypted);
  FillOptionList(m_qrUseCount, Field::QrUseCount);
  FillOptionList(m_qrWorkMode, Field::QrWorkMode);
}

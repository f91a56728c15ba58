// The interface texts of the current language in every caption and option list, and every value
// back at its default.
#include <string>
#include <vector>

#include "app/Captions.h"
#include "app/KestrivalDlg.h"

namespace {

// What Server address shows until a reader's parameters are read.
constexpr const char* kDefaultServerHost = "www.example.com";

DWORD DottedToControlValue(const char* dotted) {
  return ntohl(inet_addr(dotted));
}

const std::vector<std::string>& StartDigitItems() {
  static const std::vector<std::string> items = [] {
    std::vector<std::string> v;
    for (int n = 0; n <= 50; ++n) v.push_back(std::to_string(n));
    return v;
  }();
  return items;
}

}  // namespace

void CKestrivalDlg::FillOptionList(CComboBox& list, std::initializer_list<const char*> items,
                                   int defaultPos) {
  list.ResetContent();
  int pos = 0;
  for (const char* item : items) list.InsertString(pos++, item);
  list.SetCurSel(defaultPos);
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

  FillOptionList(m_netMode, {t(Text::StaticIp), t(Text::Dhcp)}, 0);
  FillOptionList(m_light, {t(Text::Auto), t(Text::AlwaysOn)}, 0);
  m_barPrefix.SetWindowText("");
  m_barSuffix.SetWindowText("");
  FillOptionList(m_hidEnter, {t(Text::NoCarriageReturn), t(Text::WithCarriageReturn)}, 1);
  FillOptionList(m_hidNewline, {t(Text::NoLineFeed), t(Text::WithLineFeed)}, 0);
  FillOptionList(m_speaker, {t(Text::On), t(Text::Off)}, 0);
  FillOptionList(m_hiddenChoice, {t(Text::On), t(Text::Off)}, 0);
  FillOptionList(m_cloudProvider, {"\xB0\xA2\xC0\xEF", "\xB0\xD9\xB6\xC8"}, 0);  // 阿里, 百度
  FillOptionList(m_workMode, {t(Text::CardOnly), t(Text::QrCodeOnly), t(Text::CardAndQrCode)}, 0);
  FillOptionList(m_outputFormat,
                 {t(Text::UsbKeyboard), t(Text::UsbVirtualSerialPort), "HTTP", "MQTT", "RS232/485",
                  "WG26", "WG34", t(Text::Relay), "TCP", "UDP"},
                 0);
  FillOptionList(m_cardInputFormat, {"6H", "8H", "8H10D", "6H10D", "2h3D+4h5d"}, 0);
  FillOptionList(m_parity, {"EVEN", "ODD", "NONE", "SPACE", "MARK"}, 2);
  FillOptionList(m_qrSerialFormat,
                 {t(Text::Hexadecimal), t(Text::Decimal), t(Text::Bcd), t(Text::RawData), "ASCII"},
                 4);
  FillOptionList(m_baudRate,
                 {"110", "134", "150", "300", "600", "1200", "1800", "2400", "4800", "7200", "9600",
                  "14400", "19200", "38400", "57600", "115200", "128000", "256000"},
                 10);
  FillOptionList(m_dataBits, {"8", "7", "6", "5"}, 0);
  FillOptionList(m_stopBits, {"1", "2"}, 0);
  FillOptionList(m_cardFixFormat, {"hex", "ASCII"}, 1);
  FillOptionList(m_cardSerialFormat, {"hex", "ASCII"}, 1);
  FillOptionList(m_barFixFormat, {"hex", "ASCII"}, 1);
  FillOptionList(m_qrProtocol, {"HTTP", "TCP", "UDP"}, 0);
  m_qrStartDigit.ResetContent();
  for (std::size_t n = 0; n < StartDigitItems().size(); ++n)
    m_qrStartDigit.InsertString(static_cast<int>(n), StartDigitItems()[n].c_str());
  m_qrStartDigit.SetCurSel(0);
  FillOptionList(m_restart, {"0", t(Text::RestartDaily), t(Text::RestartWeekly)}, 1);
  FillOptionList(m_httpLang, {"PHP", "JSP", "C#", "ASP", "CGI"}, 0);

  m_wgLow.SetWindowText("400");
  m_wgHigh.SetWindowText("2000");
  for (CEdit* e :
       {&m_cloudText1, &m_cloudText2, &m_cloudText3, &m_cloudText4, &m_cloudText5, &m_cloudText6})
    e->SetWindowText("");
  m_cloudServerIp.SetAddress(DottedToControlValue("0.0.0.0"));

  FillOptionList(m_qrCardFormat, {"8H10D", t(Text::Decimal), "2H3D+4H5D"}, 0);
  FillOptionList(m_qrEncrypted, {t(Text::NotEncrypted), t(Text::Encrypted)}, 0);
  FillOptionList(m_qrUseCount, {t(Text::Unlimited), t(Text::Once)}, 0);
  FillOptionList(m_qrWorkMode, {t(Text::Offline), t(Text::Online)}, 0);
}

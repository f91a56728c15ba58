// The main dialog: construction, data exchange, message map, initialisation and painting.
#include "app/KestrivalDlg.h"

#include "app/PaintMath.h"
#include "app/SetCommandTable.h"
#include "params/DevParam.h"

CKestrivalDlg::CKestrivalDlg(CWnd* parent) : CDialogEx(IDD_KESTRIVAL_DIALOG, parent) {
  m_hIcon = AfxGetApp()->LoadIcon(IDR_MAINFRAME);
}

CKestrivalDlg::~CKestrivalDlg() {
  delete m_pStatusBar;
  delete m_pButtonFont;
}

const char* CKestrivalDlg::InterfaceText(Text text) const {
  const int slot = TextSlot(text);
  if (slot < 0 || slot >= INTERFACE_TEXT_COUNT) return "";
  return m_interfaceText[slot];
}

void CKestrivalDlg::DoDataExchange(CDataExchange* dx) {
  CDialogEx::DoDataExchange(dx);
  DDX_Control(dx, IDC_LIST_DEVICES, m_deviceList);
  DDX_Control(dx, IDC_IP_ADDRESS, m_ipAddress);
  DDX_Control(dx, IDC_IP_NETMASK, m_ipNetmask);
  DDX_Control(dx, IDC_IP_GATEWAY, m_ipGateway);
  DDX_Control(dx, IDC_IP_DNS1, m_ipDns1);
  DDX_Control(dx, IDC_IP_DNS2, m_ipDns2);
  DDX_Control(dx, IDC_COMBO_NET_MODE, m_netMode);
  DDX_Control(dx, IDC_EDIT_SERVER_ADDR, m_serverAddr);
  DDX_Control(dx, IDC_EDIT_SERVER_PORT, m_serverPort);
  DDX_Control(dx, IDC_COMBO_HTTP_LANG, m_httpLang);
  DDX_Control(dx, IDC_COMBO_OUTPUT_FORMAT, m_outputFormat);
  DDX_Control(dx, IDC_COMBO_CARD_INPUT_FORMAT, m_cardInputFormat);
  DDX_Control(dx, IDC_COMBO_HID_ENTER, m_hidEnter);
  DDX_Control(dx, IDC_COMBO_HID_NEWLINE, m_hidNewline);
  DDX_Control(dx, IDC_COMBO_BAUD_RATE, m_baudRate);
  DDX_Control(dx, IDC_COMBO_DATA_BITS, m_dataBits);
  DDX_Control(dx, IDC_COMBO_STOP_BITS, m_stopBits);
  DDX_Control(dx, IDC_COMBO_PARITY, m_parity);
  DDX_Control(dx, IDC_COMBO_QR_SERIAL_FORMAT, m_qrSerialFormat);
  DDX_Control(dx, IDC_COMBO_RESTART, m_restart);
  DDX_Control(dx, IDC_COMBO_WORK_MODE, m_workMode);
  DDX_Control(dx, IDC_COMBO_SPEAKER, m_speaker);
  DDX_Control(dx, IDC_COMBO_LIGHT, m_light);
  DDX_Control(dx, IDC_COMBO_BAR_FIX_FORMAT, m_barFixFormat);
  DDX_Control(dx, IDC_EDIT_BAR_PREFIX, m_barPrefix);
  DDX_Control(dx, IDC_EDIT_BAR_SUFFIX, m_barSuffix);
  DDX_Control(dx, IDC_COMBO_CARD_FIX_FORMAT, m_cardFixFormat);
  DDX_Control(dx, IDC_EDIT_CARD_PREFIX, m_cardPrefix);
  DDX_Control(dx, IDC_EDIT_CARD_SUFFIX, m_cardSuffix);
  DDX_Control(dx, IDC_COMBO_CARD_SERIAL_FORMAT, m_cardSerialFormat);
  DDX_Control(dx, IDC_EDIT_WG_LOW, m_wgLow);
  DDX_Control(dx, IDC_EDIT_WG_HIGH, m_wgHigh);
  DDX_Control(dx, IDC_COMBO_QR_CARD_FORMAT, m_qrCardFormat);
  DDX_Control(dx, IDC_COMBO_QR_USE_COUNT, m_qrUseCount);
  DDX_Control(dx, IDC_COMBO_QR_ENCRYPTED, m_qrEncrypted);
  DDX_Control(dx, IDC_COMBO_QR_PROTOCOL, m_qrProtocol);
  DDX_Control(dx, IDC_EDIT_QR_NTP, m_qrNtp);
  DDX_Control(dx, IDC_EDIT_QR_BACKUP, m_qrBackup);
  DDX_Control(dx, IDC_COMBO_QR_WORK_MODE, m_qrWorkMode);
  DDX_Control(dx, IDC_COMBO_QR_START_DIGIT, m_qrStartDigit);
  DDX_Control(dx, IDC_COMBO_HIDDEN_CHOICE, m_hiddenChoice);
  DDX_Control(dx, IDC_COMBO_CLOUD_PROVIDER, m_cloudProvider);
  DDX_Control(dx, IDC_EDIT_CLOUD_TEXT1, m_cloudText1);
  DDX_Control(dx, IDC_EDIT_CLOUD_TEXT2, m_cloudText2);
  DDX_Control(dx, IDC_EDIT_CLOUD_TEXT3, m_cloudText3);
  DDX_Control(dx, IDC_EDIT_CLOUD_TEXT4, m_cloudText4);
  DDX_Control(dx, IDC_EDIT_CLOUD_TEXT5, m_cloudText5);
  DDX_Control(dx, IDC_EDIT_CLOUD_TEXT6, m_cloudText6);
  DDX_Control(dx, IDC_IP_CLOUD_SERVER, m_cloudServerIp);
  // The integer edits, in this order: the exchange stops at the first that fails.
  DDX_Text(dx, IDC_EDIT_SERVER_PORT, m_serverPortValue);
  DDX_Text(dx, IDC_EDIT_WG_LOW, m_wgLowValue);
  DDX_Text(dx, IDC_EDIT_WG_HIGH, m_wgHighValue);
}

// Each Set button's click goes to the handler of its row in app/SetCommandTable.h.
#define KESTRIVAL_ON_SET_BUTTON(button, handler, ...) ON_BN_CLICKED(button, handler)

BEGIN_MESSAGE_MAP(CKestrivalDlg, CDialogEx)
  ON_WM_PAINT()
  ON_WM_QUERYDRAGICON()
  ON_BN_CLICKED(IDC_BTN_SEARCH, OnSearchDevices)
  ON_MESSAGE(WM_UDP_NOTIFY, OnUdpNotify)
  ON_BN_CLICKED(IDC_BTN_GET_PARAMS, OnGetParameters)
  KESTRIVAL_SET_COMMANDS(KESTRIVAL_ON_SET_BUTTON)
  ON_EN_KILLFOCUS(IDC_EDIT_WG_LOW, OnKillFocusWiegandLow)
  ON_EN_KILLFOCUS(IDC_EDIT_WG_HIGH, OnKillFocusWiegandHigh)
  ON_WM_RBUTTONDOWN_HANDLER(OnRightButtonDown)
  ON_COMMAND(ID_LANGUAGE_CHINESE, OnLanguageChinese)
  ON_COMMAND(ID_LANGUAGE_ENGLISH, OnLanguageEnglish)
  ON_COMMAND(ID_PROFILE_SAVE, OnSaveProfile)
  ON_COMMAND(ID_PROFILE_LOAD, OnLoadProfile)
  ON_LBN_DBLCLK(IDC_LIST_DEVICES, OnDeviceListDblClk)
END_MESSAGE_MAP()

#undef KESTRIVAL_ON_SET_BUTTON

namespace {

// The controls that get the bold button font, in this order.
constexpr int kBoldControls[] = {IDC_BTN_SEARCH,
                                 IDC_BTN_SET_CLOUD,
                                 IDC_BTN_GET_PARAMS,
                                 IDC_LIST_DEVICES,
                                 IDC_BTN_SET_SERIAL,
                                 IDC_BTN_SET_RESTART,
                                 IDC_BTN_SET_LIGHT,
                                 IDC_BTN_SET_SPEAKER,
                                 IDC_BTN_SET_WORK_MODE,
                                 IDC_BTN_SET_HIDDEN_CHOICE,
                                 IDC_BTN_SET_WIEGAND,
                                 IDC_BTN_SET_NETWORK,
                                 IDC_BTN_SET_OUTPUT_FORMAT,
                                 IDC_BTN_SET_CARD_INPUT_FORMAT,
                                 IDC_BTN_SET_HID,
                                 IDC_BTN_SET_CARD_FIX,
                                 IDC_BTN_SET_BAR_PREFIX,
                                 IDC_BTN_SET_BAR_SUFFIX,
                                 IDC_BTN_SET_QR};

}  // namespace

BOOL CKestrivalDlg::OnInitDialog() {
  CDialogEx::OnInitDialog();

  m_paramsReceived = 0;
  m_clientVersion = 0;

  ReadSettings();
  LoadLanguageTexts();

  // The button font lives as long as the dialog, like every control that uses it.
  CFont* font = new CFont();
  m_pButtonFont = font;
  font->Attach(
      CreateFontA(14, 0, 0, 0, FW_BOLD, FALSE, FALSE, 0, ANSI_CHARSET, 0, 0, 0, FF_SWISS, "Arial"));

  DisableSetButtons();
  HFONT handle = font->GetSafeHandle();
  for (int id : kBoldControls) {
    if (CWnd* w = GetDlgItem(id))
      w->SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(handle), TRUE);
  }

  ApplyInterfaceTexts();

  m_pStatusBar = new CStatusBarCtrl();
  CRect rect;
  GetClientRect(&rect);
  rect.top = rect.bottom - 20;
  m_pStatusBar->Create(WS_VISIBLE | WS_BORDER | CBRS_BOTTOM, rect, this, IDC_STATUS_BAR);
  int edges[2] = {220, -1};
  m_pStatusBar->SetParts(2, edges);
  m_pStatusBar->SetText(InterfaceText(Text::Ready), 0, 0);
  m_pStatusBar->ShowWindow(SW_SHOW);

  InitUdpSocket();

  SetIcon(m_hIcon, TRUE);
  SetIcon(m_hIcon, FALSE);
  return TRUE;
}

void CKestrivalDlg::DisableSetButtons() {
  for (const SetCommand& command : SET_COMMANDS) {
    if (CWnd* w = GetDlgItem(command.button)) w->EnableWindow(FALSE);
  }
}

void CKestrivalDlg::SetStatusText(int part, const char* text) {
  if (m_pStatusBar) m_pStatusBar->SetText(text, part, 0);
}

void CKestrivalDlg::OnPaint() {
  if (IsIconic()) {
    CPaintDC dc(this);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
    int cxIcon = GetSystemMetrics(SM_CXICON);
    int cyIcon = GetSystemMetrics(SM_CYICON);
    CRect rect;
    GetClientRect(&rect);
    POINT at = MinimisedIconPosition(rect.Width(), rect.Height(), cxIcon, cyIcon);
    dc.DrawIcon(at.x, at.y, m_hIcon);
  } else {
    Default();
  }
}

HCURSOR CKestrivalDlg::OnQueryDragIcon() {
  return m_hIcon;
}

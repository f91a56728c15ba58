// The main dialog: the whole user interface and the owner of all run-time state. Its chief file
// (KestrivalDlg.cpp) holds construction, data exchange, the message map, initialisation and
// painting; the other members are defined under app/dialog/, one file per area: Transport
// (socket, sends, trace), Discovery (search, device list, network settings), Replies (reply
// handling), ShowParameters, SetCommands, PrefixSuffix, Cloud, Settings (settings file,
// translation table), LanguageMenu, ProfileMenu, InterfaceTexts (captions, lists and defaults).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/resource.h"
#include "i18n/Text.h"
#include "params/Catalogue.h"
#include "platform/afxwin.h"
#include "platform/winsock2.h"
#include "protocol/DiscoverDev.h"

struct DEV_PARAM_T;
struct SetCommand;

// Socket read events reach the dialog as this message.
constexpr UINT WM_UDP_NOTIFY = WM_USER + 101;

constexpr int INTERFACE_TEXT_COUNT = 512;
constexpr int INTERFACE_TEXT_SIZE = 256;

class CKestrivalDlg : public CDialogEx {
 public:
  enum { IDD = IDD_KESTRIVAL_DIALOG };

  explicit CKestrivalDlg(CWnd* parent = nullptr);
  ~CKestrivalDlg() override;

  // Read access for hosts and tests; the dialog's state stays its own.
  const char* InterfaceText(Text text) const;
  int SocketReady() const { return m_socketReady; }
  int ClientVersion() const { return m_clientVersion; }
  int ParametersReceived() const { return m_paramsReceived; }
  UINT TextLanguage() const { return m_textLanguage; }
  UINT MenuLanguage() const { return m_menuLanguage; }
  const CString& SettingsPath() const { return m_settingsPath; }
  const std::vector<std::unique_ptr<DISCOVER_DEV_T>>& Devices() const { return m_devices; }
  const DISCOVER_DEV_T& SelectedDevice() const { return m_selectedDevice; }
  CStatusBarCtrl* StatusBar() const { return m_pStatusBar; }
  SOCKET UdpSocket() const { return m_udpSocket; }

  // Reply handling: one received datagram (count > 0), sender in network byte order.
  void UdpCmdRecv(const char* buffer, int count, const NetAddr& sender);
  // The status "Set successfully" when a Set command's reply confirms it, as its row says.
  void ConfirmSetCommand(const SetCommandSpec& command, const char* data, int available);
  // Puts a parameter record into the controls.
  void ShowParameters(const DEV_PARAM_T& record);

 protected:
  void DoDataExchange(CDataExchange* dx) override;
  BOOL OnInitDialog() override;

  // Application shell.
  void OnPaint();
  HCURSOR OnQueryDragIcon();
  void ApplyInterfaceTexts();
  // The Set buttons as before any parameter record was shown: all disabled.
  void DisableSetButtons();
  // Refills an option list with the items of its catalogue field and selects the field's default.
  void FillOptionList(CComboBox& list, Field field);
  void SetStatusText(int part, const char* text);

  // Device protocol.
  void InitUdpSocket();
  LRESULT OnUdpNotify(WPARAM wParam, LPARAM lParam);
  int SendToSelectedDevice(const char* data, int len);
  void OnSearchDevices();
  void AddDiscoveredDevice(const char* data, int available, const NetAddr& sender);
  int FindDeviceByLabel(const char* label);
  // Copies the record of the device list's selected line into the selected device record; false
  // when no line is selected.
  bool SelectDeviceOfSelectedLine();
  void OnDeviceListDblClk();
  void OnSetNetworkParams();

  // Device parameters.
  void OnGetParameters();
  void OnSetOutputFormat();
  void OnSetCardInputFormat();
  void OnSetHidFormat();
  void OnSetLight();
  void OnSetWorkMode();
  void OnSetHiddenChoice();
  void OnSetSpeaker();
  void OnSetRestart();
  void OnSetWiegand();
  void OnSetSerial();
  void OnSetQrParams();
  void OnKillFocusWiegandLow();
  void OnKillFocusWiegandHigh();
  void OnSetBarcodePrefix();
  void OnSetBarcodeSuffix();
  void OnSetCardPrefixSuffix();
  void OnSetCloud();
  // The set sequence: header, the command's pause, payload; the request identifier, the
  // payload length and the pause come from the command's row of SET_COMMANDS.
  void SendSetCommand(const SetCommand& command, const std::uint8_t* payload);

  // Localisation and settings.
  void ReadSettings();
  void LoadLanguageTexts();
  void SaveLanguage(UINT language);
  void OnRightButtonDown(UINT flags, CPoint point);
  void OnLanguageChinese();
  void OnLanguageEnglish();

  // Profiles (the menu's items when a ProfileFormat is installed).
  void OnSaveProfile();
  void OnLoadProfile();
  // True when a profile may be saved or loaded now; else the status bar says why.
  bool ProfileCommandAllowed();
  // The platform's file chooser for a profile; nothing when cancelled.
  std::optional<std::string> ChooseProfileFile(bool save);

  DECLARE_MESSAGE_MAP()

 protected:
  // Members in declaration order.
  HICON m_hIcon = nullptr;
  CStatusBarCtrl* m_pStatusBar = nullptr;  // made by OnInitDialog, freed with the dialog
  SOCKET m_udpSocket = INVALID_SOCKET;
  char m_interfaceText[INTERFACE_TEXT_COUNT][INTERFACE_TEXT_SIZE] = {};
  sockaddr_in m_bindAddr{};
  sockaddr_in m_broadcastAddr{};
  sockaddr_in m_commandAddr{};
  int m_socketReady = 0;
  int m_paramsReceived = 0;
  int m_clientVersion = 0;
  // One record per accepted discovery reply, in order of arrival; the array owns them.
  std::vector<std::unique_ptr<DISCOVER_DEV_T>> m_devices;
  DISCOVER_DEV_T m_selectedDevice{};
  UINT m_textLanguage = 0;
  UINT m_menuLanguage = 0;
  CString m_settingsPath;
  CListBox m_deviceList;

  // Control members (see the template for the group of each).
  CIPAddressCtrl m_ipAddress;
  CIPAddressCtrl m_ipNetmask;
  CIPAddressCtrl m_ipGateway;
  CIPAddressCtrl m_ipDns1;
  CIPAddressCtrl m_ipDns2;
  CComboBox m_netMode;
  CEdit m_serverAddr;
  CEdit m_serverPort;
  CComboBox m_httpLang;
  CComboBox m_outputFormat;
  CComboBox m_cardInputFormat;
  CComboBox m_hidEnter;
  CComboBox m_hidNewline;
  CComboBox m_baudRate;
  CComboBox m_dataBits;
  CComboBox m_stopBits;
  CComboBox m_parity;
  CComboBox m_qrSerialFormat;
  CComboBox m_restart;
  CComboBox m_workMode;
  CComboBox m_speaker;
  CComboBox m_light;
  CComboBox m_barFixFormat;
  CEdit m_barPrefix;
  CEdit m_barSuffix;
  CComboBox m_cardFixFormat;
  CEdit m_cardPrefix;
  CEdit m_cardSuffix;
  CComboBox m_cardSerialFormat;
  CEdit m_wgLow;
  CEdit m_wgHigh;
  CComboBox m_qrCardFormat;
  CComboBox m_qrUseCount;
  CComboBox m_qrEncrypted;
  CComboBox m_qrProtocol;
  CEdit m_qrNtp;
  CEdit m_qrBackup;
  CComboBox m_qrWorkMode;
  CComboBox m_qrStartDigit;
  CComboBox m_hiddenChoice;
  CComboBox m_cloudProvider;
  CEdit m_cloudText1;
  CEdit m_cloudText2;
  CEdit m_cloudText3;
  CEdit m_cloudText4;
  CEdit m_cloudText5;
  CEdit m_cloudText6;
  CIPAddressCtrl m_cloudServerIp;

  int m_serverPortValue = 0;
  int m_wgLowValue = 0;
  int m_wgHighValue = 0;
  // The bold font of the Set buttons, made by OnInitDialog; the controls use it for as long as
  // the dialog lives, and it is freed with the dialog.
  CFont* m_pButtonFont = nullptr;
};

// printf-style debug trace into a 2048-byte buffer, handed to the platform's debug output.
void DebugTrace(const char* format, ...) __attribute__((format(printf, 1, 2)));

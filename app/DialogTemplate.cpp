// Dialog template 102: every control of the main dialog with its kind, styles, rectangle in dialog
// units and template caption. The order of the items is the tab order. Captions are GBK bytes
// (code page 936) and are replaced at start-up by the interface texts of the current language.
#include "app/KestrivalResources.h"
#include "app/resource.h"

namespace {

using platform::DialogItemTemplate;
using platform::WindowKind;

constexpr DWORD kDialogStyle = WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX |
                               WS_VISIBLE | DS_CENTER | DS_SHELLFONT | DS_ABSALIGN;

// Styles of the visible controls, by kind.
constexpr DWORD kButton = WS_VISIBLE | BS_PUSHBUTTON | WS_TABSTOP;
constexpr DWORD kList = WS_VISIBLE | CBS_DROPDOWNLIST | CBS_SORT | WS_VSCROLL | WS_TABSTOP;
constexpr DWORD kEdit = WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL | WS_TABSTOP;
constexpr DWORD kIp = WS_VISIBLE | WS_TABSTOP;
constexpr DWORD kLabel = WS_VISIBLE | SS_RIGHT;
constexpr DWORD kGroup = WS_VISIBLE | BS_GROUPBOX;
constexpr DWORD kDeviceList =
    WS_VISIBLE | LBS_NOTIFY | LBS_SORT | LBS_NOINTEGRALHEIGHT | WS_BORDER | WS_VSCROLL | WS_TABSTOP;
// The hidden cloud row: the same kinds without WS_VISIBLE.
constexpr DWORD kHidden = WS_VISIBLE;
constexpr DWORD kHiddenButton = kButton & ~kHidden;
constexpr DWORD kHiddenList = kList & ~kHidden;
constexpr DWORD kHiddenEdit = kEdit & ~kHidden;
constexpr DWORD kHiddenIp = kIp & ~kHidden;
constexpr DWORD kHiddenLabel = SS_LEFT;

// Combo boxes give their dropped-down height; the closed field is one text line high.
constexpr int kDrop = 100;
constexpr int kLongDrop = 140;

// Set buttons: 41 x 14 at the right edge of the right column.
constexpr int kSetX = 409;
constexpr int kSetW = 41;
constexpr int kSetH = 14;

// Template captions, GBK.
constexpr const char* kSet = "\xC9\xE8\xD6\xC3";                            // 设置
constexpr const char* kDialogCaption = "\xB2\xCE\xCA\xFD\xC9\xE8\xD6\xC3";  // 参数设置
constexpr const char* kSearch = "\xCB\xD1\xCB\xF7\xC9\xE8\xB1\xB8";         // 搜索设备
constexpr const char* kGetParams =
    "\xBB\xF1\xC8\xA1\xB5\xB1\xC7\xB0\xB2\xCE\xCA\xFD";                    // 获取当前参数
constexpr const char* kNetworkGroup = "\xCD\xF8\xC2\xE7\xB2\xCE\xCA\xFD";  // 网络参数
constexpr const char* kIpAddress = "IP\xB5\xD8\xD6\xB7";                   // IP地址
constexpr const char* kNetmask = "\xD7\xD3\xCD\xF8\xD1\xDA\xC2\xEB";       // 子网掩码
constexpr const char* kGateway = "\xCD\xF8\xB9\xD8";                       // 网关
constexpr const char* kDns1 =
    "\xD3\xF2\xC3\xFB\xB7\xFE\xCE\xF1\xC6\xF7"
    "1";  // 域名服务器1
constexpr const char* kDns2 =
    "\xD3\xF2\xC3\xFB\xB7\xFE\xCE\xF1\xC6\xF7"
    "2";                                                                         // 域名服务器2
constexpr const char* kNetMode = "\xCD\xF8\xC2\xE7\xC4\xA3\xCA\xBD";             // 网络模式
constexpr const char* kServerAddr = "\xB7\xFE\xCE\xF1\xC6\xF7\xB5\xD8\xD6\xB7";  // 服务器地址
constexpr const char* kServerPort = "\xB7\xFE\xCE\xF1\xC6\xF7\xB6\xCB\xBF\xDA";  // 服务器端口
constexpr const char* kHttpLang = "HTTP\xB7\xFE\xCE\xF1\xC6\xF7\xD3\xEF\xD1\xD4";  // HTTP服务器语言
constexpr const char* kFormatGroup =
    "\xB8\xF1\xCA\xBD\xB2\xCE\xCA\xFD\xC9\xE8\xD6\xC3";  // 格式参数设置
constexpr const char* kOutputFormat =
    "\xCA\xE4\xB3\xF6\xB8\xF1\xCA\xBD\xD1\xA1\xD4\xF1";  // 输出格式选择
// 感应卡号输入格式
constexpr const char* kCardInputFormat =
    "\xB8\xD0\xD3\xA6\xBF\xA8\xBA\xC5\xCA\xE4\xC8\xEB\xB8\xF1\xCA\xBD";
// HID格式参数　回车 (with an ideographic space)
constexpr const char* kHidEnter = "HID\xB8\xF1\xCA\xBD\xB2\xCE\xCA\xFD\xA1\xA1\xBB\xD8\xB3\xB5";
constexpr const char* kHidNewline = "\xBB\xBB\xD0\xD0";  // 换行
// 串口参数 　波特率 (a space and an ideographic space)
constexpr const char* kBaudRate =
    "\xB4\xAE\xBF\xDA\xB2\xCE\xCA\xFD \xA1\xA1\xB2\xA8\xCC\xD8\xC2\xCA";
constexpr const char* kDataBits = "\xCA\xFD\xBE\xDD\xCE\xBB";        // 数据位
constexpr const char* kStopBits = "\xCD\xA3\xD6\xB9\xCE\xBB";        // 停止位
constexpr const char* kParity = "\xC6\xE6\xC5\xBC\xD0\xA3\xD1\xE9";  // 奇偶校验
// 二维码串口输出格式
constexpr const char* kQrSerialFormat =
    "\xB6\xFE\xCE\xAC\xC2\xEB\xB4\xAE\xBF\xDA\xCA\xE4\xB3\xF6\xB8\xF1\xCA\xBD";
constexpr const char* kExternalGroup =
    "\xCD\xE2\xB2\xBF\xB2\xCE\xCA\xFD\xC9\xE8\xD6\xC3";                // 外部参数设置
constexpr const char* kRestart = "\xD6\xD8\xC6\xF4\xC9\xE8\xD6\xC3";   // 重启设置
constexpr const char* kWorkMode = "\xB9\xA4\xD7\xF7\xC4\xA3\xCA\xBD";  // 工作模式
constexpr const char* kSpeaker = "\xC0\xAE\xB0\xC8";                   // 喇叭
constexpr const char* kLight = "\xBF\xAA\xB5\xC6";                     // 开灯
// 条码二维码设置
constexpr const char* kBarcodeGroup = "\xCC\xF5\xC2\xEB\xB6\xFE\xCE\xAC\xC2\xEB\xC9\xE8\xD6\xC3";
constexpr const char* kFixFormat =
    "\xC7\xB0\xBA\xF3\xD7\xBA\xCA\xE4\xC8\xEB\xB8\xF1\xCA\xBD";  // 前后缀输入格式
constexpr const char* kPrefix = "\xC7\xB0\xD7\xBA";              // 前缀
constexpr const char* kSuffix = "\xBA\xF3\xD7\xBA";              // 后缀
constexpr const char* kCardFixGroup =
    "\xBF\xA8\xC7\xB0\xBA\xF3\xD7\xBA\xB8\xF1\xCA\xBD";  // 卡前后缀格式
constexpr const char* kSerialFormat =
    "\xB4\xAE\xBF\xDA\xCA\xE4\xB3\xF6\xB8\xF1\xCA\xBD";                      // 串口输出格式
constexpr const char* kWiegandGroup = "WG\xCA\xB1\xD0\xF2\xB6\xA8\xD2\xE5";  // WG时序定义
constexpr const char* kWgLow = "\xB5\xCD\xC2\xF6\xB3\xE5(us)";               // 低脉冲(us)
constexpr const char* kWgHigh = "\xB8\xDF\xC2\xF6\xB3\xE5(us)";              // 高脉冲(us)
// 二维码参数设置
constexpr const char* kQrGroup = "\xB6\xFE\xCE\xAC\xC2\xEB\xB2\xCE\xCA\xFD\xC9\xE8\xD6\xC3";
constexpr const char* kQrCardFormat = "\xBF\xA8\xBA\xC5\xB8\xF1\xCA\xBD";  // 卡号格式
constexpr const char* kQrUseCount = "\xCA\xB9\xD3\xC3\xB4\xCE\xCA\xFD";    // 使用次数
constexpr const char* kQrEncrypted = "\xCA\xC7\xB7\xF1\xBC\xD3\xC3\xDC";   // 是否加密
constexpr const char* kQrProtocol = "\xCD\xF8\xC2\xE7\xD0\xAD\xD2\xE9";    // 网络协议
constexpr const char* kQrNtp = "NTP\xB5\xD8\xD6\xB7";                      // NTP地址
constexpr const char* kQrBackup = "\xB1\xB8\xD3\xC3\xB5\xD8\xD6\xB7";      // 备用地址
// 从多少位开始输出
constexpr const char* kQrStartDigit =
    "\xB4\xD3\xB6\xE0\xC9\xD9\xCE\xBB\xBF\xAA\xCA\xBC\xCA\xE4\xB3\xF6";
// The eight unnumbered labels of the hidden cloud row.
constexpr const char* kCloudProvider = "\xB7\xFE\xCE\xF1\xC9\xCC";              // 服务商
constexpr const char* kCloudProduct = "\xB2\xFA\xC6\xB7\xC3\xFB\xB3\xC6";       // 产品名称
constexpr const char* kCloudProductKey = "\xB2\xFA\xC6\xB7\xC3\xDC\xD4\xBF";    // 产品密钥
constexpr const char* kCloudDevice = "\xC9\xE8\xB1\xB8\xC3\xFB\xB3\xC6";        // 设备名称
constexpr const char* kCloudDeviceSecret = "\xC9\xE8\xB1\xB8\xC3\xDC\xD4\xBF";  // 设备密钥
constexpr const char* kCloudPublish = "\xB7\xA2\xB2\xBC\xD6\xF7\xCC\xE2";       // 发布主题
constexpr const char* kCloudSubscribe = "\xB6\xA9\xD4\xC4";                     // 订阅

// Columns of the right-hand groups: a label, right-aligned, directly left of its value.
// Two-column rows: A at x 157..228 / 230..290, B at 294..342 / 344..405.
constexpr int kLabelAX = 157, kLabelAW = 71, kValueAX = 230;
constexpr int kLabelBX = 294, kLabelBW = 48, kValueBX = 344, kValueBW = 61;

// The hidden cloud row along the bottom edge: two shared rectangles, each with four labels.
constexpr int kCloudY = 361;
constexpr int kCloudRect1X = 124, kCloudRect2X = 250, kCloudRectW = 80;
constexpr int kCloudLabel1X = 82, kCloudLabel2X = 208, kCloudLabelW = 40;

std::vector<DialogItemTemplate> Items() {
  using K = WindowKind;
  return {
      // The seven group frames of the right column.
      {K::GroupBox, IDC_GROUP_NETWORK, kGroup, 154, 5, 298, 74, kNetworkGroup},
      {K::GroupBox, IDC_GROUP_FORMAT, kGroup, 154, 80, 298, 92, kFormatGroup},
      {K::GroupBox, IDC_GROUP_EXTERNAL, kGroup, 154, 172, 298, 40, kExternalGroup},
      {K::GroupBox, IDC_GROUP_BARCODE, kGroup, 154, 212, 298, 33, kBarcodeGroup},
      {K::GroupBox, IDC_GROUP_CARD_FIX, kGroup, 154, 245, 298, 36, kCardFixGroup},
      {K::GroupBox, IDC_GROUP_WIEGAND, kGroup, 154, 279, 298, 19, kWiegandGroup},
      {K::GroupBox, IDC_GROUP_QR, kGroup, 154, 296, 298, 65, kQrGroup},

      // Left panel.
      {K::Button, IDC_BTN_SEARCH, kButton, 7, 12, 62, 14, kSearch},
      {K::ListBox, IDC_LIST_DEVICES, kDeviceList, 7, 41, 142, 320, ""},

      // Network parameters: IP settings in column A (x 158), the server in column B (x 284).
      {K::Button, IDC_BTN_SET_NETWORK, kButton, kSetX, 64, kSetW, kSetH, kSet},
      {K::Static, IDC_LABEL_IP_ADDRESS, kLabel, 158, 17, 48, 8, kIpAddress},
      {K::IpAddress, IDC_IP_ADDRESS, kIp, 208, 15, 72, 12, ""},
      {K::Static, IDC_LABEL_NETMASK, kLabel, 158, 29, 48, 8, kNetmask},
      {K::IpAddress, IDC_IP_NETMASK, kIp, 208, 27, 72, 12, ""},
      {K::Static, IDC_LABEL_GATEWAY, kLabel, 158, 41, 48, 8, kGateway},
      {K::IpAddress, IDC_IP_GATEWAY, kIp, 208, 39, 72, 12, ""},
      {K::Static, IDC_LABEL_DNS1, kLabel, 158, 53, 48, 8, kDns1},
      {K::IpAddress, IDC_IP_DNS1, kIp, 208, 51, 72, 12, ""},
      {K::Static, IDC_LABEL_DNS2, kLabel, 158, 65, 48, 8, kDns2},
      {K::IpAddress, IDC_IP_DNS2, kIp, 208, 63, 72, 12, ""},
      {K::Static, IDC_LABEL_NET_MODE, kLabel, 284, 17, 62, 8, kNetMode},
      {K::ComboBox, IDC_COMBO_NET_MODE, kList, 348, 15, 57, kDrop, ""},
      {K::Static, IDC_LABEL_SERVER_ADDR, kLabel, 284, 29, 62, 8, kServerAddr},
      {K::Edit, IDC_EDIT_SERVER_ADDR, kEdit, 348, 27, 57, 12, ""},
      {K::Static, IDC_LABEL_HTTP_LANG, kLabel, 284, 53, 62, 8, kHttpLang},
      {K::ComboBox, IDC_COMBO_HTTP_LANG, kList, 348, 51, 57, kDrop, ""},

      // Format parameters: one row per Set button, then the serial port rows.
      {K::Static, IDC_LABEL_OUTPUT_FORMAT, kLabel, kLabelAX, 87, kLabelAW, 8, kOutputFormat},
      {K::ComboBox, IDC_COMBO_OUTPUT_FORMAT, kList, kValueAX, 85, 110, kDrop, ""},
      {K::Static, IDC_LABEL_CARD_INPUT_FORMAT, kLabel, kLabelAX, 101, kLabelAW, 8,
       kCardInputFormat},
      {K::ComboBox, IDC_COMBO_CARD_INPUT_FORMAT, kList, kValueAX, 99, 110, kDrop, ""},
      {K::Button, IDC_BTN_SET_CARD_INPUT_FORMAT, kButton, kSetX, 98, kSetW, kSetH, kSet},
      {K::Static, IDC_LABEL_HID_ENTER, kLabel, kLabelAX, 116, kLabelAW, 8, kHidEnter},
      {K::ComboBox, IDC_COMBO_HID_ENTER, kList, kValueAX, 114, 60, kDrop, ""},
      {K::Button, IDC_BTN_SET_HID, kButton, kSetX, 113, kSetW, kSetH, kSet},
      {K::Static, IDC_LABEL_HID_NEWLINE, kLabel, kLabelBX, 116, kLabelBW, 8, kHidNewline},
      {K::ComboBox, IDC_COMBO_HID_NEWLINE, kList, kValueBX, 114, kValueBW, kDrop, ""},

      // Card prefix/suffix format: its Set button.
      {K::Button, IDC_BTN_SET_CARD_FIX, kButton, kSetX, 263, kSetW, kSetH, kSet},
      // Format parameters: Set (output format).
      {K::Button, IDC_BTN_SET_OUTPUT_FORMAT, kButton, kSetX, 84, kSetW, kSetH, kSet},
      // External parameters: the Set buttons of work mode, light and speaker.
      {K::Button, IDC_BTN_SET_WORK_MODE, kButton, kSetX, 179, kSetW, kSetH, kSet},
      {K::Button, IDC_BTN_SET_LIGHT, kButton, kSetX, 195, kSetW, kSetH, kSet},
      {K::Button, IDC_BTN_SET_SPEAKER, kButton, 242, 195, kSetW, kSetH, kSet},
      // Wiegand timing: its Set button.
      {K::Button, IDC_BTN_SET_WIEGAND, kButton, kSetX, 283, kSetW, kSetH, kSet},
      // Network parameters: Server port.
      {K::Static, IDC_LABEL_SERVER_PORT, kLabel, 284, 41, 62, 8, kServerPort},
      {K::Edit, IDC_EDIT_SERVER_PORT, kEdit, 348, 39, 57, 12, ""},

      // Wiegand timing: a single row to the right of the group's caption.
      {K::Static, IDC_LABEL_WG_LOW, kLabel, 206, 287, 56, 8, kWgLow},
      {K::Edit, IDC_EDIT_WG_LOW, kEdit, 264, 285, 40, 12, ""},
      {K::Static, IDC_LABEL_WG_HIGH, kLabel, 308, 287, 56, 8, kWgHigh},
      {K::Edit, IDC_EDIT_WG_HIGH, kEdit, 366, 285, 38, 12, ""},

      // Barcode / QR code settings: the input format on the left, prefix and suffix on the right.
      {K::Static, IDC_LABEL_BAR_PREFIX, kLabel, 284, 217, 24, 8, kPrefix},
      {K::Edit, IDC_EDIT_BAR_PREFIX, kEdit, 310, 215, 95, 12, ""},
      {K::Static, IDC_LABEL_BAR_SUFFIX, kLabel, 284, 232, 24, 8, kSuffix},
      {K::Edit, IDC_EDIT_BAR_SUFFIX, kEdit, 310, 230, 95, 12, ""},

      // Left panel: Get current parameters beside Search devices.
      {K::Button, IDC_BTN_GET_PARAMS, kButton, 69, 12, 79, 14, kGetParams},

      // External parameters: restart and speaker on the left, work mode and light on the right.
      {K::Static, IDC_LABEL_RESTART, kLabel, 158, 184, 38, 8, kRestart},
      {K::ComboBox, IDC_COMBO_RESTART, kList, 198, 182, 42, kDrop, ""},

      // Format parameters: the serial port.
      {K::Static, IDC_LABEL_DATA_BITS, kLabel, kLabelBX, 130, kLabelBW, 8, kDataBits},
      {K::ComboBox, IDC_COMBO_DATA_BITS, kList, kValueBX, 128, kValueBW, kDrop, ""},
      {K::Static, IDC_LABEL_BAUD_RATE, kLabel, kLabelAX, 130, kLabelAW, 8, kBaudRate},
      {K::ComboBox, IDC_COMBO_BAUD_RATE, kList, kValueAX, 128, 60, kLongDrop, ""},
      {K::Static, IDC_LABEL_STOP_BITS, kLabel, kLabelAX, 144, kLabelAW, 8, kStopBits},
      {K::ComboBox, IDC_COMBO_STOP_BITS, kList, kValueAX, 142, 60, kDrop, ""},
      {K::Button, IDC_BTN_SET_SERIAL, kButton, kSetX, 155, kSetW, kSetH, kSet},

      {K::Button, IDC_BTN_SET_RESTART, kButton, 242, 181, kSetW, kSetH, kSet},
      {K::Static, IDC_LABEL_LIGHT, kLabel, 287, 198, 40, 8, kLight},
      {K::ComboBox, IDC_COMBO_LIGHT, kList, 329, 196, 76, kDrop, ""},
      {K::Static, IDC_LABEL_WORK_MODE, kLabel, 287, 183, 40, 8, kWorkMode},
      {K::ComboBox, IDC_COMBO_WORK_MODE, kList, 329, 181, 76, kDrop, ""},
      {K::Static, IDC_LABEL_SPEAKER, kLabel, 158, 198, 38, 8, kSpeaker},
      {K::ComboBox, IDC_COMBO_SPEAKER, kList, 198, 196, 42, kDrop, ""},

      // QR code parameters: four rows of two values.
      {K::Static, IDC_LABEL_QR_ENCRYPTED, kLabel, kLabelAX, 322, kLabelAW, 8, kQrEncrypted},
      {K::ComboBox, IDC_COMBO_QR_ENCRYPTED, kList, kValueAX, 320, 60, kDrop, ""},
      {K::Static, IDC_LABEL_QR_CARD_FORMAT, kLabel, kLabelAX, 308, kLabelAW, 8, kQrCardFormat},
      {K::ComboBox, IDC_COMBO_QR_CARD_FORMAT, kList, kValueAX, 306, 60, kDrop, ""},
      {K::Static, IDC_LABEL_QR_NTP, kLabel, kLabelAX, 336, kLabelAW, 8, kQrNtp},
      {K::Edit, IDC_EDIT_QR_NTP, kEdit, kValueAX, 334, 60, 12, ""},
      {K::Static, IDC_LABEL_QR_WORK_MODE, kLabel, kLabelBX, 350, kLabelBW, 8, kWorkMode},
      {K::ComboBox, IDC_COMBO_QR_WORK_MODE, kList, kValueBX, 348, kValueBW, kDrop, ""},
      {K::Static, IDC_LABEL_QR_USE_COUNT, kLabel, kLabelBX, 308, kLabelBW, 8, kQrUseCount},
      {K::ComboBox, IDC_COMBO_QR_USE_COUNT, kList, kValueBX, 306, kValueBW, kDrop, ""},
      {K::Static, IDC_LABEL_QR_BACKUP, kLabel, kLabelBX, 336, kLabelBW, 8, kQrBackup},
      {K::Edit, IDC_EDIT_QR_BACKUP, kEdit, kValueBX, 334, kValueBW, 12, ""},
      {K::Button, IDC_BTN_SET_QR, kButton, kSetX, 318, kSetW, kSetH, kSet},
      {K::Static, IDC_LABEL_QR_PROTOCOL, kLabel, kLabelBX, 322, kLabelBW, 8, kQrProtocol},
      {K::ComboBox, IDC_COMBO_QR_PROTOCOL, kList, kValueBX, 320, kValueBW, kDrop, ""},
      {K::Static, IDC_LABEL_QR_START_DIGIT, kLabel, kLabelAX, 350, kLabelAW, 8, kQrStartDigit},
      {K::ComboBox, IDC_COMBO_QR_START_DIGIT, kList, kValueAX, 348, 60, kLongDrop, ""},

      // Barcode / QR code settings.
      {K::Static, IDC_LABEL_BAR_FIX_FORMAT, kLabel, kLabelAX, 224, kLabelAW, 8, kFixFormat},
      {K::ComboBox, IDC_COMBO_BAR_FIX_FORMAT, kList, kValueAX, 222, 50, kDrop, ""},
      {K::Button, IDC_BTN_SET_BAR_PREFIX, kButton, kSetX, 215, kSetW, kSetH, kSet},
      {K::Button, IDC_BTN_SET_BAR_SUFFIX, kButton, kSetX, 230, kSetW, kSetH, kSet},

      // Format parameters: QR code serial output format and parity.
      {K::Static, IDC_LABEL_QR_SERIAL_FORMAT, kLabel, kLabelAX, 158, kLabelAW, 8, kQrSerialFormat},
      {K::ComboBox, IDC_COMBO_QR_SERIAL_FORMAT, kList, kValueAX, 156, 60, kDrop, ""},
      {K::Static, IDC_LABEL_PARITY, kLabel, kLabelBX, 144, kLabelBW, 8, kParity},
      {K::ComboBox, IDC_COMBO_PARITY, kList, kValueBX, 142, kValueBW, kDrop, ""},

      // Card prefix/suffix format: formats on the left, prefix and suffix on the right.
      {K::Static, IDC_LABEL_CARD_PREFIX, kLabel, 284, 255, 24, 8, kPrefix},
      {K::Edit, IDC_EDIT_CARD_PREFIX, kEdit, 310, 253, 95, 12, ""},
      {K::Static, IDC_LABEL_CARD_SUFFIX, kLabel, 284, 269, 24, 8, kSuffix},
      {K::Edit, IDC_EDIT_CARD_SUFFIX, kEdit, 310, 267, 95, 12, ""},
      {K::Static, IDC_LABEL_CARD_SERIAL_FORMAT, kLabel, kLabelAX, 269, kLabelAW, 8, kSerialFormat},
      {K::ComboBox, IDC_COMBO_CARD_SERIAL_FORMAT, kList, kValueAX, 267, 50, kDrop, ""},
      {K::Static, IDC_LABEL_CARD_FIX_FORMAT, kLabel, kLabelAX, 255, kLabelAW, 8, kFixFormat},
      {K::ComboBox, IDC_COMBO_CARD_FIX_FORMAT, kList, kValueAX, 253, 50, kDrop, ""},

      // The hidden cloud row (y 360 to 374). Nothing shows it; it is filled like the rest.
      {K::ComboBox, IDC_COMBO_HIDDEN_CHOICE, kHiddenList, 7, kCloudY, 48, kDrop, ""},
      {K::ComboBox, IDC_COMBO_CLOUD_PROVIDER, kHiddenList, 30, kCloudY, 48, kDrop, ""},
      {K::Static, IDC_STATIC, kHiddenLabel, kCloudLabel1X, 363, kCloudLabelW, 8, kCloudProvider},
      {K::Static, IDC_STATIC, kHiddenLabel, kCloudLabel1X, 363, kCloudLabelW, 8, kServerAddr},
      {K::Static, IDC_STATIC, kHiddenLabel, kCloudLabel1X, 363, kCloudLabelW, 8, kCloudProduct},
      {K::Static, IDC_STATIC, kHiddenLabel, kCloudLabel1X, 363, kCloudLabelW, 8, kCloudProductKey},
      {K::Edit, IDC_EDIT_CLOUD_TEXT1, kHiddenEdit, kCloudRect1X, kCloudY, kCloudRectW, 12, ""},
      {K::Edit, IDC_EDIT_CLOUD_TEXT2, kHiddenEdit, kCloudRect1X, kCloudY, kCloudRectW, 12, ""},
      {K::IpAddress, IDC_IP_CLOUD_SERVER, kHiddenIp, kCloudRect1X, kCloudY, kCloudRectW, 12, ""},
      {K::Static, IDC_STATIC, kHiddenLabel, kCloudLabel2X, 363, kCloudLabelW, 8, kCloudDevice},
      {K::Static, IDC_STATIC, kHiddenLabel, kCloudLabel2X, 363, kCloudLabelW, 8,
       kCloudDeviceSecret},
      {K::Static, IDC_STATIC, kHiddenLabel, kCloudLabel2X, 363, kCloudLabelW, 8, kCloudPublish},
      {K::Static, IDC_STATIC, kHiddenLabel, kCloudLabel2X, 363, kCloudLabelW, 8, kCloudSubscribe},
      {K::Edit, IDC_EDIT_CLOUD_TEXT3, kHiddenEdit, kCloudRect2X, kCloudY, kCloudRectW, 12, ""},
      {K::Edit, IDC_EDIT_CLOUD_TEXT5, kHiddenEdit, kCloudRect2X, kCloudY, kCloudRectW, 12, ""},
      {K::Edit, IDC_EDIT_CLOUD_TEXT6, kHiddenEdit, kCloudRect2X, kCloudY, kCloudRectW, 12, ""},
      {K::Edit, IDC_EDIT_CLOUD_TEXT4, kHiddenEdit, kCloudRect2X, kCloudY, kCloudRectW, 12, ""},
      {K::Button, IDC_BTN_SET_HIDDEN_CHOICE, kHiddenButton, 336, 360, kSetW, kSetH, kSet},
      {K::Button, IDC_BTN_SET_CLOUD, kHiddenButton, 380, 360, kSetW, kSetH, kSet},
  };
}

}  // namespace

const platform::DialogTemplate& KestrivalDialogTemplate() {
  static const platform::DialogTemplate t{
      kDialogCaption, kDialogStyle, WS_EX_APPWINDOW, 466, 378, "MS Shell Dlg", 9, Items()};
  return t;
}

// The mini framework with the MFC names the tool uses: command targets with message maps,
// windows, dialogs, controls, data exchange, fonts, menus, the application object.
#pragma once

#include <cstddef>
#include <string>
#include <variant>
#include <vector>

#include "platform/Window.h"
#include "platform/kernel.h"
#include "platform/windef.h"

class CCmdTarget;
class CWnd;
class CDataExchange;

struct CPoint : POINT {
  CPoint() : POINT{0, 0} {}
  CPoint(int x_, int y_) : POINT{x_, y_} {}
  explicit CPoint(LPARAM l) : POINT{GET_X_LPARAM(l), GET_Y_LPARAM(l)} {}
};

struct CRect : RECT {
  CRect() : RECT{0, 0, 0, 0} {}
  CRect(LONG l, LONG t, LONG r, LONG b) : RECT{l, t, r, b} {}
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  operator RECT*() { return this; }
  operator const RECT*() const { return this; }
};

// A small 8-bit string with the CString operations the tool uses.
class CString {
 public:
  CString() = default;
  CString(const char* s) : s_(s ? s : "") {}
  CString(std::string s) : s_(std::move(s)) {}
  operator const char*() const { return s_.c_str(); }
  int GetLength() const { return static_cast<int>(s_.size()); }
  bool IsEmpty() const { return s_.empty(); }
  CString& operator+=(const char* s) {
    s_ += s ? s : "";
    return *this;
  }
  CString& operator+=(char c) {
    s_ += c;
    return *this;
  }
  friend CString operator+(const CString& a, const char* b) { return CString(a.s_ + (b ? b : "")); }
  int ReverseFind(char c) const {
    auto p = s_.rfind(c);
    return p == std::string::npos ? -1 : static_cast<int>(p);
  }
  CString Left(int n) const {
    return CString(s_.substr(0, n < 0 ? 0 : static_cast<std::size_t>(n)));
  }
  const std::string& str() const { return s_; }
  bool operator==(const CString& o) const { return s_ == o.s_; }

 private:
  std::string s_;
};

// Message map machinery.
using AFX_PMSG_V = void (CCmdTarget::*)();
using AFX_PMSG_LWL = LRESULT (CCmdTarget::*)(WPARAM, LPARAM);
using AFX_PMSG_VUP = void (CCmdTarget::*)(UINT, CPoint);
using AFX_PMSG_HV = HCURSOR (CCmdTarget::*)();
using AFX_PMSG = std::variant<std::monostate, AFX_PMSG_V, AFX_PMSG_LWL, AFX_PMSG_VUP, AFX_PMSG_HV>;

struct AFX_MSGMAP_ENTRY {
  UINT nMessage;  // 0 ends the table
  UINT nCode;     // notification code for WM_COMMAND
  UINT nID;       // control or command identifier for WM_COMMAND
  AFX_PMSG pfn;
};

struct AFX_MSGMAP {
  const AFX_MSGMAP* (*pfnGetBaseMap)();
  const AFX_MSGMAP_ENTRY* lpEntries;
};

#define DECLARE_MESSAGE_MAP()                   \
 public:                                        \
  static const AFX_MSGMAP* GetThisMessageMap(); \
  const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)        \
  const AFX_MSGMAP* theClass::GetMessageMap() const { \
    return GetThisMessageMap();                       \
  }                                                   \
  const AFX_MSGMAP* theClass::GetThisMessageMap() {   \
    using ThisClass [[maybe_unused]] = theClass;      \
    using TheBaseClass = baseClass;                   \
    static const AFX_MSGMAP_ENTRY _messageEntries[] = {
#define END_MESSAGE_MAP()                                                                   \
  AFX_MSGMAP_ENTRY {                                                                        \
    0, 0, 0, std::monostate {}                                                              \
  }                                                                                         \
  }                                                                                         \
  ;                                                                                         \
  static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, _messageEntries}; \
  return &messageMap;                                                                       \
  }

#define AFX_V(fn) AFX_PMSG(static_cast<AFX_PMSG_V>(&ThisClass::fn))
#define ON_WM_PAINT() AFX_MSGMAP_ENTRY{WM_PAINT, 0, 0, AFX_V(OnPaint)},
#define ON_WM_QUERYDRAGICON()              \
  AFX_MSGMAP_ENTRY{WM_QUERYDRAGICON, 0, 0, \
                   AFX_PMSG(static_cast<AFX_PMSG_HV>(&ThisClass::OnQueryDragIcon))},
// The mouse handler of WM_RBUTTONDOWN under the name the class gives it.
#define ON_WM_RBUTTONDOWN_HANDLER(fn) \
  AFX_MSGMAP_ENTRY{WM_RBUTTONDOWN, 0, 0, AFX_PMSG(static_cast<AFX_PMSG_VUP>(&ThisClass::fn))},
#define ON_MESSAGE(msg, fn) \
  AFX_MSGMAP_ENTRY{msg, 0, 0, AFX_PMSG(static_cast<AFX_PMSG_LWL>(&ThisClass::fn))},
#define ON_COMMAND(id, fn) AFX_MSGMAP_ENTRY{WM_COMMAND, 0, id, AFX_V(fn)},
#define ON_BN_CLICKED(id, fn) AFX_MSGMAP_ENTRY{WM_COMMAND, BN_CLICKED, id, AFX_V(fn)},
#define ON_EN_KILLFOCUS(id, fn) AFX_MSGMAP_ENTRY{WM_COMMAND, EN_KILLFOCUS, id, AFX_V(fn)},
#define ON_LBN_DBLCLK(id, fn) AFX_MSGMAP_ENTRY{WM_COMMAND, LBN_DBLCLK, id, AFX_V(fn)},

class CCmdTarget {
 public:
  virtual ~CCmdTarget() = default;
  static const AFX_MSGMAP* GetThisMessageMap() { return nullptr; }
  virtual const AFX_MSGMAP* GetMessageMap() const { return nullptr; }
  // The first entry of the map chain that handles the message, or nullptr.
  const AFX_MSGMAP_ENTRY* FindEntry(UINT message, WPARAM wParam) const;
};

class CFont {
 public:
  CFont() = default;
  BOOL CreateFont(int height, int width, int escapement, int orientation, int weight, BYTE italic,
                  BYTE underline, BYTE strikeOut, BYTE charset, BYTE outPrecision,
                  BYTE clipPrecision, BYTE quality, BYTE pitchAndFamily, LPCSTR face);
  BOOL Attach(HFONT font);
  HFONT GetSafeHandle() const { return m_hObject; }
  operator HFONT() const { return m_hObject; }
  HFONT m_hObject = nullptr;
};

HFONT CreateFontA(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                  DWORD underline, DWORD strikeOut, DWORD charset, DWORD outPrecision,
                  DWORD clipPrecision, DWORD quality, DWORD pitchAndFamily, LPCSTR face);

class CWnd : public CCmdTarget {
 public:
  CWnd() = default;
  ~CWnd() override;
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;

  HWND m_hWnd = nullptr;
  operator HWND() const { return m_hWnd; }
  HWND GetSafeHwnd() const { return m_hWnd; }

  BOOL Attach(HWND window);
  HWND Detach();
  // A wrapper for the child window with this identifier (owned by the framework), or nullptr.
  CWnd* GetDlgItem(int id) const;
  // The object attached to the window, else a wrapper owned by the framework that lives until
  // the window is destroyed; nullptr for no window.
  static CWnd* FromHandle(HWND window);
  // How many such wrappers the framework holds.
  static std::size_t TemporaryWrapperCount();

  void SetWindowText(LPCSTR text);
  int GetWindowText(LPSTR buffer, int maxCount) const;
  void GetWindowText(CString& text) const;
  int GetWindowTextLength() const;
  BOOL EnableWindow(BOOL enable = TRUE);
  BOOL IsWindowEnabled() const;
  BOOL ShowWindow(int command);
  BOOL IsWindowVisible() const;
  BOOL IsIconic() const;
  LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
  BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
  void ClientToScreen(LPPOINT point) const;
  void GetClientRect(LPRECT rect) const;
  CWnd* SetFocus();
  HICON SetIcon(HICON icon, BOOL big);
  void SetFont(CFont* font, BOOL redraw = TRUE);
  // Default processing of the message being handled.
  LRESULT Default();

  virtual BOOL UpdateData(BOOL saveAndValidate = TRUE);
  virtual void DoDataExchange(CDataExchange* dx);

  // Dispatches a message through the message map, then to the default handling.
  virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);

 protected:
  virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  struct CurrentMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
  };
  std::vector<CurrentMessage> current_;
  bool ownsHandle_ = false;
};

class CButton : public CWnd {};
class CStatic : public CWnd {};
class CEdit : public CWnd {
 public:
  void SetSel(int start, int end);
};

class CComboBox : public CWnd {
 public:
  int GetCount() const;
  int GetCurSel() const;
  int SetCurSel(int select);
  int GetLBText(int index, LPSTR text) const;
  int GetLBTextLen(int index) const;
  int AddString(LPCSTR text);
  int InsertString(int index, LPCSTR text);
  int FindString(int startAfter, LPCSTR text) const;
  void ResetContent();
};

class CListBox : public CWnd {
 public:
  int GetCount() const;
  int GetCurSel() const;
  int SetCurSel(int select);
  int GetText(int index, LPSTR text) const;
  int GetTextLen(int index) const;
  int AddString(LPCSTR text);
  void ResetContent();
  int SetItemData(int index, DWORD_PTR data);
  DWORD_PTR GetItemData(int index) const;
};

class CIPAddressCtrl : public CWnd {
 public:
  void SetAddress(DWORD address);
  void SetAddress(BYTE f0, BYTE f1, BYTE f2, BYTE f3);
  int GetAddress(DWORD& address) const;
  void ClearAddress();
  BOOL IsBlank() const;
};

class CStatusBarCtrl : public CWnd {
 public:
  ~CStatusBarCtrl() override;
  BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);
  BOOL SetParts(int parts, int* rightEdges);
  BOOL SetText(LPCSTR text, int part, int type);
};

class CMenu {
 public:
  CMenu() = default;
  ~CMenu();
  CMenu(const CMenu&) = delete;
  CMenu& operator=(const CMenu&) = delete;
  BOOL CreatePopupMenu();
  BOOL AppendMenu(UINT flags, UINT_PTR id = 0, LPCSTR text = nullptr);
  BOOL CheckMenuRadioItem(UINT first, UINT last, UINT check, UINT flags);
  // Shows the popup through the host; a chosen item is posted to the owner as WM_COMMAND.
  BOOL TrackPopupMenu(UINT flags, int x, int y, CWnd* owner, LPCRECT rect = nullptr);
  BOOL DestroyMenu();
  HMENU m_hMenu = nullptr;
};

class CDC {
 public:
  HDC m_hDC = nullptr;
  HDC GetSafeHdc() const { return m_hDC; }
  BOOL DrawIcon(int x, int y, HICON icon);
};

class CPaintDC : public CDC {
 public:
  explicit CPaintDC(CWnd* window);
  ~CPaintDC() = default;

 private:
  platform::PaintContext context_;
};

// Thrown by CDataExchange::Fail and caught by UpdateData, as in MFC.
class CUserException {};

class CDataExchange {
 public:
  CDataExchange(CWnd* dialog, BOOL saveAndValidate)
      : m_bSaveAndValidate(saveAndValidate), m_pDlgWnd(dialog) {}
  BOOL m_bSaveAndValidate;
  CWnd* m_pDlgWnd;
  HWND m_idLastControl = nullptr;
  bool m_bEditLastControl = false;
  HWND PrepareCtrl(int id);
  HWND PrepareEditCtrl(int id);
  // Puts the focus back on the last control (selecting an edit's text) and ends the exchange.
  [[noreturn]] void Fail();
};

void DDX_Control(CDataExchange* dx, int id, CWnd& control);
void DDX_Text(CDataExchange* dx, int id, int& value);

class CDialog : public CWnd {
 public:
  explicit CDialog(UINT templateId, CWnd* parent = nullptr);
  ~CDialog() override;

  // Creates the dialog from its template, initialises it and runs it modally through the host.
  virtual INT_PTR DoModal();
  // Creates and initialises the dialog without a modal loop (modeless, for drivers and tests).
  BOOL Create(UINT templateId = 0, CWnd* parent = nullptr);
  void EndDialog(int result);
  bool Ended() const { return ended_; }
  int Result() const { return result_; }
  // Destroys the windows of the dialog.
  void DestroyWindow();

  virtual BOOL OnInitDialog();
  virtual void OnOK();
  virtual void OnCancel();

  UINT m_nIDHelp = 0;
  UINT TemplateId() const { return templateId_; }

  DECLARE_MESSAGE_MAP()

 protected:
  LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  BOOL CreateFromTemplate();
  UINT templateId_;
  bool ended_ = false;
  int result_ = 0;
  std::unique_ptr<platform::Window> window_;
};

class CDialogEx : public CDialog {
 public:
  explicit CDialogEx(UINT templateId, CWnd* parent = nullptr) : CDialog(templateId, parent) {}
  DECLARE_MESSAGE_MAP()
};

constexpr DWORD AFX_RESTART_MANAGER_SUPPORT_RESTART = 0x01;

class CWinApp : public CCmdTarget {
 public:
  explicit CWinApp(LPCSTR appName = nullptr);
  ~CWinApp() override;
  virtual BOOL InitInstance();
  virtual int ExitInstance() { return 0; }
  HICON LoadIcon(UINT id) const;
  void SetRegistryKey(LPCSTR key);
  void OnHelp();

  DWORD m_dwRestartManagerSupportFlags = 0;
  CWnd* m_pMainWnd = nullptr;
  std::string m_pszAppName;
  std::string m_pszRegistryKey;

  DECLARE_MESSAGE_MAP()
};

class CShellManager {};

CWinApp* AfxGetApp();
// Runs the application object: InitInstance, then ExitInstance when InitInstance returns FALSE.
int AfxWinMain();
BOOL AfxSocketInit(void* data = nullptr);
void AfxEnableControlContainer();
int AfxMessageBox(LPCSTR text, UINT type = MB_OK, UINT helpId = 0);
int AfxMessageBox(UINT promptId, UINT type = MB_OK, UINT helpId = static_cast<UINT>(-1));

// MFC's own prompt of the integer exchange.
constexpr const char* AFX_IDP_PARSE_INT_TEXT = "Please enter an integer.";

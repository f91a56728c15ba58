// CDialog with the default OK and Cancel handling, dialog data exchange, fonts, menus, painting
// and the application object.
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/Host.h"
#include "platform/MessageLoop.h"
#include "platform/Resources.h"
#include "platform/Runtime.h"
#include "platform/afxwin.h"
#include "platform/kernel.h"
#include "platform/winsock2.h"

namespace {

std::vector<std::unique_ptr<platform::FontObject>>& Fonts() {
  static std::vector<std::unique_ptr<platform::FontObject>> fonts;
  return fonts;
}

CWinApp*& TheApp() {
  static CWinApp* app = nullptr;
  return app;
}

// MFC's integer exchange: sscanf with "%d" must convert one value (leading white space and a
// sign are taken, trailing text ignored, the value wraps modulo 2^32).
bool ScanInt(const char* s, int& value) {
  unsigned v = 0;
  if (platform::CrtScanInteger(s, 10, -1, &v) != 1) return false;
  std::int32_t out;
  std::memcpy(&out, &v, sizeof out);
  value = out;
  return true;
}

}  // namespace

// Resources of the module in force.
namespace platform {

const DialogTemplate* FindDialogTemplate(UINT id) {
  const ResourceModule* m = CurrentRuntime().resources;
  if (!m) return nullptr;
  auto it = m->dialogs.find(id);
  return it == m->dialogs.end() ? nullptr : it->second;
}

HICON LoadIconResource(UINT id) {
  const ResourceModule* m = CurrentRuntime().resources;
  if (!m) return nullptr;
  auto it = m->icons.find(id);
  return it == m->icons.end() ? nullptr : it->second;
}

int LoadStringResource(UINT id, char* buffer, int size) {
  const ResourceModule* m = CurrentRuntime().resources;
  if (!buffer || size <= 0) return 0;
  buffer[0] = '\0';
  if (!m) return 0;
  auto it = m->strings.find(id);
  if (it == m->strings.end()) return 0;
  int n = static_cast<int>(
      std::min<std::size_t>(it->second.size(), static_cast<std::size_t>(size - 1)));
  std::memcpy(buffer, it->second.data(), static_cast<std::size_t>(n));
  buffer[n] = '\0';
  return n;
}

}  // namespace platform

HFONT CreateFontA(int height, int width, int, int, int weight, DWORD, DWORD, DWORD, DWORD charset,
                  DWORD, DWORD, DWORD, DWORD pitchAndFamily, LPCSTR face) {
  auto f = std::make_unique<platform::FontObject>();
  f->height = height;
  f->width = width;
  f->weight = weight;
  f->charset = static_cast<BYTE>(charset);
  f->pitchAndFamily = static_cast<BYTE>(pitchAndFamily);
  f->face = face ? face : "";
  Fonts().push_back(std::move(f));
  return Fonts().back().get();
}

BOOL CFont::CreateFont(int height, int width, int escapement, int orientation, int weight,
                       BYTE italic, BYTE underline, BYTE strikeOut, BYTE charset, BYTE outPrecision,
                       BYTE clipPrecision, BYTE quality, BYTE pitchAndFamily, LPCSTR face) {
  return Attach(CreateFontA(height, width, escapement, orientation, weight, italic, underline,
                            strikeOut, charset, outPrecision, clipPrecision, quality,
                            pitchAndFamily, face));
}

BOOL CFont::Attach(HFONT font) {
  m_hObject = font;
  return font != nullptr;
}

// Dialog data exchange.
HWND CDataExchange::PrepareCtrl(int id) {
  HWND h = m_pDlgWnd && m_pDlgWnd->m_hWnd ? m_pDlgWnd->m_hWnd->Child(id) : nullptr;
  m_idLastControl = h;
  m_bEditLastControl = false;
  return h;
}

HWND CDataExchange::PrepareEditCtrl(int id) {
  HWND h = PrepareCtrl(id);
  m_bEditLastControl = true;
  return h;
}

void CDataExchange::Fail() {
  if (!m_bSaveAndValidate) throw CUserException();
  if (m_idLastControl) {
    m_idLastControl->SetFocusTo(m_idLastControl);
    if (m_bEditLastControl) m_idLastControl->SetEditSelection(0, -1);
  }
  throw CUserException();
}

void DDX_Control(CDataExchange* dx, int id, CWnd& control) {
  if (control.m_hWnd) return;
  HWND h = dx->PrepareCtrl(id);
  if (h) control.Attach(h);
}

void DDX_Text(CDataExchange* dx, int id, int& value) {
  HWND h = dx->PrepareEditCtrl(id);
  if (!h) return;
  if (dx->m_bSaveAndValidate) {
    char text[64];
    h->Send(WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    int v = 0;
    if (!ScanInt(text, v)) {
      AfxMessageBox(AFX_IDP_PARSE_INT_TEXT, MB_OK | MB_ICONEXCLAMATION, 0);
      dx->Fail();
    }
    value = v;
  } else {
    char text[32];
    std::snprintf(text, sizeof text, "%d", value);
    h->Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
  }
}

// CDialog.
BEGIN_MESSAGE_MAP(CDialog, CWnd)
  ON_COMMAND(IDOK, OnOK)
  ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

BEGIN_MESSAGE_MAP(CDialogEx, CDialog)
END_MESSAGE_MAP()

CDialog::CDialog(UINT templateId, CWnd*) : templateId_(templateId) {}

CDialog::~CDialog() {
  if (window_) DestroyWindow();
}

BOOL CDialog::CreateFromTemplate() {
  const platform::DialogTemplate* t = platform::FindDialogTemplate(templateId_);
  if (!t) return FALSE;
  ended_ = false;
  window_ = std::make_unique<platform::Window>(platform::WindowKind::Dialog, 0, t->style,
                                               RECT{0, 0, t->cx, t->cy}, t->caption, nullptr);
  for (const auto& item : t->items) {
    window_->AddChild(item.kind, item.id, item.style | WS_CHILD,
                      RECT{item.x, item.y, item.x + item.cx, item.y + item.cy},
                      item.caption ? item.caption : "");
  }
  Attach(window_.get());
  window_->SetProcedure([this](UINT m, WPARAM w, LPARAM l) { return WindowProc(m, w, l); });
  if (SendMessage(WM_INITDIALOG, 0, 0)) {
    // The focus goes to the first tab stop that can take it.
    for (const auto& c : window_->Children()) {
      if ((c->Style() & WS_TABSTOP) && c->Visible() && c->Enabled()) {
        window_->SetFocusTo(c.get());
        break;
      }
    }
  }
  return TRUE;
}

BOOL CDialog::Create(UINT templateId, CWnd*) {
  if (templateId) templateId_ = templateId;
  return CreateFromTemplate();
}

INT_PTR CDialog::DoModal() {
  if (!CreateFromTemplate()) return -1;
  platform::Runtime& rt = platform::CurrentRuntime();
  if (rt.host) {
    rt.host->RunModal(*this);
  } else if (rt.loop) {
    rt.loop->RunUntil([this] { return ended_; });
  }
  int result = result_;
  DestroyWindow();
  return result;
}

void CDialog::EndDialog(int result) {
  ended_ = true;
  result_ = result;
  if (m_hWnd) m_hWnd->SetVisible(false);
}

void CDialog::DestroyWindow() {
  if (!window_) return;
  window_->Destroy();
  Detach();
}

BOOL CDialog::OnInitDialog() {
  UpdateData(FALSE);
  return TRUE;
}

void CDialog::OnOK() {
  if (!UpdateData(TRUE)) return;
  EndDialog(IDOK);
}

void CDialog::OnCancel() {
  EndDialog(IDCANCEL);
}

LRESULT CDialog::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return OnInitDialog();
    case WM_CLOSE:
      PostMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), 0);
      return 0;
    case WM_PAINT:
    case WM_RBUTTONDOWN:
    case WM_QUERYDRAGICON:
      return 0;
    default:
      return CWnd::DefWindowProc(message, wParam, lParam);
  }
}

// Menus.
CMenu::~CMenu() {
  DestroyMenu();
}

BOOL CMenu::CreatePopupMenu() {
  DestroyMenu();
  m_hMenu = new platform::MenuObject();
  return TRUE;
}

BOOL CMenu::AppendMenu(UINT flags, UINT_PTR id, LPCSTR text) {
  if (!m_hMenu) return FALSE;
  platform::MenuObject::Item item;
  item.id = static_cast<UINT>(id);
  if ((flags & MF_SEPARATOR) != 0) {
    item.separator = true;  // Windows ignores the text and the check of a separator
  } else {
    item.text = text ? text : "";
    item.checked = (flags & MF_CHECKED) != 0;
  }
  m_hMenu->items.push_back(item);
  return TRUE;
}

// As Windows: the item `check` gets the check and the radio mark, the other items of the range
// lose theirs. The range becomes one radio group; the items outside it stay plain.
BOOL CMenu::CheckMenuRadioItem(UINT first, UINT last, UINT check, UINT) {
  if (!m_hMenu) return FALSE;
  const int group = ++m_hMenu->groups;
  bool found = false;
  for (auto& item : m_hMenu->items) {
    if (item.separator || item.id < first || item.id > last) continue;
    item.checked = item.id == check;
    item.radio = item.id == check;
    item.group = group;
    found = found || item.id == check;
  }
  return found;
}

BOOL CMenu::TrackPopupMenu(UINT flags, int x, int y, CWnd* owner, LPCRECT) {
  platform::Runtime& rt = platform::CurrentRuntime();
  if (!m_hMenu || !owner || !owner->m_hWnd) return FALSE;
  UINT chosen = rt.host ? rt.host->TrackPopupMenu(*m_hMenu, flags, POINT{x, y}, owner->m_hWnd) : 0;
  if (chosen != 0) owner->PostMessage(WM_COMMAND, MAKEWPARAM(static_cast<WORD>(chosen), 0), 0);
  return TRUE;
}

BOOL CMenu::DestroyMenu() {
  delete m_hMenu;
  m_hMenu = nullptr;
  return TRUE;
}

// Painting.
CPaintDC::CPaintDC(CWnd* window) : context_{window ? window->m_hWnd : nullptr} {
  m_hDC = &context_;
}
BOOL CDC::DrawIcon(int x, int y, HICON icon) {
  if (!m_hDC || !m_hDC->window) return FALSE;
  m_hDC->window->RecordIconDraw(platform::IconDraw{x, y, icon});
  return TRUE;
}

// The application object.
BEGIN_MESSAGE_MAP(CWinApp, CCmdTarget)
END_MESSAGE_MAP()

CWinApp::CWinApp(LPCSTR appName) : m_pszAppName(appName ? appName : "") {
  if (m_pszAppName.empty()) {
    // The name comes from the executable when none is given.
    std::string path = platform::CurrentRuntime().modulePath;
    auto slash = path.find_last_of("/\\");
    m_pszAppName = slash == std::string::npos ? path : path.substr(slash + 1);
  }
  TheApp() = this;
}

CWinApp::~CWinApp() {
  if (TheApp() == this) TheApp() = nullptr;
}

BOOL CWinApp::InitInstance() {
  return TRUE;
}

HICON CWinApp::LoadIcon(UINT id) const {
  return platform::LoadIconResource(id);
}

void CWinApp::SetRegistryKey(LPCSTR key) {
  m_pszRegistryKey = key ? key : "";
}

void CWinApp::OnHelp() {
  // No help file stands behind the help command.
  AfxMessageBox("No help is available.", MB_OK, 0);
}

CWinApp* AfxGetApp() {
  if (TheApp()) return TheApp();
  static CWinApp fallback;  // registers itself; a real application object replaces it
  return &fallback;
}

int AfxWinMain() {
  CWinApp* app = AfxGetApp();
  if (!app->InitInstance()) return app->ExitInstance();
  return app->ExitInstance();
}

BOOL AfxSocketInit(void*) {
  WSADATA data;
  return WSAStartup(0x0202, &data) == 0;
}

void AfxEnableControlContainer() {}

int AfxMessageBox(LPCSTR text, UINT type, UINT) {
  platform::Runtime& rt = platform::CurrentRuntime();
  std::string t = text ? text : "";
  if (rt.host) return rt.host->MessageBox(t, type);
  std::fprintf(stderr, "%s\n", t.c_str());
  return IDOK;
}

int AfxMessageBox(UINT promptId, UINT type, UINT helpId) {
  char text[1024];
  platform::LoadStringResource(promptId, text, sizeof text);
  return AfxMessageBox(text, type, helpId);
}

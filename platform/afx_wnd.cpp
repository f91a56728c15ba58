// CCmdTarget, CWnd and the control classes.
#include <algorithm>
#include <cstring>
#include <map>
#include <memory>

#include "platform/Host.h"
#include "platform/MessageLoop.h"
#include "platform/Runtime.h"
#include "platform/afxwin.h"

namespace {

// Windows that a CWnd object is attached to (MFC's permanent map), and the wrappers that
// GetDlgItem hands out for windows no object is attached to (MFC's temporary map).
std::map<HWND, CWnd*>& PermanentMap() {
  static std::map<HWND, CWnd*> map;
  return map;
}

std::map<HWND, std::unique_ptr<CWnd>>& TemporaryMap();

// MFC empties its temporary map at idle time; here a wrapper goes with its window, so that a
// later window at the same address never gets the wrapper of one that went away.
struct TemporaryWrappers {
  TemporaryWrappers() { platform::Window::SetGoneHandler(&Forget); }
  ~TemporaryWrappers() { platform::Window::SetGoneHandler(nullptr); }
  TemporaryWrappers(const TemporaryWrappers&) = delete;
  TemporaryWrappers& operator=(const TemporaryWrappers&) = delete;
  static void Forget(HWND window) { TemporaryMap().erase(window); }
  std::map<HWND, std::unique_ptr<CWnd>> map;
};

std::map<HWND, std::unique_ptr<CWnd>>& TemporaryMap() {
  static TemporaryWrappers wrappers;
  return wrappers.map;
}

SIZE BaseUnits() {
  if (platform::Host* host = platform::CurrentRuntime().host) return host->DialogBaseUnits();
  return SIZE{6, 13};
}

}  // namespace

const AFX_MSGMAP_ENTRY* CCmdTarget::FindEntry(UINT message, WPARAM wParam) const {
  for (const AFX_MSGMAP* map = GetMessageMap(); map;
       map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
    for (const AFX_MSGMAP_ENTRY* e = map->lpEntries; e && e->nMessage != 0; ++e) {
      if (e->nMessage != message) continue;
      if (message == WM_COMMAND && (e->nCode != HIWORD(wParam) || e->nID != LOWORD(wParam)))
        continue;
      return e;
    }
  }
  return nullptr;
}

CWnd::~CWnd() {
  if (m_hWnd) Detach();
}

BOOL CWnd::Attach(HWND window) {
  if (!window) return FALSE;
  m_hWnd = window;
  PermanentMap()[window] = this;
  TemporaryMap().erase(window);
  return TRUE;
}

HWND CWnd::Detach() {
  HWND h = m_hWnd;
  if (h) {
    auto it = PermanentMap().find(h);
    if (it != PermanentMap().end() && it->second == this) PermanentMap().erase(it);
  }
  m_hWnd = nullptr;
  return h;
}

CWnd* CWnd::FromHandle(HWND window) {
  if (!window) return nullptr;
  auto it = PermanentMap().find(window);
  if (it != PermanentMap().end()) return it->second;
  auto& temp = TemporaryMap()[window];
  if (!temp) {
    temp = std::make_unique<CWnd>();
    temp->m_hWnd = window;
  }
  return temp.get();
}

std::size_t CWnd::TemporaryWrapperCount() {
  return TemporaryMap().size();
}

CWnd* CWnd::GetDlgItem(int id) const {
  return m_hWnd ? FromHandle(m_hWnd->Child(id)) : nullptr;
}

void CWnd::SetWindowText(LPCSTR text) {
  if (m_hWnd) m_hWnd->Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text ? text : ""));
}

int CWnd::GetWindowText(LPSTR buffer, int maxCount) const {
  if (!m_hWnd || maxCount <= 0) return 0;
  return static_cast<int>(
      m_hWnd->Send(WM_GETTEXT, static_cast<WPARAM>(maxCount), reinterpret_cast<LPARAM>(buffer)));
}

void CWnd::GetWindowText(CString& text) const {
  int n = GetWindowTextLength();
  std::string s(static_cast<std::size_t>(n) + 1, '\0');
  int got = GetWindowText(s.data(), n + 1);
  s.resize(static_cast<std::size_t>(got));
  text = CString(std::move(s));
}

int CWnd::GetWindowTextLength() const {
  return m_hWnd ? static_cast<int>(m_hWnd->Send(WM_GETTEXTLENGTH, 0, 0)) : 0;
}

BOOL CWnd::EnableWindow(BOOL enable) {
  if (!m_hWnd) return FALSE;
  BOOL wasDisabled = !m_hWnd->Enabled();
  m_hWnd->SetEnabled(enable != FALSE);
  return wasDisabled;
}

BOOL CWnd::IsWindowEnabled() const {
  return m_hWnd && m_hWnd->Enabled();
}

BOOL CWnd::ShowWindow(int command) {
  if (!m_hWnd) return FALSE;
  BOOL was = m_hWnd->Visible();
  m_hWnd->SetVisible(command != SW_HIDE);
  return was;
}

BOOL CWnd::IsWindowVisible() const {
  return m_hWnd && m_hWnd->ReallyVisible();
}
BOOL CWnd::IsIconic() const {
  return m_hWnd && m_hWnd->Iconic();
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return m_hWnd ? m_hWnd->Send(message, wParam, lParam) : 0;
}

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  platform::MessageLoop* loop = platform::CurrentRuntime().loop;
  if (!m_hWnd || !loop) return FALSE;
  loop->Post(m_hWnd, message, wParam, lParam);
  return TRUE;
}

void CWnd::ClientToScreen(LPPOINT point) const {
  if (!point || !m_hWnd) return;
  POINT origin{0, 0};
  if (platform::Host* host = platform::CurrentRuntime().host)
    origin = host->ClientOrigin(m_hWnd->TopLevel());
  point->x += origin.x;
  point->y += origin.y;
  if (m_hWnd->Parent()) {
    RECT r = m_hWnd->RectInPixels() ? m_hWnd->Rect()
                                    : platform::DialogUnitsToPixels(m_hWnd->Rect(), BaseUnits());
    point->x += r.left;
    point->y += r.top;
  }
}

void CWnd::GetClientRect(LPRECT rect) const {
  if (!rect) return;
  *rect = RECT{0, 0, 0, 0};
  if (!m_hWnd) return;
  RECT r = m_hWnd->RectInPixels() ? m_hWnd->Rect()
                                  : platform::DialogUnitsToPixels(m_hWnd->Rect(), BaseUnits());
  rect->right = r.right - r.left;
  rect->bottom = r.bottom - r.top;
}

CWnd* CWnd::SetFocus() {
  if (!m_hWnd) return nullptr;
  platform::Window* old = m_hWnd->Focus();
  m_hWnd->SetFocusTo(m_hWnd);
  return FromHandle(old);
}

HICON CWnd::SetIcon(HICON icon, BOOL big) {
  return reinterpret_cast<HICON>(
      SendMessage(WM_SETICON, big ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(icon)));
}

void CWnd::SetFont(CFont* font, BOOL redraw) {
  SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font ? font->GetSafeHandle() : nullptr), redraw);
}

LRESULT CWnd::Default() {
  if (current_.empty()) return 0;
  CurrentMessage m = current_.back();
  return DefWindowProc(m.message, m.wParam, m.lParam);
}

BOOL CWnd::UpdateData(BOOL saveAndValidate) {
  CDataExchange dx(this, saveAndValidate);
  try {
    DoDataExchange(&dx);
  } catch (const CUserException&) {
    return FALSE;
  }
  return TRUE;
}

void CWnd::DoDataExchange(CDataExchange*) {}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  return m_hWnd ? m_hWnd->DefaultProc(message, wParam, lParam) : 0;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  current_.push_back({message, wParam, lParam});
  LRESULT result = 0;
  if (const AFX_MSGMAP_ENTRY* e = FindEntry(message, wParam)) {
    CCmdTarget* self = this;
    if (auto* f = std::get_if<AFX_PMSG_V>(&e->pfn)) {
      (self->**f)();
    } else if (auto* f2 = std::get_if<AFX_PMSG_LWL>(&e->pfn)) {
      result = (self->**f2)(wParam, lParam);
    } else if (auto* f3 = std::get_if<AFX_PMSG_VUP>(&e->pfn)) {
      (self->**f3)(static_cast<UINT>(wParam), CPoint(lParam));
    } else if (auto* f4 = std::get_if<AFX_PMSG_HV>(&e->pfn)) {
      result = reinterpret_cast<LRESULT>((self->**f4)());
    }
  } else {
    result = DefWindowProc(message, wParam, lParam);
  }
  current_.pop_back();
  return result;
}

void CEdit::SetSel(int start, int end) {
  if (m_hWnd) m_hWnd->SetEditSelection(start, end);
}

int CComboBox::GetCount() const {
  return static_cast<int>(m_hWnd ? m_hWnd->Send(CB_GETCOUNT, 0, 0) : 0);
}
int CComboBox::GetCurSel() const {
  return static_cast<int>(m_hWnd ? m_hWnd->Send(CB_GETCURSEL, 0, 0) : CB_ERR);
}
int CComboBox::SetCurSel(int select) {
  return static_cast<int>(
      m_hWnd ? m_hWnd->Send(CB_SETCURSEL, static_cast<WPARAM>(static_cast<INT_PTR>(select)), 0)
             : CB_ERR);
}
int CComboBox::GetLBText(int index, LPSTR text) const {
  return static_cast<int>(m_hWnd ? m_hWnd->Send(CB_GETLBTEXT,
                                                static_cast<WPARAM>(static_cast<INT_PTR>(index)),
                                                reinterpret_cast<LPARAM>(text))
                                 : CB_ERR);
}
int CComboBox::GetLBTextLen(int index) const {
  return static_cast<int>(
      m_hWnd ? m_hWnd->Send(CB_GETLBTEXTLEN, static_cast<WPARAM>(static_cast<INT_PTR>(index)), 0)
             : CB_ERR);
}
int CComboBox::AddString(LPCSTR text) {
  return static_cast<int>(m_hWnd ? m_hWnd->Send(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text))
                                 : CB_ERR);
}
int CComboBox::InsertString(int index, LPCSTR text) {
  return static_cast<int>(m_hWnd ? m_hWnd->Send(CB_INSERTSTRING,
                                                static_cast<WPARAM>(static_cast<INT_PTR>(index)),
                                                reinterpret_cast<LPARAM>(text))
                                 : CB_ERR);
}
int CComboBox::FindString(int startAfter, LPCSTR text) const {
  return static_cast<int>(
      m_hWnd ? m_hWnd->Send(CB_FINDSTRING, static_cast<WPARAM>(static_cast<INT_PTR>(startAfter)),
                            reinterpret_cast<LPARAM>(text))
             : CB_ERR);
}
void CComboBox::ResetContent() {
  if (m_hWnd) m_hWnd->Send(CB_RESETCONTENT, 0, 0);
}

int CListBox::GetCount() const {
  return static_cast<int>(m_hWnd ? m_hWnd->Send(LB_GETCOUNT, 0, 0) : 0);
}
int CListBox::GetCurSel() const {
  return static_cast<int>(m_hWnd ? m_hWnd->Send(LB_GETCURSEL, 0, 0) : LB_ERR);
}
int CListBox::SetCurSel(int select) {
  return static_cast<int>(
      m_hWnd ? m_hWnd->Send(LB_SETCURSEL, static_cast<WPARAM>(static_cast<INT_PTR>(select)), 0)
             : LB_ERR);
}
int CListBox::GetText(int index, LPSTR text) const {
  return static_cast<int>(m_hWnd ? m_hWnd->Send(LB_GETTEXT,
                                                static_cast<WPARAM>(static_cast<INT_PTR>(index)),
                                                reinterpret_cast<LPARAM>(text))
                                 : LB_ERR);
}
int CListBox::GetTextLen(int index) const {
  return static_cast<int>(
      m_hWnd ? m_hWnd->Send(LB_GETTEXTLEN, static_cast<WPARAM>(static_cast<INT_PTR>(index)), 0)
             : LB_ERR);
}
int CListBox::AddString(LPCSTR text) {
  return static_cast<int>(m_hWnd ? m_hWnd->Send(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text))
                                 : LB_ERR);
}
void CListBox::ResetContent() {
  if (m_hWnd) m_hWnd->Send(LB_RESETCONTENT, 0, 0);
}
int CListBox::SetItemData(int index, DWORD_PTR data) {
  return static_cast<int>(m_hWnd ? m_hWnd->Send(LB_SETITEMDATA,
                                                static_cast<WPARAM>(static_cast<INT_PTR>(index)),
                                                static_cast<LPARAM>(data))
                                 : LB_ERR);
}
DWORD_PTR CListBox::GetItemData(int index) const {
  return static_cast<DWORD_PTR>(
      m_hWnd ? m_hWnd->Send(LB_GETITEMDATA, static_cast<WPARAM>(static_cast<INT_PTR>(index)), 0)
             : LB_ERR);
}

void CIPAddressCtrl::SetAddress(DWORD address) {
  if (m_hWnd) m_hWnd->Send(IPM_SETADDRESS, 0, static_cast<LPARAM>(address));
}
void CIPAddressCtrl::SetAddress(BYTE f0, BYTE f1, BYTE f2, BYTE f3) {
  SetAddress(MAKEIPADDRESS(f0, f1, f2, f3));
}
int CIPAddressCtrl::GetAddress(DWORD& address) const {
  address = 0;
  return static_cast<int>(
      m_hWnd ? m_hWnd->Send(IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&address)) : 0);
}
void CIPAddressCtrl::ClearAddress() {
  if (m_hWnd) m_hWnd->Send(IPM_CLEARADDRESS, 0, 0);
}
BOOL CIPAddressCtrl::IsBlank() const {
  return m_hWnd ? static_cast<BOOL>(m_hWnd->Send(IPM_ISBLANK, 0, 0)) : TRUE;
}

CStatusBarCtrl::~CStatusBarCtrl() = default;

BOOL CStatusBarCtrl::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
  if (!parent || !parent->m_hWnd) return FALSE;
  platform::Window* w = parent->m_hWnd->AddChild(platform::WindowKind::StatusBar,
                                                 static_cast<int>(id), style | WS_CHILD, rect, "");
  w->SetRectInPixels(true);
  return Attach(w);
}

BOOL CStatusBarCtrl::SetParts(int parts, int* rightEdges) {
  return static_cast<BOOL>(
      SendMessage(SB_SETPARTS, static_cast<WPARAM>(parts), reinterpret_cast<LPARAM>(rightEdges)));
}

BOOL CStatusBarCtrl::SetText(LPCSTR text, int part, int type) {
  return static_cast<BOOL>(SendMessage(SB_SETTEXT,
                                       static_cast<WPARAM>((part & 0xFF) | ((type & 0xFF) << 8)),
                                       reinterpret_cast<LPARAM>(text)));
}

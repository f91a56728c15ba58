#include "platform/UserInput.h"

#include "platform/Host.h"
#include "platform/MessageLoop.h"
#include "platform/Runtime.h"

namespace platform {
namespace {

void Post(HWND window, UINT message, WPARAM w, LPARAM l) {
  if (MessageLoop* loop = CurrentRuntime().loop)
    loop->Post(window, message, w, l);
  else
    window->Send(message, w, l);
}

InputResult Reachable(HWND dialog, int id, Window** out) {
  Window* w = dialog ? dialog->Child(id) : nullptr;
  if (!w) return InputResult::NoSuchControl;
  if (!w->ReallyVisible()) return InputResult::Hidden;
  if (!w->Enabled()) return InputResult::Disabled;
  *out = w;
  return InputResult::Ok;
}

bool TakesMouse(const Window& w) {
  return w.Kind() != WindowKind::Static && w.Kind() != WindowKind::GroupBox && w.Visible() &&
         w.Enabled();
}

}  // namespace

const char* InputResultName(InputResult result) {
  switch (result) {
    case InputResult::Ok:
      return "ok";
    case InputResult::NoSuchControl:
      return "no such control";
    case InputResult::Disabled:
      return "disabled";
    case InputResult::Hidden:
      return "hidden";
    case InputResult::WrongKind:
      return "wrong kind of control";
  }
  return "?";
}

InputResult UserClick(HWND dialog, int id) {
  Window* w = nullptr;
  InputResult r = Reachable(dialog, id, &w);
  if (r != InputResult::Ok) return r;
  if (w->Kind() != WindowKind::Button) return InputResult::WrongKind;
  w->SetFocusTo(w);
  w->NotifyParent(BN_CLICKED);
  return InputResult::Ok;
}

InputResult UserType(HWND dialog, int id, const std::string& text) {
  Window* w = nullptr;
  InputResult r = Reachable(dialog, id, &w);
  if (r != InputResult::Ok) return r;
  if (w->Kind() != WindowKind::Edit) return InputResult::WrongKind;
  w->SetFocusTo(w);
  w->SetText(text);
  w->NotifyParent(EN_CHANGE);
  return InputResult::Ok;
}

InputResult UserSelect(HWND dialog, int id, int index) {
  Window* w = nullptr;
  InputResult r = Reachable(dialog, id, &w);
  if (r != InputResult::Ok) return r;
  if (w->Kind() == WindowKind::ComboBox) {
    w->SetFocusTo(w);
    w->Send(CB_SETCURSEL, static_cast<WPARAM>(static_cast<INT_PTR>(index)), 0);
    w->NotifyParent(CBN_SELCHANGE);
  } else if (w->Kind() == WindowKind::ListBox) {
    w->SetFocusTo(w);
    w->Send(LB_SETCURSEL, static_cast<WPARAM>(static_cast<INT_PTR>(index)), 0);
    if (w->Style() & LBS_NOTIFY) w->NotifyParent(LBN_SELCHANGE);
  } else {
    return InputResult::WrongKind;
  }
  return InputResult::Ok;
}

InputResult UserSetIp(HWND dialog, int id, const Window::IpFields& fields) {
  Window* w = nullptr;
  InputResult r = Reachable(dialog, id, &w);
  if (r != InputResult::Ok) return r;
  if (w->Kind() != WindowKind::IpAddress) return InputResult::WrongKind;
  w->SetFocusTo(w);
  w->SetIpFieldsByUser(fields);
  return InputResult::Ok;
}

InputResult UserFocus(HWND dialog, int id) {
  Window* w = nullptr;
  InputResult r = Reachable(dialog, id, &w);
  if (r != InputResult::Ok) return r;
  w->SetFocusTo(w);
  return InputResult::Ok;
}

InputResult UserDoubleClick(HWND dialog, int id) {
  Window* w = nullptr;
  InputResult r = Reachable(dialog, id, &w);
  if (r != InputResult::Ok) return r;
  if (w->Kind() != WindowKind::ListBox) return InputResult::WrongKind;
  w->SetFocusTo(w);
  if (w->Style() & LBS_NOTIFY) w->NotifyParent(LBN_DBLCLK);
  return InputResult::Ok;
}

Window* ControlAt(HWND dialog, POINT p, SIZE base) {
  if (!dialog) return nullptr;
  for (const auto& c : dialog->Children()) {
    if (!c->Visible() || c->Destroyed()) continue;
    RECT r = c->RectInPixels() ? c->Rect() : DialogUnitsToPixels(c->Rect(), base);
    if (p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom && TakesMouse(*c))
      return c.get();
  }
  return nullptr;
}

InputResult UserRightClick(HWND dialog, POINT client, SIZE base) {
  if (!dialog) return InputResult::NoSuchControl;
  if (ControlAt(dialog, client, base)) return InputResult::WrongKind;
  Post(dialog, WM_RBUTTONDOWN, 0x0002 /* MK_RBUTTON */,
       MAKELPARAM(static_cast<WORD>(client.x), static_cast<WORD>(client.y)));
  return InputResult::Ok;
}

void UserKeyEnter(HWND dialog) {
  if (!dialog) return;
  Window* focus = dialog->Focus();
  if (focus && focus->Kind() == WindowKind::Button && focus->Enabled() && focus->ReallyVisible()) {
    focus->NotifyParent(BN_CLICKED);
    return;
  }
  Post(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

void UserKeyEscape(HWND dialog) {
  if (dialog) Post(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

void UserClose(HWND dialog) {
  if (dialog) Post(dialog, WM_CLOSE, 0, 0);
}

void UserSetIconic(HWND dialog, bool iconic) {
  if (!dialog) return;
  dialog->SetIconic(iconic);
  Post(dialog, WM_PAINT, 0, 0);
}

}  // namespace platform

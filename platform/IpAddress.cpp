#include "platform/IpAddress.h"

#include <algorithm>
#include <string>

#include "platform/MessageParams.h"
#include "platform/Window.h"

namespace platform {
namespace {

// "a.b.c.d"; a blank field reads as 0, as the control's text does.
std::string Dotted(const IpAddressState& ip) {
  std::string s;
  for (std::size_t i = 0; i < ip.fields.size(); ++i) {
    if (i) s += '.';
    s += std::to_string(ip.fields[i].value_or(0));
  }
  return s;
}

// "a.b.c.d" with empty parts for blank fields; a part that is not one to three digits is blank.
LRESULT SetText(Window& window, IpAddressState& ip, const std::string& text) {
  IpFields f{};
  std::size_t start = 0;
  for (std::size_t i = 0; i < f.size(); ++i) {
    const std::size_t dot = text.find('.', start);
    const std::string part =
        text.substr(start, dot == std::string::npos ? std::string::npos : dot - start);
    if (!part.empty() && part.size() <= 3 &&
        std::all_of(part.begin(), part.end(), [](char c) { return c >= '0' && c <= '9'; }))
      f[i] = std::min(255, std::stoi(part));
    if (dot == std::string::npos) break;
    start = dot + 1;
  }
  ip.fields = f;
  window.Invalidate();
  return TRUE;
}

LRESULT SetAddress(Window& window, IpAddressState& ip, DWORD v) {
  ip.fields = {FIRST_IPADDRESS(v), SECOND_IPADDRESS(v), THIRD_IPADDRESS(v), FOURTH_IPADDRESS(v)};
  window.Invalidate();
  return TRUE;
}

// Blank fields count as 0; returns the number of fields that are not blank.
LRESULT GetAddress(const IpAddressState& ip, DWORD* out) {
  DWORD v = 0;
  int filled = 0;
  for (const auto& field : ip.fields) {
    v = (v << 8) | static_cast<DWORD>(field.value_or(0) & 0xFF);
    if (field) ++filled;
  }
  if (out) *out = v;
  return filled;
}

LRESULT ClearAddress(Window& window, IpAddressState& ip) {
  ip.fields = {};
  window.Invalidate();
  return 0;
}

LRESULT IsBlank(const IpAddressState& ip) {
  return std::none_of(ip.fields.begin(), ip.fields.end(),
                      [](const auto& f) { return f.has_value(); });
}

}  // namespace

void EnterIpFields(Window& window, IpAddressState& ip, const IpFields& fields) {
  for (std::size_t i = 0; i < ip.fields.size(); ++i) {
    ip.fields[i] = fields[i];
    if (ip.fields[i]) ip.fields[i] = std::clamp(*ip.fields[i], 0, 255);
  }
  window.Invalidate();
}

LRESULT IpAddressProc(Window& window, IpAddressState& ip, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_SETTEXT:
      return SetText(window, ip, TextParam(lParam));
    case WM_GETTEXT:
      return CopyText(Dotted(ip), reinterpret_cast<char*>(lParam),
                      static_cast<std::size_t>(wParam));
    case WM_GETTEXTLENGTH:
      return static_cast<LRESULT>(Dotted(ip).size());
    case IPM_SETADDRESS:
      return SetAddress(window, ip, static_cast<DWORD>(lParam));
    case IPM_GETADDRESS:
      return GetAddress(ip, reinterpret_cast<DWORD*>(lParam));
    case IPM_CLEARADDRESS:
      return ClearAddress(window, ip);
    case IPM_ISBLANK:
      return IsBlank(ip);
    default:
      return window.DefWindowProc(msg, wParam, lParam);
  }
}

}  // namespace platform

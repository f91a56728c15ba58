// Helpers of the dialog's handlers: the selected text of its lists (the device list 1004 and the
// option lists) and socket addresses.
#pragma once

#include <cstring>
#include <string>

#include "platform/afxwin.h"
#include "platform/winsock2.h"
#include "protocol/DiscoverDev.h"

// The selected line's text of a list box or combo box, up to its first NUL; empty when no line
// is selected or the control gives no text.
template <class List>
std::string SelectedLineText(const List& list, int (List::*length)(int) const,
                             int (List::*get)(int, LPSTR) const) {
  const int sel = list.GetCurSel();
  if (sel < 0) return {};
  const int len = (list.*length)(sel);
  if (len <= 0) return {};
  std::string text(static_cast<std::size_t>(len) + 1, '\0');
  if ((list.*get)(sel, text.data()) < 0) return {};
  text.resize(std::strlen(text.c_str()));
  return text;
}

// The selected item's text of an option list.
inline std::string SelectedItemText(const CComboBox& list) {
  return SelectedLineText(list, &CComboBox::GetLBTextLen, &CComboBox::GetLBText);
}

// The text of the device list's selected line, at most 15 bytes (the size of devLabel less its
// NUL).
inline std::string SelectedDeviceLabel(const CListBox& list) {
  std::string text = SelectedLineText(list, &CListBox::GetTextLen, &CListBox::GetText);
  if (text.size() > DEV_LABEL_LEN - 1) text.resize(DEV_LABEL_LEN - 1);
  return text;
}

// An IPv4 socket address: the address as it stands (network byte order), the port in host order.
inline sockaddr_in SocketAddress(const NetAddr& addr, u_short port) {
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_port = htons(port);
  std::memcpy(&sa.sin_addr, addr.octets, sizeof addr.octets);
  return sa;
}

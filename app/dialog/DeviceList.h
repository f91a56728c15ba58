// Helpers of the dialog's protocol handlers for the device list (1004) and socket addresses.
// Included only by the dialog's transport and discovery files.
#pragma once

#include <cstring>
#include <string>

#include "platform/afxwin.h"
#include "platform/winsock2.h"
#include "protocol/DiscoverDev.h"

// The text of the list's selected line, at most 15 bytes (the size of devLabel less its NUL);
// empty when no line is selected.
inline std::string SelectedDeviceLabel(const CListBox& list) {
  const int sel = list.GetCurSel();
  if (sel < 0) return {};
  const int len = list.GetTextLen(sel);
  if (len <= 0) return {};
  std::string text(static_cast<std::size_t>(len) + 1, '\0');
  if (list.GetText(sel, text.data()) < 0) return {};
  text.resize(std::strlen(text.c_str()));
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

// Sending and receiving one datagram of text through a backend socket, for the tests of the
// backends.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/net/Backend.h"

namespace socket_calls {

using platform::net::Endpoint;
using platform::net::Error;
using platform::net::Socket;

inline Error Send(Socket& s, const std::string& text, Endpoint to) {
  return s.SendTo(text.data(), text.size(), to);
}

struct Received {
  long n = -1;
  Error error = Error::Other;
  Endpoint from;
  std::string text;
};

// One RecvFrom into a buffer of `len` bytes (none at all for 0).
inline Received Receive(Socket& s, std::size_t len = 2048) {
  Received r;
  std::vector<char> buffer(len + 1);
  r.n = s.RecvFrom(len ? buffer.data() : nullptr, len, &r.from, &r.error);
  if (r.n >= 0) r.text.assign(buffer.data(), static_cast<std::size_t>(r.n));
  return r;
}

}  // namespace socket_calls

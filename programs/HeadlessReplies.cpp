#include "programs/HeadlessReplies.h"

#include "params/CodePage.h"
#include "platform/Window.h"
#include "programs/JsonLine.h"
#include "protocol/HexDump.h"

namespace headless {

using platform::Window;
using platform::WindowKind;

Json Ok() {
  Json reply;
  reply["ok"] = true;
  return reply;
}

std::string Done() {
  return programs::JsonLine(Ok());
}

std::string Fail(const std::string& error) {
  Json reply;
  reply["ok"] = false;
  reply["error"] = error;
  return programs::JsonLine(reply);
}

std::string Hex(const std::string& bytes) {
  return LowerHex(bytes.data(), bytes.size());
}

void PutText(Json& reply, const std::string& key, const std::string& cp936) {
  reply[key] = AnsiToUtf8String(cp936);
  reply[key + "_hex"] = Hex(cp936);
}

void PutTexts(Json& reply, const std::string& key, const std::vector<std::string>& texts) {
  Json plain = Json::array();
  Json hex = Json::array();
  for (const std::string& t : texts) {
    plain.push_back(AnsiToUtf8String(t));
    hex.push_back(Hex(t));
  }
  reply[key] = plain;
  reply[key + "_hex"] = hex;
}

void PutControl(Json& reply, Window& w) {
  std::string text = w.Text();
  if (w.Kind() == WindowKind::IpAddress) {
    char buf[32] = {};
    w.Send(WM_GETTEXT, sizeof buf, reinterpret_cast<LPARAM>(buf));
    text = buf;
  }
  reply["id"] = w.Id();
  reply["kind"] = platform::WindowKindName(w.Kind());
  PutText(reply, "text", text);
  if (w.Kind() == WindowKind::ComboBox || w.Kind() == WindowKind::ListBox) {
    PutTexts(reply, "items", w.Items());
    reply["sel"] = w.Selection();
  }
  if (w.Kind() == WindowKind::IpAddress) {
    int filled = 0;
    std::string address;
    for (std::size_t i = 0; i < 4; ++i) {
      const auto& field = w.Ip()[i];
      filled += field.has_value();
      address += (i ? "." : "") + std::to_string(field.value_or(0));
    }
    reply["address"] = address;
    reply["filled"] = filled;
  }
  if (w.Kind() == WindowKind::StatusBar) {
    PutText(reply, "part0", w.PartText(0));
    PutText(reply, "part1", w.PartText(1));
  }
  reply["enabled"] = w.Enabled();
  reply["visible"] = w.ReallyVisible();
}

}  // namespace headless

#include "programs/ProfileControls.h"

#include <algorithm>

#include "params/CodePage.h"
#include "platform/Window.h"
#include "protocol/IpAddress.h"

namespace cli {

namespace {

using platform::Window;

std::string Dotted(const Window::IpFields& fields) {
  std::string out;
  for (std::size_t i = 0; i < fields.size(); ++i)
    out += (i ? "." : "") + std::to_string(fields[i].value_or(0));
  return out;
}

}  // namespace

GroupValues ReadControls(const Window& dialog, const GroupSpec& group,
                         const TextResolver& english) {
  GroupValues values;
  for (const FieldSpec& f : group.fields) {
    const Window* w = dialog.Child(f.control);
    Value v;
    if (!w) {
      v.null = true;
    } else if (f.kind == FieldKind::List) {
      const auto items = ItemTexts(f, english);
      const int sel = w->Selection();
      v.null = sel < 0 || sel >= static_cast<int>(items.size());
      if (!v.null) v.text = items[static_cast<std::size_t>(sel)];
    } else if (f.kind == FieldKind::Address) {
      v.text = Dotted(w->Ip());
    } else {
      v.text = AnsiToUtf8String(w->Text());
    }
    values[f.name] = v;
  }
  return values;
}

std::vector<std::string> FillControls(Window& dialog, const GroupSpec& group,
                                      const GroupValues& values, const TextResolver& english) {
  std::vector<std::string> skipped;
  for (const FieldSpec& f : group.fields) {
    const auto it = values.find(f.name);
    Window* w = dialog.Child(f.control);
    if (it == values.end() || !w) continue;
    if (!w->Enabled()) {
      skipped.push_back(std::string(group.name) + "." + f.name);
      continue;
    }
    const Value& v = it->second;
    if (f.kind == FieldKind::List) {
      const auto items = ItemTexts(f, english);
      const auto at = std::find(items.begin(), items.end(), v.text);
      const int pos = v.null || at == items.end() ? -1 : static_cast<int>(at - items.begin());
      w->Send(CB_SETCURSEL, static_cast<WPARAM>(pos), 0);
    } else if (f.kind == FieldKind::Address) {
      if (const auto address = ParseDotted(v.text))
        w->Send(IPM_SETADDRESS, 0, static_cast<LPARAM>(address->value));
    } else {
      const std::string text = Utf8ToAnsiString(v.text);
      w->Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
  }
  return skipped;
}

}  // namespace cli

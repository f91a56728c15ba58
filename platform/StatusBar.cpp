#include "platform/StatusBar.h"

#include "platform/MessageParams.h"
#include "platform/Window.h"

namespace platform {
namespace {

constexpr int kMaxParts = 256;
constexpr int kSimpleId = 255;  // SB_SIMPLEID: the simple part, kept as part 0 here

// Parts keep their texts.
LRESULT SetParts(Window& window, StatusBarState& bar, int n, const int* edges) {
  if (n <= 0 || n > kMaxParts) return FALSE;
  bar.edges.assign(edges, edges + n);
  bar.texts.resize(static_cast<std::size_t>(n));
  window.Invalidate();
  return TRUE;
}

// Copies at most n edges; returns the number of parts.
LRESULT GetParts(const StatusBarState& bar, int n, int* edges) {
  for (int i = 0; edges && i < n && i < static_cast<int>(bar.edges.size()); ++i)
    edges[i] = bar.edges[static_cast<std::size_t>(i)];
  return static_cast<LRESULT>(bar.edges.size());
}

// The low byte of wParam is the part; the high byte, the drawing type, is not kept.
LRESULT SetText(Window& window, StatusBarState& bar, WPARAM wParam, const char* text) {
  int part = LOBYTE(wParam);
  if (part == kSimpleId) part = 0;
  if (static_cast<std::size_t>(part) >= bar.texts.size())
    bar.texts.resize(static_cast<std::size_t>(part) + 1);
  bar.texts[static_cast<std::size_t>(part)].assign(text);  // keeps its capacity
  window.Invalidate();
  return TRUE;
}

LRESULT GetText(const StatusBarState& bar, WPARAM wParam, char* out) {
  const std::string t = StatusPartText(bar, LOBYTE(wParam));
  if (out) CopyText(t, out, t.size() + 1);
  return static_cast<LRESULT>(t.size());
}

}  // namespace

std::string StatusPartText(const StatusBarState& bar, int part) {
  if (part < 0 || static_cast<std::size_t>(part) >= bar.texts.size()) return {};
  return bar.texts[static_cast<std::size_t>(part)];
}

LRESULT StatusBarProc(Window& window, StatusBarState& bar, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case SB_SETPARTS:
      return SetParts(window, bar, static_cast<int>(wParam), reinterpret_cast<const int*>(lParam));
    case SB_GETPARTS:
      return GetParts(bar, static_cast<int>(wParam), reinterpret_cast<int*>(lParam));
    case SB_SETTEXTA:
      return SetText(window, bar, wParam, TextParam(lParam));
    case SB_GETTEXTA:
      return GetText(bar, wParam, reinterpret_cast<char*>(lParam));
    case SB_GETTEXTLENGTHA:
      return static_cast<LRESULT>(StatusPartText(bar, LOBYTE(wParam)).size());
    default:
      return window.DefWindowProc(msg, wParam, lParam);
  }
}

}  // namespace platform

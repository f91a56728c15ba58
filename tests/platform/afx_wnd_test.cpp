// The window wrappers of the framework: GetDlgItem's wrappers for windows no object is attached
// to live as long as their window, so a later window at the same address never gets the wrapper
// of one that went away.
#include <gtest/gtest.h>

#include <memory>

#include "platform/Window.h"
#include "platform/afxwin.h"

using platform::Window;
using platform::WindowKind;

namespace {

std::unique_ptr<Window> DialogWithTwoControls() {
  auto top = std::make_unique<Window>(WindowKind::Dialog, 0, WS_VISIBLE, RECT{0, 0, 100, 100}, "",
                                      nullptr);
  top->AddChild(WindowKind::Edit, 21, WS_VISIBLE, RECT{}, "");
  top->AddChild(WindowKind::Button, 22, WS_VISIBLE, RECT{}, "");
  return top;
}

TEST(TemporaryWrappers, GoWithTheirWindow) {
  struct Row {
    const char* name;
    void (*end)(std::unique_ptr<Window>& top);
  } rows[] = {
      {"destroyed", [](std::unique_ptr<Window>& top) { top->Destroy(); }},
      {"freed", [](std::unique_ptr<Window>& top) { top.reset(); }},
      {"destroyed, then freed",
       [](std::unique_ptr<Window>& top) {
         top->Destroy();
         top.reset();
       }},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    const std::size_t before = CWnd::TemporaryWrapperCount();
    auto top = DialogWithTwoControls();
    CWnd dialog;
    dialog.Attach(top.get());
    CWnd* edit = dialog.GetDlgItem(21);
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->m_hWnd, top->Child(21));
    EXPECT_EQ(dialog.GetDlgItem(21), edit) << "one wrapper per window";
    ASSERT_NE(dialog.GetDlgItem(22), nullptr);
    EXPECT_EQ(CWnd::TemporaryWrapperCount(), before + 2);
    r.end(top);
    EXPECT_EQ(CWnd::TemporaryWrapperCount(), before);
    dialog.Detach();
  }
}

// A window built in the storage of a freed one is a new window with a wrapper of its own.
TEST(TemporaryWrappers, AWindowAtAFreedWindowsAddressGetsItsOwn) {
  alignas(Window) unsigned char storage[sizeof(Window)];
  auto* first = new (storage) Window(WindowKind::Edit, 21, WS_VISIBLE, RECT{}, "first", nullptr);
  ASSERT_EQ(CWnd::FromHandle(first)->m_hWnd, first);
  const std::size_t held = CWnd::TemporaryWrapperCount();
  first->~Window();
  EXPECT_EQ(CWnd::TemporaryWrapperCount(), held - 1) << "the freed window's wrapper stayed";
  auto* second =
      new (storage) Window(WindowKind::Button, 22, WS_VISIBLE, RECT{}, "second", nullptr);
  CWnd* wrapper = CWnd::FromHandle(second);
  EXPECT_EQ(CWnd::TemporaryWrapperCount(), held);
  CString text;
  wrapper->GetWindowText(text);
  EXPECT_EQ(text, CString("second"));
  second->~Window();
}

}  // namespace

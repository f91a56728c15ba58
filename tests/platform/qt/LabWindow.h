// The desktop window on the POSIX backend, shown on Qt's current platform, with its socket made in
// the tool's namespace of a network lab: what the window's lab tests and its benchmark start.
// The language.csv beside it is the built one; the trace lines are kept in `trace`.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/KestrivalDlg.h"
#include "app/KestrivalResources.h"
#include "platform/MessageLoop.h"
#include "platform/Runtime.h"
#include "platform/net/PosixUdp.h"
#include "platform/qt/QtHost.h"
#include "platform/winsock2.h"
#include "tests/support/DialogHarness.h"
#include "tests/support/NetLab.h"

namespace gui_testing {

struct LabWindow {
  LabWindow(testsupport::NetLab& lab, const testsupport::NetLab::Host& tool,
            platform::net::PosixOptions options)
      : net(std::move(options)) {
    folder.Write("language.csv", testing_support::BuiltLanguageCsv());
    dlg = std::make_unique<CKestrivalDlg>();
    lab.Within(tool, [&] { dlg->Create(IDD_KESTRIVAL_DIALOG); });
    host.Show(*dlg);
  }
  // The dialog leaves its socket open, as the tool does; the sockets layer closes it.
  ~LabWindow() {
    host.Hide();
    dlg.reset();
    WSACleanup();
  }
  LabWindow(const LabWindow&) = delete;
  LabWindow& operator=(const LabWindow&) = delete;

  platform::net::PosixBackend net;
  platform::MessageLoop loop;
  platform::qt::QtHost host{loop};
  testing_support::TempFolder folder;
  std::vector<std::string> trace;
  platform::Runtime runtime = testing_support::ToolRuntime(host, loop, net, folder, &trace);
  platform::ScopedRuntime scoped{runtime};
  std::unique_ptr<CKestrivalDlg> dlg;
};

}  // namespace gui_testing

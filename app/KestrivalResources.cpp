#include "app/KestrivalResources.h"

#include "app/resource.h"

const platform::ResourceModule& KestrivalResources() {
  static const platform::ResourceModule module = [] {
    platform::ResourceModule m;
    m.dialogs[IDD_KESTRIVAL_DIALOG] = &KestrivalDialogTemplate();
    m.icons[IDR_MAINFRAME] = &KestrivalIcon();
    m.strings[IDP_SOCKETS_INIT_FAILED] = "Windows";
    m.fileVersion = "1.0.0.1";
    return m;
  }();
  return module;
}

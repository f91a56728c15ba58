// PLACEHOLDER until the template lands.
#include "app/KestrivalResources.h"
#include "app/resource.h"

const platform::DialogTemplate& KestrivalDialogTemplate() {
  static const platform::DialogTemplate t{"", 0, 0, 466, 378, "MS Shell Dlg", 9, {}};
  return t;
}

const platform::IconImage& KestrivalIcon() {
  static const platform::IconImage icon{IDR_MAINFRAME, {}};
  return icon;
}

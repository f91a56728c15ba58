// The resources of the executable: dialog 102, icon group 128, string 103, the version.
#pragma once

#include "platform/Resources.h"

const platform::ResourceModule& KestrivalResources();
// Dialog template 102.
const platform::DialogTemplate& KestrivalDialogTemplate();
// Icon group 128 (16, 24, 32 and 48 pixels).
const platform::IconImage& KestrivalIcon();

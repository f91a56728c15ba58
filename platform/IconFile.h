// An icon group as a Windows .ico file, for the resource compiler: each picture stored as a
// 32-bit BGRA device-independent bitmap with its AND mask, in the order of the group.
#pragma once

#include <string>

#include "platform/Resources.h"

namespace platform {

std::string EncodeIcoFile(const IconImage& icon);

}  // namespace platform

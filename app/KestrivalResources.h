// The resources of the executable: dialog 102, icon group 128, string 103, the version.
#pragma once

#include <string>

#include "platform/Resources.h"

const platform::ResourceModule& KestrivalResources();
// Dialog template 102.
const platform::DialogTemplate& KestrivalDialogTemplate();
// Icon group 128: four pictures of 16, 24, 32 and 48 pixels, in that order, each a square of
// 32-bit ARGB values (straight, not premultiplied alpha), rows top to bottom. A host that draws
// windows takes the pictures from here as they are (Qt: QImage::Format_ARGB32 over the values).
const platform::IconImage& KestrivalIcon();
// The icon drawn at any size from the same shapes, for the desktop's icon theme.
platform::IconPicture RenderKestrivalIcon(int size);
// The same shapes as a scalable picture (SVG).
std::string KestrivalIconSvg();

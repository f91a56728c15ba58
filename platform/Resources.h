// Resources of an executable as data: dialog templates, icon groups and the string table.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/windef.h"

namespace platform {

enum class WindowKind {
  Dialog,
  Button,
  GroupBox,
  Static,
  Edit,
  ComboBox,
  ListBox,
  IpAddress,
  StatusBar
};

const char* WindowKindName(WindowKind kind);

// One control of a dialog template; the rectangle is in dialog units (x, y, width, height).
struct DialogItemTemplate {
  WindowKind kind;
  int id;  // -1 for a static without identifier (IDC_STATIC)
  DWORD style;
  int x, y, cx, cy;
  const char* caption;  // 8-bit text of the template, code page 936
};

struct DialogTemplate {
  const char* caption;
  DWORD style;
  DWORD exStyle;
  int cx, cy;  // dialog units
  const char* fontFace;
  int pointSize;
  std::vector<DialogItemTemplate> items;  // in template (tab) order
};

// One picture of an icon group, 32-bit ARGB rows top to bottom.
struct IconPicture {
  int size;
  std::vector<std::uint32_t> argb;
};

struct IconImage {
  int id;
  std::vector<IconPicture> pictures;
};

struct ResourceModule {
  std::map<UINT, const DialogTemplate*> dialogs;
  std::map<UINT, const IconImage*> icons;
  std::map<UINT, std::string> strings;
  std::string fileVersion;
};

const DialogTemplate* FindDialogTemplate(UINT id);
HICON LoadIconResource(UINT id);
// Copies string resource `id` into the buffer (at most size - 1 bytes); returns the length copied.
int LoadStringResource(UINT id, char* buffer, int size);

}  // namespace platform

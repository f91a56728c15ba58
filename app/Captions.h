// Which interface text each caption of the dialog shows.
#pragma once

#include <span>

#include "i18n/Text.h"

struct CaptionEntry {
  int controlId;
  Text text;
};

// Buttons, group boxes and labels in the order their captions are set.
std::span<const CaptionEntry> DialogCaptions();

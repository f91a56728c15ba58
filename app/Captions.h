// Which interface text each caption of the dialog shows.
#pragma once

#include <span>

struct CaptionEntry {
  int controlId;
  int textNumber;
};

// Buttons, group boxes and labels in the order their captions are set.
std::span<const CaptionEntry> DialogCaptions();

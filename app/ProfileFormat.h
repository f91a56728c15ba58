// Profiles in the window: the right-button menu's "Save profile..." writes the values the
// controls show to a file, "Load profile..." puts a file's values back into the controls. The
// file is the batch program's profile (kestrival-cli get and apply), which a JSON library reads
// and writes and whose fields are bound to the controls above this floor; the dialog's own logic
// needs only the standard library. So the program that runs the window supplies the format
// through this interface; without one installed the menu holds the two language items alone.
#pragma once

#include <string>
#include <vector>

#include "platform/windef.h"

class ProfileFormat {
 public:
  virtual ~ProfileFormat() = default;

  // The values the dialog's controls show as a profile file's bytes, for the reader `label`
  // (code page 936) that answered from `address` ("a.b.c.d").
  virtual std::string Write(HWND dialog, const std::string& label,
                            const std::string& address) const = 0;

  struct LoadResult {
    std::string refusal;               // one line in UTF-8; empty when the profile is sound
    std::vector<std::string> skipped;  // "group.field" left alone: its control is disabled
  };
  // Checks the whole profile first: one that is not sound changes no control. A sound one fills
  // the controls of every group but the network group (whose address belongs to one reader),
  // except disabled controls. Nothing is sent.
  virtual LoadResult Read(const std::string& bytes, HWND dialog) const = 0;
};

// The format in force; nullptr when none is installed.
const ProfileFormat* InstalledProfileFormat();

// Installs `format` (nullptr: none) for the lifetime of the object, then restores the previous.
class ScopedProfileFormat {
 public:
  explicit ScopedProfileFormat(const ProfileFormat* format);
  ~ScopedProfileFormat();
  ScopedProfileFormat(const ScopedProfileFormat&) = delete;
  ScopedProfileFormat& operator=(const ScopedProfileFormat&) = delete;

 private:
  const ProfileFormat* previous_;
};

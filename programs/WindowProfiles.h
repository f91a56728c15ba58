// The profile format of the window programs: the batch program's profile (Profile.h), written from
// and read into the dialog's controls through the catalogue's groups. A program installs one
// (ScopedProfileFormat) before it runs the dialog.
#pragma once

#include <string>

#include "app/ProfileFormat.h"
#include "i18n/TranslationTable.h"
#include "programs/ProfileCatalogue.h"

namespace programs {

class WindowProfiles final : public ProfileFormat {
 public:
  // List items are named by the English texts of the language.csv beside `modulePath`, as
  // kestrival-cli names them; of the built-in table when that file cannot be read.
  explicit WindowProfiles(const std::string& modulePath);

  std::string Write(HWND dialog, const std::string& label,
                    const std::string& address) const override;
  LoadResult Read(const std::string& bytes, HWND dialog) const override;

 private:
  TranslationTable table_;
  cli::TextResolver english_;
};

}  // namespace programs

#include "programs/WindowProfiles.h"

#include <filesystem>

#include "i18n/BuiltInTable.h"
#include "i18n/InterfaceTexts.h"
#include "params/CodePage.h"
#include "platform/Window.h"
#include "programs/Profile.h"
#include "programs/ProfileControls.h"

namespace programs {

WindowProfiles::WindowProfiles(const std::string& modulePath) {
  const std::filesystem::path csv =
      std::filesystem::path(modulePath).parent_path() / "language.csv";
  if (!table_.Load(csv.string().c_str(), kInterfaceTextCount - 1))
    table_.Parse(BuiltInLanguageTable());
  english_ = cli::EnglishTexts(table_);
}

std::string WindowProfiles::Write(HWND dialog, const std::string& label,
                                  const std::string& address) const {
  cli::Profile profile;
  profile.label = AnsiToUtf8String(label);
  profile.address = address;
  profile.time = cli::ProfileTimeNow();
  for (const cli::GroupSpec& g : cli::Groups())
    profile.groups[g.name] = cli::ReadControls(*dialog, g, english_);
  return cli::ProfileToJson(profile);
}

ProfileFormat::LoadResult WindowProfiles::Read(const std::string& bytes, HWND dialog) const {
  LoadResult result;
  const auto profile = cli::ParseProfile(bytes, english_, &result.refusal);
  if (!profile) return result;
  for (const cli::GroupSpec& g : cli::Groups()) {
    if (g.name == std::string(cli::kNetworkGroup)) continue;
    const auto values = profile->groups.find(g.name);
    if (values == profile->groups.end()) continue;
    const auto skipped = cli::FillControls(*dialog, g, values->second, english_);
    result.skipped.insert(result.skipped.end(), skipped.begin(), skipped.end());
  }
  return result;
}

}  // namespace programs

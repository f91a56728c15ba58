// A profile group's values and the dialog's controls: read as the controls show them, and put
// into them as a program would (ShowParameters' way: no notification, no focus change). The batch
// program reads through here and puts values as a user types them (CliSession.cpp); the window's
// "Load profile..." puts them through here.
#pragma once

#include <string>
#include <vector>

#include "programs/Profile.h"

namespace platform {
class Window;
}

namespace cli {

// The group's values as its controls show them; a field without a control is null.
GroupValues ReadControls(const platform::Window& dialog, const GroupSpec& group,
                         const TextResolver& english);

// The group's values into its controls (only the fields `values` holds). A disabled control is
// left as it is and its "group.field" returned.
std::vector<std::string> FillControls(platform::Window& dialog, const GroupSpec& group,
                                      const GroupValues& values, const TextResolver& english);

}  // namespace cli

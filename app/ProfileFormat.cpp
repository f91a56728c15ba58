#include "app/ProfileFormat.h"

namespace {
const ProfileFormat* installed = nullptr;
}  // namespace

const ProfileFormat* InstalledProfileFormat() {
  return installed;
}

ScopedProfileFormat::ScopedProfileFormat(const ProfileFormat* format) : previous_(installed) {
  installed = format;
}

ScopedProfileFormat::~ScopedProfileFormat() {
  installed = previous_;
}

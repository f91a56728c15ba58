#include "protocol/CommandCatalog.h"

// The pairing rule, checked over the whole table at compile time.
static_assert([] {
  for (const CommandInfo& c : COMMAND_CATALOG) {
    if (c.request % 2 != 0 || c.reply != c.request + 1) return false;
    if (c.pauseMs != 0 && c.pauseMs != 10) return false;
    if (c.dataLen == 0 && c.pauseMs != 0) return false;
  }
  return true;
}());
static_assert(FindCommand(4) == nullptr && FindCommand(26) == nullptr &&
              FindCommand(34) == nullptr && FindCommand(36) == nullptr);

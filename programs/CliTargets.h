// The readers that answered a search: the target a user names resolved to one of them, and the
// table that "kestrival-cli search" prints of them.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "programs/CliOptions.h"
#include "programs/CliSession.h"

namespace cli {

// "192.168.0.101 Gate 1": the address it answered from and its label in UTF-8.
std::string Describe(const FoundReader& reader);

// The reader a target (an address it answered from, or its label in UTF-8) names among the
// answers; nothing with *error set when none does, or when several carry the label.
std::optional<FoundReader> Resolve(const std::string& target, const std::vector<FoundReader>& found,
                                   std::string* error);

// search: one line (or JSON line) per answer on `out`, lines that share a label or an address and
// records that report another address marked; the count on `err`.
int Search(DialogSession& session, const Options& o, std::ostream& out, std::ostream& err);

}  // namespace cli

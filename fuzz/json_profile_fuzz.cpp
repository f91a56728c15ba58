// A JSON profile of any content, read as `kestrival-cli apply` reads it: it is refused with a
// message or read, never anything else; and a profile that is read, written and read again is
// the same profile, its record included.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "i18n/TranslationTable.h"
#include "programs/Profile.h"
#include "tests/support/DialogHarness.h"

namespace {

void Require(bool ok, const std::string& what) {
  if (ok) return;
  std::fprintf(stderr, "json profile fuzz: %s\n", what.c_str());
  std::abort();
}

// The English texts of the built language.csv, which name the list items.
const cli::TextResolver& English() {
  static const TranslationTable table = [] {
    TranslationTable t;
    const std::string csv = testing_support::BuiltLanguageCsv();
    Require(!csv.empty(), "no language.csv beside the program");
    t.Parse(csv);
    return t;
  }();
  static const cli::TextResolver english = cli::EnglishTexts(table);
  return english;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::string error;
  const auto profile = cli::ParseProfile(text, English(), &error);
  if (!profile) {
    Require(!error.empty(), "a refused profile without a message");
    Require(error.find('\n') == std::string::npos, "a message of more than one line: " + error);
    return 0;
  }
  const std::string written = cli::ProfileToJson(*profile);
  std::string again;
  const auto back = cli::ParseProfile(written, English(), &again);
  Require(back.has_value(), "a written profile is refused: " + again + "\n" + written);
  Require(*back == *profile, "a written profile reads back as another\n" + written);
  Require(cli::ProfileToJson(*back) == written, "a profile is written in two ways");
  return 0;
}

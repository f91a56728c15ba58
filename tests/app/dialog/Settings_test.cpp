// What the dialog does with broken files beside the executable: it starts, shows what the rules
// give, and never crashes or loses the settings file.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/DialogHarness.h"
#include "tests/support/SpecialFiles.h"

using testing_support::DialogHarness;

namespace {

constexpr POINT kDialogSurface{2, 2};  // left of the Search button, above the device list

DialogHarness::Options WithoutLanguageCsv() {
  DialogHarness::Options o;
  o.installLanguageCsv = false;
  o.createDialog = false;
  return o;
}

// A language.csv whose line N holds "zhN,enN" for N in [first, last].
std::string NumberedCsv(int first, int last) {
  std::string s;
  for (int n = 1; n <= last; ++n) {
    if (n >= first) s += "zh" + std::to_string(n) + ",en" + std::to_string(n);
    s += "\n";
  }
  return s;
}

}  // namespace

struct LanguageFileCase {
  const char* name;
  std::string contents;  // empty name of file: no file at all
  bool present;
  std::string expectedTitle;   // Text::WindowTitle
  std::string expectedSearch;  // Text::SearchDevices
};

class LanguageFileDlg : public ::testing::TestWithParam<LanguageFileCase> {};

TEST_P(LanguageFileDlg, StartsAndShowsWhatTheFileProvides) {
  const LanguageFileCase& c = GetParam();
  DialogHarness h(WithoutLanguageCsv());
  if (c.present) h.Folder().Write("language.csv", c.contents);
  h.Start();
  ASSERT_NE(h.Window(), nullptr);
  EXPECT_EQ(h.Title(), c.expectedTitle);
  EXPECT_EQ(h.Text(IDC_BTN_SEARCH), c.expectedSearch);
  // The fixed items are there whatever the file holds.
  EXPECT_EQ(h.SelectedText(IDC_COMBO_BAUD_RATE), "9600");
  EXPECT_EQ(h.Items(IDC_COMBO_QR_START_DIGIT).size(), 51u);
  EXPECT_FALSE(h.Folder().Exists("config.ini"));
}

INSTANTIATE_TEST_SUITE_P(
    Files, LanguageFileDlg,
    ::testing::Values(
        LanguageFileCase{"empty", "", true, "", ""},
        LanguageFileCase{"only_commas", std::string(200, '\n') + ",,,,\n", true, "", ""},
        LanguageFileCase{"numbered", NumberedCsv(1, 100), true, "zh93", "zh2"},
        // A NUL in line 50 ends the data: line 2 is read, line 93 is not.
        LanguageFileCase{"nul", NumberedCsv(1, 49) + "zh50\0,x\n" + NumberedCsv(51, 100), true, "",
                         "zh2"},
        // No line feed after the last line: that line is not read.
        LanguageFileCase{"no_final_lf", NumberedCsv(1, 92) + "zh93,en93", true, "", "zh2"},
        LanguageFileCase{"crlf", "\r\nzh2,en2\r\n", true, "", "zh2"},
        LanguageFileCase{"eof_byte", "\nzh2,en2\n\x1a" + NumberedCsv(3, 100), true, "", "zh2"}),
    [](const auto& info) { return std::string(info.param.name); });

// Without a readable language.csv the window shows the table built into the program: every text
// the delivered file gives, in both languages, and a trace line names the file that failed.
TEST(BadFilesDlg, MissingFileGivesTheBuiltInTexts) {
  struct Seen {
    std::vector<std::string> texts;
    std::string title, search;
    bool traced = false;
  };
  // One dialog at a time: each harness installs the runtime of its own folder.
  auto start = [](bool withFile, const char* language) {
    DialogHarness::Options o;
    o.createDialog = false;
    o.installLanguageCsv = withFile;
    DialogHarness h(o);
    h.Folder().Write("config.ini", std::string("[themes]\r\nlanguage=") + language + "\r\n");
    h.Start();
    Seen seen;
    for (int slot = 0; slot < INTERFACE_TEXT_COUNT; ++slot)
      seen.texts.push_back(h.InterfaceText(static_cast<Text>(slot)));
    seen.title = h.Title();
    seen.search = h.Text(IDC_BTN_SEARCH);
    for (const std::string& line : h.Trace()) {
      seen.traced |= line.find("language.csv") != std::string::npos &&
                     line.find("cannot be read") != std::string::npos;
    }
    return seen;
  };
  for (const char* language : {"1", "2"}) {
    Seen delivered = start(true, language);
    Seen missing = start(false, language);
    EXPECT_EQ(missing.texts, delivered.texts) << "language " << language;
    EXPECT_EQ(missing.title, delivered.title);
    EXPECT_EQ(missing.search, delivered.search);
    EXPECT_NE(missing.search, "");
    EXPECT_TRUE(missing.traced);
    EXPECT_FALSE(delivered.traced);
  }
}

TEST(BadFilesDlg, LongFieldsAreCutToTheirSlot) {
  DialogHarness h(WithoutLanguageCsv());
  std::string csv = "\n" + std::string(300, 'A') + ",B\n";
  h.Folder().Write("language.csv", csv);
  h.Start();
  EXPECT_EQ(h.Text(IDC_BTN_SEARCH), std::string(255, 'A'));
}

TEST(BadFilesDlg, TenMegabyteFileLoadsItsFirstLines) {
  DialogHarness h(WithoutLanguageCsv());
  std::string csv = NumberedCsv(1, 100);
  std::string filler(200, 'x');
  while (csv.size() < 10u * 1024u * 1024u) csv += filler + "," + filler + "\n";
  h.Folder().Write("language.csv", csv);
  auto start = std::chrono::steady_clock::now();
  h.Start();
  auto took = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(h.Title(), "zh93");
  // Loaded twice at start-up; generous bound, only to catch a quadratic parse.
  EXPECT_LT(std::chrono::duration_cast<std::chrono::seconds>(took).count(), 60);
}

TEST(BadFilesDlg, HostileFormatTextsAreShownLiterally) {
  DialogHarness h(WithoutLanguageCsv());
  std::string csv;
  for (int n = 1; n <= 100; ++n) {
    if (n == 92)
      csv += "%s%s%s%n%999999999d,x";
    else if (n == 85)
      csv += "ready,ready";
    else
      csv += "t" + std::to_string(n) + ",e" + std::to_string(n);
    csv += "\n";
  }
  h.Folder().Write("language.csv", csv);
  h.Start();
  // The port line never reads arguments that were not passed, nor writes through %n: the string
  // conversions and %n stay as text, the width is clamped, the first port fills the %d.
  EXPECT_EQ(h.Status(1), "%s%s%s%n" + std::string(64 - 5, ' ') + "24680");
}

TEST(BadFilesDlg, ConfigThatIsAFolderKeepsChinese) {
  DialogHarness h(WithoutLanguageCsv());
  h.Folder().Write("language.csv", NumberedCsv(1, 100));
  std::filesystem::create_directory(h.Folder().Path() / "config.ini");
  h.Start();
  EXPECT_EQ(h.Title(), "zh93");
  h.RightClick(kDialogSurface, ID_LANGUAGE_ENGLISH);
  // The write failed: the language read back is still 1.
  EXPECT_EQ(h.Title(), "zh93");
  EXPECT_TRUE(std::filesystem::is_directory(h.Folder().Path() / "config.ini"));
}

// A folder or a named pipe where language.csv or config.ini belongs is a file that cannot be
// opened: the dialog starts at once and shows what it shows for a missing file (for language.csv,
// the table built into the program). (A folder named language.csv aborted the start-up; a pipe
// made it wait for ever.)
const char kBuiltInTitle[] = "\xB2\xCE\xCA\xFD\xC9\xE8\xD6\xC3";  // 参数设置 in code page 936

struct SpecialFileCase {
  const char* file;
  testing_support::SpecialFile kind;
  std::string expectedTitle;  // Text::WindowTitle of NumberedCsv, or of the built-in table
};

class SpecialFileDlg : public ::testing::TestWithParam<SpecialFileCase> {};

TEST_P(SpecialFileDlg, StartsAsWithAMissingFile) {
  const SpecialFileCase& c = GetParam();
  DialogHarness h(WithoutLanguageCsv());
  if (std::string(c.file) != "language.csv") h.Folder().Write("language.csv", NumberedCsv(1, 100));
  const std::filesystem::path path = h.Folder().Path() / c.file;
  KESTRIVAL_MAKE_SPECIAL_FILE(path, c.kind);
  EXPECT_TRUE(testing_support::WithoutWriter(path, [&] { h.Start(); }));
  ASSERT_NE(h.Window(), nullptr);
  EXPECT_EQ(h.Title(), c.expectedTitle);
  EXPECT_EQ(h.Dlg().TextLanguage(), 1u);
  EXPECT_EQ(h.SelectedText(IDC_COMBO_BAUD_RATE), "9600");
  EXPECT_TRUE(testing_support::WithoutWriter(
      path, [&] { h.RightClick(kDialogSurface, ID_LANGUAGE_ENGLISH); }));
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, SpecialFileDlg,
    ::testing::Values(
        SpecialFileCase{"language.csv", testing_support::SpecialFile::kFolder, kBuiltInTitle},
        SpecialFileCase{"language.csv", testing_support::SpecialFile::kNamedPipe, kBuiltInTitle},
        SpecialFileCase{"config.ini", testing_support::SpecialFile::kFolder, "zh93"},
        SpecialFileCase{"config.ini", testing_support::SpecialFile::kNamedPipe, "zh93"}),
    [](const auto& info) {
      return std::string(info.param.file[0] == 'l' ? "LanguageCsv" : "ConfigIni") +
             SpecialFileName(info.param.kind);
    });

struct ConfigCase {
  const char* name;
  std::string contents;
  std::string expectedTitle;
};

class ConfigFileDlg : public ::testing::TestWithParam<ConfigCase> {};

TEST_P(ConfigFileDlg, LanguageComesFromWhatTheProfileReads) {
  const ConfigCase& c = GetParam();
  DialogHarness h(WithoutLanguageCsv());
  h.Folder().Write("language.csv", NumberedCsv(1, 100));
  h.Folder().Write("config.ini", c.contents);
  h.Start();
  EXPECT_EQ(h.Title(), c.expectedTitle);
  // The start-up never rewrites the file.
  EXPECT_EQ(h.Folder().Read("config.ini"), c.contents);
}

INSTANTIATE_TEST_SUITE_P(
    Files, ConfigFileDlg,
    ::testing::Values(ConfigCase{"english", "[themes]\r\nlanguage=2\r\n", "en93"},
                      ConfigCase{"lf_and_case", "[THEMES]\nLanguage = 2\n", "en93"},
                      ConfigCase{"garbage", "\x01\x02[[[]]]=\xff\xfe\n\0\0\n", "zh93"},
                      // A language without a column leaves the texts as they were: empty.
                      ConfigCase{"huge", "[themes]\nlanguage=99999999999999999999\n", ""},
                      ConfigCase{"negative", "[themes]\nlanguage=-1\n", ""},
                      ConfigCase{"zero", "[themes]\nlanguage=0\n", ""},
                      ConfigCase{"no_key", "[themes]\nother=2\n", "zh93"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(BadFilesDlg, LanguageSwitchKeepsTheRestOfConfig) {
  DialogHarness h(WithoutLanguageCsv());
  h.Folder().Write("language.csv", NumberedCsv(1, 100));
  h.Folder().Write("config.ini", "; kept\r\n[other]\r\nx=1\r\n\r\n[themes]\r\nlanguage=1\r\n");
  h.Start();
  h.RightClick(kDialogSurface, ID_LANGUAGE_ENGLISH);
  EXPECT_EQ(h.Title(), "en93");
  EXPECT_EQ(h.Folder().Read("config.ini"),
            "; kept\r\n[other]\r\nx=1\r\n\r\n[themes]\r\nlanguage=2\r\n"
            "[Version_Info]\r\nVersion=20171001\r\n");
}

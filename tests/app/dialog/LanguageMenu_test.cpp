// The language menu of a right-button press on the dialog's surface, and what a choice does: the
// settings file, every caption and list item in the new language, values back at their defaults,
// and what stays as it was.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "app/Captions.h"
#include "i18n/TranslationTable.h"
#include "tests/app/CaptionTable.h"
#include "tests/app/dialog/ParamReader.h"
#include "tests/params/ParamRecords.h"
#include "tests/support/DialogHarness.h"

using testing_support::DialogHarness;

namespace {

// A client point on the dialog itself: left of Search devices, above the device list.
constexpr POINT kSurface{3, 4};
const std::string kChinese = "\xD6\xD0\xCE\xC4";  // 中文
const std::string kEnglish = "\xD3\xA2\xCE\xC4";  // 英文
const std::string kEnglishSettings =
    "[Version_Info]\r\nVersion=20171001\r\n[themes]\r\nlanguage=2\r\n";
const std::string kChineseSettings =
    "[Version_Info]\r\nVersion=20171001\r\n[themes]\r\nlanguage=1\r\n";

// Lines of the built language.csv that keep only their Chinese field in the harness's copy: the
// caption of Output format and the first item of Network mode.
constexpr int kChineseOnlyCaption = TextSlot(Text::OutputFormat);
constexpr int kChineseOnlyItem = TextSlot(Text::StaticIp);

std::string WithoutSecondField(const std::string& csv, std::initializer_list<int> lines) {
  std::string out;
  std::istringstream in(csv);
  std::string line;
  for (int n = 1; std::getline(in, line); ++n) {
    for (int cut : lines) {
      if (n == cut) line = line.substr(0, line.find(','));
    }
    out += line + "\n";
  }
  return out;
}

DialogHarness::Options Deferred() {
  DialogHarness::Options o;
  o.createDialog = false;
  o.installLanguageCsv = false;
  return o;
}

class LanguageSwitchDlg : public ::testing::Test {
 protected:
  void SetUp() override {
    h_.Folder().Write("language.csv", WithoutSecondField(testing_support::BuiltLanguageCsv(),
                                                         {kChineseOnlyCaption, kChineseOnlyItem}));
    ASSERT_TRUE(csv_.Load((h_.Folder().Path() / "language.csv").string().c_str()));
    ASSERT_EQ(csv_.Field(kChineseOnlyCaption, 2), nullptr);
    ASSERT_NE(csv_.Field(kChineseOnlyCaption + 1, 2), nullptr);
    h_.Start();
    ASSERT_EQ(platform::ControlAt(h_.Window(), kSurface, h_.Host().DialogBaseUnits()), nullptr);
  }
  // Field 2 where the line has one, else field 1.
  std::string English(Text text) const { return English(TextSlot(text)); }
  std::string Chinese(Text text) const { return Chinese(TextSlot(text)); }
  std::string English(int line) const {
    const std::string* text = csv_.Field(static_cast<std::uint32_t>(line), 2);
    if (!text) text = csv_.Field(static_cast<std::uint32_t>(line), 1);
    return text ? *text : std::string();
  }
  std::string Chinese(int line) const { return *csv_.Field(static_cast<std::uint32_t>(line), 1); }
  std::map<int, bool> EnabledStates() const {
    std::map<int, bool> states;
    for (const auto& child : h_.Window()->Children()) states[child->Id()] = child->Enabled();
    return states;
  }

  DialogHarness h_{Deferred()};
  TranslationTable csv_;
};

TEST_F(LanguageSwitchDlg, EnglishWritesTheSettingsAndShowsEveryEnglishText) {
  ASSERT_EQ(h_.RightClick(kSurface, ID_LANGUAGE_ENGLISH), platform::InputResult::Ok);

  EXPECT_EQ(h_.Folder().Read("config.ini"), kEnglishSettings);
  EXPECT_EQ(h_.Dlg().TextLanguage(), 2u);
  EXPECT_EQ(h_.Dlg().MenuLanguage(), 2u);
  EXPECT_EQ(h_.Title(), English(Text::WindowTitle));
  for (const auto& [id, text] : testing_support::kCaptionTable) {
    EXPECT_EQ(h_.Text(id), English(text)) << id;
  }
  EXPECT_EQ(h_.Text(1083), Chinese(kChineseOnlyCaption)) << "a line without a second field";
  EXPECT_NE(h_.Text(1084), Chinese(kChineseOnlyCaption + 1));

  // Translated items in English, the fixed ones unchanged.
  EXPECT_EQ(h_.Items(1012),
            (std::vector<std::string>{Chinese(kChineseOnlyItem), English(Text::Dhcp)}));
  EXPECT_EQ(h_.Items(1020), (std::vector<std::string>{English(Text::NoCarriageReturn),
                                                      English(Text::WithCarriageReturn)}));
  EXPECT_EQ(h_.Items(1026),
            (std::vector<std::string>{English(Text::Auto), English(Text::AlwaysOn)}));
  EXPECT_EQ(h_.Items(1067),
            (std::vector<std::string>{English(Text::Hexadecimal), English(Text::Decimal),
                                      English(Text::Bcd), English(Text::RawData), "ASCII"}));
  EXPECT_EQ(h_.Items(1055),
            (std::vector<std::string>{"8H10D", English(Text::Decimal), "2H3D+4H5D"}));
  EXPECT_EQ(h_.Items(1025), (std::vector<std::string>{"0", English(Text::RestartDaily),
                                                      English(Text::RestartWeekly)}));
  EXPECT_EQ(h_.Items(1031), (std::vector<std::string>{English(Text::On), English(Text::Off)}));
  EXPECT_EQ(h_.Items(1062).front(), "0");
  EXPECT_EQ(h_.Items(1062).size(), 51u);
  EXPECT_EQ(h_.Items(1037), (std::vector<std::string>{"\xB0\xA2\xC0\xEF", "\xB0\xD9\xB6\xC8"}));

  const std::string path = (h_.Folder().Path() / "config.ini").string();
  std::vector<std::string> pathLines;
  for (const std::string& line : h_.Trace()) {
    if (line.rfind("path:", 0) == 0) pathLines.push_back(line);
  }
  ASSERT_EQ(pathLines.size(), 3u) << "twice at start-up, once for the switch";
  EXPECT_EQ(pathLines.back(), "path:" + path + " language:2\n");
}

TEST_F(LanguageSwitchDlg, ValuesReturnToTheirDefaultsButTheUntouchedOnesStay) {
  const std::string serverHost = h_.Text(1013);
  h_.Control(1004)->Send(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("Reader A"));
  h_.Control(1004)->Send(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("Reader B"));
  ASSERT_EQ(h_.Select(1004, 1), platform::InputResult::Ok);
  struct Choice {
    int id, chosen, defaultPos;
  };
  const Choice choices[] = {{1012, 1, 0}, {1016, 3, 0},  {1020, 0, 1}, {1036, 0, 10},
                            {1068, 4, 2}, {1062, 17, 0}, {1025, 2, 1}, {1063, 0, 1},
                            {1073, 0, 1}, {1072, 0, 1},  {1057, 1, 0}, {1055, 2, 0}};
  for (const Choice& c : choices) {
    ASSERT_EQ(h_.Select(c.id, c.chosen), platform::InputResult::Ok) << c.id;
  }
  const std::pair<int, const char*> typed[] = {{1013, "reader-host"}, {1039, "1234"},
                                               {1044, "111"},         {1048, "222"},
                                               {1049, "AB"},          {1050, "CD"},
                                               {1070, "CP"},          {1071, "CS"},
                                               {1056, "ntp.example"}, {1059, "backup.example"}};
  for (auto [id, text] : typed) ASSERT_EQ(h_.Type(id, text), platform::InputResult::Ok) << id;
  ASSERT_EQ(h_.SetIp(1007, 10, 0, 0, 5), platform::InputResult::Ok);
  ASSERT_EQ(h_.SetIp(1011, 1, 1, 1, 1), platform::InputResult::Ok);
  const auto enabled = EnabledStates();

  ASSERT_EQ(h_.RightClick(kSurface, ID_LANGUAGE_ENGLISH), platform::InputResult::Ok);

  for (const Choice& c : choices) EXPECT_EQ(h_.Selection(c.id), c.defaultPos) << c.id;
  EXPECT_EQ(h_.Text(1013), serverHost);
  EXPECT_EQ(h_.Text(1039), "80");
  EXPECT_EQ(h_.Text(1044), "400");
  EXPECT_EQ(h_.Text(1048), "2000");
  EXPECT_EQ(h_.Text(1049), "");
  EXPECT_EQ(h_.Text(1050), "");
  EXPECT_EQ(h_.IpText(1007), "192.168.0.1");
  EXPECT_EQ(h_.IpText(1011), "8.8.8.8");
  // Not touched by the switch.
  EXPECT_EQ(h_.Text(1070), "CP");
  EXPECT_EQ(h_.Text(1071), "CS");
  EXPECT_EQ(h_.Text(1056), "ntp.example");
  EXPECT_EQ(h_.Text(1059), "backup.example");
  EXPECT_EQ(h_.Items(1004), (std::vector<std::string>{"Reader A", "Reader B"}));
  EXPECT_EQ(h_.Selection(1004), 1);
  EXPECT_EQ(EnabledStates(), enabled);
}

TEST_F(LanguageSwitchDlg, ChineseAgainAfterEnglish) {
  ASSERT_EQ(h_.RightClick(kSurface, ID_LANGUAGE_ENGLISH), platform::InputResult::Ok);
  ASSERT_EQ(h_.RightClick(kSurface, ID_LANGUAGE_CHINESE), platform::InputResult::Ok);
  EXPECT_EQ(h_.Folder().Read("config.ini"), kChineseSettings);
  EXPECT_EQ(h_.Title(), Chinese(Text::WindowTitle));
  for (const auto& [id, text] : testing_support::kCaptionTable) {
    EXPECT_EQ(h_.Text(id), Chinese(text)) << id;
  }
  EXPECT_EQ(h_.Items(1012),
            (std::vector<std::string>{Chinese(Text::StaticIp), Chinese(Text::Dhcp)}));
}

TEST_F(LanguageSwitchDlg, TheLanguageInForceStillRewritesAndReapplies) {
  ASSERT_EQ(h_.Type(1039, "1234"), platform::InputResult::Ok);
  ASSERT_EQ(h_.RightClick(kSurface, ID_LANGUAGE_CHINESE), platform::InputResult::Ok);
  EXPECT_EQ(h_.Folder().Read("config.ini"), kChineseSettings);
  EXPECT_EQ(h_.Text(1039), "80");
  EXPECT_EQ(h_.Title(), Chinese(Text::WindowTitle));
}

TEST_F(LanguageSwitchDlg, ClosingTheMenuWithoutAChoiceChangesNothing) {
  ASSERT_EQ(h_.Type(1039, "1234"), platform::InputResult::Ok);
  ASSERT_EQ(h_.Select(1016, 3), platform::InputResult::Ok);
  h_.TakeTrace();
  ASSERT_EQ(h_.RightClick(kSurface, 0), platform::InputResult::Ok);
  EXPECT_EQ(h_.Host().Menus().size(), 1u);
  EXPECT_FALSE(h_.Folder().Exists("config.ini"));
  EXPECT_EQ(h_.Text(1039), "1234");
  EXPECT_EQ(h_.Selection(1016), 3);
  EXPECT_EQ(h_.Title(), Chinese(Text::WindowTitle));
  EXPECT_TRUE(h_.TakeTrace().empty()) << "no reload";
}

TEST_F(LanguageSwitchDlg, APressOnAControlOpensNoMenu) {
  // The middle of Search devices, in pixels of the headless host (6 x 13 base units).
  const POINT onSearch{(7 + 31) * 6 / 4, (12 + 7) * 13 / 8};
  EXPECT_NE(h_.RightClick(onSearch, ID_LANGUAGE_ENGLISH), platform::InputResult::Ok);
  EXPECT_TRUE(h_.Host().Menus().empty());
  EXPECT_FALSE(h_.Folder().Exists("config.ini"));
}

TEST_F(LanguageSwitchDlg, MenuOpensAtThePressPosition) {
  ASSERT_EQ(h_.RightClick(kSurface, 0), platform::InputResult::Ok);
  ASSERT_EQ(h_.Host().Menus().size(), 1u);
  const auto& shown = h_.Host().Menus().back();
  const POINT origin = h_.Host().ClientOrigin(h_.Window());
  EXPECT_EQ(shown.screen.x, origin.x + kSurface.x);
  EXPECT_EQ(shown.screen.y, origin.y + kSurface.y);
  EXPECT_EQ(shown.flags, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON);
}

// The menu's items and which of them carries the radio mark, by the stored language.
struct MarkRow {
  const char* settings;  // config.ini before start, nullptr: none
  UINT marked;
};

void PrintTo(const MarkRow& row, std::ostream* os) {
  *os << (row.settings ? row.settings : "no config.ini");
}

class LanguageMenuMark : public ::testing::TestWithParam<MarkRow> {};

TEST_P(LanguageMenuMark, RadioMarkFollowsTheMenuLanguage) {
  DialogHarness h(Deferred());
  h.Folder().Write("language.csv", testing_support::BuiltLanguageCsv());
  if (GetParam().settings) h.Folder().Write("config.ini", GetParam().settings);
  h.Start();
  ASSERT_EQ(h.RightClick(kSurface, 0), platform::InputResult::Ok);
  ASSERT_EQ(h.Host().Menus().size(), 1u);
  const auto& items = h.Host().Menus().back().menu.items;
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[0].text, kChinese);
  EXPECT_EQ(items[0].id, static_cast<UINT>(ID_LANGUAGE_CHINESE));
  EXPECT_EQ(items[1].text, kEnglish);
  EXPECT_EQ(items[1].id, static_cast<UINT>(ID_LANGUAGE_ENGLISH));
  for (const auto& item : items) {
    EXPECT_EQ(item.radio, item.id == GetParam().marked) << item.id;
    EXPECT_EQ(item.checked, item.id == GetParam().marked) << item.id;
    EXPECT_TRUE(item.enabled);
  }
  // Closing the menu leaves the file as it was.
  if (GetParam().settings) {
    EXPECT_EQ(h.Folder().Read("config.ini"), GetParam().settings);
  } else {
    EXPECT_FALSE(h.Folder().Exists("config.ini"));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Languages, LanguageMenuMark,
    ::testing::Values(MarkRow{nullptr, ID_LANGUAGE_CHINESE},
                      MarkRow{"[themes]\r\nlanguage=0\r\n", ID_LANGUAGE_ENGLISH},
                      MarkRow{"[themes]\r\nlanguage=1\r\n", ID_LANGUAGE_CHINESE},
                      MarkRow{"[themes]\r\nlanguage=2\r\n", ID_LANGUAGE_ENGLISH},
                      MarkRow{"[themes]\r\nlanguage=3\r\n", ID_LANGUAGE_ENGLISH}));

// A settings file that cannot be written (here a folder stands in its place): the choice is lost,
// the read-back gives Chinese again, and the texts stay as they were.
TEST(LanguageSwitchUnwritable, TextsStayAtTheStoredLanguage) {
  DialogHarness h(Deferred());
  h.Folder().Write("language.csv", testing_support::BuiltLanguageCsv());
  std::filesystem::create_directory(h.Folder().Path() / "config.ini");
  h.Start();
  const std::string title = h.Title();
  const std::string search = h.Text(IDC_BTN_SEARCH);
  const auto items = h.Items(1012);

  ASSERT_EQ(h.RightClick(kSurface, ID_LANGUAGE_ENGLISH), platform::InputResult::Ok);
  EXPECT_TRUE(std::filesystem::is_directory(h.Folder().Path() / "config.ini"));
  EXPECT_EQ(h.Title(), title);
  EXPECT_EQ(h.Text(IDC_BTN_SEARCH), search);
  EXPECT_EQ(h.Items(1012), items);
  EXPECT_EQ(h.Dlg().TextLanguage(), 1u);

  h.Host().ClearRecords();
  ASSERT_EQ(h.RightClick(kSurface, 0), platform::InputResult::Ok);
  ASSERT_EQ(h.Host().Menus().size(), 1u);
  EXPECT_TRUE(h.Host().Menus().back().menu.items[0].radio) << "the mark stays on Chinese";
}

// Without a language.csv the switch still changes the texts: the built-in table has both columns.
TEST(LanguageSwitchUnreadable, BuiltInTableSwitchesToo) {
  DialogHarness h(Deferred());
  h.Start();
  const std::string chinese = h.Text(IDC_BTN_SEARCH);
  ASSERT_EQ(h.RightClick(kSurface, ID_LANGUAGE_ENGLISH), platform::InputResult::Ok);
  EXPECT_EQ(h.Folder().Read("config.ini"), kEnglishSettings);
  EXPECT_NE(chinese, "");
  EXPECT_EQ(h.Text(IDC_BTN_SEARCH), "Search devices");
  EXPECT_EQ(h.Items(1016)[2], "HTTP");
}

// A switch while a reader's parameters are shown puts every value back at its default; the Set
// buttons go back to their start-up state, so no click can write those defaults to the reader.
// Reading the reader again arms them again.
class LanguageSwitchWithRecord : public ::testing::TestWithParam<UINT> {};

TEST_P(LanguageSwitchWithRecord, SetButtonsAreDisabledUntilTheNextRecord) {
  constexpr int kSetButtons[] = {IDC_BTN_SET_NETWORK,
                                 IDC_BTN_SET_CLOUD,
                                 IDC_BTN_SET_OUTPUT_FORMAT,
                                 IDC_BTN_SET_HID,
                                 IDC_BTN_SET_CARD_INPUT_FORMAT,
                                 IDC_BTN_SET_BAR_PREFIX,
                                 IDC_BTN_SET_BAR_SUFFIX,
                                 IDC_BTN_SET_LIGHT,
                                 IDC_BTN_SET_WORK_MODE,
                                 IDC_BTN_SET_HIDDEN_CHOICE,
                                 IDC_BTN_SET_SPEAKER,
                                 IDC_BTN_SET_WIEGAND,
                                 IDC_BTN_SET_SERIAL,
                                 IDC_BTN_SET_RESTART,
                                 IDC_BTN_SET_QR,
                                 IDC_BTN_SET_CARD_FIX};
  DialogHarness h;
  params_test::ParamReader reader(h.Segment(), params_test::RecordA());
  params_test::SelectReader(h);
  ASSERT_EQ(h.Click(IDC_BTN_GET_PARAMS), platform::InputResult::Ok);
  h.Pump(5);
  ASSERT_EQ(h.Status(0), h.InterfaceText(Text::ParametersRead));
  for (int id : kSetButtons) ASSERT_TRUE(h.Enabled(id)) << id;
  const DEV_PARAM_T before = reader.state;

  ASSERT_EQ(h.RightClick(kSurface, GetParam()), platform::InputResult::Ok);
  for (int id : kSetButtons) EXPECT_FALSE(h.Enabled(id)) << id;
  EXPECT_TRUE(h.Enabled(IDC_BTN_GET_PARAMS));
  EXPECT_TRUE(h.Enabled(IDC_BTN_SEARCH));

  reader.Clear();
  EXPECT_EQ(h.Click(IDC_BTN_SET_NETWORK), platform::InputResult::Disabled);
  h.Pump(5);
  EXPECT_EQ(reader.DatagramCount(), 0u);
  EXPECT_EQ(EncodeDevParam(reader.state), EncodeDevParam(before));

  ASSERT_EQ(h.Click(IDC_BTN_GET_PARAMS), platform::InputResult::Ok);
  h.Pump(5);
  for (int id : kSetButtons) EXPECT_TRUE(h.Enabled(id)) << id;
  EXPECT_EQ(h.IpText(IDC_IP_ADDRESS), FormatDotted(params_test::RecordA().ipAddr));
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, LanguageSwitchWithRecord,
                         ::testing::Values(ID_LANGUAGE_ENGLISH, ID_LANGUAGE_CHINESE));

}  // namespace

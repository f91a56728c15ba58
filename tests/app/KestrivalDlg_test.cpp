// Start-up of the real dialog in an empty folder holding only the built language.csv: captions,
// option lists, defaults, fonts, enabled states, the status bar and the trace.
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/Captions.h"
#include "app/KestrivalResources.h"
#include "i18n/TranslationTable.h"
#include "tests/app/CaptionTable.h"
#include "tests/support/DialogHarness.h"

using testing_support::DialogHarness;

namespace {

const int kSetButtons[] = {1006, 1018, 1019, 1021, 1024, 1027, 1028, 1030,
                           1032, 1035, 1038, 1052, 1053, 1060, 1065, 1066};
const int kBoldControls[] = {1000, 1038, 1014, 1004, 1052, 1053, 1030, 1032, 1028, 1018,
                             1035, 1006, 1027, 1019, 1021, 1024, 1065, 1066, 1060};

// The built language.csv as the loader reads it: the source of the expected wording.
// An item of an option list: an interface text, or a fixed text that no language changes.
struct ListItem {
  ListItem(Text t) : text(t) {}                       // NOLINT(google-explicit-constructor)
  ListItem(const char* f) : fixed(std::string(f)) {}  // NOLINT(google-explicit-constructor)
  ListItem(std::string f) : fixed(std::move(f)) {}    // NOLINT(google-explicit-constructor)
  Text text{};
  std::optional<std::string> fixed;
};

class StartupDlg : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(csv_.Load((h_.Folder().Path() / "language.csv").string().c_str()));
  }
  std::string Csv(Text line, int field = 1) const {
    const std::string* text =
        csv_.Field(static_cast<std::uint32_t>(TextSlot(line)), static_cast<std::uint32_t>(field));
    return text ? *text : std::string();
  }
  // An interface text in the language of the field, or a fixed item (UTF-8 in the test).
  std::vector<std::string> Expand(const std::vector<ListItem>& items, int field = 1) const {
    std::vector<std::string> out;
    for (const ListItem& item : items) {
      out.push_back(item.fixed ? platform::Utf8ToAcp(*item.fixed) : Csv(item.text, field));
    }
    return out;
  }

  DialogHarness h_;
  TranslationTable csv_;
};

TEST_F(StartupDlg, WindowTitleAndEveryCaptionInChinese) {
  EXPECT_EQ(h_.Title(), Csv(Text::WindowTitle));
  EXPECT_EQ(platform::AcpToUtf8(h_.Title()), "参数设置");
  EXPECT_EQ(DialogCaptions().size(), std::size(testing_support::kCaptionTable));
  for (const auto& [id, text] : testing_support::kCaptionTable) {
    EXPECT_EQ(h_.Text(id), Csv(text)) << id;
    EXPECT_FALSE(h_.Text(id).empty()) << id;
  }
  // The unnumbered labels of the hidden row keep their template captions.
  std::vector<std::string> hiddenLabels;
  for (const auto& child : h_.Window()->Children()) {
    if (child->Id() == IDC_STATIC) hiddenLabels.push_back(platform::AcpToUtf8(child->Text()));
  }
  EXPECT_EQ(hiddenLabels, (std::vector<std::string>{"服务商", "服务器地址", "产品名称", "产品密钥",
                                                    "设备名称", "设备密钥", "发布主题", "订阅"}));
}

TEST_F(StartupDlg, SetButtonsDisabledEverythingElseEnabled) {
  std::set<int> set(std::begin(kSetButtons), std::end(kSetButtons));
  for (const auto& child : h_.Window()->Children()) {
    if (child->Id() == IDC_STATUS_BAR) continue;
    EXPECT_EQ(child->Enabled(), set.count(child->Id()) == 0) << child->Id();
  }
  for (int id : kSetButtons) EXPECT_EQ(h_.Text(id), Csv(Text::Set)) << id;
  for (int id : {1000, 1014, 1004}) EXPECT_TRUE(h_.Enabled(id)) << id;
  EXPECT_EQ(h_.Window()->Focus(), h_.Control(IDC_BTN_SEARCH)) << "first tab stop";
}

TEST_F(StartupDlg, BoldFontOnExactlyTheNineteenControls) {
  const std::set<int> bold(std::begin(kBoldControls), std::end(kBoldControls));
  ASSERT_EQ(bold.size(), 19u);
  std::set<int> withFont;
  for (const auto& child : h_.Window()->Children()) {
    if (child->Font() == nullptr) continue;
    withFont.insert(child->Id());
    EXPECT_EQ(child->Font()->face, "Arial") << child->Id();
    EXPECT_EQ(child->Font()->height, 14) << child->Id();
    EXPECT_EQ(child->Font()->width, 0) << child->Id();
    EXPECT_EQ(child->Font()->weight, 700) << child->Id();
    EXPECT_EQ(child->Font()->charset, 0) << child->Id();
    EXPECT_EQ(child->Font()->pitchAndFamily, 0x20) << child->Id();
  }
  EXPECT_EQ(withFont, bold);
  // One font object for all of them.
  EXPECT_EQ(h_.Control(1000)->Font(), h_.Control(1060)->Font());
}

struct ListRow {
  int id;
  std::vector<ListItem> items;
  int defaultPos;
};

std::vector<ListItem> Numbers(int first, int last) {
  std::vector<ListItem> v;
  for (int n = first; n <= last; ++n) v.push_back(std::to_string(n));
  return v;
}

const std::vector<ListRow>& Lists() {
  static const std::vector<ListRow> rows = {
      {1012, {Text::StaticIp, Text::Dhcp}, 0},
      {1015, {"PHP", "JSP", "C#", "ASP", "CGI"}, 0},
      {1016,
       {Text::UsbKeyboard, Text::UsbVirtualSerialPort, "HTTP", "MQTT", "RS232/485", "WG26", "WG34",
        Text::Relay, "TCP", "UDP"},
       0},
      {1017, {"6H", "8H", "8H10D", "6H10D", "2h3D+4h5d"}, 0},
      {1020, {Text::NoCarriageReturn, Text::WithCarriageReturn}, 1},
      {1022, {Text::NoLineFeed, Text::WithLineFeed}, 0},
      {1036,
       {"110", "134", "150", "300", "600", "1200", "1800", "2400", "4800", "7200", "9600", "14400",
        "19200", "38400", "57600", "115200", "128000", "256000"},
       10},
      {1034, {"8", "7", "6", "5"}, 0},
      {1041, {"1", "2"}, 0},
      {1068, {"EVEN", "ODD", "NONE", "SPACE", "MARK"}, 2},
      {1067, {Text::Hexadecimal, Text::Decimal, Text::Bcd, Text::RawData, "ASCII"}, 4},
      {1025, {"0", Text::RestartDaily, Text::RestartWeekly}, 1},
      {1029, {Text::CardOnly, Text::QrCodeOnly, Text::CardAndQrCode}, 0},
      {1033, {Text::On, Text::Off}, 0},
      {1026, {Text::Auto, Text::AlwaysOn}, 0},
      {1063, {"hex", "ASCII"}, 1},
      {1073, {"hex", "ASCII"}, 1},
      {1072, {"hex", "ASCII"}, 1},
      {1055, {"8H10D", Text::Decimal, "2H3D+4H5D"}, 0},
      {1058, {Text::Unlimited, Text::Once}, 0},
      {1054, {Text::NotEncrypted, Text::Encrypted}, 0},
      {1061, {"HTTP", "TCP", "UDP"}, 0},
      {1057, {Text::Offline, Text::Online}, 0},
      {1062, Numbers(0, 50), 0},
      {1031, {Text::On, Text::Off}, 0},
      {1037, {"阿里", "百度"}, 0},
  };
  return rows;
}

TEST_F(StartupDlg, EveryOptionListWithItsItemsInOrderAndItsDefault) {
  int combos = 0;
  for (const auto& child : h_.Window()->Children())
    combos += child->Kind() == platform::WindowKind::ComboBox;
  EXPECT_EQ(static_cast<std::size_t>(combos), Lists().size()) << "every list has a row";
  for (const ListRow& row : Lists()) {
    EXPECT_EQ(h_.Items(row.id), Expand(row.items)) << row.id;
    EXPECT_EQ(h_.Selection(row.id), row.defaultPos) << row.id;
  }
}

// Default selections whose texts are easily confused, as the user sees them.
TEST_F(StartupDlg, DefaultSelectionsAsShown) {
  const std::pair<int, std::string> shown[] = {{1036, "9600"},
                                               {1068, "NONE"},
                                               {1034, "8"},
                                               {1041, "1"},
                                               {1067, "ASCII"},
                                               {1063, "ASCII"},
                                               {1073, "ASCII"},
                                               {1072, "ASCII"},
                                               {1055, "8H10D"},
                                               {1061, "HTTP"},
                                               {1062, "0"},
                                               {1020, Csv(Text::WithCarriageReturn)},
                                               {1025, Csv(Text::RestartDaily)},
                                               {1016, Csv(Text::UsbKeyboard)}};
  for (const auto& [id, text] : shown) EXPECT_EQ(h_.SelectedText(id), text) << id;
  EXPECT_EQ(h_.Items(1062).size(), 51u);
  EXPECT_EQ(h_.Items(1036).size(), 18u);
  EXPECT_EQ(h_.Items(1025)[0], "0");
}

TEST_F(StartupDlg, DefaultValues) {
  const std::pair<int, const char*> ips[] = {{1007, "192.168.0.1"}, {1008, "255.255.255.0"},
                                             {1009, "192.168.0.1"}, {1010, "114.114.114.114"},
                                             {1011, "8.8.8.8"},     {1051, "0.0.0.0"}};
  for (auto [id, text] : ips) EXPECT_EQ(h_.IpText(id), text) << id;
  const std::pair<int, const char*> edits[] = {
      {1039, "80"}, {1044, "400"}, {1048, "2000"}, {1049, ""}, {1050, ""},
      {1070, ""},   {1071, ""},    {1056, ""},     {1059, ""}, {1040, ""},
      {1042, ""},   {1043, ""},    {1045, ""},     {1046, ""}, {1047, ""}};
  for (auto [id, text] : edits) EXPECT_EQ(h_.Text(id), text) << id;
  EXPECT_FALSE(h_.Text(1013).empty()) << "a server host name";
  EXPECT_EQ(h_.Text(1013).find(' '), std::string::npos);
  EXPECT_TRUE(h_.Items(1004).empty());
}

TEST_F(StartupDlg, StatusBarShowsTheSocketOutcome) {
  platform::Window* bar = h_.Control(IDC_STATUS_BAR);
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(bar->Style() & 0x10808200u, 0x10808200u);
  EXPECT_TRUE(bar->Visible());
  EXPECT_EQ(bar->PartEdges(), (std::vector<int>{220, -1}));
  // Text::Ready is replaced at once by what the socket start reports: here the virtual segment lets
  // it bind, so exactly Text::NetworkReady.
  ASSERT_FALSE(h_.InterfaceText(Text::NetworkReady).empty());
  ASSERT_NE(h_.InterfaceText(Text::NetworkReady), h_.InterfaceText(Text::Ready));
  EXPECT_EQ(h_.Status(0), h_.InterfaceText(Text::NetworkReady));
}

TEST_F(StartupDlg, TracesTheSettingsPathTwiceAndWritesNoSettingsFile) {
  const std::string expected =
      "path:" + (h_.Folder().Path() / "config.ini").string() + " language:1\n";
  std::vector<std::string> pathLines;
  for (const std::string& line : h_.Trace()) {
    if (line.rfind("path:", 0) == 0) pathLines.push_back(line);
  }
  EXPECT_EQ(pathLines, (std::vector<std::string>{expected, expected}));
  EXPECT_FALSE(h_.Folder().Exists("config.ini"));
  EXPECT_EQ(h_.Dlg().TextLanguage(), 1u);
  EXPECT_EQ(h_.Dlg().MenuLanguage(), 1u);
  EXPECT_EQ(h_.Dlg().SettingsPath().str(), (h_.Folder().Path() / "config.ini").string());
  EXPECT_EQ(h_.Dlg().ParametersReceived(), 0);
  EXPECT_EQ(h_.Dlg().ClientVersion(), 0);
}

TEST_F(StartupDlg, BothWindowIconsAreIcon128) {
  EXPECT_EQ(h_.Window()->Icon(true), &KestrivalIcon());
  EXPECT_EQ(h_.Window()->Icon(false), &KestrivalIcon());
  // The drag cursor of the minimised window.
  EXPECT_EQ(reinterpret_cast<HICON>(h_.Window()->Send(WM_QUERYDRAGICON, 0, 0)), &KestrivalIcon());
}

TEST(StartupDlgSettings, HandWrittenEnglishSelectsEnglishAtStart) {
  DialogHarness::Options o;
  o.createDialog = false;
  DialogHarness h(o);
  h.Folder().Write("config.ini", "[themes]\r\nlanguage=2\r\n");
  h.Start();
  TranslationTable csv;
  ASSERT_TRUE(csv.Load((h.Folder().Path() / "language.csv").string().c_str()));
  EXPECT_EQ(h.Title(), *csv.Field(93, 2));
  EXPECT_EQ(h.Text(IDC_BTN_SEARCH), *csv.Field(2, 2));
  EXPECT_EQ(h.SelectedText(1020), *csv.Field(56, 2));
  EXPECT_EQ(h.Folder().Read("config.ini"), "[themes]\r\nlanguage=2\r\n")
      << "start-up writes nothing";
}

}  // namespace

// Profiles in the window: the right-button menu's Save profile and Load profile on the real dialog
// with simulated readers, as a user sees them (menu, file chooser, status bar, message box), what
// the file holds, and what reaches the readers (nothing until a Set button is pressed).
#include "programs/WindowProfiles.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/ProfileFormat.h"
#include "app/resource.h"
#include "i18n/TextFormat.h"
#include "i18n/TranslationTable.h"
#include "programs/Profile.h"
#include "programs/ProfileControls.h"
#include "tests/programs/CliOnSegment.h"
#include "tests/support/DialogHarness.h"

namespace {

using cli_test::DistinctRecord;
using cli_test::Has;
using testing_support::DialogHarness;

constexpr POINT kSurface{3, 4};                // the dialog itself, not a control
constexpr std::uint32_t kSource = 0xC0A80065;  // 192.168.0.101
constexpr std::uint32_t kTarget = 0xC0A80066;  // 192.168.0.102

class WindowProfilesDlg : public ::testing::Test {
 protected:
  WindowProfilesDlg()
      : profiles_((h_.Folder().Path() / "kestrival").string()), installed_(&profiles_) {}

  void SetUp() override {
    AddReader(kSource, "Source", sim::kClientVersion)
        .Engine()
        .SetRecord(DistinctRecord(Ip32{kSource}));
    AddReader(kTarget, "Target", sim::kClientVersion);
    h_.Segment().SetObserver([this](const platform::net::WireDatagram& d) {
      if (d.from.addr == testing_support::kToolAddress) ++sent_;
    });
    h_.Click(IDC_BTN_SEARCH);
    h_.Pump(50);
  }

  sim::VirtualReader& AddReader(std::uint32_t address, const std::string& label,
                                const std::string& version) {
    readers_.push_back(std::make_unique<sim::VirtualReader>(
        h_.Segment(), address, sim::ReaderIdentity{label, Ip32{address}, version}));
    return *readers_.back();
  }

  // Selects the reader's line and reads its parameters.
  void Read(const std::string& label) {
    const auto items = h_.Items(IDC_LIST_DEVICES);
    for (std::size_t i = 0; i < items.size(); ++i)
      if (items[i] == label) h_.Select(IDC_LIST_DEVICES, static_cast<int>(i));
    h_.Click(IDC_BTN_GET_PARAMS);
    h_.Pump(50);
  }

  // The menu command through the right-button menu, the chooser answered with `path`.
  void Command(UINT command, std::optional<std::string> path) {
    h_.Host().AnswerNextFileChooser(std::move(path));
    h_.RightClick(kSurface, command);
  }

  std::string PathOf(const std::string& name) const { return (h_.Folder().Path() / name).string(); }

  // Every group's values as the controls show them.
  std::map<std::string, cli::GroupValues> Controls() const {
    const cli::TextResolver english = cli::EnglishTexts(table_);
    std::map<std::string, cli::GroupValues> groups;
    for (const cli::GroupSpec& g : cli::Groups())
      groups[g.name] = cli::ReadControls(*h_.Window(), g, english);
    return groups;
  }

  std::optional<cli::Profile> Parsed(const std::string& json) const {
    std::string error;
    return cli::ParseProfile(json, cli::EnglishTexts(table_), &error);
  }

  DialogHarness h_;
  programs::WindowProfiles profiles_;
  ScopedProfileFormat installed_;
  std::vector<std::unique_ptr<sim::VirtualReader>> readers_;
  TranslationTable table_ = [] {
    TranslationTable t;
    t.Parse(testing_support::BuiltLanguageCsv());
    return t;
  }();
  int sent_ = 0;
};

TEST_F(WindowProfilesDlg, SavedFromOneReaderLoadedIntoAnotherAndSetThere) {
  Read("Source");
  const auto source = Controls();
  const int sentBefore = sent_;
  Command(ID_PROFILE_SAVE, PathOf("source.json"));
  EXPECT_EQ(h_.Status(0), h_.InterfaceText(Text::ProfileSaved));
  ASSERT_EQ(h_.Host().FileChoosers().size(), 1u);
  EXPECT_TRUE(h_.Host().FileChoosers()[0].save);
  EXPECT_EQ(h_.Host().FileChoosers()[0].suggestedName, "Source.json");
  const std::string json = h_.Folder().Read("source.json");
  const auto saved = Parsed(json);
  ASSERT_TRUE(saved) << json;
  EXPECT_EQ(saved->label, "Source");
  EXPECT_EQ(saved->address, "192.168.0.101");
  EXPECT_EQ(saved->groups, source);
  EXPECT_FALSE(Has(json, "\"record\"")) << json;

  Read("Target");
  const auto target = Controls();
  ASSERT_NE(target.at("wiegand"), source.at("wiegand"));
  Command(ID_PROFILE_LOAD, PathOf("source.json"));
  EXPECT_EQ(h_.Status(0), h_.InterfaceText(Text::ProfileLoaded));
  EXPECT_TRUE(h_.Host().MessageBoxes().empty());
  const auto loaded = Controls();
  for (const cli::GroupSpec& g : cli::Groups()) {
    const bool network = g.name == std::string(cli::kNetworkGroup);
    EXPECT_EQ(loaded.at(g.name), (network ? target : source).at(g.name)) << g.name;
  }
  EXPECT_EQ(sent_, sentBefore + 2) << "saving and loading send nothing; the read sends two";
}

TEST_F(WindowProfilesDlg, DisabledControlsAreLeftAsTheyAreAndNamed) {
  Read("Source");
  const auto source = Controls().at("qr_code");
  Command(ID_PROFILE_SAVE, PathOf("source.json"));
  // A language switch puts the controls back at their defaults; a common reader read then leaves
  // its QR-code controls disabled, at those defaults.
  h_.RightClick(kSurface, ID_LANGUAGE_ENGLISH);
  AddReader(0xC0A80067, "Common", sim::kCommonVersion);
  h_.Click(IDC_BTN_SEARCH);
  h_.Pump(50);
  Read("Common");
  const auto before = Controls().at("qr_code");
  Command(ID_PROFILE_LOAD, PathOf("source.json"));
  EXPECT_EQ(h_.Status(0), FormatInterfaceText(h_.InterfaceText(Text::ProfileLoadedExcept).c_str(),
                                              {"qr_code.card_number_format, qr_code.encrypted, "
                                               "qr_code.use_count, qr_code.work_mode, "
                                               "qr_code.ntp_address, qr_code.backup_address"}));
  const auto after = Controls().at("qr_code");
  for (const char* field : {"encrypted", "ntp_address"})
    EXPECT_EQ(after.at(field), before.at(field)) << field;
  EXPECT_NE(after.at("encrypted"), source.at("encrypted"));
  EXPECT_EQ(after.at("network_protocol"), source.at("network_protocol"));
}

struct RefusalRow {
  const char* name;
  bool read;            // the reader's parameters read first
  bool switchLanguage;  // then the language switched
  UINT command;
  std::string file;          // written to the answered path ("" = no file there)
  std::string answer;        // the chooser's answer: a name in the folder, "" = cancelled
  std::string status;        // part 0 afterwards, "" = unchanged
  std::string messagePiece;  // in the message box, "" = none shown
};

class WindowProfileRefusals : public WindowProfilesDlg,
                              public ::testing::WithParamInterface<RefusalRow> {};

TEST_P(WindowProfileRefusals, NothingChangesButWhatTheUserIsTold) {
  const RefusalRow& row = GetParam();
  if (row.read) Read("Target");
  if (row.switchLanguage) h_.RightClick(kSurface, ID_LANGUAGE_ENGLISH);
  if (!row.file.empty()) h_.Folder().Write("given.json", row.file);
  const auto controls = Controls();
  const std::string status = h_.Status(0);
  const int sentBefore = sent_;
  Command(row.command,
          row.answer.empty() ? std::nullopt : std::optional<std::string>(PathOf(row.answer)));
  EXPECT_EQ(Controls(), controls);
  EXPECT_EQ(sent_, sentBefore);
  const std::string expectedStatus =
      row.status.empty()
          ? status
          : std::string(h_.InterfaceText(row.status == "first" ? Text::ReadParametersFirst
                                                               : Text::ProfileNotSaved));
  EXPECT_EQ(h_.Status(0), expectedStatus);
  const auto& boxes = h_.Host().MessageBoxes();
  if (row.messagePiece.empty()) {
    EXPECT_TRUE(boxes.empty());
  } else {
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].rfind(h_.InterfaceText(Text::ProfileCannotBeUsed), 0), 0u) << boxes[0];
    EXPECT_TRUE(Has(boxes[0], row.messagePiece)) << boxes[0];
  }
}

const std::string kBadPulse =
    R"({"format": "kestrival-profile", "version": 2, "groups": {"wiegand": {"low_pulse_us": -500, "high_pulse_us": 1000}}})";

INSTANTIATE_TEST_SUITE_P(
    Rows, WindowProfileRefusals,
    ::testing::Values(RefusalRow{"SaveBeforeARead", false, false, ID_PROFILE_SAVE, "", "x.json",
                                 "first", ""},
                      RefusalRow{"LoadBeforeARead", false, false, ID_PROFILE_LOAD, "{}",
                                 "given.json", "first", ""},
                      RefusalRow{"LoadAfterALanguageSwitch", true, true, ID_PROFILE_LOAD, "{}",
                                 "given.json", "first", ""},
                      RefusalRow{"SaveCancelled", true, false, ID_PROFILE_SAVE, "", "", "", ""},
                      RefusalRow{"LoadCancelled", true, false, ID_PROFILE_LOAD, "", "", "", ""},
                      RefusalRow{"SaveIntoAMissingFolder", true, false, ID_PROFILE_SAVE, "",
                                 "no/such/x.json", "not saved", ""},
                      RefusalRow{"NotJson", true, false, ID_PROFILE_LOAD,
                                 "{\"format\": ", "given.json", "", "JSON"},
                      RefusalRow{"APulseTheWindowWouldNotSend", true, false, ID_PROFILE_LOAD,
                                 kBadPulse, "given.json", "", "wiegand.low_pulse_us"},
                      RefusalRow{"AFileThatIsGone", true, false, ID_PROFILE_LOAD, "", "gone.json",
                                 "", "gone.json: no such file"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace

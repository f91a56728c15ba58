// kestrival-headless --demo: the real dialog on a virtual segment with the three demo readers,
// driven through its line protocol exactly as the network-namespace tests drive it. Each test
// runs the program from a folder of its own (its config.ini and language.csv).
#include "programs/HeadlessDriver.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/resource.h"
#include "platform/Runtime.h"
#include "tests/support/DialogHarness.h"

namespace {

namespace fs = std::filesystem;
using testing_support::TempFolder;

#ifdef _WIN32
const std::string kProgram = "kestrival-headless.exe";
#else
const std::string kProgram = "kestrival-headless";
#endif

// Runs the script through a copy of kestrival-headless in its own folder; returns its lines.
class Headless {
 public:
  Headless() {
    fs::copy_file(testing_support::BuiltProgramsFolder() / kProgram, folder_.Path() / kProgram);
    fs::copy_file(testing_support::BuiltProgramsFolder() / "language.csv",
                  folder_.Path() / "language.csv");
  }
  std::vector<std::string> Run(const std::vector<std::string>& script, int* status = nullptr) {
    std::string text;
    for (const auto& line : script) text += line + "\n";
    folder_.Write("in.txt", text);
    const std::string dir = folder_.Path().string();
#ifdef _WIN32
    // cmd.exe; its exit status as the program's.
    const std::string cmd =
        "cd /d \"" + dir + "\" && " + kProgram + " --demo < in.txt > out.txt 2> err.txt";
#else
    const std::string cmd =
        "cd '" + dir + "' && ./" + kProgram + " --demo < in.txt > out.txt 2> err.txt";
#endif
    const int rc = std::system(cmd.c_str());
    if (status) *status = rc;
    std::vector<std::string> lines;
    std::istringstream out(folder_.Read("out.txt"));
    for (std::string l; std::getline(out, l);) {
      if (!l.empty() && l.back() == '\r') l.pop_back();  // text mode on Windows
      lines.push_back(l);
    }
    return lines;
  }
  const TempFolder& Folder() const {
    return folder_;
  }

 private:
  TempFolder folder_;
};

bool Has(const std::string& line, const std::string& part) {
  return line.find(part) != std::string::npos;
}

// The interface texts the dialog shows, as the built language.csv gives them.
std::string TextHex(Text text) {
  testing_support::DialogHarness h;
  return testing_support::HexLower(h.InterfaceText(text));
}

struct CommandRow {
  const char* name;
  std::vector<std::string> script;
  std::vector<std::string> expected;  // one per output line: a part it must hold
};

class CommandTable : public ::testing::TestWithParam<CommandRow> {};

TEST_P(CommandTable, OneJsonLinePerCommand) {
  const CommandRow& row = GetParam();
  Headless h;
  int status = -1;
  const auto lines = h.Run(row.script, &status);
  EXPECT_EQ(status, 0);
  ASSERT_EQ(lines.size(), row.expected.size()) << h.Folder().Read("out.txt");
  for (std::size_t i = 0; i < lines.size(); ++i) {
    EXPECT_EQ(lines[i].front(), '{') << lines[i];
    EXPECT_TRUE(Has(lines[i], row.expected[i]))
        << "line " << i << ": " << lines[i] << "\nwanted " << row.expected[i];
  }
}

INSTANTIATE_TEST_SUITE_P(
    Commands, CommandTable,
    ::testing::Values(
        CommandRow{
            "RefusedClicks",
            {"click 1006", "click 4242", "click 1004", "click x"},
            {"\"error\":\"disabled\"", "\"error\":\"no such control\"",
             "\"error\":\"wrong kind of control\"", "\"error\":\"bad arguments for click\""}},
        CommandRow{"IpWithABlankField",
                   {"ip 1007 10..3.4", "get 1007", "ip 1007 1.2.3", "ip 1007 1.2.3.4.5"},
                   {"{\"ok\":true}", "\"address\":\"10.0.3.4\",\"filled\":3",
                    "\"error\":\"not an address", "\"error\":\"not an address"}},
        CommandRow{"SelectAndGet",
                   {"select 1029 2", "get 1029", "select 1029 -1", "get 1029"},
                   {"{\"ok\":true}", "\"kind\":\"combo\"", "{\"ok\":true}", "\"sel\":-1"}},
        CommandRow{"TypeUtf8BecomesCodePage936",
                   {"type 1013 门禁 a b", "get 1013", "type 1013", "get 1013"},
                   {"{\"ok\":true}", "\"text\":\"门禁 a b\",\"text_hex\":\"c3c5bdfb20612062\"",
                    "{\"ok\":true}", "\"text\":\"\",\"text_hex\":\"\""}},
        CommandRow{"FocusMovesAndKillFocusClampsWiegand",
                   {"type 1044 50", "focus 1048", "get 1044"},
                   {"{\"ok\":true}", "{\"ok\":true}", "\"text\":\"100\""}},
        CommandRow{"UnknownAndMisplaced",
                   {"frobnicate 1", "menu 3093", "pump soon", "", "key space"},
                   {"\"error\":\"unknown command frobnicate\"",
                    "\"error\":\"no popup menu is open\"", "\"error\":\"bad arguments for pump\"",
                    "\"error\":\"empty command\"", "\"error\":\"bad arguments for key\""}},
        CommandRow{"BytesThatAreNotUtf8AreWrittenAsReplacementCharacters",
                   {"frob\xff 1", "rclick 5 5", "menu \xfe"},
                   {"\"error\":\"unknown command frob\xEF\xBF\xBD\"", "\"menu\":[",
                    "\"error\":\"not a menu command: \xEF\xBF\xBD; the menu closed\""}},
        CommandRow{"RightClickMenuThenChoice",
                   {"rclick 5 5", "menu 3093", "title"},
                   {"\"menu\":[{\"command\":3092", "\"command\":3093", "\"title\":"}},
        CommandRow{"RightClickMenuClosedByAnotherLine",
                   {"rclick 5 5", "status", "quit"},
                   {"\"menu\":[", "\"error\":\"a popup menu is open", "{\"ok\":true}"}},
        // A file chooser takes the next line as its answer; any other line cancels it.
        CommandRow{
            "ALineThatIsNoAnswerCancelsTheChooser",
            {"click 1000", "pump 50", "select 1004 0", "click 1014", "pump 50", "rclick 5 5",
             "menu 3095", "title", "file x.json"},
            {"{\"ok\":true}", "{\"ok\":true}", "{\"ok\":true}", "{\"ok\":true}", "{\"ok\":true}",
             "{\"separator\":true}", "\"file_chooser\":{\"save\":false", "\"command\":3095",
             "\"error\":\"a file chooser is open: expected \\\"file PATH\\\" or "
             "\\\"file cancel\\\"; it was cancelled\"",
             "\"error\":\"no file chooser is open\""}},
        CommandRow{
            "EscapeEndsTheDialogAndTheInput", {"key esc", "status", "status"}, {"\"ended\":true"}},
        CommandRow{"QuitStopsReading", {"quit", "status"}, {"{\"ok\":true}"}},
        CommandRow{"TraceAndMessageBoxesSinceTheLastCall",
                   {"trace", "trace", "type 1039 abc", "click 1000", "msgbox", "msgbox"},
                   {"\"lines\":[\"path:", "\"lines_hex\":[],\"dropped\":0", "{\"ok\":true}",
                    "{\"ok\":true}", "\"boxes\":[\"Please enter an integer.\"]", "\"boxes\":[]"}}),
    [](const auto& info) { return std::string(info.param.name); });

// The driver's trace store keeps at most its bound of lines and bytes not yet handed out: the
// oldest go first and are counted, and a "trace" hands the kept ones out once.
struct TraceRow {
  const char* name;
  std::size_t keepLines;
  std::size_t keepBytes;
  int added;  // "line 1" ... "line N", 6 bytes each below 10
  std::vector<std::string> lines;
  std::size_t dropped;
};

class TraceStoreRows : public ::testing::TestWithParam<TraceRow> {};

TEST_P(TraceStoreRows, KeepsTheNewestWithinItsBounds) {
  const TraceRow& row = GetParam();
  headless::TraceStore store(row.keepLines, row.keepBytes);
  for (int i = 1; i <= row.added; ++i) store.Add("line " + std::to_string(i));
  EXPECT_LE(store.Size(), row.keepLines);
  EXPECT_LE(store.Bytes(), row.keepBytes);
  std::size_t dropped = 99;
  EXPECT_EQ(store.Take(&dropped), row.lines);
  EXPECT_EQ(dropped, row.dropped);
  EXPECT_TRUE(store.Take(&dropped).empty()) << "handed out once";
  EXPECT_EQ(dropped, 0u);
  EXPECT_EQ(store.Bytes(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, TraceStoreRows,
    ::testing::Values(TraceRow{"Empty", 3, 100, 0, {}, 0},
                      TraceRow{"UnderTheBounds", 3, 100, 2, {"line 1", "line 2"}, 0},
                      TraceRow{"AtTheLineBound", 3, 100, 3, {"line 1", "line 2", "line 3"}, 0},
                      TraceRow{"PastTheLineBound", 3, 100, 7, {"line 5", "line 6", "line 7"}, 4},
                      TraceRow{"PastTheByteBound", 10, 13, 5, {"line 4", "line 5"}, 3},
                      TraceRow{"ALineLargerThanTheStore", 10, 5, 2, {}, 2},
                      TraceRow{"KeepsNothing", 0, 100, 2, {}, 2}),
    [](const auto& info) { return std::string(info.param.name); });

// A flood of long lines and a soak of short ones both stay within the default bounds.
TEST(TraceStore, FloodsStayWithinTheDefaultBounds) {
  struct Flood {
    std::size_t length;
    int count;
  };
  for (const Flood& f : {Flood{2047, 5000}, Flood{60, 30000}}) {
    headless::TraceStore store;
    for (int i = 0; i < f.count; ++i) {
      std::string line = std::to_string(i) + ":";
      line.resize(f.length, 'x');
      store.Add(line);
    }
    EXPECT_LE(store.Size(), headless::TraceStore::kDefaultKeepLines) << f.length;
    EXPECT_LE(store.Bytes(), headless::TraceStore::kDefaultKeepBytes) << f.length;
    std::size_t dropped = 0;
    const auto lines = store.Take(&dropped);
    EXPECT_EQ(lines.size() + dropped, static_cast<std::size_t>(f.count)) << f.length;
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back().substr(0, lines.back().find(':')), std::to_string(f.count - 1));
  }
}

TEST(HeadlessDemo, SearchReadWriteAndReadBackAReader) {
  Headless h;
  const auto lines =
      h.Run({"click 1000",    "pump 50",    "get 1004",              // 0..2: search
             "select 1004 1", "click 1014", "pump 50",               // 3..5: Gate B's parameters
             "status",        "get 1013",   "get 1056", "get 1036",  // 6..9
             "select 1029 2", "click 1028", "pump 50",  "status",    // 10..13: Set (work mode)
             "select 1029 0", "click 1014", "pump 50",  "get 1029",  // 14..17: read back
             "dblclick 1004", "title",      "dump",     "quit"});    // 18..21
  ASSERT_EQ(lines.size(), 22u) << h.Folder().Read("out.txt");
  EXPECT_TRUE(Has(lines[2], "\"items\":[\"Gate A\",\"Gate B\",\"Lobby\"]")) << lines[2];
  EXPECT_TRUE(Has(lines[6], "\"part0_hex\":\"" + TextHex(Text::ParametersRead) + "\"")) << lines[6];
  // Gate B's server address is Chinese text in code page 936.
  EXPECT_TRUE(Has(lines[7], "\"text\":\"门禁服务器.lan\"")) << lines[7];
  EXPECT_TRUE(Has(lines[7], "c3c5bdfbb7fecef1c6f7")) << lines[7];
  // Client version text: the NTP address is shown and enabled.
  EXPECT_TRUE(Has(lines[8], "\"text\":\"ntp.kestrival.lan\"")) << lines[8];
  EXPECT_TRUE(Has(lines[8], "\"enabled\":true")) << lines[8];
  EXPECT_TRUE(Has(lines[9], "\"sel\":15")) << lines[9];  // 115200
  EXPECT_TRUE(Has(lines[13], "\"part0_hex\":\"" + TextHex(Text::SetSuccessfully) + "\""))
      << lines[13];
  EXPECT_TRUE(Has(lines[17], "\"sel\":2")) << lines[17];
  EXPECT_TRUE(Has(lines[19], "Gate B")) << lines[19];
  EXPECT_TRUE(Has(lines[19], "192") && Has(lines[19], "202")) << lines[19];
  EXPECT_TRUE(Has(lines[20], "{\"id\":1004,\"kind\":\"list\"")) << lines[20];
  EXPECT_TRUE(Has(lines[20], "\"kind\":\"status\"")) << lines[20];
}

TEST(HeadlessDemo, TheCommonReaderLeavesTheClientControlsDisabled) {
  Headless h;
  const auto lines = h.Run(
      {"click 1000", "pump 50", "select 1004 2", "click 1014", "pump 50", "get 1056", "get 1060"});
  ASSERT_EQ(lines.size(), 7u) << h.Folder().Read("out.txt");
  EXPECT_TRUE(Has(lines[5], "\"enabled\":false")) << lines[5];
  EXPECT_FALSE(Has(lines[5], "ntp.kestrival.lan")) << lines[5];
  EXPECT_TRUE(Has(lines[6], "\"enabled\":true")) << lines[6];
}

}  // namespace

namespace {

// An installer copies Gate B's setup to Gate A in the window: Save profile on Gate B, Load profile
// on Gate A, Set the serial group, read Gate A back.
TEST(HeadlessDemo, AProfileSavedFromOneReaderIsLoadedIntoAnotherAndSet) {
  Headless h;
  const std::string file = (h.Folder().Path() / "gate b.json").string();
  // A popup's listing and a chooser's request are lines of their own; the replies to "menu" and
  // "file" follow the command that opened them.
  const auto lines =
      h.Run({"click 1000",    "pump 50",    "select 1004 1", "click 1014", "pump 50",
             "rclick 5 5",    "menu 3094",  "file " + file,  "status",                  // 5..9
             "select 1004 0", "click 1014", "pump 50",       "get 1036",                // 10..13
             "rclick 5 5",    "menu 3095",  "file " + file,  "status",     "get 1036",  // ..19
             "click 1052",    "pump 50",    "select 1036 0", "click 1014", "pump 50",
             "get 1036",      "quit"});  // 25, 26
  ASSERT_EQ(lines.size(), 27u) << h.Folder().Read("out.txt");
  // The menu: the two languages, a line, then the profile commands; Save offers the label.
  EXPECT_TRUE(Has(lines[5], "{\"separator\":true},{\"command\":3094")) << lines[5];
  EXPECT_TRUE(Has(lines[6], "\"suggested\":\"Gate B.json\"")) << lines[6];
  EXPECT_TRUE(Has(lines[9], "\"part0_hex\":\"" + TextHex(Text::ProfileSaved) + "\"")) << lines[9];
  EXPECT_TRUE(Has(h.Folder().Read("gate b.json"), "\"label\": \"Gate B\""));
  EXPECT_FALSE(Has(lines[13], "\"sel\":15")) << lines[13];  // Gate A's own baud rate
  EXPECT_TRUE(Has(lines[18], "\"part0_hex\":\"" + TextHex(Text::ProfileLoaded) + "\""))
      << lines[18];
  EXPECT_TRUE(Has(lines[19], "\"sel\":15")) << lines[19];  // 115200, Gate B's
  EXPECT_TRUE(Has(lines[25], "\"sel\":15")) << lines[25];  // Gate A holds it now
}

}  // namespace

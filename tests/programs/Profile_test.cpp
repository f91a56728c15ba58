// The profile on its own: the catalogue against the dialog's lists, the round trip through JSON
// with a distinct value in every field, and a table of bad profiles, each refused with its own
// message.
#include "programs/Profile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "i18n/TranslationTable.h"
#include "params/DevParam.h"
#include "tests/support/DialogHarness.h"

namespace {

using namespace cli;

const TranslationTable& Table() {
  static TranslationTable table = [] {
    TranslationTable t;
    t.Load((testing_support::BuiltProgramsFolder() / "language.csv").string().c_str());
    return t;
  }();
  return table;
}

TextResolver English() {
  return EnglishTexts(Table());
}

bool Has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// Every field with a value that no other field of its group shares, where the kind allows it.
Profile DistinctProfile() {
  Profile p;
  p.label = "Gate 3";
  p.address = "10.0.4.23";
  p.time = "2026-12-08T09:00:00Z";
  p.recordHex = std::string(1440, 'a');
  p.groups["network"] = {{"ip_address", {false, "10.0.4.23"}},
                         {"subnet_mask", {false, "255.255.0.0"}},
                         {"gateway", {false, "10.0.0.1"}},
                         {"dns_server_1", {false, "10.0.0.2"}},
                         {"dns_server_2", {false, "10.0.0.3"}},
                         {"network_mode", {false, "DHCP"}},
                         {"server_address", {false, "门禁服务器.lan"}},
                         {"server_port", {false, "8080"}},
                         {"http_server_language", {false, "C#"}}};
  p.groups["output_format"] = {{"output_format", {false, "Relay"}}};
  p.groups["card_input_format"] = {{"card_number_input_format", {false, "2h3D+4h5d"}}};
  p.groups["hid_format"] = {{"carriage_return", {false, "No carriage return"}},
                            {"line_feed", {false, "With line feed"}}};
  p.groups["serial"] = {{"baud_rate", {false, "115200"}},
                        {"data_bits", {false, "7"}},
                        {"stop_bits", {false, "2"}},
                        {"parity", {false, "MARK"}},
                        {"qr_code_serial_output_format", {false, "BCD"}}};
  p.groups["restart"] = {{"restart_setting", {true, ""}}};
  p.groups["work_mode"] = {{"work_mode", {false, "Card and QR code"}}};
  p.groups["speaker"] = {{"speaker", {false, "Off"}}};
  p.groups["light"] = {{"light", {false, "Always on"}}};
  p.groups["barcode"] = {
      {"input_format", {false, "hex"}}, {"prefix", {false, "0d0a"}}, {"suffix", {false, "1B"}}};
  p.groups["card_prefix_suffix"] = {{"serial_output_format", {false, "hex"}},
                                    {"input_format", {false, "ASCII"}},
                                    {"prefix", {false, "<"}},
                                    {"suffix", {false, ">"}}};
  p.groups["wiegand"] = {{"low_pulse_us", {false, "800"}}, {"high_pulse_us", {false, "3000"}}};
  p.groups["qr_code"] = {
      {"network_protocol", {false, "UDP"}}, {"card_number_format", {false, "Decimal"}},
      {"encrypted", {false, "Encrypted"}},  {"use_count", {false, "Once"}},
      {"output_from_digit", {false, "37"}}, {"work_mode", {false, "Online"}},
      {"ntp_address", {false, "ntp.lab"}},  {"backup_address", {false, "backup.lab"}}};
  return p;
}

TEST(ProfileCatalogue, GroupsInTheOrderOfTheDialogWithTheirListsInEnglish) {
  std::vector<std::string> names;
  for (const GroupSpec& g : Groups()) names.push_back(g.name);
  EXPECT_EQ(names,
            (std::vector<std::string>{"network", "output_format", "card_input_format", "hid_format",
                                      "serial", "restart", "work_mode", "speaker", "light",
                                      "barcode", "card_prefix_suffix", "wiegand", "qr_code"}));
  const GroupSpec* hid = FindGroup("hid_format");
  ASSERT_NE(hid, nullptr);
  // The carriage-return list lists "no" before "with": positions are what the reader keeps.
  EXPECT_EQ(ItemTexts(hid->fields[0], English()),
            (std::vector<std::string>{"No carriage return", "With carriage return"}));
  EXPECT_EQ(ItemTexts(FindGroup("light")->fields[0], English()),
            (std::vector<std::string>{"Auto", "Always on"}));
  EXPECT_EQ(ItemTexts(FindGroup("serial")->fields[0], English()).size(), 18u);
  EXPECT_EQ(ItemTexts(FindGroup("qr_code")->fields[4], English()).back(), "50");
  EXPECT_EQ(FindGroup("barcode")->setButtons.size(), 2u);
}

TEST(ProfileJson, EveryFieldSurvivesTheRoundTrip) {
  const Profile p = DistinctProfile();
  const std::string json = ProfileToJson(p);
  std::string error;
  const auto back = ParseProfile(json, English(), &error);
  ASSERT_TRUE(back) << error << "\n" << json;
  EXPECT_EQ(back->groups, p.groups);
  EXPECT_EQ(back->label, p.label);
  EXPECT_EQ(back->address, p.address);
  EXPECT_EQ(back->time, p.time);
  EXPECT_EQ(back->recordHex, BlankRecord(p.recordHex));
  // A person reads it: the integer edits as numbers, no selection as null, groups in order.
  EXPECT_TRUE(Has(json, "\"server_port\": 8080")) << json;
  EXPECT_TRUE(Has(json, "\"restart_setting\": null")) << json;
  EXPECT_LT(json.find("\"network\""), json.find("\"qr_code\""));
  EXPECT_EQ(ProfileToJson(*back), json);
}

// The bytes of the record at `section`, in hex.
std::string Bytes(const std::string& recordHex, const ParamSection& section) {
  return recordHex.substr(2 * section.offset, 2 * section.len);
}

TEST(ProfileRecord, LeavesOutTheSectionsNoGroupDescribesAndSaysSo) {
  // A record in which every byte is set, the hidden cloud connection's secret among them.
  const Profile p = DistinctProfile();
  const std::string json = ProfileToJson(p);
  std::string error;
  const auto back = ParseProfile(json, English(), &error);
  ASSERT_TRUE(back) << error;
  const struct {
    ParamSection section;
    bool kept;
    const char* what;
  } rows[] = {
      {SECTION_NETWORK, true, ""},
      {SECTION_OPAQUE, false, "no program interprets"},
      {SECTION_CLOUD, false, "device secret"},
      {SECTION_OUTPUT_FORMAT, true, ""},
      {SECTION_HIDDEN_CHOICE, false, "hidden choice"},
      {SECTION_WIEGAND, true, ""},
      {SECTION_CARD_FIX, true, ""},
  };
  std::size_t blanked = 0;
  for (const auto& row : rows) {
    const std::string from = std::to_string(row.section.offset);
    const std::string bytes = Bytes(back->recordHex, row.section);
    EXPECT_EQ(bytes, std::string(bytes.size(), row.kept ? 'a' : '0')) << from;
    if (row.kept) continue;
    ASSERT_LT(blanked, RecordBlanked().size());
    const BlankedRange& r = RecordBlanked()[blanked++];
    EXPECT_EQ(r.from, row.section.offset);
    EXPECT_EQ(r.to, row.section.offset + row.section.len - 1);
    EXPECT_TRUE(Has(r.what, row.what)) << r.what;
    EXPECT_TRUE(Has(json, "\"from\": " + from + ",\n      \"to\": " + std::to_string(r.to)))
        << json;
  }
  EXPECT_EQ(blanked, RecordBlanked().size());
  EXPECT_TRUE(Has(json, "\"version\": 2,")) << json;
}

TEST(ProfileRecord, AVersionOneProfileIsReadWithoutWhatItsRecordShouldNotHave) {
  std::string json = ProfileToJson(DistinctProfile());
  json.replace(json.find("\"version\": 2"), 12, "\"version\": 1");
  json.erase(json.find("  \"record_blanked\""),
             json.find("  \"record\":") - json.find("  \"record_blanked\""));
  const auto at = json.find("\"record\": \"") + 11;
  json.replace(at, 2 * DEV_PARAM_LEN, std::string(2 * DEV_PARAM_LEN, 'b'));
  std::string error;
  const auto p = ParseProfile(json, English(), &error);
  ASSERT_TRUE(p) << error << json;
  EXPECT_EQ(p->groups, DistinctProfile().groups);
  EXPECT_EQ(Bytes(p->recordHex, SECTION_CLOUD), std::string(2 * SECTION_CLOUD.len, '0'));
  EXPECT_EQ(Bytes(p->recordHex, SECTION_WIEGAND), std::string(2 * SECTION_WIEGAND.len, 'b'));
}

struct BadRow {
  const char* name;
  std::string edit;     // what to put in place of `from`
  std::string from;     // a piece of the good profile's JSON
  std::string message;  // a part of the refusal
};

class BadProfile : public ::testing::TestWithParam<BadRow> {};

TEST_P(BadProfile, IsRefusedWithItsMessage) {
  const BadRow& row = GetParam();
  std::string json = ProfileToJson(DistinctProfile());
  if (row.from.empty()) {
    json = row.edit;
  } else {
    const auto at = json.find(row.from);
    ASSERT_NE(at, std::string::npos) << row.from;
    json.replace(at, row.from.size(), row.edit);
  }
  std::string error;
  EXPECT_FALSE(ParseProfile(json, English(), &error));
  EXPECT_TRUE(Has(error, row.message)) << error;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, BadProfile,
    ::testing::Values(
        BadRow{"NotJson", "{\n  \"format\": \"kestrival-profile\",\n  \"version\": 1,,\n}", "",
               "not JSON: line 3, column 16"},
        BadRow{"Truncated", "{\"groups\": {", "", "not JSON: line 1"},
        BadRow{"NotAnObject", "[1, 2]", "", "not an object"},
        BadRow{"OtherVersion", "\"version\": 3", "\"version\": 2",
               "format version 3 is not supported (this program reads versions 1 to 2)"},
        BadRow{"VersionZero", "\"version\": 0", "\"version\": 2", "format version 0 is not"},
        BadRow{"VersionHuge", "\"version\": 18446744073709551615", "\"version\": 2",
               "format version 18446744073709551615 is not"},
        BadRow{"NoVersion", "\"versio\": 2", "\"version\": 2", "unknown key \"versio\""},
        BadRow{"OtherFormat", "\"format\": \"other\"", "\"format\": \"kestrival-profile\"",
               "not a profile"},
        BadRow{"UnknownField", "\"baud\": \"9600\"", "\"baud_rate\": \"115200\"",
               "serial.baud: unknown field"},
        BadRow{"MissingField", "", ",\n      \"line_feed\": \"With line feed\"",
               "hid_format.line_feed: missing"},
        BadRow{"UnknownGroup", "\"lights\"", "\"light\"", "unknown group \"lights\""},
        BadRow{"NotAnItem", "\"parity\": \"NIL\"", "\"parity\": \"MARK\"",
               "serial.parity: \"NIL\" is not an item of the list; allowed: \"EVEN\", \"ODD\", "
               "\"NONE\", \"SPACE\", \"MARK\" or null"},
        BadRow{"ItemInAnotherCase", "\"speaker\": \"off\"", "\"speaker\": \"Off\"",
               "speaker.speaker: \"off\" is not an item"},
        BadRow{"ChineseItem", "\"light\": \"常亮\"", "\"light\": \"Always on\"",
               "light.light: \"常亮\" is not an item"},
        BadRow{"AddressThreeNumbers", "\"gateway\": \"10.0.1\"", "\"gateway\": \"10.0.0.1\"",
               "network.gateway: \"10.0.1\" is not a dotted IPv4 address"},
        BadRow{"AddressOctetTooBig", "\"gateway\": \"10.0.0.256\"", "\"gateway\": \"10.0.0.1\"",
               "is not a dotted IPv4 address"},
        BadRow{"AddressHostName", "\"gateway\": \"gw.lan\"", "\"gateway\": \"10.0.0.1\"",
               "is not a dotted IPv4 address"},
        BadRow{"TextTooLong", "\"ntp_address\": \"" + std::string(48, 'n') + "\"",
               "\"ntp_address\": \"ntp.lab\"",
               "qr_code.ntp_address: 48 bytes in code page 936, at most 47"},
        // 24 Chinese characters are 72 bytes of UTF-8 but 48 of code page 936.
        BadRow{"TextTooLongInCodePage936",
               "\"server_address\": \"门禁门禁门禁门禁门禁门禁门禁门禁门禁门禁门禁门禁\"",
               "\"server_address\": \"门禁服务器.lan\"",
               "network.server_address: 48 bytes in code page 936, at most 47"},
        BadRow{"NotInCodePage936", "\"ntp_address\": \"\\ud83d\\ude00\"",
               "\"ntp_address\": \"ntp.lab\"", "a character has no place in code page 936"},
        BadRow{"PrefixTooLong", "\"prefix\": \"" + std::string(32, 'p') + "\"", "\"prefix\": \"<\"",
               "card_prefix_suffix.prefix: 32 bytes in code page 936, at most 31"},
        BadRow{"HexPrefixNotHex", "\"prefix\": \"0g\"", "\"prefix\": \"0d0a\"",
               "barcode.prefix: \"0g\" is not hexadecimal digits"},
        BadRow{"HexPrefixOdd", "\"prefix\": \"0d0\"", "\"prefix\": \"0d0a\"",
               "an odd number of hexadecimal digits"},
        BadRow{"HexPrefixZeroByte", "\"prefix\": \"0d00\"", "\"prefix\": \"0d0a\"",
               "the byte 00 would end the field"},
        BadRow{"WiegandNotHundreds", "\"low_pulse_us\": 850", "\"low_pulse_us\": 800",
               "wiegand.low_pulse_us: 850 is not a multiple of 100"},
        BadRow{"IntegerAsText", "\"server_port\": \"80\"", "\"server_port\": 8080",
               "network.server_port: must be an integer"},
        BadRow{"IntegerTooBig", "\"server_port\": 4294967296", "\"server_port\": 8080",
               "network.server_port: 4294967296 is outside the allowed range "
               "-2147483648..2147483647"},
        BadRow{"IntegerBeyondSigned", "\"server_port\": 18446744073709551615",
               "\"server_port\": 8080", "18446744073709551615 is outside the allowed range"},
        BadRow{"IntegerBeyondUnsigned", "\"server_port\": 18446744073709551616",
               "\"server_port\": 8080", "network.server_port: must be an integer"},
        // The window raises a pulse below 100 microseconds to 100 before it sends.
        BadRow{"WiegandNegative", "\"low_pulse_us\": -500", "\"low_pulse_us\": 800",
               "wiegand.low_pulse_us: -500 is outside the allowed range 100..2147483600"},
        BadRow{"WiegandZero", "\"high_pulse_us\": 0", "\"high_pulse_us\": 3000",
               "wiegand.high_pulse_us: 0 is outside the allowed range 100..2147483600"},
        BadRow{"WiegandBeyondTheRecord", "\"high_pulse_us\": 2147483700", "\"high_pulse_us\": 3000",
               "2147483700 is outside the allowed range"},
        BadRow{"NumberNoDoubleHolds", "\"high_pulse_us\": 1e400", "\"high_pulse_us\": 3000",
               "the number 1e400 is too large"},
        BadRow{"NotUtf8", "\"ntp_address\": \"\xff\"", "\"ntp_address\": \"ntp.lab\"",
               "not JSON: line"},
        BadRow{"NestedDeep", "\"light\": " + std::string(5000, '[') + std::string(5000, ']'),
               "\"light\": \"Always on\"", "nested deeper than 16 levels"},
        BadRow{"BlankedNotAList", "\"record_blanked\": 1,\n  \"record\"", "\"record\"",
               "record_blanked: not a list"},
        BadRow{"NullText", "\"ntp_address\": null", "\"ntp_address\": \"ntp.lab\"",
               "null is allowed only for lists"},
        BadRow{"NulInText", "\"ntp_address\": \"a\\u0000b\"", "\"ntp_address\": \"ntp.lab\"",
               "holds a NUL character"},
        BadRow{"ShortRecord", "\"record\": \"00",
               "\"record\": \"" + std::string(2 * SECTION_NETWORK.len, 'a'),
               "record: not 720 bytes"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ProfileGroups, ChosenByNameInTheOrderOfTheDialog) {
  const Profile p = DistinctProfile();
  std::string error;
  auto all = ChooseGroups("", p, &error);
  ASSERT_TRUE(all) << error;
  EXPECT_EQ(all->size(), Groups().size() - 1);  // every group but the network
  for (const GroupSpec* g : *all) EXPECT_STRNE(g->name, kNetworkGroup);

  auto two = ChooseGroups("wiegand,serial,serial", p, &error);
  ASSERT_TRUE(two) << error;
  ASSERT_EQ(two->size(), 2u);
  EXPECT_STREQ((*two)[0]->name, "serial");
  EXPECT_STREQ((*two)[1]->name, "wiegand");

  auto net = ChooseGroups("network", p, &error);
  ASSERT_TRUE(net);
  EXPECT_STREQ((*net)[0]->name, "network");

  EXPECT_FALSE(ChooseGroups("serial,nope", p, &error));
  EXPECT_TRUE(Has(error, "unknown group \"nope\"")) << error;
  Profile partial = p;
  partial.groups.erase("light");
  EXPECT_FALSE(ChooseGroups("light", partial, &error));
  EXPECT_TRUE(Has(error, "the profile has no group \"light\"")) << error;
  EXPECT_FALSE(ChooseGroups(",", p, &error));
}

TEST(ProfileCompare, NamesEachFieldThatDiffers) {
  const Profile p = DistinctProfile();
  GroupValues found = p.groups.at("barcode");
  found["prefix"].text = "0D0A";  // hexadecimal digits in another case are the same bytes
  EXPECT_TRUE(CompareGroup(*FindGroup("barcode"), p.groups.at("barcode"), found).empty());

  GroupValues serial = p.groups.at("serial");
  serial["baud_rate"].text = "9600";
  serial["parity"] = Value{true, ""};
  const auto diffs = CompareGroup(*FindGroup("serial"), p.groups.at("serial"), serial);
  ASSERT_EQ(diffs.size(), 2u);
  EXPECT_EQ(diffs[0].field, "serial.baud_rate");
  EXPECT_EQ(diffs[0].found.text, "9600");
  EXPECT_EQ(diffs[1].field, "serial.parity");
  EXPECT_TRUE(diffs[1].found.null);

  GroupValues card = p.groups.at("card_prefix_suffix");
  card["prefix"].text = "<<";
  EXPECT_EQ(CompareGroup(*FindGroup("card_prefix_suffix"), p.groups.at("card_prefix_suffix"), card)
                .size(),
            1u);
}

}  // namespace

// The grammar of language.csv: lines, fields and what ends the data. Each case is observed as
// the interface texts that one language column of the file fills.
#include "i18n/TranslationTable.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "tests/i18n/TranslationFile.h"
#include "tests/support/SpecialFiles.h"
#include "tests/support/TempFolder.h"

namespace {

using i18n_test::FileRow;
using i18n_test::Slots;
using i18n_test::TempDir;
using i18n_test::TranslationFileRows;
namespace fs = std::filesystem;

// Lines 1..count of a two-language file, "zhN,enN".
std::string Lines(int count) {
  std::string s;
  for (int n = 1; n <= count; ++n) s += "zh" + std::to_string(n) + ",en" + std::to_string(n) + "\n";
  return s;
}

// --- SplitFields -------------------------------------------------------------------------------

struct SplitRow {
  std::string line;
  char separator;
  std::vector<std::string> fields;
};

class SplitFieldsRows : public ::testing::TestWithParam<SplitRow> {};

TEST_P(SplitFieldsRows, FollowsTheStrtokRule) {
  std::vector<std::string> fields;
  EXPECT_EQ(SplitFields(GetParam().line, GetParam().separator, fields), GetParam().fields.size());
  EXPECT_EQ(fields, GetParam().fields);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, SplitFieldsRows,
    ::testing::Values(SplitRow{",,a,,b,", ',', {"a", "b"}}, SplitRow{"", ',', {}},
                      SplitRow{",,,", ',', {}}, SplitRow{"abc", ',', {"abc"}},
                      SplitRow{"A,,B", ',', {"A", "B"}}, SplitRow{",B", ',', {"B"}},
                      SplitRow{"A , B", ',', {"A ", " B"}},
                      SplitRow{"A,\"B,C\"", ',', {"A", "\"B", "C\""}},
                      SplitRow{"a b;c", ' ', {"a", "b;c"}}, SplitRow{"x\r", ',', {"x\r"}},
                      SplitRow{std::string("a\0,b", 4), ',', {"a"}},
                      SplitRow{"a,b", '\0', {"a,b"}}));

TEST(SplitFields, AppendsToTheListAndCountsAllOfIt) {
  std::vector<std::string> fields{"old"};
  EXPECT_EQ(SplitFields("a,b", ',', fields), 3u);
  EXPECT_EQ(fields, (std::vector<std::string>{"old", "a", "b"}));
  EXPECT_EQ(SplitFields(",,", ',', fields), 3u);
}

// --- Files -------------------------------------------------------------------------------------

TEST_P(TranslationFileRows, FillsExactlyTheSlotsTheFileProvides) {
  Check();
}

INSTANTIATE_TEST_SUITE_P(
    Grammar, TranslationFileRows,
    ::testing::Values(FileRow{"Language1", "x,y\n", 1, {{1, "x"}}},
                      FileRow{"Language2", "x,y\n", 2, {{1, "y"}}},
                      FileRow{"EmptyLinesCount", "\n\nA,B\n", 1, {{3, "A"}}},
                      FileRow{"CrLfLikeLf", "a,b\r\nc,d\r\n", 2, {{1, "b"}, {2, "d"}}},
                      FileRow{"LoneCrStaysInTheField", "A,B\r\r\n", 2, {{1, "B\r"}}},
                      FileRow{"LastLineWithoutLfIgnored", "A,B\nC,D", 1, {{1, "A"}}},
                      FileRow{"DoubleCommaIsOneSeparator", "A,,B\n", 2, {{1, "B"}}},
                      FileRow{"LeadingCommaField1", ",B\n", 1, {{1, "B"}}},
                      FileRow{"LeadingCommaNoField2", ",B\n", 2, {}},
                      FileRow{"OnlyCommas", ",,,\n", 1, {}},
                      FileRow{"NoQuotingField2", "A,\"B,C\"\n", 2, {{1, "\"B"}}},
                      FileRow{"NoQuotingField3", "A,\"B,C\"\n", 3, {{1, "C\""}}},
                      FileRow{"SpacesBelongField1", "A , B\n", 1, {{1, "A "}}},
                      FileRow{"SpacesBelongField2", "A , B\n", 2, {{1, " B"}}},
                      FileRow{"NulStopsTheParse",
                              std::string("1\n2\n3\n4\nfi\0ve\n6\n", 17),
                              1,
                              {{1, "1"}, {2, "2"}, {3, "3"}, {4, "4"}}},
                      FileRow{"CtrlZEndsTheData",
                              "a\nb\x1a"
                              "c\nd\n",
                              1,
                              {{1, "a"}}},
                      FileRow{"EmptyFile", "", 1, {}}),
    [](const ::testing::TestParamInfo<FileRow>& info) { return std::string(info.param.name); });

TEST_F(TempDir, MissingFileGivesNoRows) {
  TranslationTable table;
  EXPECT_FALSE(table.Load((dir_ / "missing.csv").string().c_str()));
  EXPECT_TRUE(table.Rows().empty());
}

TEST_F(TempDir, EmptyFileLoadsWithoutRows) {
  Put("");
  TranslationTable table;
  EXPECT_TRUE(table.Load(path_.c_str()));
  EXPECT_TRUE(table.Rows().empty());
}

TEST_F(TempDir, RowsAndFields) {
  Put("\na,b\n,,,\nc\n");
  TranslationTable table;
  ASSERT_TRUE(table.Load(path_.c_str()));
  ASSERT_EQ(table.Rows().size(), 3u);
  EXPECT_EQ(table.Rows().count(1), 0u);
  EXPECT_EQ(table.Rows().at(2), (TranslationTable::Row{{1, "a"}, {2, "b"}}));
  EXPECT_TRUE(table.Rows().at(3).empty());  // a line of commas is a row without fields
  EXPECT_EQ(table.Rows().at(4), (TranslationTable::Row{{1, "c"}}));
  ASSERT_NE(table.Field(2, 2), nullptr);
  EXPECT_EQ(*table.Field(2, 2), "b");
  EXPECT_EQ(table.Field(2, 3), nullptr);
  EXPECT_EQ(table.Field(3, 1), nullptr);
  EXPECT_EQ(table.Field(9, 1), nullptr);
}

TEST_F(TempDir, ASecondLoadReplacesTheRows) {
  Put("a,b\nc,d\n");
  TranslationTable table;
  ASSERT_TRUE(table.Load(path_.c_str()));
  EXPECT_FALSE(table.Load((dir_ / "missing.csv").string().c_str()));
  EXPECT_TRUE(table.Rows().empty());
}

// A folder or a named pipe named language.csv cannot be opened, as a missing file cannot, and
// nothing waits for a writer.
class SpecialTranslationFile : public ::testing::TestWithParam<testing_support::SpecialFile> {};

TEST_P(SpecialTranslationFile, CannotBeLoaded) {
  testing_support::TempFolder folder;
  const fs::path path = folder.Path() / "language.csv";
  KESTRIVAL_MAKE_SPECIAL_FILE(path, GetParam());
  TranslationTable table;
  bool loaded = true;
  EXPECT_TRUE(
      testing_support::WithoutWriter(path, [&] { loaded = table.Load(path.string().c_str()); }));
  EXPECT_FALSE(loaded);
  EXPECT_TRUE(table.Rows().empty());
}

INSTANTIATE_TEST_SUITE_P(Kinds, SpecialTranslationFile,
                         ::testing::Values(testing_support::SpecialFile::kFolder,
                                           testing_support::SpecialFile::kNamedPipe),
                         [](const auto& info) { return SpecialFileName(info.param); });

// Only lines up to the last one asked for become rows; the file is not read further.
TEST_F(TempDir, RowsStopAtTheLastLineAskedFor) {
  Put(Lines(520) + std::string("tail\0,x\n", 9));
  struct Row {
    std::uint32_t lastLine;
    std::size_t rows;
  };
  for (const Row& row : {Row{511, 511}, Row{3, 3}, Row{1, 1}, Row{0, 0}, Row{600, 520}}) {
    TranslationTable table;
    ASSERT_TRUE(table.Load(path_.c_str(), row.lastLine));
    EXPECT_EQ(table.Rows().size(), row.rows) << row.lastLine;
    if (row.rows > 0) {
      EXPECT_EQ(table.Rows().rbegin()->first, row.rows) << row.lastLine;
    }
  }
}

// Lines longer than the pieces the file is read in, and line feeds on either side of a piece's
// end, give the rows a whole-file parse gives.
TEST_F(TempDir, LinesAcrossReadPiecesAreWhole) {
  const std::size_t lengths[] = {65535, 65536, 0, 1, 131073, 65534, 2, 200000};
  std::string contents;
  std::map<std::uint32_t, std::string> expected;
  std::uint32_t number = 1;
  for (std::size_t length : lengths) {
    std::string line(length, static_cast<char>('a' + number % 26));
    if (length > 1) line[length / 2] = ',';
    contents += line + "\n";
    if (length > 0) expected[number] = line.substr(0, length > 1 ? length / 2 : 1);
    ++number;
  }
  contents += "no line feed";
  Put(contents);
  TranslationTable table;
  ASSERT_TRUE(table.Load(path_.c_str()));
  ASSERT_EQ(table.Rows().size(), expected.size());
  for (const auto& [line, field] : expected) {
    ASSERT_NE(table.Field(line, 1), nullptr) << line;
    EXPECT_EQ(*table.Field(line, 1), field) << line;
  }
}

}  // namespace

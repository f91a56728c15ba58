// Text-mode reading as the C runtime does it: CR LF reads as LF, a lone CR stays, 0x1A ends.
// And a whole file read as it is, within a limit (files::ReadWhole).
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <limits>
#include <string>

#include "platform/kernel.h"
#include "platform/kernel_files.h"
#include "tests/support/SpecialFiles.h"
#include "tests/support/TempFolder.h"

namespace {

namespace fs = std::filesystem;

class TextModeFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = folder_.Path();
    path_ = folder_.File("file.csv");
  }

  void Put(const std::string& bytes) const { std::ofstream(path_, std::ios::binary) << bytes; }

  // Reads the whole file in chunks of the given size.
  std::string ReadAll(std::size_t chunk) const {
    platform::TextModeFile file;
    EXPECT_TRUE(file.Open(path_.c_str()));
    std::string out;
    std::string buffer(chunk, '\0');
    for (;;) {
      std::size_t n = file.Read(buffer.data(), chunk);
      if (n == 0) break;
      EXPECT_LE(n, chunk);
      out.append(buffer, 0, n);
    }
    return out;
  }

  testing_support::TempFolder folder_;
  fs::path dir_;
  std::string path_;
};

TEST_F(TextModeFileTest, ObservedRow) {
  const std::string bytes(
      "a,b\r\nc\r\rd\ne\x1a"
      "f\n",
      15);
  Put(bytes);
  platform::TextModeFile file;
  ASSERT_TRUE(file.Open(path_.c_str()));
  EXPECT_EQ(file.Size(), 15);
  char buffer[16];
  std::size_t n = file.Read(buffer, sizeof buffer);
  EXPECT_EQ(std::string(buffer, n), "a,b\nc\r\rd\ne");
  EXPECT_EQ(file.Size(), 15);  // the size on disk, also after reading
  EXPECT_EQ(file.Read(buffer, sizeof buffer), 0u);
}

struct Row {
  std::string bytes;
  std::string text;
};

class TextModeRows : public TextModeFileTest, public ::testing::WithParamInterface<Row> {};

TEST_P(TextModeRows, ReadsTheSameInEveryChunkSize) {
  Put(GetParam().bytes);
  for (std::size_t chunk : {1, 2, 3, 4, 5, 7, 64, 4096}) {
    EXPECT_EQ(ReadAll(chunk), GetParam().text) << "chunk " << chunk;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, TextModeRows,
    ::testing::Values(Row{"", ""}, Row{"a\r\n", "a\n"}, Row{"\r", "\r"}, Row{"\r\r\n", "\r\n"},
                      Row{"\r\n\r\n", "\n\n"}, Row{"\n\r", "\n\r"},
                      Row{"\x1a"
                          "abc",
                          ""},
                      Row{"a\r\x1a"
                          "b",
                          "a\r"},
                      Row{"x,y\ny", "x,y\ny"},
                      Row{std::string("a\0\r\nb", 5), std::string("a\0\nb", 4)},
                      Row{"a,b\r\nc\r\rd\ne\x1a"
                          "f\n",
                          "a,b\nc\r\rd\ne"}));

TEST_F(TextModeFileTest, CrLfSplitByTheBufferEnd) {
  Put("ab\r\ncd");
  platform::TextModeFile file;
  ASSERT_TRUE(file.Open(path_.c_str()));
  char buffer[8];
  ASSERT_EQ(file.Read(buffer, 2), 2u);
  EXPECT_EQ(std::string(buffer, 2), "ab");
  ASSERT_EQ(file.Read(buffer, 1), 1u);
  EXPECT_EQ(buffer[0], '\n');
  ASSERT_EQ(file.Read(buffer, 8), 2u);
  EXPECT_EQ(std::string(buffer, 2), "cd");
}

TEST_F(TextModeFileTest, LoneCrFillingTheBufferKeepsTheNextByte) {
  Put("a\rb");
  platform::TextModeFile file;
  ASSERT_TRUE(file.Open(path_.c_str()));
  char buffer[4];
  ASSERT_EQ(file.Read(buffer, 2), 2u);
  EXPECT_EQ(std::string(buffer, 2), "a\r");
  ASSERT_EQ(file.Read(buffer, 4), 1u);
  EXPECT_EQ(buffer[0], 'b');
}

TEST_F(TextModeFileTest, MissingFileAndClosedFile) {
  platform::TextModeFile file;
  EXPECT_FALSE(file.Open((dir_ / "missing").string().c_str()));
  EXPECT_EQ(file.Size(), -1);
  char buffer[4];
  EXPECT_EQ(file.Read(buffer, sizeof buffer), 0u);
  Put("abc");
  ASSERT_TRUE(file.Open(path_.c_str()));
  file.Close();
  EXPECT_EQ(file.Read(buffer, sizeof buffer), 0u);
}

// A folder or a named pipe is no file: it cannot be opened, at once, as a missing file cannot.
class TextModeSpecialFile : public ::testing::TestWithParam<testing_support::SpecialFile> {};

TEST_P(TextModeSpecialFile, CannotBeOpenedAndNothingWaits) {
  testing_support::TempFolder folder;
  const std::filesystem::path path = folder.Path() / "language.csv";
  KESTRIVAL_MAKE_SPECIAL_FILE(path, GetParam());
  bool opened = true;
  EXPECT_TRUE(testing_support::WithoutWriter(path, [&] {
    platform::TextModeFile file;
    opened = file.Open(path.string().c_str());
  }));
  EXPECT_FALSE(opened);
}

INSTANTIATE_TEST_SUITE_P(Kinds, TextModeSpecialFile,
                         ::testing::Values(testing_support::SpecialFile::kFolder,
                                           testing_support::SpecialFile::kNamedPipe),
                         [](const auto& info) { return SpecialFileName(info.param); });

TEST_F(TextModeFileTest, ReopenStartsAfresh) {
  Put("a\x1a");
  platform::TextModeFile file;
  ASSERT_TRUE(file.Open(path_.c_str()));
  char buffer[4];
  EXPECT_EQ(file.Read(buffer, sizeof buffer), 1u);
  ASSERT_TRUE(file.Open(path_.c_str()));
  EXPECT_EQ(file.Read(buffer, sizeof buffer), 1u);
}

TEST_F(TextModeFileTest, LargeFile) {
  std::string bytes, text;
  for (int i = 0; i < 200000; ++i) {
    bytes += "line,\r\n";
    text += "line,\n";
  }
  Put(bytes);
  EXPECT_EQ(ReadAll(1 << 16), text);
}

// What stands at the path ReadWhole is given.
enum class Thing { kNothing, kFile, kFolder, kNamedPipe };

struct ReadWholeRow {
  const char* name;
  Thing thing;
  std::string bytes;  // of the file
  std::size_t limit;
  bool ok;
  std::string result;  // the bytes read, or the reason
};

class ReadWholeRows : public ::testing::TestWithParam<ReadWholeRow> {};

TEST_P(ReadWholeRows, ReadsTheFileAsItIsOrSaysWhyNot) {
  const ReadWholeRow& row = GetParam();
  testing_support::TempFolder folder;
  // A name outside code page 936 and ASCII: the path is UTF-8 on every system.
  fs::path path = folder.Path() / fs::path(u8"配置 Ω.json");
  if (row.thing == Thing::kFile) std::ofstream(path, std::ios::binary) << row.bytes;
  if (row.thing == Thing::kFolder || row.thing == Thing::kNamedPipe) {
    KESTRIVAL_MAKE_SPECIAL_FILE(path, row.thing == Thing::kFolder
                                          ? testing_support::SpecialFile::kFolder
                                          : testing_support::SpecialFile::kNamedPipe);
  }
  const std::u8string utf8 = path.u8string();
  std::string bytes = "left from before";
  std::string why;
  bool ok = !row.ok;
  EXPECT_TRUE(testing_support::WithoutWriter(path, [&] {
    ok = platform::files::ReadWhole(std::string(utf8.begin(), utf8.end()), &bytes, row.limit, &why);
  }));
  EXPECT_EQ(ok, row.ok);
  EXPECT_EQ(row.ok ? bytes : why, row.result);
  if (!row.ok) {
    EXPECT_EQ(bytes, "");
  }
}

constexpr std::size_t kNoLimit = std::numeric_limits<std::size_t>::max();

INSTANTIATE_TEST_SUITE_P(
    Rows, ReadWholeRows,
    ::testing::Values(
        ReadWholeRow{"Missing", Thing::kNothing, "", 100, false, "no such file"},
        ReadWholeRow{"Folder", Thing::kFolder, "", 100, false, "a folder, not a file"},
        ReadWholeRow{"NamedPipe", Thing::kNamedPipe, "", 100, false, "not a regular file"},
        ReadWholeRow{"OneByteTooLarge", Thing::kFile, "{\"a\":1}", 6, false, "larger than 6 bytes"},
        ReadWholeRow{"ExactlyTheLimit", Thing::kFile, "{\"a\":1}", 7, true, "{\"a\":1}"},
        ReadWholeRow{"BytesAsTheyAre", Thing::kFile, std::string("a\r\n\0\x1a\xff", 6), 100, true,
                     std::string("a\r\n\0\x1a\xff", 6)},
        ReadWholeRow{"LargerThanOneReadWithoutLimit", Thing::kFile, std::string(200000, 'x'),
                     kNoLimit, true, std::string(200000, 'x')}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace

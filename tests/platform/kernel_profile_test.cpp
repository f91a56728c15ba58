// The private-profile functions against the rows known from Windows (and from Wine where it
// agrees).
#include <gtest/gtest.h>
#ifndef _WIN32
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "platform/kernel.h"
#include "tests/support/SpecialFiles.h"
#include "tests/support/TempFolder.h"

namespace {

namespace fs = std::filesystem;

class ProfileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = folder_.Path();
    path_ = folder_.File("config.ini");
  }

  void Put(const std::string& bytes) const { Put(path_, bytes); }
  static void Put(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
  }
  std::string Contents() const {
    std::ifstream in(path_, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  UINT Int(const char* section, const char* key, INT def) const {
    return GetPrivateProfileIntA(section, key, def, path_.c_str());
  }
  std::string String(const char* section, const char* key, const char* def, DWORD size = 256,
                     DWORD* count = nullptr) const {
    std::string buffer(size, '\x55');
    DWORD n = GetPrivateProfileStringA(section, key, def, buffer.data(), size, path_.c_str());
    if (count) *count = n;
    return std::string(buffer.c_str());
  }
  BOOL Write(const char* section, const char* key, const char* value) const {
    return WritePrivateProfileStringA(section, key, value, path_.c_str());
  }
  std::size_t FilesInDir() const {
    return static_cast<std::size_t>(
        std::distance(fs::directory_iterator(dir_), fs::directory_iterator()));
  }

  testing_support::TempFolder folder_;
  fs::path dir_;
  std::string path_;
};

struct IntRow {
  const char* value;
  UINT expected;
};

class ProfileIntValue : public ProfileTest, public ::testing::WithParamInterface<IntRow> {};

TEST_P(ProfileIntValue, ReadsWithDefaultNine) {
  Put(std::string("[themes]\r\nlanguage=") + GetParam().value + "\r\n");
  EXPECT_EQ(Int("themes", "language", 9), GetParam().expected) << '"' << GetParam().value << '"';
}

INSTANTIATE_TEST_SUITE_P(
    WindowsRows, ProfileIntValue,
    ::testing::Values(IntRow{"", 9}, IntRow{" 2", 2}, IntRow{"-1", 4294967295u}, IntRow{"+1", 1},
                      IntRow{"4294967297", 1}, IntRow{"4294967296", 0}, IntRow{"42A", 42},
                      IntRow{"42A9", 42}, IntRow{"B42", 0}, IntRow{"abc", 0}, IntRow{"'3'", 3},
                      IntRow{"\"4\"", 4}, IntRow{"8080 ;x", 8080}, IntRow{"  \t5", 5},
                      IntRow{"2 ", 2}, IntRow{"0x10", 0}, IntRow{"2", 2}, IntRow{"''", 9},
                      IntRow{"'3\"", 0}, IntRow{"' 7'", 7}, IntRow{"-0", 0}, IntRow{"--1", 0}));

// More observed values. Only the first 29 characters of a value count (it is read into a buffer
// of 30), so 32 zeros and a 5 read 0. A base prefix reads 0 here ("0b11", "0o17"): Wine reads
// them as binary and octal, the target system is not known to.
INSTANTIATE_TEST_SUITE_P(
    ObservedRows, ProfileIntValue,
    ::testing::Values(IntRow{" 12", 12}, IntRow{"-3", 4294967293u},
                      IntRow{"99999999999", 1215752191u}, IntRow{"0b11", 0}, IntRow{"0o17", 0},
                      IntRow{"0X1A", 0}, IntRow{"1 2", 1}, IntRow{"+-1", 0}, IntRow{"12;c", 12},
                      IntRow{"'5", 0}, IntRow{"\"6'", 0}, IntRow{"007", 7}, IntRow{"   ", 9},
                      IntRow{"=5", 0}, IntRow{"000000000000000000000000000000005", 0},
                      IntRow{"00000000000000000000000000005", 5}, IntRow{"\t7\t", 7},
                      IntRow{"- 5", 0}, IntRow{"2147483648", 2147483648u}));

struct LayoutRow {
  const char* name;
  const char* bytes;
  UINT expected;
};

class ProfileLayout : public ProfileTest, public ::testing::WithParamInterface<LayoutRow> {};

TEST_P(ProfileLayout, ReadsTheKeyAsObserved) {
  Put(GetParam().bytes);
  EXPECT_EQ(Int("themes", "language", 9), GetParam().expected) << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(
    ObservedRows, ProfileLayout,
    ::testing::Values(
        LayoutRow{"key without =", "[themes]\r\nlanguage\r\n", 9},
        LayoutRow{"duplicate key", "[themes]\r\nlanguage=3\r\nlanguage=4\r\n", 3},
        LayoutRow{"second same-named section", "[themes]\r\nx=1\r\n[themes]\r\nlanguage=3\r\n", 9},
        LayoutRow{"both sections", "[themes]\r\nlanguage=5\r\n[themes]\r\nlanguage=3\r\n", 5},
        LayoutRow{"tabs around key", "[themes]\r\n\tlanguage\t=\t6\r\n", 6},
        LayoutRow{"comment after header", "[themes] ; c\r\nlanguage=2\r\n", 2},
        LayoutRow{"header without ]", "[themes\r\nlanguage=2\r\n", 9},
        LayoutRow{"commented key", "[themes]\r\n;language=2\r\n", 9},
        LayoutRow{"CR-only line ends", "[themes]\rlanguage=2\r", 2},
        LayoutRow{"CR-only, key after another", "[a]\rx=1\r[themes]\rother=1\rlanguage=4\r", 4},
        LayoutRow{"UTF-8 BOM", "\xEF\xBB\xBF[themes]\r\nlanguage=2\r\n", 2},
        LayoutRow{"BOM only at the start", "[a]\r\n\xEF\xBB\xBF[themes]\r\nlanguage=2\r\n", 9},
        LayoutRow{"no final newline", "[themes]\r\nlanguage=2", 2}));

struct WriteRow {
  const char* name;
  const char* before;
  const char* section;
  const char* key;
  const char* value;
  const char* after;
};

class ProfileWrite : public ProfileTest, public ::testing::WithParamInterface<WriteRow> {};

TEST_P(ProfileWrite, WritesTheObservedBytes) {
  Put(GetParam().before);
  EXPECT_TRUE(Write(GetParam().section, GetParam().key, GetParam().value));
  EXPECT_EQ(Contents(), GetParam().after) << GetParam().name;
}

// Observed bytes, except where the rest of the file is kept on purpose (the blank line, the LF
// line ends): Wine rewrites the whole file, the target system keeps what it does not change.
INSTANTIATE_TEST_SUITE_P(
    ObservedRows, ProfileWrite,
    ::testing::Values(WriteRow{"odd spelling", "[THEMES]\r\n  Language = 7\r\n", "themes",
                               "language", "1", "[THEMES]\r\nLanguage=1\r\n"},
                      WriteRow{"after no final newline", "[themes]\r\nlanguage=2", "Version_Info",
                               "Version", "20171001",
                               "[themes]\r\nlanguage=2\r\n[Version_Info]\r\nVersion=20171001\r\n"},
                      WriteRow{"LF file (kept)", "[themes]\nlanguage=2\nx=1\n", "themes",
                               "language", "1", "[themes]\nlanguage=1\nx=1\n"},
                      WriteRow{"new key before blank line (kept)",
                               "[themes]\r\nx=1\r\n\r\n[Other]\r\ny=2\r\n", "themes", "language",
                               "1", "[themes]\r\nx=1\r\nlanguage=1\r\n\r\n[Other]\r\ny=2\r\n"},
                      WriteRow{"comment lines", "[themes]\r\n; c\r\nlanguage=2\r\n", "themes",
                               "language", "3", "[themes]\r\n; c\r\nlanguage=3\r\n"},
                      WriteRow{"value with spaces", "[themes]\r\nlanguage=2\r\n", "themes",
                               "language", " 4 ", "[themes]\r\nlanguage=4 \r\n"},
                      WriteRow{"new value with spaces", "", "themes", "language", "\t 5",
                               "[themes]\r\nlanguage=5\r\n"},
                      WriteRow{"CR-only file", "[themes]\rlanguage=2\r", "themes", "language", "3",
                               "[themes]\rlanguage=3\r"},
                      WriteRow{"CR-only file, new section", "[themes]\rlanguage=2\r", "a", "x", "1",
                               "[themes]\rlanguage=2\r[a]\r\nx=1\r\n"},
                      WriteRow{"BOM kept", "\xEF\xBB\xBF[themes]\r\nlanguage=2\r\n", "themes",
                               "language", "1", "\xEF\xBB\xBF[themes]\r\nlanguage=1\r\n"}));

TEST_F(ProfileTest, MissingFileSectionKeyOrEqualsGiveTheDefault) {
  EXPECT_EQ(Int("themes", "language", 7), 7u);
  EXPECT_EQ(Int("themes", "language", -3), static_cast<UINT>(-3));
  Put("[other]\r\nlanguage=2\r\n[themes]\r\nlang=3\r\nlanguage\r\n");
  EXPECT_EQ(Int("missing", "language", 7), 7u);
  EXPECT_EQ(Int("themes", "nokey", 7), 7u);
  EXPECT_EQ(Int("themes", "language", 7), 7u);  // a key line without '='
}

// A folder or a named pipe named config.ini reads as a missing file: every key gives its default,
// at once.
class ProfileSpecialFile : public ProfileTest,
                           public ::testing::WithParamInterface<testing_support::SpecialFile> {};

TEST_P(ProfileSpecialFile, ReadsAsAMissingFile) {
  KESTRIVAL_MAKE_SPECIAL_FILE(path_, GetParam());
  UINT value = 0;
  std::string text;
  EXPECT_TRUE(testing_support::WithoutWriter(path_, [&] {
    value = Int("themes", "language", 7);
    text = String("Version_Info", "Version", "none");
  }));
  EXPECT_EQ(value, 7u);
  EXPECT_EQ(text, "none");
}

INSTANTIATE_TEST_SUITE_P(Kinds, ProfileSpecialFile,
                         ::testing::Values(testing_support::SpecialFile::kFolder,
                                           testing_support::SpecialFile::kNamedPipe),
                         [](const auto& info) { return SpecialFileName(info.param); });

TEST_F(ProfileTest, NamesMatchInAnyCase) {
  Put("[themes]\r\nlanguage=2\r\n");
  EXPECT_EQ(Int("THEMES", "Language", 9), 2u);
  EXPECT_EQ(Int("Themes", "LANGUAGE", 9), 2u);
}

TEST_F(ProfileTest, WhiteSpaceAroundNamesAndValuesIsIgnored) {
  Put("[ themes ]\r\n  language = 2\r\n");
  EXPECT_EQ(Int("themes", "language", 9), 2u);
  EXPECT_EQ(Int(" themes", "language ", 9), 2u);
  EXPECT_EQ(String("themes", "language", "d"), "2");
}

TEST_F(ProfileTest, LfFileReadsLikeCrLf) {
  Put("[a]\nx=1\n[themes]\nlanguage=2\n");
  EXPECT_EQ(Int("themes", "language", 9), 2u);
  EXPECT_EQ(Int("a", "x", 9), 1u);
  EXPECT_EQ(String("themes", "language", ""), "2");
}

TEST_F(ProfileTest, LastLineWithoutLineEndIsRead) {
  Put("[themes]\r\nlanguage=2");
  EXPECT_EQ(Int("themes", "language", 9), 2u);
}

TEST_F(ProfileTest, FirstSectionAndFirstKeyOfANameWin) {
  Put("[s]\r\nk=1\r\nk=2\r\n[s]\r\nk=3\r\nj=4\r\n");
  EXPECT_EQ(Int("s", "k", 9), 1u);
  EXPECT_EQ(Int("s", "j", 9), 9u);  // only the first [s] is searched
}

TEST_F(ProfileTest, KeysBeforeAnySectionAndCommentsNeverMatch) {
  Put("language=5\r\n[themes]\r\n;language=6\r\n");
  EXPECT_EQ(Int("themes", "language", 9), 9u);
  EXPECT_EQ(Int("", "language", 9), 9u);
}

TEST_F(ProfileTest, GbkTrailBytesCompareExactly) {
  // "\x81\x41" and "\x81\x61" differ only in a trail byte that looks like a letter's case.
  Put("[\x81\x41]\r\nk=1\r\n");
  EXPECT_EQ(Int("\x81\x41", "k", 9), 1u);
  EXPECT_EQ(Int("\x81\x61", "k", 9), 9u);
}

TEST_F(ProfileTest, StringReadsCopyTruncateAndFallBack) {
  Put("[s]\r\nname=abcdef\r\nquoted=\"q v\"\r\nempty=\r\nbare\r\n");
  DWORD n = 0;
  EXPECT_EQ(String("s", "name", "d", 256, &n), "abcdef");
  EXPECT_EQ(n, 6u);
  EXPECT_EQ(String("s", "name", "d", 4, &n), "abc");
  EXPECT_EQ(n, 3u);
  EXPECT_EQ(String("s", "name", "d", 1, &n), "");
  EXPECT_EQ(n, 0u);
  EXPECT_EQ(String("s", "quoted", "d"), "q v");
  EXPECT_EQ(String("s", "empty", "d", 256, &n), "");
  EXPECT_EQ(n, 0u);
  EXPECT_EQ(String("s", "bare", "dflt"), "dflt");
  EXPECT_EQ(String("s", "missing", "dflt  ", 256, &n),
            "dflt");  // trailing blanks of the default go
  EXPECT_EQ(n, 4u);
  EXPECT_EQ(String("s", "missing", nullptr), "");
  char untouched = 'x';
  EXPECT_EQ(GetPrivateProfileStringA("s", "name", "d", &untouched, 0, path_.c_str()), 0u);
  EXPECT_EQ(untouched, 'x');
}

TEST_F(ProfileTest, NullSectionOrKeyListsNames) {
  Put("[one]\r\na=1\r\nb=2\r\n[two]\r\n");
  char buffer[64];
  DWORD n = GetPrivateProfileStringA(nullptr, nullptr, "", buffer, sizeof buffer, path_.c_str());
  EXPECT_EQ(n, 8u);
  EXPECT_EQ(std::string(buffer, n + 1), std::string("one\0two\0\0", 9));
  n = GetPrivateProfileStringA("ONE", nullptr, "", buffer, sizeof buffer, path_.c_str());
  EXPECT_EQ(std::string(buffer, n + 1), std::string("a\0b\0\0", 5));
  n = GetPrivateProfileStringA(nullptr, nullptr, "", buffer, 7, path_.c_str());
  EXPECT_EQ(n, 5u);  // cut, still closed by two NULs, and size - 2 reported
  EXPECT_EQ(std::string(buffer, 7), std::string("one\0t\0\0", 7));
}

TEST_F(ProfileTest, TwoWritesToAMissingFileGiveTheExactBytes) {
  EXPECT_TRUE(Write("Version_Info", "Version", "20171001"));
  EXPECT_TRUE(Write("themes", "language", "2"));
  EXPECT_EQ(Contents(), "[Version_Info]\r\nVersion=20171001\r\n[themes]\r\nlanguage=2\r\n");
  EXPECT_EQ(Int("themes", "language", 9), 2u);
}

TEST_F(ProfileTest, ARewriteChangesOnlyTheValue) {
  Write("Version_Info", "Version", "20171001");
  Write("themes", "language", "2");
  EXPECT_TRUE(Write("Version_Info", "Version", "20171001"));
  EXPECT_TRUE(Write("themes", "language", "1"));
  EXPECT_EQ(Contents(), "[Version_Info]\r\nVersion=20171001\r\n[themes]\r\nlanguage=1\r\n");
}

TEST_F(ProfileTest, RewriteKeepsTheKeySpellingAndLineEnd) {
  Put("[Themes]\nLANGUAGE = 1\nother=x\n");
  EXPECT_TRUE(Write("themes", "language", "2"));
  EXPECT_EQ(Contents(), "[Themes]\nLANGUAGE=2\nother=x\n");
}

TEST_F(ProfileTest, RewriteKeepsCommentsOtherSectionsAndBlankLines) {
  const std::string before =
      "; settings of the tool\r\n[other]\r\nkey=value\r\n\r\n[themes]\r\nlanguage=1\r\n";
  Put(before);
  EXPECT_TRUE(Write("themes", "language", "2"));
  EXPECT_EQ(Contents(),
            "; settings of the tool\r\n[other]\r\nkey=value\r\n\r\n[themes]\r\nlanguage=2\r\n");
  EXPECT_TRUE(Write("Version_Info", "Version", "20171001"));
  EXPECT_EQ(Contents(),
            "; settings of the tool\r\n[other]\r\nkey=value\r\n\r\n[themes]\r\nlanguage=2\r\n"
            "[Version_Info]\r\nVersion=20171001\r\n");
}

TEST_F(ProfileTest, NewKeyGoesAtTheEndOfItsSection) {
  Put("[a]\r\nx=1\r\n\r\n[b]\r\ny=2\r\n");
  EXPECT_TRUE(Write("A", "z", "3"));
  EXPECT_EQ(Contents(), "[a]\r\nx=1\r\nz=3\r\n\r\n[b]\r\ny=2\r\n");
  EXPECT_TRUE(Write("b", "w", "4"));
  EXPECT_EQ(Contents(), "[a]\r\nx=1\r\nz=3\r\n\r\n[b]\r\ny=2\r\nw=4\r\n");
}

TEST_F(ProfileTest, WritesAfterAFileWithoutFinalLineEndStartANewLine) {
  Put("[a]\r\nx=1");
  EXPECT_TRUE(Write("a", "y", "2"));
  EXPECT_EQ(Contents(), "[a]\r\nx=1\r\ny=2\r\n");
  Put("[a]\r\nx=1");
  EXPECT_TRUE(Write("b", "y", "2"));
  EXPECT_EQ(Contents(), "[a]\r\nx=1\r\n[b]\r\ny=2\r\n");
}

TEST_F(ProfileTest, NullValueDeletesTheKeyAndNullKeyTheSection) {
  Put("[a]\r\nx=1\r\ny=2\r\n[b]\r\nz=3\r\n");
  EXPECT_TRUE(Write("a", "x", nullptr));
  EXPECT_EQ(Contents(), "[a]\r\ny=2\r\n[b]\r\nz=3\r\n");
  EXPECT_TRUE(Write("a", nullptr, nullptr));
  EXPECT_EQ(Contents(), "[b]\r\nz=3\r\n");
  EXPECT_TRUE(Write("missing", nullptr, nullptr));
  EXPECT_EQ(Contents(), "[b]\r\nz=3\r\n");
}

#ifndef _WIN32
// POSIX: the mode bits of the file survive the replacement.
TEST_F(ProfileTest, KeepsTheFileModeAndLeavesNoTemporaryFile) {
  Put("[a]\r\nx=1\r\n");
  ASSERT_EQ(::chmod(path_.c_str(), 0640), 0);
  EXPECT_TRUE(Write("a", "x", "2"));
  struct stat st {};
  ASSERT_EQ(::stat(path_.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  EXPECT_EQ(FilesInDir(), 1u);
}
#endif

TEST_F(ProfileTest, MissingFolderFailsAndCreatesNothing) {
  std::string path = (dir_ / "no-such-folder" / "config.ini").string();
  EXPECT_FALSE(WritePrivateProfileStringA("themes", "language", "2", path.c_str()));
  EXPECT_FALSE(fs::exists(path));
  EXPECT_EQ(GetPrivateProfileIntA("themes", "language", 1, path.c_str()), 1u);
}

#ifndef _WIN32
// POSIX: folder permissions and a file-size limit make the writes fail.
TEST_F(ProfileTest, FolderWithoutWriteAccessFails) {
  if (::geteuid() == 0) GTEST_SKIP() << "root writes into any folder";
  Put("[themes]\r\nlanguage=1\r\n");
  ASSERT_EQ(::chmod(dir_.c_str(), 0555), 0);
  EXPECT_FALSE(Write("themes", "language", "2"));
  ::chmod(dir_.c_str(), 0755);
  EXPECT_EQ(Contents(), "[themes]\r\nlanguage=1\r\n");
}

TEST_F(ProfileTest, AFailedWriteKeepsTheOldFile) {
  // A file-size limit makes the write of the temporary file fail, also for root.
  const std::string before = "[themes]\r\nlanguage=1\r\n";
  Put(before);
  struct rlimit old {};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
  auto oldHandler = ::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = old;
  small.rlim_cur = 64;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  BOOL result = Write("themes", "language", std::string(4096, '7').c_str());
  ::setrlimit(RLIMIT_FSIZE, &old);
  ::signal(SIGXFSZ, oldHandler);
  EXPECT_FALSE(result);
  EXPECT_EQ(Contents(), before);
  EXPECT_EQ(FilesInDir(), 1u);
}
#endif

TEST_F(ProfileTest, HugeValuesRoundTrip) {
  std::string value(1 << 20, 'v');
  value[12345] = 'w';
  EXPECT_TRUE(Write("big", "value", value.c_str()));
  std::string buffer(value.size() + 1, '\0');
  DWORD n = GetPrivateProfileStringA("big", "value", "", buffer.data(),
                                     static_cast<DWORD>(buffer.size()), path_.c_str());
  EXPECT_EQ(n, value.size());
  EXPECT_EQ(buffer.c_str(), value);
}

TEST_F(ProfileTest, GarbageNeverCrashesAndStillTakesAWrite) {
  std::mt19937 random(20171001);
  std::string garbage;
  for (int i = 0; i < 200000; ++i) garbage.push_back(static_cast<char>(random() & 0xFF));
  garbage += std::string(100000, '[');  // a very long line
  const char tail[] = "\0[themes\0]\r\nlanguage\0=3\r\n";
  garbage.append(tail, sizeof tail - 1);  // NULs inside the names: nothing matches
  Put(garbage);
  char buffer[32];
  GetPrivateProfileStringA("themes", "language", "", buffer, sizeof buffer, path_.c_str());
  GetPrivateProfileStringA(nullptr, nullptr, "", buffer, sizeof buffer, path_.c_str());
  Int("themes", "language", 9);
  EXPECT_TRUE(Write("themes", "language", "2"));
  EXPECT_EQ(Int("themes", "language", 9), 2u);
  std::string after = Contents();
  ASSERT_GE(after.size(), garbage.size());
  EXPECT_EQ(after.compare(0, garbage.size(), garbage), 0);  // the old bytes are all still there
}

TEST_F(ProfileTest, NullArgumentsAreRefused) {
  EXPECT_EQ(GetPrivateProfileIntA("a", "b", 5, nullptr), 5u);
  EXPECT_FALSE(WritePrivateProfileStringA("a", "b", "c", nullptr));
  EXPECT_FALSE(WritePrivateProfileStringA(nullptr, "b", "c", path_.c_str()));
  EXPECT_FALSE(fs::exists(path_));
}

}  // namespace

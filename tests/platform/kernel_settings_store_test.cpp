// Settings of a program folder that its users cannot write: each user's choice goes to a per-user
// copy under $XDG_CONFIG_HOME, the folder's own file stays the default. Every case runs in a
// child process with its own environment, as an unprivileged user when the tests run as root
// (root writes into any folder, so only another user sees a read-only program folder).
#include "platform/kernel_settings_store.h"

#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/Runtime.h"
#include "platform/kernel.h"
#include "tests/support/TempFolder.h"

namespace {

namespace fs = std::filesystem;

constexpr uid_t kFirstUser = 65534;  // nobody
constexpr uid_t kSecondUser = 65533;

const char kChosenTwo[] = "[Version_Info]\r\nVersion=20171001\r\n[themes]\r\nlanguage=2\r\n";
const char kChosenOne[] = "[Version_Info]\r\nVersion=20171001\r\n[themes]\r\nlanguage=1\r\n";

bool Root() {
  return ::geteuid() == 0;
}

// Runs what in a child process as user uid (when root; otherwise as this user), with the
// environment changed as given (a value, or nullptr to unset the variable) and a runtime whose
// executable is programFolder/kestrival. Returns what the child returned, followed by the trace
// lines it wrote.
std::string InChild(uid_t uid, const std::vector<std::pair<std::string, const char*>>& env,
                    const std::string& programFolder, const std::function<std::string()>& what) {
  int fds[2];
  if (::pipe(fds) != 0) return "no pipe";
  pid_t pid = ::fork();
  if (pid < 0) return "no fork";
  if (pid == 0) {
    ::close(fds[0]);
    for (const auto& [name, value] : env) {
      if (value)
        ::setenv(name.c_str(), value, 1);
      else
        ::unsetenv(name.c_str());
    }
    if (Root() && (::setgroups(0, nullptr) != 0 || ::setgid(uid) != 0 || ::setuid(uid) != 0)) {
      _exit(3);
    }
    std::string traces;
    platform::Runtime runtime;
    runtime.modulePath = programFolder + "/kestrival";
    runtime.userSettingsName = "kestrival";
    runtime.debug = [&traces](const std::string& text) { traces += text; };
    std::string result;
    {
      platform::ScopedRuntime scoped(runtime);
      result = what();
    }
    result += "|" + traces;
    std::size_t done = 0;
    while (done < result.size()) {
      ssize_t n = ::write(fds[1], result.data() + done, result.size() - done);
      if (n <= 0) break;
      done += static_cast<std::size_t>(n);
    }
    _exit(0);
  }
  ::close(fds[1]);
  std::string out;
  char chunk[4096];
  ssize_t n;
  while ((n = ::read(fds[0], chunk, sizeof chunk)) > 0 || (n < 0 && errno == EINTR)) {
    if (n > 0) out.append(chunk, static_cast<std::size_t>(n));
  }
  ::close(fds[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return "child failed";
  return out;
}

// What the language menu does (two writes), then the read-back of the language with default 1.
std::string Choose(const std::string& file, const char* language) {
  BOOL a = WritePrivateProfileStringA("Version_Info", "Version", "20171001", file.c_str());
  BOOL b = WritePrivateProfileStringA("themes", "language", language, file.c_str());
  return std::string(a ? "T" : "F") + (b ? "T" : "F") + " " +
         std::to_string(GetPrivateProfileIntA("themes", "language", 1, file.c_str()));
}

std::string ReadLanguage(const std::string& file) {
  return std::to_string(GetPrivateProfileIntA("themes", "language", 1, file.c_str()));
}

// A scratch tree that another user can walk: the program folder (owned by this user, so read-only
// to the other users unless opened up), and one home folder per user.
class SettingsStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::permissions(folder_.Path(), fs::perms(0755));
    program_ = folder_.File("program");
    fs::create_directory(program_);
    shared_ = program_ + "/config.ini";
  }
  // Folders closed by a test open again, so that the scratch tree can be removed.
  void TearDown() override {
    for (const auto& entry : fs::recursive_directory_iterator(folder_.Path())) {
      if (entry.is_directory())
        fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add);
    }
  }

  // A home folder that belongs to uid (when root can give it away).
  std::string Home(const std::string& name, uid_t uid) const {
    std::string home = folder_.File(name);
    fs::create_directory(home);
    if (Root()) {
      EXPECT_EQ(::chown(home.c_str(), uid, uid), 0);
    }
    return home;
  }

  // The program folder as an installed one: nobody but its owner (root) may write it; when not
  // root, not even this user.
  void ProtectProgramFolder() const { fs::permissions(program_, fs::perms(Root() ? 0755 : 0555)); }

  std::string Read(const std::string& path) const {
    std::string rel = fs::relative(path, folder_.Path()).string();
    return folder_.Exists(rel) ? folder_.Read(rel) : "(none)";
  }

  testing_support::TempFolder folder_{"kestrival-store"};
  std::string program_, shared_;
};

TEST_F(SettingsStoreTest, WritableProgramFolderKeepsItsOwnFile) {
  std::string home = Home("home", ::geteuid());
  std::string xdg = home + "/cfg";
  std::string result = InChild(::geteuid(), {{"XDG_CONFIG_HOME", xdg.c_str()}}, program_,
                               [&] { return Choose(shared_, "2"); });
  EXPECT_EQ(result, "TT 2|");
  EXPECT_EQ(Read(shared_), kChosenTwo);
  EXPECT_FALSE(fs::exists(xdg));
}

// Where XDG_CONFIG_HOME points, for one row.
enum class Store { kXdg, kUnsetUseHome, kEmptyUseHome, kRelativeUseHome, kUnwritable, kAFile };

struct RedirectRow {
  const char* name;
  const char* shared;  // the program folder's config.ini, or nullptr for none
  Store store;
  const char* choice;    // the language chosen in the menu, or nullptr for a start that only reads
  const char* expected;  // the child's writes and read-back
  const char* userFile;  // the per-user copy afterwards, or nullptr for none anywhere
  const char* traceExcerpt;  // "" for no trace line
};

class Redirect : public SettingsStoreTest, public ::testing::WithParamInterface<RedirectRow> {};

TEST_P(Redirect, ReadOnlyProgramFolder) {
  const RedirectRow& row = GetParam();
  if (row.shared) folder_.Write("program/config.ini", row.shared);
  ProtectProgramFolder();
  const std::string home = Home("home", kFirstUser);
  std::string xdg;
  std::string copy = home + "/.config/kestrival/config.ini";
  switch (row.store) {
    case Store::kXdg:
      xdg = home + "/xdg";
      copy = xdg + "/kestrival/config.ini";
      break;
    case Store::kUnsetUseHome:
      break;
    case Store::kEmptyUseHome:
      xdg = "";
      break;
    case Store::kRelativeUseHome:
      xdg = "relative/config";
      break;
    case Store::kUnwritable:
      xdg = folder_.File("locked");
      fs::create_directory(xdg);
      fs::permissions(xdg, fs::perms(Root() ? 0755 : 0555));
      copy = xdg + "/kestrival/config.ini";
      break;
    case Store::kAFile:
      xdg = folder_.File("a-file");
      folder_.Write("a-file", "x");
      copy = xdg + "/kestrival/config.ini";
      break;
  }
  std::vector<std::pair<std::string, const char*>> env = {{"HOME", home.c_str()}};
  env.emplace_back("XDG_CONFIG_HOME", row.store == Store::kUnsetUseHome ? nullptr : xdg.c_str());

  std::string result = InChild(kFirstUser, env, program_, [&] {
    return row.choice ? Choose(shared_, row.choice) : ReadLanguage(shared_);
  });

  const std::string traces = result.substr(result.find('|') + 1);
  EXPECT_EQ(result.substr(0, result.find('|')), row.expected);
  if (*row.traceExcerpt == '\0') {
    EXPECT_EQ(traces, "");
  } else {
    EXPECT_NE(traces.find(row.traceExcerpt), std::string::npos) << traces;
  }
  EXPECT_EQ(Read(copy), row.userFile ? row.userFile : "(none)");
  EXPECT_EQ(Read(shared_), row.shared ? row.shared : "(none)");  // the program folder untouched
  if (!row.userFile) {
    EXPECT_FALSE(fs::exists(home + "/.config"));
  }
}

const char kSharedTwo[] = "[themes]\r\nlanguage=2\r\n";

INSTANTIATE_TEST_SUITE_P(
    Rows, Redirect,
    ::testing::Values(
        RedirectRow{"FirstChoiceMakesTheCopy", nullptr, Store::kXdg, "2", "TT 2", kChosenTwo, ""},
        RedirectRow{"HomeConfigWhenUnset", nullptr, Store::kUnsetUseHome, "2", "TT 2", kChosenTwo,
                    ""},
        RedirectRow{"HomeConfigWhenEmpty", nullptr, Store::kEmptyUseHome, "2", "TT 2", kChosenTwo,
                    ""},
        RedirectRow{"HomeConfigWhenRelative", nullptr, Store::kRelativeUseHome, "2", "TT 2",
                    kChosenTwo, ""},
        RedirectRow{"SharedFileIsTheDefault", kSharedTwo, Store::kXdg, nullptr, "2", nullptr, ""},
        RedirectRow{"UserChoiceOverridesShared", kSharedTwo, Store::kXdg, "1", "TT 1", kChosenOne,
                    ""},
        RedirectRow{"NoSharedFileNoChoice", nullptr, Store::kXdg, nullptr, "1", nullptr, ""},
        RedirectRow{"UnwritableStoreKeepsNothing", nullptr, Store::kUnwritable, "2", "FF 1",
                    nullptr, "keeps no change"},
        RedirectRow{"UnwritableStoreReadsShared", kSharedTwo, Store::kUnwritable, "1", "FF 2",
                    nullptr, "cannot be written either"},
        RedirectRow{"StoreThatIsAFile", nullptr, Store::kAFile, "2", "FF 1", nullptr,
                    "Not a directory"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SettingsStoreTest, TwoUsersKeepTheirOwnChoice) {
  ProtectProgramFolder();
  const std::string first = Home("first", kFirstUser);
  const std::string second = Home("second", kSecondUser);
  auto as = [&](uid_t uid, const std::string& home, const std::function<std::string()>& what) {
    return InChild(uid, {{"HOME", home.c_str()}, {"XDG_CONFIG_HOME", nullptr}}, program_, what);
  };
  EXPECT_EQ(as(kFirstUser, first, [&] { return Choose(shared_, "2"); }), "TT 2|");
  EXPECT_EQ(as(kSecondUser, second, [&] { return Choose(shared_, "1"); }), "TT 1|");
  EXPECT_EQ(as(kFirstUser, first, [&] { return ReadLanguage(shared_); }), "2|");
  EXPECT_EQ(as(kSecondUser, second, [&] { return ReadLanguage(shared_); }), "1|");
  EXPECT_EQ(Read(first + "/.config/kestrival/config.ini"), kChosenTwo);
  EXPECT_EQ(Read(second + "/.config/kestrival/config.ini"), kChosenOne);
  EXPECT_FALSE(fs::exists(shared_));
  if (Root()) {
    struct stat st {};
    ASSERT_EQ(::stat((first + "/.config/kestrival").c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, kFirstUser);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
  }
}

TEST_F(SettingsStoreTest, ReadOnlyFileInAWritableFolderIsRedirected) {
  folder_.Write("program/config.ini", kSharedTwo);
  fs::permissions(shared_, fs::perms(0444));
  if (Root()) fs::permissions(program_, fs::perms(0777));  // the other user may write the folder
  const std::string home = Home("home", kFirstUser);
  std::string result = InChild(kFirstUser, {{"HOME", home.c_str()}, {"XDG_CONFIG_HOME", nullptr}},
                               program_, [&] { return Choose(shared_, "1"); });
  EXPECT_EQ(result, "TT 1|");
  EXPECT_EQ(Read(shared_), kSharedTwo);
  EXPECT_EQ(Read(home + "/.config/kestrival/config.ini"), kChosenOne);
}

TEST_F(SettingsStoreTest, OtherFoldersAreNeverRedirected) {
  const std::string other = folder_.File("elsewhere");
  fs::create_directory(other);
  fs::permissions(other, fs::perms(Root() ? 0755 : 0555));
  const std::string home = Home("home", kFirstUser);
  std::string result = InChild(kFirstUser, {{"HOME", home.c_str()}}, program_, [&] {
    return Choose(other + "/config.ini", "2") + " " +
           (platform::ProfileIsRedirected(other + "/x") ? "r" : "-");
  });
  EXPECT_EQ(result, "FF 1 -|");
  EXPECT_FALSE(fs::exists(home + "/.config"));
}

TEST_F(SettingsStoreTest, ListsTakeTheCopyFirstAndAddTheSharedNames) {
  folder_.Write("program/config.ini", "[themes]\r\nlanguage=2\r\nfont=9\r\n[Shared]\r\nk=v\r\n");
  ProtectProgramFolder();
  const std::string home = Home("home", kFirstUser);
  std::string result =
      InChild(kFirstUser, {{"HOME", home.c_str()}, {"XDG_CONFIG_HOME", nullptr}}, program_, [&] {
        WritePrivateProfileStringA("THEMES", "Language", "1", shared_.c_str());
        char list[256];
        auto join = [&list](DWORD n) {
          std::string s(list, n);
          for (char& c : s) c = c == '\0' ? ',' : c;
          return s;
        };
        std::string sections = join(
            GetPrivateProfileStringA(nullptr, nullptr, "", list, sizeof list, shared_.c_str()));
        std::string keys = join(
            GetPrivateProfileStringA("themes", nullptr, "", list, sizeof list, shared_.c_str()));
        return sections + " " + keys + " " + ReadLanguage(shared_);
      });
  EXPECT_EQ(result, "THEMES,Shared, Language,font, 1|");
}

struct FolderRow {
  const char* xdg;   // nullptr: unset
  const char* home;  // nullptr: unset
  const char* expected;
};

class UserFolder : public ::testing::TestWithParam<FolderRow> {};

TEST_P(UserFolder, FollowsTheBaseDirectoryRules) {
  const FolderRow& row = GetParam();
  std::string result =
      InChild(::geteuid(), {{"XDG_CONFIG_HOME", row.xdg}, {"HOME", row.home}}, "/nonexistent",
              [] { return platform::UserSettingsFolder("kestrival"); });
  EXPECT_EQ(result, std::string(row.expected) + "|");
}

INSTANTIATE_TEST_SUITE_P(
    Rows, UserFolder,
    ::testing::Values(FolderRow{"/x/cfg", "/home/a", "/x/cfg/kestrival"},
                      FolderRow{"/x/cfg/", "/home/a", "/x/cfg/kestrival"},
                      FolderRow{nullptr, "/home/a", "/home/a/.config/kestrival"},
                      FolderRow{"", "/home/a", "/home/a/.config/kestrival"},
                      FolderRow{"cfg", "/home/a", "/home/a/.config/kestrival"},
                      FolderRow{"/", "/home/a", "/kestrival"},
                      FolderRow{nullptr, "/home/a/", "/home/a/.config/kestrival"}));

}  // namespace

// The folder of the executable, where config.ini and language.csv live, for paths of any length.
#include "i18n/SettingsPaths.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/Runtime.h"
#include "platform/kernel.h"

namespace {

// A folder path of about `length` characters made of 40-character names.
std::string LongFolder(std::size_t length) {
  std::string folder;
  for (int i = 0; folder.size() < length; ++i) folder += "/" + std::string(39, 'a' + i % 26);
  return folder;
}

struct PathRow {
  const char* name;
  std::string modulePath;
  std::string folder;
};

class ExecutableFolderRows : public ::testing::TestWithParam<PathRow> {};

TEST_P(ExecutableFolderRows, CutsBeforeTheLastSeparator) {
  platform::Runtime runtime;
  runtime.modulePath = GetParam().modulePath;
  platform::ScopedRuntime scoped(runtime);
  EXPECT_EQ(std::string(ExecutableFolder()), GetParam().folder);
  // The file names follow the separator of the platform the tool runs on.
  EXPECT_EQ(std::string(SettingsFilePath()), GetParam().folder + PATH_SEPARATOR + "config.ini");
  EXPECT_EQ(std::string(TranslationFilePath()),
            GetParam().folder + PATH_SEPARATOR + "language.csv");
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ExecutableFolderRows,
    ::testing::Values(
        PathRow{"Short", "/opt/kestrival/kestrival", "/opt/kestrival"},
        // Around and far beyond the 260 characters of MAX_PATH: nothing is cut.
        PathRow{"JustUnderMaxPath", std::string(250, 'x') + "/kestrival", std::string(250, 'x')},
        PathRow{"FillsTheFirstBuffer", "/" + std::string(250, 'y') + "/kestrival",
                "/" + std::string(250, 'y')},
        PathRow{"LongerThanMaxPath", LongFolder(300) + "/kestrival", LongFolder(300)},
        PathRow{"FiveThousand", LongFolder(5000) + "/kestrival", LongFolder(5000)},
        PathRow{"BackslashCounts", "C:\\tools\\kestrival.exe", "C:\\tools"},
        // A path that cannot be obtained, or one without a folder, gives the current folder.
        PathRow{"NoPath", "", "."}, PathRow{"NoSeparator", "kestrival", "."}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace

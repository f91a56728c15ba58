// Module path, debug output and the fixed system answers.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "platform/Runtime.h"
#include "platform/kernel.h"

namespace {

TEST(ModuleFileName, CopiesTheRuntimePathCutToTheBuffer) {
  platform::Runtime runtime;
  runtime.modulePath = "/opt/kestrival/bin/kestrival";
  platform::ScopedRuntime scoped(runtime);
  char buffer[MAX_PATH + 1];
  EXPECT_EQ(GetModuleFileNameA(nullptr, buffer, sizeof buffer), runtime.modulePath.size());
  EXPECT_EQ(std::string(buffer), runtime.modulePath);
  // A path that does not fit is cut to size - 1 characters and the result is size, so that the
  // caller can tell; a path of exactly size - 1 characters fits.
  EXPECT_EQ(GetModuleFileNameA(nullptr, buffer, 5), 5u);
  EXPECT_EQ(std::string(buffer), "/opt");
  const DWORD exact = static_cast<DWORD>(runtime.modulePath.size());
  EXPECT_EQ(GetModuleFileNameA(nullptr, buffer, exact + 1), exact);
  EXPECT_EQ(GetModuleFileNameA(nullptr, buffer, exact), exact);
  EXPECT_EQ(std::string(buffer), runtime.modulePath.substr(0, exact - 1));
  EXPECT_EQ(GetModuleFileNameA(nullptr, buffer, 1), 1u);
  EXPECT_EQ(buffer[0], '\0');
  EXPECT_EQ(GetModuleFileNameA(nullptr, buffer, 0), 0u);
}

TEST(ModuleFileName, DefaultRuntimeKnowsTheExecutable) {
  char buffer[MAX_PATH + 1];
  DWORD n = GetModuleFileNameA(nullptr, buffer, sizeof buffer);
  EXPECT_GT(n, 0u);
  EXPECT_NE(std::string(buffer).find("platform_tests"), std::string::npos);
}

TEST(DebugOutput, GoesToTheRuntimeSink) {
  std::vector<std::string> lines;
  platform::Runtime runtime;
  runtime.debug = [&](const std::string& text) { lines.push_back(text); };
  platform::ScopedRuntime scoped(runtime);
  OutputDebugStringA("path:/x language:1\n");
  OutputDebugStringA(nullptr);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0], "path:/x language:1\n");
}

TEST(DebugOutput, WithoutSinkGoesToStandardError) {
  platform::Runtime runtime;
  platform::ScopedRuntime scoped(runtime);
  ::testing::internal::CaptureStderr();
  OutputDebugStringA("trace\n");
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "trace\n");
}

TEST(SystemMetrics, IconsAre32) {
  EXPECT_EQ(GetSystemMetrics(SM_CXICON), 32);
  EXPECT_EQ(GetSystemMetrics(SM_CYICON), 32);
  EXPECT_EQ(GetSystemMetrics(0), 0);
  INITCOMMONCONTROLSEX init{sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES};
  EXPECT_TRUE(InitCommonControlsEx(&init));
}

TEST(SleepCall, WaitsAtLeastTheTime) {
  auto start = std::chrono::steady_clock::now();
  Sleep(10);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(10));
}

}  // namespace

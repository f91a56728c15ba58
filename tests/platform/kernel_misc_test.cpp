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

namespace {

struct ScanRow {
  const char* text;
  int base;
  int width;
  int result;
  unsigned value;  // 0x99 when the scan leaves it alone
};

class CrtScan : public ::testing::TestWithParam<ScanRow> {};

TEST_P(CrtScan, AnswersAsTheTargetCLibrary) {
  unsigned v = 0x99;
  EXPECT_EQ(platform::CrtScanInteger(GetParam().text, GetParam().base, GetParam().width, &v),
            GetParam().result);
  EXPECT_EQ(v, GetParam().value);
}

// Observed "%2x" and "%d" answers; "0x" and "0x1F" convert nothing under "%2x" (the prefix uses
// up the width), where glibc would convert 0.
INSTANTIATE_TEST_SUITE_P(
    Observed, CrtScan,
    ::testing::Values(ScanRow{"0x", 16, 2, 0, 0x99}, ScanRow{"0x1F", 16, 2, 0, 0x99},
                      ScanRow{"x1", 16, 2, 0, 0x99}, ScanRow{"-1", 16, 2, 1, 0xFFFFFFFFu},
                      ScanRow{"+f", 16, 2, 1, 0x0F}, ScanRow{" 1b", 16, 2, 1, 0x1B},
                      ScanRow{"fF", 16, 2, 1, 0xFF}, ScanRow{"1", 16, 2, 1, 0x01},
                      ScanRow{"", 16, 2, -1, 0x99}, ScanRow{"\xD6\xD0", 16, 2, 0, 0x99},
                      ScanRow{"1g", 16, 2, 1, 0x01}, ScanRow{"g1", 16, 2, 0, 0x99},
                      ScanRow{"1F2", 16, 2, 1, 0x1F}, ScanRow{"  -12abc", 10, -1, 1, 0xFFFFFFF4u},
                      ScanRow{"", 10, -1, -1, 0x99}, ScanRow{"   ", 10, -1, -1, 0x99},
                      ScanRow{"99999999999", 10, -1, 1, 1215752191u},
                      ScanRow{"-2147483649", 10, -1, 1, 2147483647u},
                      ScanRow{"4294967296", 10, -1, 1, 0}, ScanRow{"- 5", 10, -1, 0, 0x99},
                      ScanRow{"0x10", 10, -1, 1, 0}, ScanRow{"1e3", 10, -1, 1, 1},
                      ScanRow{"+", 10, -1, 0, 0x99}, ScanRow{"abc", 10, -1, 0, 0x99}));

}  // namespace

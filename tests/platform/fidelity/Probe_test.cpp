// Every answer of the Win32 probe (wine-ext-output.txt, as printed under Wine) is one row: the
// platform layer's answer to the same question must be the same line, unless deliberate.txt lists
// the line with the reason for the difference.
#include "tests/platform/fidelity/Probe.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "tests/support/TempFolder.h"

namespace {

std::string DataFolder() {
  if (const char* source = std::getenv("KESTRIVAL_SOURCE_DIR"))
    return std::string(source) + "/tests/platform/fidelity";
  return KESTRIVAL_FIDELITY_DIR;
}

std::vector<std::string> ReadLines(const std::string& path) {
  std::vector<std::string> lines;
  std::ifstream in(path, std::ios::binary);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// deliberate.txt: "line N: reason" entries; other lines (blank, '#') are notes.
const std::map<std::size_t, std::string>& Deliberate() {
  static const std::map<std::size_t, std::string> listed = [] {
    std::map<std::size_t, std::string> out;
    for (const std::string& line : ReadLines(DataFolder() + "/deliberate.txt")) {
      if (line.rfind("line ", 0) != 0) continue;
      std::size_t colon = line.find(':');
      out[std::stoul(line.substr(5, colon - 5))] = line.substr(colon + 1);
    }
    return out;
  }();
  return listed;
}

const std::vector<std::string>& Expected() {
  static const std::vector<std::string> lines = ReadLines(DataFolder() + "/wine-ext-output.txt");
  return lines;
}

const std::vector<std::string>& Answers() {
  static const std::vector<std::string> lines = [] {
    testing_support::TempFolder folder("kestrival-probe");
    return fidelity::RunProbe(folder.Path().string());
  }();
  return lines;
}

TEST(Probe, AsksEveryQuestionOnce) {
  ASSERT_EQ(Expected().size(), 173u);
  EXPECT_EQ(Answers().size(), Expected().size());
  std::size_t matching = 0;
  for (std::size_t i = 0; i < Expected().size() && i < Answers().size(); ++i)
    matching += Answers()[i] == Expected()[i];
  std::printf("probe: %zu of %zu lines match; %zu listed as deliberate\n", matching,
              Expected().size(), Deliberate().size());
}

class ProbeLine : public ::testing::TestWithParam<std::size_t> {};

TEST_P(ProbeLine, AnswersAsObservedOrAsListed) {
  const std::size_t n = GetParam();  // 1-based, as the lines of the file count
  ASSERT_LE(n, Expected().size());
  ASSERT_LE(n, Answers().size());
  const std::string& expected = Expected()[n - 1];
  const std::string& answer = Answers()[n - 1];
  auto listed = Deliberate().find(n);
  if (listed == Deliberate().end()) {
    EXPECT_EQ(answer, expected) << "line " << n;
  } else {
    // A listed line must still differ: a line that came to match leaves the list.
    EXPECT_NE(answer, expected) << "line " << n << " matches; remove it from deliberate.txt";
    std::printf("line %zu deliberate:%s\n  observed: %s\n  platform: %s\n", n,
                listed->second.c_str(), expected.c_str(), answer.c_str());
  }
}

INSTANTIATE_TEST_SUITE_P(Lines, ProbeLine, ::testing::Range<std::size_t>(1, 174));

}  // namespace

// The language.csv that the build delivers: every text the tool cites, in both languages, in GBK.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "i18n/InterfaceTexts.h"
#include "i18n/Text.h"
#include "i18n/TranslationTable.h"
#include "platform/kernel.h"

namespace {

// Texts that no caption, list or message uses; their lines only keep the numbering.
bool IsPlaceholder(std::uint32_t n) {
  return n == 1 || n == 18 || n == 20 || n == 73 || n == 74 || n == 86;
}

// The conversions of a printf format in order ("%d", "%s", ...); "%%" is none.
std::vector<std::string> Conversions(const std::string& format) {
  std::vector<std::string> found;
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (format[i] != '%') continue;
    if (i + 1 < format.size() && format[i + 1] == '%') {
      ++i;
      continue;
    }
    std::size_t end = format.find_first_of("diuxXocsnpfeEgGaA", i + 1);
    found.push_back(format.substr(i, end == std::string::npos ? std::string::npos : end - i + 1));
    if (end == std::string::npos) break;
    i = end;
  }
  return found;
}

class LanguageCsv : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* binary = std::getenv("KESTRIVAL_BINARY_DIR");
    ASSERT_NE(binary, nullptr) << "run through ctest, which sets KESTRIVAL_BINARY_DIR";
    path_ = std::string(binary) + "/bin/language.csv";
    ASSERT_TRUE(table_.Load(path_.c_str())) << path_;
  }

  std::string path_;
  TranslationTable table_;
};

TEST_F(LanguageCsv, EveryCitedTextHasAChineseAndAnEnglishField) {
  for (std::uint32_t n = 2; n <= static_cast<std::uint32_t>(TextSlot(kLastText)); ++n) {
    if (IsPlaceholder(n)) continue;
    auto row = table_.Rows().find(n);
    ASSERT_NE(row, table_.Rows().end()) << "text " << n;
    ASSERT_EQ(row->second.size(), 2u) << "text " << n;
    for (std::uint32_t field : {1u, 2u}) {
      const std::string* text = table_.Field(n, field);
      ASSERT_NE(text, nullptr) << "text " << n << " field " << field;
      EXPECT_FALSE(text->empty()) << "text " << n << " field " << field;
      EXPECT_LE(text->size(), static_cast<std::size_t>(kInterfaceTextSize - 1))
          << "text " << n << " field " << field;
    }
  }
}

TEST_F(LanguageCsv, PlaceholderLinesKeepTheNumbering) {
  for (std::uint32_t n : {1u, 18u, 20u, 73u, 74u, 86u}) {
    EXPECT_EQ(table_.Rows().count(n), 1u) << "line " << n;
  }
  EXPECT_EQ(table_.Rows().rbegin()->first, static_cast<std::uint32_t>(TextSlot(kLastText)));
}

TEST_F(LanguageCsv, EveryFieldIsGbk) {
  for (const auto& [n, row] : table_.Rows()) {
    for (const auto& [field, text] : row) {
      EXPECT_EQ(platform::AcpToUtf8(text).find("\xEF\xBF\xBD"), std::string::npos)
          << "text " << n << " field " << field;
      EXPECT_EQ(text.find('\r'), std::string::npos) << "text " << n;
    }
  }
}

TEST_F(LanguageCsv, FormatTextsHoldExactlyTheirConversions) {
  const std::vector<std::pair<std::uint32_t, std::vector<std::string>>> formats = {
      {88, {"%d", "%d", "%d", "%d"}},
      {92, {"%d", "%d"}},
      {94, {"%s", "%d", "%d", "%d", "%d"}},
      {103, {"%s"}},
  };
  for (const auto& [n, conversions] : formats) {
    for (std::uint32_t field : {1u, 2u}) {
      const std::string* text = table_.Field(n, field);
      ASSERT_NE(text, nullptr) << "text " << n;
      EXPECT_EQ(Conversions(*text), conversions) << "text " << n << " field " << field;
    }
  }
  for (const auto& [n, row] : table_.Rows()) {
    if (n == 88 || n == 92 || n == 94 || n == 103) continue;
    for (const auto& [field, text] : row) {
      EXPECT_TRUE(Conversions(text).empty()) << "text " << n << " is no format";
    }
  }
}

TEST_F(LanguageCsv, SearchDevicesIsTheGbkOfItsCaption) {
  const std::string* text = table_.Field(2, 1);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(*text, "\xCB\xD1\xCB\xF7\xC9\xE8\xB1\xB8");  // 搜索设备
}

TEST_F(LanguageCsv, ChineseFieldsAreTheDialogCaptions) {
  const std::vector<std::pair<std::uint32_t, const char*>> captions = {
      {2, "搜索设备"},
      {3, "获取当前参数"},
      {4, "网络参数"},
      {5, "IP地址"},
      {6, "网络模式"},
      {7, "子网掩码"},
      {8, "服务器地址"},
      {9, "网关"},
      {10, "服务器端口"},
      {11, "域名服务器1"},
      {12, "域名服务器2"},
      {13, "HTTP服务器语言"},
      {14, "格式参数设置"},
      {15, "输出格式选择"},
      {16, "感应卡号输入格式"},
      {17, "HID格式参数　回车"},
      {19, "串口参数 　波特率"},
      {21, "奇偶校验"},
      {22, "换行"},
      {23, "数据位"},
      {24, "停止位"},
      {25, "二维码串口输出格式"},
      {26, "外部参数设置"},
      {27, "重启设置"},
      {28, "工作模式"},
      {29, "喇叭"},
      {30, "开灯"},
      {31, "条码二维码设置"},
      {32, "前后缀输入格式"},
      {33, "前缀"},
      {34, "后缀"},
      {35, "卡前后缀格式"},
      {36, "串口输出格式"},
      {37, "WG时序定义"},
      {38, "低脉冲(us)"},
      {39, "高脉冲(us)"},
      {40, "二维码参数设置"},
      {41, "卡号格式"},
      {42, "是否加密"},
      {43, "NTP地址"},
      {44, "使用次数"},
      {45, "备用地址"},
      {46, "网络协议"},
      {47, "从多少位开始输出"},
      {48, "设置"},
      {93, "参数设置"},
  };
  for (const auto& [n, caption] : captions) {
    const std::string* text = table_.Field(n, 1);
    ASSERT_NE(text, nullptr) << "text " << n;
    EXPECT_EQ(platform::AcpToUtf8(*text), caption) << "text " << n;
  }
}

TEST_F(LanguageCsv, EnglishIsPlainAscii) {
  for (const auto& [n, row] : table_.Rows()) {
    const std::string* english = table_.Field(n, 2);
    ASSERT_NE(english, nullptr) << "text " << n;
    for (unsigned char c : *english) EXPECT_LT(c, 0x80) << "text " << n;
  }
}

}  // namespace

// A language.csv written into a temporary folder, loaded and copied into interface text slots
// that start as "old N", so that an untouched slot can be told apart.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "i18n/InterfaceTexts.h"
#include "i18n/TranslationTable.h"
#include "tests/support/TempFolder.h"

namespace i18n_test {

namespace fs = std::filesystem;

class TempDir : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = folder_.Path();
    path_ = folder_.File("language.csv");
  }
  void Put(const std::string& bytes) const { std::ofstream(path_, std::ios::binary) << bytes; }

  testing_support::TempFolder folder_;
  fs::path dir_;
  std::string path_;
};

// Slots filled with "old N" before each load, so that an untouched slot can be told apart.
struct Slots {
  char texts[kInterfaceTextCount][kInterfaceTextSize];
  Slots() {
    for (int n = 0; n < kInterfaceTextCount; ++n) {
      std::snprintf(texts[n], kInterfaceTextSize, "old %d", n);
    }
  }
  // Every slot against the expected changes; the others must still hold "old N".
  void Expect(const std::map<int, std::string>& changed) const {
    for (int n = 0; n < kInterfaceTextCount; ++n) {
      auto it = changed.find(n);
      std::string expected = it != changed.end() ? it->second : "old " + std::to_string(n);
      ASSERT_EQ(std::string(texts[n]), expected) << "slot " << n;
    }
  }
};

inline void LoadInto(const std::string& path, std::uint32_t language, Slots& slots) {
  TranslationTable table;
  table.Load(path.c_str());
  CopyLanguageColumn(table, language, slots.texts);
}

struct FileRow {
  const char* name;
  std::string contents;
  std::uint32_t language;
  std::map<int, std::string> changed;
};

class TranslationFileRows : public TempDir, public ::testing::WithParamInterface<FileRow> {
 protected:
  void Check() {
    Put(GetParam().contents);
    Slots slots;
    LoadInto(path_, GetParam().language, slots);
    slots.Expect(GetParam().changed);
  }
};

}  // namespace i18n_test

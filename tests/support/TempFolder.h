// A fresh temporary folder of a test, removed with the object (header only, so that the test
// programs of the platform and i18n libraries can use it without the dialog libraries).
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <string>

namespace testing_support {

class TempFolder {
 public:
  explicit TempFolder(const std::string& prefix = "kestrival-test") {
    // A new folder of a random name: create_directory fails on one that exists.
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device entropy;
    std::mt19937_64 random(entropy());
    for (int attempt = 0; attempt < 100; ++attempt) {
      std::string name = prefix + "-";
      for (int i = 0; i < 8; ++i) name += kLetters[random() % (sizeof kLetters - 1)];
      const auto candidate = std::filesystem::temp_directory_path() / name;
      std::error_code ec;
      if (std::filesystem::create_directory(candidate, ec)) {
        std::filesystem::permissions(candidate, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::replace, ec);
        path_ = candidate;
        return;
      }
    }
    throw std::runtime_error("no temporary folder");
  }
  ~TempFolder() {
    std::error_code ec;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(path_, ec);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  std::string File(const std::string& name) const { return (path_ / name).string(); }
  void Write(const std::string& name, const std::string& bytes) const {
    std::ofstream(path_ / name, std::ios::binary) << bytes;
  }
  bool Exists(const std::string& name) const { return std::filesystem::exists(path_ / name); }
  std::string Read(const std::string& name) const {
    std::ifstream in(path_ / name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

 private:
  std::filesystem::path path_;
};

}  // namespace testing_support

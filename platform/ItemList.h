// The items of a combo box or list box: an ordered sequence with cheap insertion anywhere, so a
// sorted list of a hundred thousand readers still takes each new line in microseconds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

class ItemList {
 public:
  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  const std::string& operator[](std::size_t index) const;
  // The value an application keeps with an item (LB_SETITEMDATA); it moves with its item and
  // is 0 for an item just inserted.
  std::intptr_t data(std::size_t index) const;
  void set_data(std::size_t index, std::intptr_t value);
  void insert(std::size_t index, std::string text);
  void erase(std::size_t index);
  void clear();
  std::vector<std::string> ToVector() const;

 private:
  struct Entry {
    std::string text;
    std::intptr_t data = 0;
  };
  static constexpr std::size_t kChunk = 64;
  // (chunk, offset) of an index; index == size() gives the end of the last chunk.
  std::pair<std::size_t, std::size_t> Locate(std::size_t index) const;
  std::vector<std::vector<Entry>> chunks_;
  std::vector<std::size_t> starts_;  // index of the first item of each chunk
  std::size_t size_ = 0;
};

}  // namespace platform

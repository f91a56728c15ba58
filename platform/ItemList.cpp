#include "platform/ItemList.h"

#include <algorithm>
#include <stdexcept>

namespace platform {

std::pair<std::size_t, std::size_t> ItemList::Locate(std::size_t index) const {
  // The last chunk whose first index is at most `index`; the end of the list falls into it too.
  auto it = std::upper_bound(starts_.begin(), starts_.end(), index);
  std::size_t c = static_cast<std::size_t>(it - starts_.begin()) - 1;
  return {c, index - starts_[c]};
}

const std::string& ItemList::operator[](std::size_t index) const {
  if (index >= size_) throw std::out_of_range("ItemList index");
  auto [c, o] = Locate(index);
  return chunks_[c][o].text;
}

std::intptr_t ItemList::data(std::size_t index) const {
  if (index >= size_) throw std::out_of_range("ItemList index");
  auto [c, o] = Locate(index);
  return chunks_[c][o].data;
}

void ItemList::set_data(std::size_t index, std::intptr_t value) {
  if (index >= size_) throw std::out_of_range("ItemList index");
  auto [c, o] = Locate(index);
  chunks_[c][o].data = value;
}

void ItemList::insert(std::size_t index, std::string text) {
  if (index > size_) throw std::out_of_range("ItemList insert");
  if (chunks_.empty()) {
    chunks_.emplace_back();
    starts_.push_back(0);
  }
  auto [c, o] = Locate(index);
  auto& chunk = chunks_[c];
  chunk.insert(chunk.begin() + static_cast<std::ptrdiff_t>(o), Entry{std::move(text), 0});
  ++size_;
  for (std::size_t k = c + 1; k < starts_.size(); ++k) ++starts_[k];
  if (chunk.size() > 2 * kChunk) {
    std::vector<Entry> tail(std::make_move_iterator(chunk.begin() + kChunk),
                            std::make_move_iterator(chunk.end()));
    chunk.resize(kChunk);
    chunks_.insert(chunks_.begin() + static_cast<std::ptrdiff_t>(c) + 1, std::move(tail));
    starts_.insert(starts_.begin() + static_cast<std::ptrdiff_t>(c) + 1, starts_[c] + kChunk);
  }
}

void ItemList::erase(std::size_t index) {
  if (index >= size_) throw std::out_of_range("ItemList erase");
  auto [c, o] = Locate(index);
  chunks_[c].erase(chunks_[c].begin() + static_cast<std::ptrdiff_t>(o));
  --size_;
  for (std::size_t k = c + 1; k < starts_.size(); ++k) --starts_[k];
  if (chunks_[c].empty() && chunks_.size() > 1) {
    chunks_.erase(chunks_.begin() + static_cast<std::ptrdiff_t>(c));
    starts_.erase(starts_.begin() + static_cast<std::ptrdiff_t>(c));
  }
}

void ItemList::clear() {
  chunks_.clear();
  starts_.clear();
  size_ = 0;
}

std::vector<std::string> ItemList::ToVector() const {
  std::vector<std::string> out;
  out.reserve(size_);
  for (const auto& chunk : chunks_) {
    for (const Entry& e : chunk) out.push_back(e.text);
  }
  return out;
}

}  // namespace platform

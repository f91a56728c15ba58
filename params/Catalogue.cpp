#include "params/Catalogue.h"

std::vector<std::string> ListItemTexts(std::span<const ListItem> items,
                                       const std::function<std::string(Text)>& text) {
  std::vector<std::string> out;
  out.reserve(items.size());
  for (const ListItem& item : items) out.push_back(item.fixed ? item.fixed : text(item.text));
  return out;
}

#include "i18n/TranslationTable.h"

#include <string_view>

#include "platform/kernel.h"

std::size_t SplitFields(std::string line, char separator, std::vector<std::string>& fields) {
  std::string_view rest(line.c_str());  // strtok sees the line up to its first NUL
  if (separator == '\0') {              // an empty delimiter set: the whole line is one token
    if (!rest.empty()) fields.emplace_back(rest);
    return fields.size();
  }
  while (!rest.empty()) {
    std::size_t start = rest.find_first_not_of(separator);
    if (start == std::string_view::npos) break;
    rest.remove_prefix(start);
    std::size_t end = rest.find(separator);
    fields.emplace_back(rest.substr(0, end));
    if (end == std::string_view::npos) break;
    rest.remove_prefix(end);
  }
  return fields.size();
}

bool TranslationTable::Load(const char* path) {
  rows_.clear();
  platform::TextModeFile file;
  if (!file.Open(path)) return false;

  // The whole file at once, NUL-terminated after the bytes that text mode actually delivers.
  long size = file.Size();
  std::vector<char> buffer(static_cast<std::size_t>(size > 0 ? size : 0) + 1, '\0');
  std::size_t got = file.Read(buffer.data(), buffer.size() - 1);
  buffer[got] = '\0';
  file.Close();
  Parse(std::string_view(buffer.data()));
  return true;
}

void TranslationTable::Parse(std::string_view data) {
  rows_.clear();
  data = data.substr(0, data.find('\0'));
  // Lines before each line feed, numbered from 1; the first NUL ends the data, an empty line
  // counts but gives no row, and bytes after the last line feed are no line.
  std::uint32_t number = 1;
  for (std::size_t lf; (lf = data.find('\n')) != std::string_view::npos; ++number) {
    if (lf > 0) {
      std::vector<std::string> fields;
      SplitFields(std::string(data.substr(0, lf)), ',', fields);
      Row& row = rows_[number];
      for (std::size_t i = 0; i < fields.size(); ++i) {
        row[static_cast<std::uint32_t>(i + 1)] = std::move(fields[i]);
      }
    }
    data.remove_prefix(lf + 1);
  }
}

const std::string* TranslationTable::Field(std::uint32_t line, std::uint32_t field) const {
  auto row = rows_.find(line);
  if (row == rows_.end()) return nullptr;
  auto text = row->second.find(field);
  return text == row->second.end() ? nullptr : &text->second;
}

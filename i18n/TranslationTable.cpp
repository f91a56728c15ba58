#include "i18n/TranslationTable.h"

#include <algorithm>
#include <string_view>

#include "platform/kernel.h"

std::size_t SplitFields(const std::string& line, char separator, std::vector<std::string>& fields) {
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

bool TranslationTable::Load(const char* path, std::uint32_t lastLine) {
  rows_.clear();
  platform::TextModeFile file;
  if (!file.Open(path)) return false;

  // The file is read piece by piece and only lines up to lastLine are kept, so a large file costs
  // no more memory than the lines that are used. Lines are the bytes before each line feed,
  // numbered from 1; the first NUL ends the data, an empty line counts but gives no row, and
  // bytes after the last line feed are no line.
  std::vector<char> chunk(std::size_t{64} * 1024);
  std::string pending;  // bytes after the last line feed seen so far
  std::uint32_t number = 1;
  bool ended = false;
  while (!ended && number <= lastLine) {
    const std::size_t got = file.Read(chunk.data(), chunk.size());
    if (got == 0) break;
    std::string_view piece(chunk.data(), got);
    if (const std::size_t nul = piece.find('\0'); nul != std::string_view::npos) {
      piece = piece.substr(0, nul);
      ended = true;
    }
    const std::size_t scanned = pending.size();  // holds no line feed
    pending.append(piece);
    std::size_t start = 0;
    for (std::size_t lf; number <= lastLine &&
                         (lf = pending.find('\n', std::max(start, scanned))) != std::string::npos;
         ++number) {
      AddLine(number, std::string_view(pending).substr(start, lf - start));
      start = lf + 1;
    }
    pending.erase(0, start);
  }
  file.Close();
  return true;
}

void TranslationTable::Parse(std::string_view data) {
  rows_.clear();
  data = data.substr(0, data.find('\0'));
  std::uint32_t number = 1;
  for (std::size_t lf; (lf = data.find('\n')) != std::string_view::npos; ++number) {
    AddLine(number, data.substr(0, lf));
    data.remove_prefix(lf + 1);
  }
}

void TranslationTable::AddLine(std::uint32_t number, std::string_view line) {
  if (line.empty()) return;  // an empty line counts but gives no row
  std::vector<std::string> fields;
  SplitFields(std::string(line), ',', fields);
  Row& row = rows_[number];
  for (std::size_t i = 0; i < fields.size(); ++i) {
    row[static_cast<std::uint32_t>(i + 1)] = std::move(fields[i]);
  }
}

const std::string* TranslationTable::Field(std::uint32_t line, std::uint32_t field) const {
  auto row = rows_.find(line);
  if (row == rows_.end()) return nullptr;
  auto text = row->second.find(field);
  return text == row->second.end() ? nullptr : &text->second;
}

// The translation table file language.csv parsed into rows: line number -> field number -> text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

// Splits line at every separator as strtok does with a one-character delimiter: runs of separators
// count as one, separators at either end produce nothing, so no field is ever empty. The line ends
// at its first NUL. Appends the fields to fields and returns the list's size after the call.
std::size_t SplitFields(const std::string& line, char separator, std::vector<std::string>& fields);

class TranslationTable {
 public:
  // Field number (from 1) -> the field's bytes.
  using Row = std::map<std::uint32_t, std::string>;

  // Parses the file at path, read in text mode. False, with no rows, when it cannot be opened (a
  // folder or a named pipe cannot); true otherwise, even when no line gives a row. Line N (from
  // 1) becomes row N when it is not empty; bytes after the last line feed and everything from the
  // first NUL on are not read. Reading stops after line lastLine: later lines are never kept.
  bool Load(const char* path, std::uint32_t lastLine = UINT32_MAX);

  // Parses bytes already read (as text mode delivers them) with the same rules as Load.
  void Parse(std::string_view data);

  // Line number (from 1) -> row; a line that holds only commas gives a row without fields.
  const std::map<std::uint32_t, Row>& Rows() const { return rows_; }

  // Field `field` of line `line`, or nullptr when the file has no such line or field.
  const std::string* Field(std::uint32_t line, std::uint32_t field) const;

 private:
  // Line number (from 1) and its bytes before the line feed.
  void AddLine(std::uint32_t number, std::string_view line);
  std::map<std::uint32_t, Row> rows_;
};

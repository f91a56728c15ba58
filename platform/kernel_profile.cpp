// The private-profile (INI) functions with the Windows semantics: lookups that ignore case and
// surrounding white space, and writes that change one line and keep the rest of the file.
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/kernel.h"
#include "platform/kernel_files.h"
#include "platform/kernel_settings_store.h"

namespace {

constexpr std::string_view kNewLine = "\r\n";
constexpr std::size_t kIntValueChars = 29;

bool IsBlank(unsigned char c) {
  return c == ' ' || (c >= '\t' && c <= '\r') || c == 0x1A;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
  while (!s.empty() && IsBlank(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
  return s;
}

unsigned char AsciiLower(unsigned char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

// Names compare without regard to ASCII case; the trail byte of a GBK character (which can be an
// ASCII letter) compares exactly.
bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto x = static_cast<unsigned char>(a[i]);
    auto y = static_cast<unsigned char>(b[i]);
    if (IsDBCSLeadByte(x) && i + 1 < a.size()) {
      if (x != y || a[i + 1] != b[i + 1]) return false;
      ++i;
    } else if (AsciiLower(x) != AsciiLower(y)) {
      return false;
    }
  }
  return true;
}

enum class LineKind { kOther, kSection, kKey };

// One line of the file: [begin, end) its text without the line end, next the start of the next
// line.
struct Line {
  std::size_t begin = 0, end = 0, next = 0;
  LineKind kind = LineKind::kOther;
  std::string_view name;   // section name inside [ ] or key name, trimmed
  std::string_view value;  // key value, trimmed; empty for a key line without '='
  bool hasValue = false;
};

// The file as bytes plus an index of its lines. Bytes are kept as read, so a rewrite can copy
// every line it does not change.
struct Profile {
  std::string bytes;
  std::vector<Line> lines;
  bool exists = false;
};

void Classify(const std::string& bytes, Line& line) {
  std::string_view text = Trim(std::string_view(bytes).substr(line.begin, line.end - line.begin));
  if (text.empty() || text.front() == ';') return;
  if (text.front() == '[') {
    std::size_t close = text.rfind(']');
    if (close != std::string_view::npos && close > 0) {
      line.kind = LineKind::kSection;
      line.name = Trim(text.substr(1, close - 1));
      return;
    }
  }
  line.kind = LineKind::kKey;
  std::size_t equals = text.find('=');
  if (equals == std::string_view::npos) {
    line.name = text;
    return;
  }
  line.name = Trim(text.substr(0, equals));
  line.value = Trim(text.substr(equals + 1));
  line.hasValue = true;
}

// Lines end at LF, CR LF or a lone CR. A UTF-8 byte-order mark before the first line is skipped
// (and kept in the bytes, so a rewrite keeps it too).
void IndexLines(Profile& profile) {
  const std::string& b = profile.bytes;
  std::size_t pos = b.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
  while (pos < b.size()) {
    Line line;
    line.begin = pos;
    std::size_t stop = b.find_first_of("\r\n", pos);
    if (stop == std::string::npos) {
      line.end = line.next = b.size();
    } else {
      line.end = stop;
      line.next = stop + 1;
      if (b[stop] == '\r' && stop + 1 < b.size() && b[stop + 1] == '\n') ++line.next;
    }
    Classify(b, line);
    profile.lines.push_back(line);
    pos = line.next;
  }
}

// Reads the whole file; a missing or unreadable file is an empty profile that does not exist.
Profile LoadProfile(const char* path) {
  Profile profile;
  std::FILE* f = platform::OpenRegularFile(path);  // a folder or a pipe counts as missing
  if (f == nullptr) return profile;
  profile.exists = true;
  char chunk[65536];
  std::size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) profile.bytes.append(chunk, n);
  std::fclose(f);
  IndexLines(profile);
  return profile;
}

// The lines of the first section of that name: [header, end) as indices into profile.lines.
struct SectionRange {
  std::size_t header, end;
};

std::optional<SectionRange> FindSection(const Profile& profile, std::string_view name) {
  const auto& lines = profile.lines;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].kind != LineKind::kSection || !SameName(lines[i].name, name)) continue;
    std::size_t end = i + 1;
    while (end < lines.size() && lines[end].kind != LineKind::kSection) ++end;
    return SectionRange{i, end};
  }
  return std::nullopt;
}

std::optional<std::size_t> FindKey(const Profile& profile, const SectionRange& section,
                                   std::string_view key) {
  for (std::size_t i = section.header + 1; i < section.end; ++i) {
    const Line& line = profile.lines[i];
    if (line.kind == LineKind::kKey && SameName(line.name, key)) return i;
  }
  return std::nullopt;
}

// A value in matching single or double quotes loses them; a value ends at a NUL byte.
std::string_view Unquote(std::string_view value) {
  std::size_t nul = value.find('\0');
  if (nul != std::string_view::npos) value = value.substr(0, nul);
  if (value.size() >= 2 && (value.front() == '\'' || value.front() == '"') &&
      value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return value;
}

// The value of section/key, or nothing when the file, the section, the key or its '=' is missing.
std::optional<std::string> ReadValue(const char* section, const char* key, const char* file) {
  if (section == nullptr || key == nullptr || file == nullptr) return std::nullopt;
  Profile profile = LoadProfile(file);
  auto range = FindSection(profile, Trim(section));
  if (!range) return std::nullopt;
  auto index = FindKey(profile, *range, Trim(key));
  if (!index || !profile.lines[*index].hasValue) return std::nullopt;
  return std::string(Unquote(profile.lines[*index].value));
}

// The value from the first file a read consults that holds it: the per-user copy of a program
// folder's file, then the file itself.
std::optional<std::string> ReadStoredValue(const char* section, const char* key, const char* file) {
  if (file == nullptr) return std::nullopt;
  for (const std::string& path : platform::ProfileReadPaths(file)) {
    if (std::optional<std::string> value = ReadValue(section, key, path.c_str())) return value;
  }
  return std::nullopt;
}

// The section names of a file (section null) or the key names of one of its sections.
std::vector<std::string> ListNames(const char* section, const char* file) {
  Profile profile = LoadProfile(file);
  std::vector<std::string> names;
  if (section == nullptr) {
    for (const Line& line : profile.lines) {
      if (line.kind == LineKind::kSection) names.emplace_back(line.name);
    }
  } else if (auto range = FindSection(profile, Trim(section))) {
    for (std::size_t i = range->header + 1; i < range->end; ++i) {
      if (profile.lines[i].kind == LineKind::kKey) names.emplace_back(profile.lines[i].name);
    }
  }
  return names;
}

// The names of every file a read consults, a later file adding only the names the earlier lack.
std::vector<std::string> ListStoredNames(const char* section, const char* file) {
  std::vector<std::string> names;
  for (const std::string& path : platform::ProfileReadPaths(file)) {
    const std::size_t earlier = names.size();
    for (std::string& name : ListNames(section, path.c_str())) {
      bool known = false;
      for (std::size_t i = 0; i < earlier && !known; ++i) known = SameName(names[i], name);
      if (!known) names.push_back(std::move(name));
    }
  }
  return names;
}

DWORD CopyString(std::string_view text, LPSTR out, DWORD size) {
  if (out == nullptr || size == 0) return 0;
  std::size_t n = text.size() < size - 1 ? text.size() : size - 1;
  std::memcpy(out, text.data(), n);
  out[n] = '\0';
  return static_cast<DWORD>(n);
}

// Names as a list of NUL-terminated strings closed by one more NUL; a list that does not fit is cut
// and still closed by two NULs, and the result is then size - 2, as Windows reports it.
DWORD CopyList(const std::vector<std::string_view>& names, LPSTR out, DWORD size) {
  if (out == nullptr || size == 0) return 0;
  if (size == 1) {
    out[0] = '\0';
    return 0;
  }
  std::size_t used = 0;
  std::size_t room = size - 1;  // one byte stays for the closing NUL
  for (std::string_view name : names) {
    std::size_t nul = name.find('\0');
    if (nul != std::string_view::npos) name = name.substr(0, nul);
    if (name.size() + 1 > room - used) {
      std::size_t part = room - used > 0 ? room - used - 1 : 0;
      std::memcpy(out + used, name.data(), part);
      out[used + part] = '\0';
      out[size - 1] = '\0';
      return size - 2;
    }
    std::memcpy(out + used, name.data(), name.size());
    used += name.size();
    out[used++] = '\0';
  }
  out[used] = '\0';
  return static_cast<DWORD>(used);
}

std::string KeyLine(std::string_view key, std::string_view value) {
  std::string line(key);
  line += '=';
  line += value;
  return line;
}

// The byte offset just after the last line of the section that is not blank (the header at least).
std::size_t EndOfSectionText(const Profile& profile, const SectionRange& range) {
  std::size_t last = range.header;
  for (std::size_t i = range.header + 1; i < range.end; ++i) {
    const Line& line = profile.lines[i];
    if (!Trim(std::string_view(profile.bytes).substr(line.begin, line.end - line.begin)).empty()) {
      last = i;
    }
  }
  return profile.lines[last].next;
}

// Inserts whole lines at offset, first ending the line before it if the file stops without one.
void InsertLines(std::string& bytes, std::size_t offset, std::string_view lines) {
  std::string insert;
  if (offset > 0 && bytes[offset - 1] != '\n' && bytes[offset - 1] != '\r') insert += kNewLine;
  insert += lines;
  bytes.insert(offset, insert);
}

}  // namespace

UINT GetPrivateProfileIntA(LPCSTR appName, LPCSTR keyName, INT defaultValue, LPCSTR fileName) {
  std::optional<std::string> value = ReadStoredValue(appName, keyName, fileName);
  if (!value || value->empty()) return static_cast<UINT>(defaultValue);
  // The value is read into a buffer of 30 characters: only its first 29 count.
  if (value->size() > kIntValueChars) value->resize(kIntValueChars);
  const auto* p = reinterpret_cast<const unsigned char*>(value->c_str());
  while (*p != 0 && *p <= ' ') ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = *p++ == '-';
  UINT result = 0;  // no overflow check: the value wraps as Windows' does
  for (; *p >= '0' && *p <= '9'; ++p) result = result * 10u + static_cast<UINT>(*p - '0');
  return negative ? 0u - result : result;
}

DWORD GetPrivateProfileStringA(LPCSTR appName, LPCSTR keyName, LPCSTR defaultValue, LPSTR returned,
                               DWORD size, LPCSTR fileName) {
  if (returned == nullptr || size == 0 || fileName == nullptr) return 0;
  if (appName == nullptr || keyName == nullptr) {
    std::vector<std::string> names = ListStoredNames(appName, fileName);
    return CopyList(std::vector<std::string_view>(names.begin(), names.end()), returned, size);
  }
  if (std::optional<std::string> value = ReadStoredValue(appName, keyName, fileName)) {
    return CopyString(*value, returned, size);
  }
  std::string_view fallback = defaultValue != nullptr ? defaultValue : "";
  while (!fallback.empty() && fallback.back() == ' ') fallback.remove_suffix(1);
  return CopyString(fallback, returned, size);
}

BOOL WritePrivateProfileStringA(LPCSTR appName, LPCSTR keyName, LPCSTR value, LPCSTR fileName) {
  if (appName == nullptr) return keyName == nullptr && value == nullptr ? TRUE : FALSE;
  if (fileName == nullptr) return FALSE;
  const std::string target = platform::ProfileWritePath(fileName);
  if (target.empty()) return FALSE;
  Profile profile = LoadProfile(target.c_str());
  std::string& bytes = profile.bytes;
  std::string_view section = Trim(appName);
  auto range = FindSection(profile, section);

  if (keyName == nullptr) {  // delete the whole section
    if (!range) return TRUE;
    std::size_t from = profile.lines[range->header].begin;
    std::size_t to =
        range->end < profile.lines.size() ? profile.lines[range->end].begin : bytes.size();
    bytes.erase(from, to - from);
    return platform::files::ReplaceWhole(target, bytes) ? TRUE : FALSE;
  }

  std::string_view key = Trim(keyName);
  // A value is written without its leading white space; trailing white space stays.
  if (value != nullptr)
    while (*value != '\0' && IsBlank(static_cast<unsigned char>(*value))) ++value;
  std::optional<std::size_t> index;
  if (range) index = FindKey(profile, *range, key);

  if (value == nullptr) {  // delete the key
    if (!index) return TRUE;
    const Line& line = profile.lines[*index];
    bytes.erase(line.begin, line.next - line.begin);
  } else if (index) {  // replace in place, keeping the key's spelling and the line's own ending
    const Line& line = profile.lines[*index];
    bytes.replace(line.begin, line.end - line.begin, KeyLine(line.name, value));
  } else if (range) {  // a new key at the end of its section
    std::string added = KeyLine(key, value);
    added += kNewLine;
    InsertLines(bytes, EndOfSectionText(profile, *range), added);
  } else {  // a new section at the end of the file
    std::string added = "[";
    added += section;
    added += "]";
    added += kNewLine;
    added += KeyLine(key, value);
    added += kNewLine;
    InsertLines(bytes, bytes.size(), added);
  }
  return platform::files::ReplaceWhole(target, bytes) ? TRUE : FALSE;
}

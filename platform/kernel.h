// Stand-ins for the Windows kernel calls the tool uses: the module path, the private-profile
// (INI) functions, Sleep, the debug output, code-page conversion and text-mode file reading.
#pragma once

#include <cstdio>
#include <string>

#include "platform/windef.h"

// The separator the folder rule appends before a file name on this platform.
#ifdef _WIN32
constexpr char PATH_SEPARATOR = '\\';
#else
constexpr char PATH_SEPARATOR = '/';
#endif

// Full path of the running executable (as the runtime knows it), cut to size - 1 characters.
// Returns the number of characters copied, without the NUL.
DWORD GetModuleFileNameA(HINSTANCE module, LPSTR filename, DWORD size);

// Reads an integer key with the Windows semantics (see the profile tests for the rows).
UINT GetPrivateProfileIntA(LPCSTR appName, LPCSTR keyName, INT defaultValue, LPCSTR fileName);
// Reads a string key; returns the number of characters copied (without the NUL).
DWORD GetPrivateProfileStringA(LPCSTR appName, LPCSTR keyName, LPCSTR defaultValue, LPSTR returned,
                               DWORD size, LPCSTR fileName);
// Writes a key, creating the file or the section as needed. FALSE when the file cannot be written.
BOOL WritePrivateProfileStringA(LPCSTR appName, LPCSTR keyName, LPCSTR value, LPCSTR fileName);

void Sleep(DWORD milliseconds);

// Hands one text to the runtime's debug sink.
void OutputDebugStringA(LPCSTR text);

// Code-page conversion; CP_ACP is code page 936 (GBK). With cchWideChar/cbMultiByte of -1 the
// input is NUL-terminated and the NUL is converted too. A zero output size returns the size needed.
int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR multiByte, int cbMultiByte,
                        LPWSTR wideChar, int cchWideChar);
int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR wideChar, int cchWideChar,
                        LPSTR multiByte, int cbMultiByte, LPCSTR defaultChar,
                        BOOL* usedDefaultChar);

// TRUE for a byte that begins a two-byte character of the ANSI code page 936 (0x81 to 0xFE).
BOOL IsDBCSLeadByte(BYTE testChar);

int GetSystemMetrics(int index);
BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* init);

namespace platform {

// Opens path for reading in binary mode when it is a regular file; anything else (a folder, a
// named pipe, a device) is nullptr, as for a missing file, and opening never waits for a writer.
std::FILE* OpenRegularFile(const char* path);

// One integer conversion of the target C library's sscanf ("%d" with base 10, "%x" with base 16,
// "%2x" with width 2; width -1 for none): white space skipped, an optional sign, for base 16 an
// optional "0x" (which, like the sign, uses up the width), then digits; the value wraps and a
// sign negates it. Returns 1 and stores the value, 0 when no digit was read ("0x" alone: the
// prefix is not a number), or -1 (EOF) when the text ends before anything but white space. The
// value is left alone unless the result is 1.
int CrtScanInteger(const char* text, int base, int width, unsigned* value);

// A file opened in the C runtime's text mode ("r"): CR LF reads as LF (also across reads), a lone
// CR is kept, the first 0x1A ends the data. Size() is the size on disk, as fseek/ftell give it.
class TextModeFile {
 public:
  TextModeFile() = default;
  ~TextModeFile();
  TextModeFile(const TextModeFile&) = delete;
  TextModeFile& operator=(const TextModeFile&) = delete;

  bool Open(const char* path);
  long Size() const;
  // Reads up to n bytes after text-mode translation; returns the count actually stored.
  std::size_t Read(void* buffer, std::size_t n);
  void Close();

 private:
  std::FILE* file_ = nullptr;
  bool pendingCr_ = false;
  bool ended_ = false;
};

// Code page 936 <-> UTF-8 for the views (Qt host, headless driver output).
std::string AcpToUtf8(const std::string& acp);
std::string Utf8ToAcp(const std::string& utf8);

}  // namespace platform

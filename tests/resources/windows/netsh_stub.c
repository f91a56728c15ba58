/* A stand-in for netsh.exe in the installer test's Wine prefix: Wine's own netsh does nothing, so
 * this one appends its whole command line (GetCommandLineW, as UTF-8, one line) to
 * C:\netsh-calls.log, for the test to compare with the commands the installer must run, and
 * exits 0. */
#include <windows.h>

int main(void) {
  const wchar_t* line = GetCommandLineW();
  char text[32768];
  int n = WideCharToMultiByte(CP_UTF8, 0, line, -1, text, (int)sizeof text, NULL, NULL);
  if (n <= 0) return 1;
  /* n counts the terminating zero: it becomes the line end. */
  text[n - 1] = '\n';
  HANDLE log =
      CreateFileW(L"C:\\netsh-calls.log", FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                  NULL, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
  if (log == INVALID_HANDLE_VALUE) return 1;
  DWORD written = 0;
  BOOL ok = WriteFile(log, text, (DWORD)n, &written, NULL) && written == (DWORD)n;
  CloseHandle(log);
  return ok ? 0 : 1;
}

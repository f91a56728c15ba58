// A printf-style formatter for interface texts. The formats come from the editable language.csv,
// so a text that does not fit its arguments must neither read nor write past them.
#pragma once

#include <initializer_list>
#include <string>

// One argument: an int or a NUL-terminated string (a null pointer formats as an empty string).
class TextArg {
 public:
  TextArg(int value) : isString_(false), number_(value) {}  // NOLINT: implicit by design
  TextArg(const char* text) : isString_(true), text_(text != nullptr ? text : "") {}  // NOLINT

  bool IsString() const { return isString_; }
  int Number() const { return number_; }
  const char* Text() const { return text_; }

 private:
  bool isString_;
  int number_ = 0;
  const char* text_ = "";
};

constexpr std::size_t kFormattedTextLimit = 1023;

// Formats like snprintf, taking the arguments in order, with these differences:
// - `%%` gives `%`;
// - a conversion `%[flags][width][.precision][length]conv` is formatted only when conv fits the
//   next argument (d i u x X o c for an int, s for a string); width and precision are clamped to
//   64, a length modifier other than h or hh is ignored (every number is an int), and a flag or
//   precision that C leaves undefined for the conversion (such as %05s or %.2c) is dropped;
// - any other `%` (unknown conversion such as %n, %f or %*d, no argument left, or an argument of
//   the other kind) is copied as text and takes no argument;
// - the result is cut to kFormattedTextLimit bytes.
std::string FormatInterfaceText(const char* format, std::initializer_list<TextArg> args);

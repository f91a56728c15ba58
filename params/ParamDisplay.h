// Pure helpers of the parameter display: which list position a code
// selects and which text a field shows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The Output format (1016) position for an output format code: code - 1 up to 7, code - 2 above.
// A result outside the list (0 gives -1) is returned as it is; CB_SETCURSEL then clears the list.
int OutputFormatCodeToIndex(std::int8_t code);

// The Card number input format (1017) position for a code: code - 1.
int CardInputFormatCodeToIndex(std::int8_t code);

// The field's bytes up to its first NUL (never past width) as lowercase hexadecimal pairs:
// 0D 0A gives "0d0a"; an empty field gives "".
std::string HexDisplay(const std::uint8_t* field, std::size_t width);
inline std::string HexDisplay(const char* field, std::size_t width) {
  return HexDisplay(reinterpret_cast<const std::uint8_t*>(field), width);
}

// The text of a fixed-width field: up to its first NUL, or the full width when it has none.
std::string FieldText(const char* field, std::size_t width);

// A prefix or suffix field as its edit shows it: text when format is not 0, hexadecimal pairs
// when it is 0.
std::string FixFieldDisplay(std::int32_t format, const char* field, std::size_t width);

// The text searched in Serial: baud rate, data bits and stop bits: the value in decimal ("%d").
std::string LookupText(std::int32_t value);

// The Wiegand edits show the record's value (units of 100 us) times 100; the product wraps
// modulo 2^32 as the 32-bit multiplication of the target does.
std::int32_t WiegandDisplayValue(std::int32_t units);

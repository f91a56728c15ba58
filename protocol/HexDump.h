// The hex dump that the status bar shows of every datagram sent or received.
#pragma once

#include <cstddef>
#include <string>

// " %02x" for each byte, in order: a space and two lowercase hexadecimal digits per byte. A
// negative or zero count gives an empty text.
std::string HexDump(const void* data, int len);

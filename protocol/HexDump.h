// Bytes as hexadecimal text: the hex dump that the status bar shows of every datagram sent or
// received, and the plain lowercase form that records, datagrams and texts are written in.
#pragma once

#include <cstddef>
#include <string>

// " %02x" for each byte, in order: a space and two lowercase hexadecimal digits per byte. A
// negative or zero count gives an empty text.
std::string HexDump(const void* data, int len);

// Two lowercase hexadecimal digits per byte, nothing between ("0aff" for 0A FF); an empty text for
// len 0.
std::string LowerHex(const void* data, std::size_t len);

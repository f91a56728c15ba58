// The parameter record a simulated reader has when it leaves the factory.
#pragma once

#include "params/DevParam.h"
#include "protocol/IpAddress.h"

namespace sim {

// A record with a valid position in every list the tool shows: network mode, HTTP language,
// light, speaker, work mode, the hidden choices first item; output format code 1 and card input
// format code 1 (first items); carriage return on, line feed off; prefixes and suffixes empty in
// text form; Wiegand 4 and 20 (400 and 2000 us); 9600 baud, 8 data bits, 1 stop bit, no parity;
// restart item 1; NTP and backup address, server address and port 80, the cloud texts in UTF-8.
// The network block holds `address` with mask 255.255.255.0 and gateway a.b.c.1.
DEV_PARAM_T FactoryRecord(Ip32 address);

}  // namespace sim

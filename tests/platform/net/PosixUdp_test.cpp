// errno to backend Error mapping of the POSIX backend and its choice of interfaces for a
// broadcast (no socket is opened here).
#include "platform/net/PosixUdp.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

namespace platform::net {
namespace {

struct ErrnoRow {
  int err;
  Error expected;
};

class ErrnoMappingTest : public ::testing::TestWithParam<ErrnoRow> {};

TEST_P(ErrnoMappingTest, MapsOneToOne) {
  EXPECT_EQ(ErrorFromErrno(GetParam().err), GetParam().expected) << "errno " << GetParam().err;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ErrnoMappingTest,
    ::testing::Values(
        ErrnoRow{0, Error::None}, ErrnoRow{EAGAIN, Error::WouldBlock},
        ErrnoRow{EWOULDBLOCK, Error::WouldBlock}, ErrnoRow{EMSGSIZE, Error::MessageSize},
        ErrnoRow{ECONNREFUSED, Error::ConnReset}, ErrnoRow{ECONNRESET, Error::ConnReset},
        ErrnoRow{EADDRINUSE, Error::AddrInUse}, ErrnoRow{EADDRNOTAVAIL, Error::AddrNotAvail},
        ErrnoRow{EACCES, Error::Access}, ErrnoRow{EPERM, Error::Access},
        ErrnoRow{ENETUNREACH, Error::NetUnreach}, ErrnoRow{EHOSTUNREACH, Error::NetUnreach},
        ErrnoRow{ENETDOWN, Error::NetUnreach}, ErrnoRow{EINVAL, Error::Invalid},
        ErrnoRow{EBADF, Error::Invalid}, ErrnoRow{ENOBUFS, Error::NoBuffers},
        ErrnoRow{ENOMEM, Error::NoBuffers}, ErrnoRow{EMFILE, Error::NoBuffers},
        ErrnoRow{EIO, Error::Other}));

// Which interfaces a limited broadcast leaves by, from what the kernel lists.
struct InterfaceRow {
  const char* name;
  std::vector<InterfaceAddress> listed;
  std::vector<std::string> chosen;  // names, in order
};

InterfaceAddress If(const char* name, int index, std::uint32_t addr, bool up = true,
                    bool broadcast = true, bool loopback = false) {
  return InterfaceAddress{name, index, addr, up, broadcast, loopback};
}

class BroadcastInterfacesTest : public ::testing::TestWithParam<InterfaceRow> {};

TEST_P(BroadcastInterfacesTest, ChoosesEachUsableInterfaceOnce) {
  std::vector<std::string> names;
  for (const InterfaceAddress& a : BroadcastInterfaces(GetParam().listed)) names.push_back(a.name);
  EXPECT_EQ(names, GetParam().chosen);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, BroadcastInterfacesTest,
    ::testing::Values(
        InterfaceRow{"Nothing", {}, {}},
        InterfaceRow{"LoopbackOnly", {If("lo", 1, 0x7F000001, true, false, true)}, {}},
        InterfaceRow{
            "LoopbackEvenIfMarkedBroadcast", {If("lo", 1, 0x7F000001, true, true, true)}, {}},
        InterfaceRow{"TwoCards",
                     {If("lo", 1, 0x7F000001, true, false, true), If("wlan0", 2, 0xC0A80105),
                      If("eth0", 3, 0x0A000001)},
                     {"wlan0", "eth0"}},
        InterfaceRow{
            "DownCardLeftOut", {If("eth0", 2, 0x0A000001, false), If("eth1", 3, 1)}, {"eth1"}},
        InterfaceRow{"PointToPointLeftOut", {If("tun0", 4, 0x0A080001, true, false)}, {}},
        InterfaceRow{
            "AliasesOfOneCardOnce",
            {If("eth0", 2, 0x0A000001), If("eth0:1", 2, 0x0A000002), If("eth0", 2, 0x0A000003)},
            {"eth0"}},
        InterfaceRow{"UnknownIndexLeftOut", {If("ghost", 0, 0x0A000001)}, {}}),
    [](const ::testing::TestParamInfo<InterfaceRow>& info) { return info.param.name; });

}  // namespace
}  // namespace platform::net

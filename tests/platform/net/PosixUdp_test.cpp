// errno to backend Error mapping of the POSIX backend, its choice of interfaces for a broadcast
// and how many sockets make up a receive buffer (no socket is opened here).
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

// How many sockets share the port so that the kernel holds what was asked, from what SO_RCVBUF
// reports (twice what the kernel keeps for datagrams).
struct SharedSocketsRow {
  const char* name;
  int asked;
  int granted;
  int sockets;
};

class SocketsForReceiveBufferTest : public ::testing::TestWithParam<SharedSocketsRow> {};

TEST_P(SocketsForReceiveBufferTest, MakesUpWhatTheKernelCut) {
  const SharedSocketsRow& row = GetParam();
  EXPECT_EQ(SocketsForReceiveBuffer(row.asked, row.granted), row.sockets);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, SocketsForReceiveBufferTest,
    ::testing::Values(
        // The tool's 4 MiB against the stock net.core.rmem_max of 212992.
        SharedSocketsRow{"StockLimit", 4194304, 425984, 20},
        SharedSocketsRow{"GrantedWhole", 4194304, 8388608, 1},
        SharedSocketsRow{"GrantedMoreThanAsked", 1000, 4608, 1},
        SharedSocketsRow{"ExactlyTwo", 2000, 2000, 2},
        SharedSocketsRow{"JustOverTwo", 2001, 2000, 3},
        SharedSocketsRow{"TinyLimitCappedAtTheMost", 4194304, 4608, kMaxSharedSockets},
        SharedSocketsRow{"NothingAsked", 0, 425984, 1},
        SharedSocketsRow{"GrantUnknown", 4194304, 0, 1},
        SharedSocketsRow{"NegativeGrant", 4194304, -2, 1},
        SharedSocketsRow{"LargestAsk", 2147483647, 425984, kMaxSharedSockets}),
    [](const ::testing::TestParamInfo<SharedSocketsRow>& info) { return info.param.name; });

}  // namespace
}  // namespace platform::net

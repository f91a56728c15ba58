// errno to backend Error mapping of the POSIX backend (no socket is opened here).
#include "platform/net/PosixUdp.h"

#include <gtest/gtest.h>

#include <cerrno>

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

}  // namespace
}  // namespace platform::net

// The Winsock backend's error texts, and the adapters a limited broadcast
// leaves by, from a GetAdaptersAddresses list (no socket is opened here). Windows build only.
#include "platform/net/WinsockUdp.h"

// winsock2.h first: the others need it.
#include <winsock2.h>
// Then the rest.
#include <gtest/gtest.h>
#include <iphlpapi.h>
#include <ws2tcpip.h>

#include <cstdint>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

namespace platform::net {
namespace {

TEST(WsaErrorText, SaysWhatTheErrorIsWithItsNumber) {
  const std::string inUse = WsaErrorText(WSAEADDRINUSE);
  EXPECT_NE(inUse.find(" (WSA error 10048)"), std::string::npos) << inUse;
  EXPECT_GT(inUse.size(), std::string(" (WSA error 10048)").size()) << inUse;
  EXPECT_EQ(WsaErrorText(99999), "WSA error 99999");
}

// A GetAdaptersAddresses list made by hand: the nodes and their addresses live as long as it.
class AdapterList {
 public:
  struct Address {
    int family = AF_INET;
    std::uint32_t address = 0;  // host order
  };
  struct Adapter {
    const wchar_t* name;
    DWORD index;
    IFTYPE type = IF_TYPE_ETHERNET_CSMACD;
    IF_OPER_STATUS status = IfOperStatusUp;
    std::vector<Address> addresses;
    DWORD flags = IP_ADAPTER_IPV4_ENABLED;
  };

  explicit AdapterList(const std::vector<Adapter>& adapters) {
    for (const Adapter& a : adapters) {
      IP_ADAPTER_ADDRESSES& node = nodes_.emplace_back();
      std::memset(&node, 0, sizeof node);
      node.Length = sizeof node;
      node.IfIndex = a.index;
      node.IfType = a.type;
      node.OperStatus = a.status;
      node.Flags = a.flags;
      names_.emplace_back(a.name);
      node.FriendlyName = names_.back().data();
      IP_ADAPTER_UNICAST_ADDRESS* previous = nullptr;
      for (const Address& address : a.addresses) {
        IP_ADAPTER_UNICAST_ADDRESS& u = unicast_.emplace_back();
        std::memset(&u, 0, sizeof u);
        if (address.family == AF_INET) {
          sockaddr_in& in = v4_.emplace_back();
          std::memset(&in, 0, sizeof in);
          in.sin_family = AF_INET;
          in.sin_addr.s_addr = htonl(address.address);
          u.Address.lpSockaddr = reinterpret_cast<sockaddr*>(&in);
          u.Address.iSockaddrLength = sizeof in;
        } else {
          sockaddr_in6& in6 = v6_.emplace_back();
          std::memset(&in6, 0, sizeof in6);
          in6.sin6_family = AF_INET6;
          u.Address.lpSockaddr = reinterpret_cast<sockaddr*>(&in6);
          u.Address.iSockaddrLength = sizeof in6;
        }
        (previous ? previous->Next : node.FirstUnicastAddress) = &u;
        previous = &u;
      }
    }
    for (std::size_t i = 0; i + 1 < nodes_.size(); ++i) nodes_[i].Next = &nodes_[i + 1];
  }

  const IP_ADAPTER_ADDRESSES* First() const { return nodes_.empty() ? nullptr : &nodes_.front(); }

 private:
  // Deques: the nodes keep their places while more are added.
  std::deque<IP_ADAPTER_ADDRESSES> nodes_;
  std::deque<std::wstring> names_;
  std::deque<IP_ADAPTER_UNICAST_ADDRESS> unicast_;
  std::deque<sockaddr_in> v4_;
  std::deque<sockaddr_in6> v6_;
};

TEST(InterfacesOfAdapters, ReadsEveryIPv4AddressOfTheList) {
  const AdapterList list({
      {L"Loopback Pseudo-Interface 1",
       1,
       IF_TYPE_SOFTWARE_LOOPBACK,
       IfOperStatusUp,
       {{AF_INET, 0x7F000001}}},
      {L"\x4EE5\x592A\x7F51",
       7,
       IF_TYPE_ETHERNET_CSMACD,
       IfOperStatusUp,  // 以太网
       {{AF_INET6, 0}, {AF_INET, 0xC0A80105}, {AF_INET, 0xC0A80106}}},
      {L"Wi-Fi", 12, IF_TYPE_IEEE80211, IfOperStatusDown, {{AF_INET, 0x0A000001}}},
  });
  const std::vector<InterfaceAddress> all = InterfacesOfAdapters(list.First());
  ASSERT_EQ(all.size(), 4u);
  EXPECT_EQ(all[0].name, "Loopback Pseudo-Interface 1");
  EXPECT_TRUE(all[0].loopback);
  EXPECT_EQ(all[1].name, "\xE4\xBB\xA5\xE5\xA4\xAA\xE7\xBD\x91");  // UTF-8
  EXPECT_EQ(all[1].index, 7);
  EXPECT_EQ(all[1].address, 0xC0A80105u);
  EXPECT_TRUE(all[1].up && all[1].broadcast && !all[1].loopback);
  EXPECT_EQ(all[2].address, 0xC0A80106u);
  EXPECT_EQ(all[3].name, "Wi-Fi");
  EXPECT_EQ(all[3].index, 12);
  EXPECT_FALSE(all[3].up);
}

TEST(InterfacesOfAdapters, AnEmptyListHasNone) {
  EXPECT_TRUE(InterfacesOfAdapters(nullptr).empty());
}

// Which adapters a limited broadcast leaves by, from what GetAdaptersAddresses lists.
struct AdapterRow {
  const char* name;
  std::vector<AdapterList::Adapter> listed;
  std::vector<std::string> chosen;  // names, in order
};

class BroadcastAdaptersTest : public ::testing::TestWithParam<AdapterRow> {};

TEST_P(BroadcastAdaptersTest, ChoosesEachAdapterThatIsUpOnce) {
  const AdapterList list(GetParam().listed);
  std::vector<std::string> names;
  for (const InterfaceAddress& a : BroadcastInterfaces(InterfacesOfAdapters(list.First())))
    names.push_back(a.name);
  EXPECT_EQ(names, GetParam().chosen);
}

using A = AdapterList::Adapter;
const A kLoopback{L"lo", 1, IF_TYPE_SOFTWARE_LOOPBACK, IfOperStatusUp, {{AF_INET, 0x7F000001}}};

INSTANTIATE_TEST_SUITE_P(
    Rows, BroadcastAdaptersTest,
    ::testing::Values(
        AdapterRow{"Nothing", {}, {}}, AdapterRow{"LoopbackOnly", {kLoopback}, {}},
        AdapterRow{
            "TwoCards",
            {kLoopback, A{L"Wi-Fi", 12, IF_TYPE_IEEE80211, IfOperStatusUp, {{AF_INET, 0xC0A80105}}},
             A{L"Ethernet", 7, IF_TYPE_ETHERNET_CSMACD, IfOperStatusUp, {{AF_INET, 0x0A000001}}}},
            {"Wi-Fi", "Ethernet"}},
        AdapterRow{
            "CableUnplugged",
            {A{L"Ethernet", 7, IF_TYPE_ETHERNET_CSMACD, IfOperStatusDown, {{AF_INET, 0x0A000001}}},
             A{L"Ethernet 2", 9, IF_TYPE_ETHERNET_CSMACD, IfOperStatusUp, {{AF_INET, 0x0A010001}}}},
            {"Ethernet 2"}},
        AdapterRow{"TwoAddressesOfOneAdapterOnce",
                   {A{L"Ethernet",
                      7,
                      IF_TYPE_ETHERNET_CSMACD,
                      IfOperStatusUp,
                      {{AF_INET, 0x0A000001}, {AF_INET, 0x0A000002}}}},
                   {"Ethernet"}},
        AdapterRow{"IPv6Only",
                   {A{L"Ethernet", 7, IF_TYPE_ETHERNET_CSMACD, IfOperStatusUp, {{AF_INET6, 0}}}},
                   {}},
        AdapterRow{"ReceiveOnlyLeftOut",
                   {A{L"Tap",
                      5,
                      IF_TYPE_ETHERNET_CSMACD,
                      IfOperStatusUp,
                      {{AF_INET, 0x0A000001}},
                      IP_ADAPTER_RECEIVE_ONLY}},
                   {}},
        AdapterRow{"TunnelWithAnAddressCounts",
                   {A{L"VPN", 20, IF_TYPE_PPP, IfOperStatusUp, {{AF_INET, 0x0A080001}}}},
                   {"VPN"}},
        AdapterRow{
            "UnknownIndexLeftOut",
            {A{L"ghost", 0, IF_TYPE_ETHERNET_CSMACD, IfOperStatusUp, {{AF_INET, 0x0A000001}}}},
            {}}),
    [](const ::testing::TestParamInfo<AdapterRow>& info) { return info.param.name; });

}  // namespace
}  // namespace platform::net

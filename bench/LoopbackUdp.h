// Plain POSIX UDP over the loopback of a private network namespace, for the benchmarks that
// compare the dialog with the bare cost of receiving (kept apart from the platform's winsock2.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace loopback {

// Moves the process into a network namespace of its own with the loopback up; false without
// root. Nothing sent there can leave the process.
bool MakePrivate();
// A socket bound to 127.0.0.1:port with the receive buffer the dialog asks for; -1 on failure.
int OpenReceiver(std::uint16_t port, int receiveBuffer);
int OpenSender();
void SendAll(int fd, const std::vector<std::string>& datagrams, std::uint16_t port);
// One recvfrom without waiting; the byte count or -1.
long ReceiveOne(int fd, char* buffer, std::size_t size);
void Close(int fd);

}  // namespace loopback

#pragma once

// The small HTTP servers of the benches: one loopback port, one connection
// at a time, each request read whole (head and Content-Length body) before
// the answer goes out, and the end once nobody has come for a minute.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <strings.h>

namespace bench {

constexpr int kIdleMs = 60000;

inline bool SendAll(int fd, const char *data, size_t size) {
  while (size > 0) {
    const ssize_t sent = ::send(fd, data, size, MSG_NOSIGNAL);
    if (sent <= 0) return false;
    data += sent;
    size -= size_t(sent);
  }
  return true;
}

// Reads the next request of the connection, and drops it from `pending`
// (the bytes read past it stay). False when the client closed or went idle.
inline bool ReadRequest(int fd, std::string &pending) {
  char buffer[65536];
  size_t headEnd;
  while ((headEnd = pending.find("\r\n\r\n")) == std::string::npos) {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, kIdleMs) <= 0) return false;
    const ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
    if (got <= 0) return false;
    pending.append(buffer, size_t(got));
  }
  size_t length = 0;
  for (size_t at = pending.find("\r\n"); at < headEnd; at = pending.find("\r\n", at + 2)) {
    static const char kName[] = "\r\ncontent-length:";
    if (::strncasecmp(pending.c_str() + at, kName, sizeof kName - 1) == 0)
      length = std::stoul(pending.substr(at + sizeof kName - 1));
  }
  const size_t total = headEnd + 4 + length;
  while (pending.size() < total) {
    const ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
    if (got <= 0) return false;
    pending.append(buffer, size_t(got));
  }
  pending.erase(0, total);
  return true;
}

// Listens on a free loopback port, prints it, and hands each connection to
// `serve(fd)` until none has come for a minute. Returns the exit status.
template <typename Serve>
int ServeOnLoopback(Serve serve) {
  const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof address;
  if (listener < 0 || ::bind(listener, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 ||
      ::listen(listener, 8) != 0 ||
      ::getsockname(listener, reinterpret_cast<sockaddr *>(&address), &size) != 0)
    return 1;
  std::printf("%d\n", ntohs(address.sin_port));
  std::fflush(stdout);
  for (;;) {
    pollfd p{listener, POLLIN, 0};
    if (::poll(&p, 1, kIdleMs) <= 0) return 0;  // idle: the benchmark is over
    const int fd = ::accept(listener, nullptr, nullptr);
    if (fd < 0) continue;
    serve(fd);
    ::close(fd);
  }
}

}  // namespace bench

// Serves one saved ws.php answer to every POST, on a loopback port, with
// keep-alive, and as little work per request as can be: the benchmark
// measures the clients, not this server. Prints its port, then serves one
// connection at a time until it has been idle for a minute.
//
//   answer_server FILE

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <strings.h>

namespace {

constexpr int kIdleMs = 60000;

bool SendAll(int fd, const char *data, size_t size) {
  while (size > 0) {
    const ssize_t sent = ::send(fd, data, size, MSG_NOSIGNAL);
    if (sent <= 0) return false;
    data += sent;
    size -= size_t(sent);
  }
  return true;
}

// Answers the requests of one connection until the client closes it.
void Serve(int fd, const std::string &reply) {
  std::string pending;
  char buffer[65536];
  for (;;) {
    size_t headEnd;
    while ((headEnd = pending.find("\r\n\r\n")) == std::string::npos) {
      pollfd p{fd, POLLIN, 0};
      if (::poll(&p, 1, kIdleMs) <= 0) return;
      const ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
      if (got <= 0) return;
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
      if (got <= 0) return;
      pending.append(buffer, size_t(got));
    }
    pending.erase(0, total);
    if (!SendAll(fd, reply.data(), reply.size())) return;
  }
}

}  // namespace

int main(int argc, char **argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: answer_server FILE\n");
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  const std::string answer((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (!in.good() && !in.eof()) return 1;

  const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof address;
  if (listener < 0 || ::bind(listener, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 ||
      ::listen(listener, 8) != 0 ||
      ::getsockname(listener, reinterpret_cast<sockaddr *>(&address), &size) != 0)
    return 1;
  // Head and body in one piece: sent apart, a small answer's body would wait
  // for the client's delayed acknowledgement of the head on every request
  // after a connection's first.
  const std::string reply = "HTTP/1.1 200 OK\r\nContent-Type: text/plain; charset=UTF-8\r\n"
                            "Content-Length: " + std::to_string(answer.size()) + "\r\n\r\n" + answer;
  std::printf("%d\n", ntohs(address.sin_port));
  std::fflush(stdout);

  for (;;) {
    pollfd p{listener, POLLIN, 0};
    if (::poll(&p, 1, kIdleMs) <= 0) return 0;  // idle: the benchmark is over
    const int fd = ::accept(listener, nullptr, nullptr);
    if (fd < 0) continue;
    Serve(fd, reply);
    ::close(fd);
  }
}

// A TCP relay on loopback that behaves like a slow link: each direction is
// limited to a rate (bits per second) and delays every byte by a latency,
// as a wide-area link does. It listens on 127.0.0.1 (a free port, printed on
// the first line of its output), forwards each connection to 127.0.0.1:PORT
// and, when a connection ends, prints one line with the bytes it carried:
//   bytes up=N down=M
// (up: client to server). Only loopback addresses are used.
//
//   relay TARGET_PORT [RATE_BITS_PER_SECOND [LATENCY_MS]]
//
// Stops on SIGTERM or SIGINT.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double gRate = 10e6;
std::chrono::microseconds gLatency(50000);
std::mutex gPrint;

// One direction of a connection: a reader that stamps each piece with the
// time it leaves the far end of the link (after the bits before it have been
// sent at the link's rate, plus the latency) and a writer that hands it on
// at that time.
struct Direction {
  int from = -1;
  int to = -1;
  std::mutex mutex;
  std::condition_variable ready;
  struct Piece {
    std::string bytes;  // empty: the end of the stream
    Clock::time_point due;
  };
  std::deque<Piece> queue;
  long long carried = 0;

  void Read() {
    Clock::time_point linkFree = Clock::now();
    // Small pieces, so the link's pace shows within one read.
    std::vector<char> buffer(4096);
    for (;;) {
      const ssize_t got = ::recv(from, buffer.data(), buffer.size(), 0);
      const Clock::time_point now = Clock::now();
      Piece piece;
      if (got > 0) {
        if (linkFree < now) linkFree = now;
        linkFree += std::chrono::microseconds(static_cast<long long>(got * 8 * 1e6 / gRate));
        piece.bytes.assign(buffer.data(), size_t(got));
      }
      piece.due = (got > 0 ? linkFree : std::max(linkFree, now)) + gLatency;
      {
        std::lock_guard<std::mutex> lock(mutex);
        queue.push_back(std::move(piece));
      }
      ready.notify_one();
      if (got <= 0) return;
    }
  }

  void Write() {
    for (;;) {
      Piece piece;
      {
        std::unique_lock<std::mutex> lock(mutex);
        ready.wait(lock, [this] { return !queue.empty(); });
        piece = std::move(queue.front());
        queue.pop_front();
      }
      std::this_thread::sleep_until(piece.due);
      if (piece.bytes.empty()) {
        ::shutdown(to, SHUT_WR);
        return;
      }
      size_t sent = 0;
      while (sent < piece.bytes.size()) {
        const ssize_t n = ::send(to, piece.bytes.data() + sent, piece.bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) {
          // The far side is gone: stop reading this direction too.
          ::shutdown(from, SHUT_RD);
          return;
        }
        sent += size_t(n);
      }
      carried += static_cast<long long>(piece.bytes.size());
    }
  }
};

void Serve(int client, int targetPort) {
  const int server = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<uint16_t>(targetPort));
  if (::connect(server, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0) {
    ::close(client);
    ::close(server);
    return;
  }
  const int one = 1;
  ::setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  ::setsockopt(server, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  Direction up, down;
  up.from = client;
  up.to = server;
  down.from = server;
  down.to = client;
  std::thread upRead([&] { up.Read(); }), upWrite([&] { up.Write(); });
  std::thread downRead([&] { down.Read(); }), downWrite([&] { down.Write(); });
  upWrite.join();
  downWrite.join();
  // Both ways have delivered their end (or failed): no reader waits any more.
  ::shutdown(client, SHUT_RDWR);
  ::shutdown(server, SHUT_RDWR);
  upRead.join();
  downRead.join();
  ::close(client);
  ::close(server);
  std::lock_guard<std::mutex> lock(gPrint);
  std::printf("bytes up=%lld down=%lld\n", up.carried, down.carried);
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char **argv) {
  if (argc < 2 || argc > 4) {
    std::fprintf(stderr, "usage: relay TARGET_PORT [RATE_BITS_PER_SECOND [LATENCY_MS]]\n");
    return 2;
  }
  const int targetPort = std::atoi(argv[1]);
  if (argc > 2) gRate = std::atof(argv[2]);
  if (argc > 3) gLatency = std::chrono::microseconds(static_cast<long long>(std::atof(argv[3]) * 1000));
  if (targetPort <= 0 || targetPort > 65535 || gRate <= 0) {
    std::fprintf(stderr, "relay: bad arguments\n");
    return 2;
  }
  std::signal(SIGPIPE, SIG_IGN);

  const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
  const int one = 1;
  ::setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (::bind(listener, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 ||
      ::listen(listener, 16) != 0 ||
      ::getsockname(listener, reinterpret_cast<sockaddr *>(&address), &length) != 0) {
    std::perror("relay");
    return 1;
  }
  std::printf("%d\n", ntohs(address.sin_port));
  std::fflush(stdout);
  for (;;) {
    const int client = ::accept(listener, nullptr, nullptr);
    if (client < 0) continue;
    std::thread(Serve, client, targetPort).detach();
  }
}

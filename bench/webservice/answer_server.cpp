// Serves one saved ws.php answer to every POST, on a loopback port, with
// keep-alive, and as little work per request as can be: the benchmark
// measures the clients, not this server. Prints its port, then serves one
// connection at a time until it has been idle for a minute.
//
//   answer_server FILE

#include "LoopbackServer.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

int main(int argc, char **argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: answer_server FILE\n");
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  const std::string answer((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (!in.good() && !in.eof()) return 1;

  // Head and body in one piece: sent apart, a small answer's body would wait
  // for the client's delayed acknowledgement of the head on every request
  // after a connection's first.
  const std::string reply = "HTTP/1.1 200 OK\r\nContent-Type: text/plain; charset=UTF-8\r\n"
                            "Content-Length: " + std::to_string(answer.size()) + "\r\n\r\n" + answer;
  return bench::ServeOnLoopback([&reply](int fd) {
    std::string pending;
    while (bench::ReadRequest(fd, pending))
      if (!bench::SendAll(fd, reply.data(), reply.size())) return;
  });
}

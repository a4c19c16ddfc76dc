// Serves a ws.php answer of a given shape and size to every POST, on a
// loopback port, made up as it is sent so that this server holds none of
// it: the benchmark measures the client's memory, not this one's. Prints
// its port, then serves one connection at a time until it has been idle
// for a minute.
//
//   shape_server SHAPE BYTES [--chunked]
//
// Shapes, each exactly BYTES long:
//   line    one line without a tab or a line break
//   header  one line of fields of ten bytes each (a header of many names)
//   wide    a header of many names over half the bytes, then short rows
//   row     a short header, then a single row holding one huge escaped value
//   lines   a one-name header, then lines of two bytes
//   rows    a two-name header, then rows of fifteen bytes

#include "LoopbackServer.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr size_t kPiece = size_t(1) << 20;

// The answer's bytes, made up at any offset without the bytes before it:
// each shape is a pattern of a few parts.
class Shape {
 public:
  Shape(const std::string &name, size_t bytes) : FBytes(bytes) {
    static const char *const kNames[] = {"line", "header", "wide", "row", "lines", "rows"};
    for (int i = 0; i < 6; ++i)
      if (name == kNames[i]) FKind = Kind(i);
  }
  bool Known() const { return FKind != Kind::Unknown; }

  void Fill(size_t at, char *out, size_t size) const {
    for (size_t i = 0; i < size; ++i) out[i] = At(at + i);
  }

 private:
  enum class Kind { Line, Header, Wide, Row, Lines, Rows, Unknown };

  char At(size_t at) const {
    switch (FKind) {
      case Kind::Line:
        return char('a' + at % 26);
      case Kind::Header:
        return Field(at);
      case Kind::Wide: {
        const size_t half = FBytes / 2;
        if (at + 1 < half) return Field(at);
        if (at + 1 == half) return '\n';
        return "1\t22\t333\n"[(at - half) % 9];
      }
      case Kind::Row: {
        if (at < 4) return "a\tb\n"[at];
        if (at >= FBytes - 5) return "\tfin\n"[at - (FBytes - 5)];
        // Letters, with an escaped line feed every 64 bytes.
        const size_t in = (at - 4) % 64;
        return in == 62 ? '\\' : in == 63 ? 'n' : char('a' + (at - 4) / 64 % 26);
      }
      case Kind::Lines:
        if (at < 2) return "n\n"[at];
        return (at - 2) % 2 ? '\n' : char('0' + (at - 2) / 2 % 10);
      default:
        if (at < 7) return "id\tnom\n"[at];
        return "12345\tabcdefgh\n"[(at - 7) % 15];
    }
  }

  // Names of ten bytes, "f000000001" on, each followed by a tab.
  char Field(size_t at) const {
    const size_t number = at / 11 + 1;
    if (number != FFieldNumber) {
      std::snprintf(FField, sizeof FField, "f%09zu\t", number % 1000000000);
      FFieldNumber = number;
    }
    return FField[at % 11];
  }

  size_t FBytes;
  Kind FKind = Kind::Unknown;
  mutable size_t FFieldNumber = 0;
  mutable char FField[16] = {};
};

// Answers the requests of one connection until the client closes it.
void Serve(int fd, const Shape &shape, size_t bytes, bool chunked) {
  std::string pending;
  std::string piece(kPiece, '\0');
  while (bench::ReadRequest(fd, pending)) {
    const std::string head = std::string("HTTP/1.1 200 OK\r\nContent-Type: text/plain; charset=UTF-8\r\n") +
                             (chunked ? "Transfer-Encoding: chunked\r\n"
                                      : "Content-Length: " + std::to_string(bytes) + "\r\n") +
                             "\r\n";
    if (!bench::SendAll(fd, head.data(), head.size())) return;
    for (size_t at = 0; at < bytes; at += kPiece) {
      const size_t size = std::min(kPiece, bytes - at);
      shape.Fill(at, &piece[0], size);
      if (chunked) {
        char size_line[32];
        const int n = std::snprintf(size_line, sizeof size_line, "%zx\r\n", size);
        if (!bench::SendAll(fd, size_line, size_t(n))) return;
      }
      if (!bench::SendAll(fd, piece.data(), size)) return;
      if (chunked && !bench::SendAll(fd, "\r\n", 2)) return;
    }
    if (chunked && !bench::SendAll(fd, "0\r\n\r\n", 5)) return;
  }
}

}  // namespace

int main(int argc, char **argv) {
  if (argc < 3 || argc > 4 || (argc == 4 && std::strcmp(argv[3], "--chunked") != 0)) {
    std::fprintf(stderr, "usage: shape_server SHAPE BYTES [--chunked]\n");
    return 2;
  }
  const size_t bytes = std::strtoull(argv[2], nullptr, 10);
  const Shape shape(argv[1], bytes);
  if (!shape.Known() || bytes < 16) {
    std::fprintf(stderr, "shape_server: unknown shape or too few bytes\n");
    return 2;
  }
  const bool chunked = argc == 4;

  return bench::ServeOnLoopback([&](int fd) { Serve(fd, shape, bytes, chunked); });
}

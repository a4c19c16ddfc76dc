#include "RecordingServer.h"

#include <chrono>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <stdexcept>
#include <vector>

struct RecordingServer::Connection {
  int fd = -1;
  int number = 0;
  bool stalled = false;
  QByteArray pending;
};

QByteArray RecordingServer::Request::RequestLine() const {
  return head.left(head.indexOf("\r\n"));
}

QList<QByteArray> RecordingServer::Request::HeaderLines() const {
  QList<QByteArray> lines = head.split('\n');
  lines.removeFirst();
  for (QByteArray &line : lines) {
    if (line.endsWith('\r')) line.chop(1);
  }
  while (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
  return lines;
}

RecordingServer::RecordingServer() {
  FListen = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  socklen_t length = sizeof address;
  if (FListen < 0 || ::bind(FListen, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 ||
      ::listen(FListen, 16) != 0 ||
      ::getsockname(FListen, reinterpret_cast<sockaddr *>(&address), &length) != 0 ||
      ::pipe2(FWake, O_CLOEXEC) != 0)
    throw std::runtime_error("test server: no loopback socket");
  FPort = ntohs(address.sin_port);
  FThread = std::thread([this] { Run(); });
}

RecordingServer::~RecordingServer() {
  const char stop = 'x';
  (void)!::write(FWake[1], &stop, 1);
  FThread.join();
  ::close(FListen);
  ::close(FWake[0]);
  ::close(FWake[1]);
}

QString RecordingServer::Url() const { return QStringLiteral("http://127.0.0.1:%1").arg(FPort); }

void RecordingServer::Enqueue(Reply reply) {
  std::lock_guard<std::mutex> lock(FMutex);
  FReplies.push_back(std::move(reply));
}

QList<RecordingServer::Request> RecordingServer::Requests() const {
  std::lock_guard<std::mutex> lock(FMutex);
  return FRequests;
}

int RecordingServer::Connections() const {
  std::lock_guard<std::mutex> lock(FMutex);
  return FConnections;
}

RecordingServer::Reply RecordingServer::Ok(const QByteArray &body) { return Typed("text/html", body); }

RecordingServer::Reply RecordingServer::Typed(const QByteArray &contentType, const QByteArray &body) {
  const QByteArray type = contentType.isEmpty() ? QByteArray() : "Content-Type: " + contentType + "\r\n";
  return {"HTTP/1.1 200 OK\r\n" + type + "Content-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" +
              body,
          After::Keep};
}

RecordingServer::Reply RecordingServer::Status(int code, const QByteArray &reason,
                                               const QByteArray &extraHeaders) {
  const QByteArray body = "<html>" + reason + "</html>";
  return {"HTTP/1.1 " + QByteArray::number(code) + ' ' + reason + "\r\n" + extraHeaders +
              "Content-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body,
          After::Keep};
}

void RecordingServer::Run() {
  std::vector<Connection> connections;
  for (;;) {
    std::vector<pollfd> polled{{FWake[0], POLLIN, 0}, {FListen, POLLIN, 0}};
    for (const Connection &c : connections) polled.push_back({c.fd, POLLIN, 0});
    if (::poll(polled.data(), polled.size(), -1) < 0) continue;
    if (polled[0].revents) break;
    std::vector<Connection> still;
    for (size_t i = 0; i < connections.size(); ++i) {
      Connection &c = connections[i];
      bool open = true;
      if (polled[i + 2].revents) {
        char buffer[65536];
        const ssize_t got = ::recv(c.fd, buffer, sizeof buffer, 0);
        if (got <= 0) {
          open = false;
        } else if (!c.stalled) {
          c.pending.append(buffer, got);
          open = Serve(c);
        }
      }
      if (open)
        still.push_back(std::move(c));
      else
        ::close(c.fd);
    }
    connections.swap(still);
    if (polled[1].revents) {
      const int fd = ::accept4(FListen, nullptr, nullptr, SOCK_CLOEXEC);
      if (fd >= 0) {
        std::lock_guard<std::mutex> lock(FMutex);
        connections.push_back({fd, FConnections++, false, {}});
      }
    }
  }
  for (const Connection &c : connections) ::close(c.fd);
}

// Answers every complete request in the connection's buffer; false once the
// connection is to be closed.
bool RecordingServer::Serve(Connection &c) {
  for (;;) {
    const qsizetype headEnd = c.pending.indexOf("\r\n\r\n");
    if (headEnd < 0) return true;
    Request request;
    request.connection = c.number;
    request.head = c.pending.left(headEnd + 4);
    qsizetype bodyLength = 0;
    for (const QByteArray &line : request.HeaderLines()) {
      if (line.toLower().startsWith("content-length:")) bodyLength = line.mid(15).trimmed().toLongLong();
    }
    if (c.pending.size() < headEnd + 4 + bodyLength) return true;
    request.body = c.pending.mid(headEnd + 4, bodyLength);
    c.pending.remove(0, headEnd + 4 + bodyLength);

    Reply reply = Ok({});
    {
      std::lock_guard<std::mutex> lock(FMutex);
      FRequests.append(request);
      if (!FReplies.empty()) {
        reply = std::move(FReplies.front());
        FReplies.pop_front();
      }
    }
    for (qsizetype sent = 0; sent < reply.bytes.size();) {
      if (reply.byteDelayMs > 0 && sent > 0) std::this_thread::sleep_for(std::chrono::milliseconds(reply.byteDelayMs));
      const size_t chunk = reply.byteDelayMs > 0 ? 1 : size_t(reply.bytes.size() - sent);
      const ssize_t n = ::send(c.fd, reply.bytes.constData() + sent, chunk, MSG_NOSIGNAL);
      if (n <= 0) return false;
      sent += n;
    }
    switch (reply.after) {
      case After::Keep:
        break;
      case After::Close:
        return false;
      case After::Reset: {
        const linger abortive{1, 0};
        ::setsockopt(c.fd, SOL_SOCKET, SO_LINGER, &abortive, sizeof abortive);
        return false;
      }
      case After::Stall:
        c.stalled = true;
        return true;
    }
  }
}

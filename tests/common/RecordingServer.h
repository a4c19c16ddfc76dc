#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <atomic>
#include <deque>
#include <mutex>
#include <thread>

// A loopback HTTP server for the tests. It runs on its own thread (the
// client blocks the test's thread), records every request exactly as it
// arrived, with the number of the connection that carried it, and answers
// each request with the next queued reply.
class RecordingServer {
 public:
  enum class After {
    Keep,   // leave the connection open for the next request
    Close,  // close it normally
    Reset,  // abort it with a TCP reset
    Stall,  // keep it open and never send another byte
  };
  struct Reply {
    QByteArray bytes;
    After after = After::Keep;
    int byteDelayMs = 0;  // > 0: the bytes go one at a time, this far apart
  };
  struct Request {
    int connection = 0;
    QByteArray head;  // request line and headers, up to the blank line
    QByteArray body;
    QByteArray RequestLine() const;
    QList<QByteArray> HeaderLines() const;
  };

  RecordingServer();
  ~RecordingServer();
  RecordingServer(const RecordingServer &) = delete;
  RecordingServer &operator=(const RecordingServer &) = delete;

  quint16 Port() const { return FPort; }
  QString Url() const;  // "http://127.0.0.1:<port>"

  void Enqueue(Reply reply);
  QList<Request> Requests() const;
  int Connections() const;

  // A 200 answer served as text/html, as PHP serves a script's output
  // unless told otherwise.
  static Reply Ok(const QByteArray &body);
  static Reply Typed(const QByteArray &contentType, const QByteArray &body);
  static Reply Status(int code, const QByteArray &reason, const QByteArray &extraHeaders = {});

 private:
  struct Connection;
  void Run();
  bool Serve(Connection &connection);

  int FListen = -1;
  int FWake[2] = {-1, -1};
  quint16 FPort = 0;
  std::thread FThread;
  mutable std::mutex FMutex;
  std::deque<Reply> FReplies;
  QList<Request> FRequests;
  int FConnections = 0;
};

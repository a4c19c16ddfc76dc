#pragma once

#include <QByteArray>
#include <QString>

#include <memory>

class TAnswerBuffer;

// One HTTP client for the life of its owner: a single libcurl easy handle
// (driven through a private multi handle so that the idle bound can be kept
// to the millisecond), so the connection to a web server stays open between
// requests to the same host and port.
class THttpClient {
 public:
  // A desktop HTTP stack's usual bounds; libcurl's own defaults wait forever.
  static constexpr int DefaultConnectTimeoutMs = 60000;
  static constexpr int DefaultIdleTimeoutMs = 30000;
  // Beyond this an answer is refused rather than allowed to exhaust memory.
  static constexpr qint64 DefaultMaxAnswerBytes = qint64(1) << 30;
  static constexpr int MaxRedirects = 5;

  THttpClient();
  ~THttpClient();
  THttpClient(const THttpClient &) = delete;
  THttpClient &operator=(const THttpClient &) = delete;

  // Posts the form to the URL and reads the whole answer body. Returns false
  // with the failure's message (already in its final wording) when the
  // exchange fails; *answer is then left empty. Never throws.
  bool Post(const QByteArray &url, const QByteArray &form, TAnswerBuffer *answer,
            QString *failure);

  // Ends the request under way as soon as possible, from any thread: Post
  // then returns false with Cancelled() true. A request that starts later
  // is not affected.
  void Cancel();
  // Whether the last Post ended because it was cancelled.
  bool Cancelled() const;

  // Test hooks: the program itself keeps the defaults above.
  void SetTimeouts(int connectMs, int idleMs);
  void SetMaxAnswerBytes(qint64 bytes);
  // A bound on a whole Post, redirects included, however steadily the
  // bytes come; 0 (the default) sets none. For scripts and tests.
  void SetMaxTime(int ms);
  // Trusts the certificate authorities of a PEM file (a company's own, a
  // test's) besides the system's, which libcurl then reads from the
  // system's certificate folder; empty: the system's alone, as by default.
  // The server's certificate is checked either way.
  void SetCaFile(const QByteArray &path);

  // Why a redirect from one absolute URL to another must not be followed,
  // with the form (307, 308) or as a GET without it (301, 302, 303); empty
  // when it may be. The form goes only to the origin it was first sent to:
  // same scheme, host and port.
  static QString RedirectRefusal(const QByteArray &from, const QByteArray &to, bool withForm);
  // Whether answers from that URL are asked for compressed: not from this
  // machine (localhost, 127.0.0.0/8, ::1), where the bytes cost nothing and
  // compressing would only slow the web server down; from anywhere else,
  // yes. VANTREL_COMPRESSION=on or =off decides for every address.
  static bool OffersCompression(const QByteArray &url);

 private:
  struct State;
  std::unique_ptr<State> FState;
};

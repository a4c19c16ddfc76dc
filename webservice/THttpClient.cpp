#include "THttpClient.h"

#include "TAnswerBuffer.h"
#include "UNetworkErrors.h"

#include <QElapsedTimer>
#include <QFile>

#include <arpa/inet.h>
#include <curl/curl.h>
#include <netinet/in.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <mutex>
#include <new>

#if LIBCURL_VERSION_NUM < 0x075500
#error "libcurl 7.85 or later is needed (protocol lists as strings, pre-request callback)"
#endif

namespace {

constexpr long kReceiveBufferBytes = 128L << 10;
constexpr long kMaxIdleReuseSeconds = 3;
const char kAccept[] = "Accept: text/html, */*";
const char kUserAgent[] = "User-Agent: Mozilla/3.0 (compatible; TALWinInetHTTPClient)";

QByteArray SchemeOf(const QByteArray &url) {
  const qsizetype colon = url.indexOf(':');
  return colon > 0 ? url.left(colon).toLower() : QByteArray();
}

bool HasHttpScheme(const QByteArray &url) {
  const QByteArray lower = url.left(8).toLower();
  return lower.startsWith("http://") || lower.startsWith("https://");
}

QByteArray HostOf(const QByteArray &url) {
  QByteArray host;
  CURLU *parts = curl_url();
  if (!parts) return host;
  char *text = nullptr;
  if (curl_url_set(parts, CURLUPART_URL, url.constData(), 0) == CURLUE_OK &&
      curl_url_get(parts, CURLUPART_HOST, &text, 0) == CURLUE_OK && text) {
    host = text;
  }
  curl_free(text);
  curl_url_cleanup(parts);
  return host;
}

// The origin of a URL: scheme, host and port, the port filled in when the
// URL leaves it to the scheme, so that http://h/ and http://h:80/ are one.
// Empty when the URL cannot be read.
QByteArray OriginOf(const QByteArray &url) {
  QByteArray origin;
  CURLU *parts = curl_url();
  if (!parts) return origin;
  char *scheme = nullptr;
  char *host = nullptr;
  char *port = nullptr;
  if (curl_url_set(parts, CURLUPART_URL, url.constData(), 0) == CURLUE_OK &&
      curl_url_get(parts, CURLUPART_SCHEME, &scheme, 0) == CURLUE_OK &&
      curl_url_get(parts, CURLUPART_HOST, &host, 0) == CURLUE_OK &&
      curl_url_get(parts, CURLUPART_PORT, &port, CURLU_DEFAULT_PORT) == CURLUE_OK && scheme && host &&
      port && *host) {
    origin = QByteArray(scheme).toLower() + "://" + QByteArray(host).toLower() + ':' + port;
  }
  curl_free(scheme);
  curl_free(host);
  curl_free(port);
  curl_url_cleanup(parts);
  return origin;
}

// Whether an answer is plainly a web page (a login or error page of the web
// server) rather than ws.php's text: served as HTML and beginning like an
// HTML document. Both, since a user's own ws.php may well serve its text as
// text/html, and a value may begin with anything.
bool IsWebPage(const char *contentType, const char *data, qsizetype size) {
  if (!contentType) return false;
  QByteArrayView type(contentType);
  const qsizetype semicolon = type.indexOf(';');
  if (semicolon >= 0) type = type.first(semicolon);
  if (type.trimmed().compare("text/html", Qt::CaseInsensitive) != 0) return false;
  QByteArrayView text(data, size);
  if (text.startsWith("\xEF\xBB\xBF")) text = text.sliced(3);
  while (!text.isEmpty() && (text.front() == ' ' || text.front() == '\t' || text.front() == '\r' ||
                             text.front() == '\n' || text.front() == '\f'))
    text = text.sliced(1);
  for (const QByteArrayView start : {QByteArrayView("<!doctype html"), QByteArrayView("<html")}) {
    if (text.size() <= start.size() || text.first(start.size()).compare(start, Qt::CaseInsensitive) != 0)
      continue;
    // "<html>" or "<html lang=...>", not a field name that merely begins
    // so, nor one that is followed by ws.php's tab.
    const char next = text[start.size()];
    if (next == '>' || next == ' ' || next == '\r' || next == '\n' || next == '\f') return true;
  }
  return false;
}

bool IsRedirect(long status) {
  return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

QString Text(const QByteArray &bytes) { return QString::fromLocal8Bit(bytes); }

// The host that the failure texts name; the whole URL when it has none.
QString HostName(const QByteArray &url) {
  const QByteArray host = HostOf(url);
  return Text(host.isEmpty() ? url : host);
}

}  // namespace

struct THttpClient::State {
  CURLM *multi = nullptr;
  CURL *easy = nullptr;
  curl_slist *postHeaders = nullptr;
  curl_slist *getHeaders = nullptr;
  char errorBuffer[CURL_ERROR_SIZE] = {};

  // Set from any thread to end the transfer under way; cleared as the Post
  // it was asked during ends.
  std::atomic<bool> cancelRequested{false};
  bool cancelled = false;

  int connectMs = DefaultConnectTimeoutMs;
  int idleMs = DefaultIdleTimeoutMs;
  qint64 maxAnswer = DefaultMaxAnswerBytes;
  int maxMs = 0;             // 0: no bound on the whole Post
  QByteArray caFile;         // the extra authorities; empty: none
  // libcurl's own authorities, as built (Debian: a bundle file and a
  // folder), put back when the extra file is dropped.
  QByteArray defaultCaInfo;
  QByteArray defaultCaPath;
  QElapsedTimer postClock;   // started by Post, read by each hop

  // One transfer's bookkeeping, reset by Perform.
  TAnswerBuffer *body = nullptr;
  // The form being posted, handed to libcurl through OnRead so that it
  // cannot be sent a second time behind the caller's back (see OnSeek).
  const QByteArray *posted = nullptr;
  qsizetype formRead = 0;
  int connections = 0;
  bool resendRefused = false;
  long status = 0;
  QByteArray reason;
  bool connected = false;
  bool tooLarge = false;
  bool outOfMemory = false;
  bool reserved = false;
  QElapsedTimer clock;
  qint64 lastProgressMs = 0;

  struct Outcome {
    bool ok = false;
    bool idle = false;
    bool overTime = false;
    bool cancelled = false;
    QString message;  // without the URL
  };

  State();
  ~State();
  Outcome Perform(const QByteArray &url, const QByteArray *form, TAnswerBuffer *into);
  QString FailureText(CURLcode code, const QByteArray &url) const;

  static size_t OnHeader(char *data, size_t size, size_t count, void *self);
  static size_t OnBody(char *data, size_t size, size_t count, void *self);
  static size_t OnRead(char *into, size_t size, size_t count, void *self);
  static int OnSeek(void *self, curl_off_t offset, int origin);
  static int OnConnected(void *self, char *, char *, int, int);
};

THttpClient::State::State() {
  static std::once_flag globalInit;
  std::call_once(globalInit, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });

  multi = curl_multi_init();
  easy = curl_easy_init();
  if (!multi || !easy) return;
  // One connection kept: a request to another host or port replaces it
  // rather than opening a second one beside it.
  curl_multi_setopt(multi, CURLMOPT_MAXCONNECTS, 1L);

  postHeaders = curl_slist_append(postHeaders, "Content-Type: application/x-www-form-urlencoded");
  postHeaders = curl_slist_append(postHeaders, kAccept);
  postHeaders = curl_slist_append(postHeaders, kUserAgent);
  postHeaders = curl_slist_append(postHeaders, "Expect:");
  getHeaders = curl_slist_append(getHeaders, kAccept);
  getHeaders = curl_slist_append(getHeaders, kUserAgent);

  curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
  // Large answers arrive in fewer, larger reads than with libcurl's 16 KiB.
  curl_easy_setopt(easy, CURLOPT_BUFFERSIZE, kReceiveBufferBytes);
  curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, errorBuffer);
  curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  // Redirects are followed by Post, hop by hop, under RedirectRefusal.
  curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 0L);
  curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, long(CURL_HTTP_VERSION_1_1));
  // The target is sent as built: a doubled slash or a dot segment the user
  // typed into the web server stays.
  curl_easy_setopt(easy, CURLOPT_PATH_AS_IS, 1L);
  curl_easy_setopt(easy, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
  curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 1L);
  curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 2L);
  char *caInfo = nullptr;
  char *caPath = nullptr;
  if (curl_easy_getinfo(easy, CURLINFO_CAINFO, &caInfo) == CURLE_OK && caInfo) defaultCaInfo = caInfo;
  if (curl_easy_getinfo(easy, CURLINFO_CAPATH, &caPath) == CURLE_OK && caPath) defaultCaPath = caPath;
  curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &State::OnHeader);
  curl_easy_setopt(easy, CURLOPT_HEADERDATA, this);
  curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &State::OnBody);
  curl_easy_setopt(easy, CURLOPT_WRITEDATA, this);
  curl_easy_setopt(easy, CURLOPT_PREREQFUNCTION, &State::OnConnected);
  curl_easy_setopt(easy, CURLOPT_PREREQDATA, this);
  curl_easy_setopt(easy, CURLOPT_READFUNCTION, &State::OnRead);
  curl_easy_setopt(easy, CURLOPT_READDATA, this);
  curl_easy_setopt(easy, CURLOPT_SEEKFUNCTION, &State::OnSeek);
  curl_easy_setopt(easy, CURLOPT_SEEKDATA, this);
  // A connection left idle longer than this is not reused: Apache closes
  // an idle connection after 5 s by default (KeepAliveTimeout), the
  // shortest of the common servers, and libcurl counts whole seconds, so
  // 3 reuses one idle for up to 3.999 s and keeps a margin for the server's
  // clock starting a little before ours. Reusing a connection that the
  // server is closing at that very moment would fail the request (OnSeek).
  curl_easy_setopt(easy, CURLOPT_MAXAGE_CONN, kMaxIdleReuseSeconds);
}

THttpClient::State::~State() {
  if (easy) curl_easy_cleanup(easy);
  if (multi) curl_multi_cleanup(multi);
  curl_slist_free_all(postHeaders);
  curl_slist_free_all(getHeaders);
}

size_t THttpClient::State::OnHeader(char *data, size_t size, size_t count, void *self) {
  auto *s = static_cast<State *>(self);
  const size_t length = size * count;
  s->lastProgressMs = s->clock.elapsed();
  // Every response's status line passes here (an interim 100 too); the last
  // one is the answer's.
  if (length >= 5 && std::memcmp(data, "HTTP/", 5) == 0) {
    try {
      const QByteArray line = QByteArray(data, qsizetype(length)).trimmed();
      const qsizetype space = line.indexOf(' ');
      s->status = space > 0 ? line.mid(space + 1, 3).toLong() : 0;
      s->reason = space > 0 ? line.mid(space + 4).trimmed() : QByteArray();
    } catch (...) {
      s->outOfMemory = true;
      return 0;
    }
  }
  return length;
}

size_t THttpClient::State::OnBody(char *data, size_t size, size_t count, void *self) {
  auto *s = static_cast<State *>(self);
  const size_t length = size * count;
  s->lastProgressMs = s->clock.elapsed();
  // The body of a failure or of a redirect is never used.
  if (s->status >= 300) return length;
  if (qint64(length) > s->maxAnswer - s->body->Size()) {
    s->tooLarge = true;
    return 0;
  }
  try {
    if (!s->reserved) {
      s->reserved = true;
      curl_off_t announced = -1;
      curl_easy_getinfo(s->easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &announced);
      if (announced > 0 && announced <= s->maxAnswer) s->body->Reserve(qsizetype(announced));
    }
    s->body->Append(data, qsizetype(length));
  } catch (...) {
    s->outOfMemory = true;
    return 0;
  }
  return length;
}

size_t THttpClient::State::OnRead(char *into, size_t size, size_t count, void *self) {
  auto *s = static_cast<State *>(self);
  if (!s->posted) return 0;
  const size_t length = std::min(size * count, size_t(s->posted->size() - s->formRead));
  std::memcpy(into, s->posted->constData() + s->formRead, length);
  s->formRead += qsizetype(length);
  return length;
}

// libcurl rewinds the form only to send it again: when a kept connection
// dies after the request went out, it silently repeats the request on a
// fresh one. The server may have read it and run the statement already, so
// once a byte of the form has gone, the request fails instead.
int THttpClient::State::OnSeek(void *self, curl_off_t offset, int origin) {
  auto *s = static_cast<State *>(self);
  if (origin == SEEK_SET && offset == 0 && s->formRead == 0) return CURL_SEEKFUNC_OK;
  s->resendRefused = true;
  return CURL_SEEKFUNC_FAIL;
}

int THttpClient::State::OnConnected(void *self, char *, char *, int, int) {
  auto *s = static_cast<State *>(self);
  // The same refusal, should libcurl ever start the request again on a new
  // connection without rewinding the form first.
  if (++s->connections > 1 && s->formRead > 0) {
    s->resendRefused = true;
    return CURL_PREREQFUNC_ABORT;
  }
  s->connected = true;
  s->lastProgressMs = s->clock.elapsed();
  return CURL_PREREQFUNC_OK;
}

THttpClient::State::Outcome THttpClient::State::Perform(const QByteArray &url,
                                                        const QByteArray *form,
                                                        TAnswerBuffer *into) {
  Outcome outcome;
  body = into;
  status = 0;
  reason.clear();
  connected = false;
  tooLarge = false;
  outOfMemory = false;
  reserved = false;
  posted = form;
  formRead = 0;
  connections = 0;
  resendRefused = false;
  errorBuffer[0] = '\0';
  clock.start();
  lastProgressMs = 0;

  curl_easy_setopt(easy, CURLOPT_URL, url.constData());
  // Answers travel compressed when the web server can (ws.php compresses
  // when asked): "" offers every encoding this libcurl decodes, and the
  // callbacks, the answer cap included, see the decoded bytes. A server
  // that compresses unasked is decoded all the same.
  curl_easy_setopt(easy, CURLOPT_ACCEPT_ENCODING, OffersCompression(url) ? "" : "identity");
  if (form) {
    curl_easy_setopt(easy, CURLOPT_POST, 1L);
    curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, curl_off_t(form->size()));
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, postHeaders);
  } else {
    curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, getHeaders);
  }
  curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, long(connectMs));
  // libcurl checks this against the bytes on the wire (a compressed answer's
  // smaller size); OnBody holds the decoded answer to the same cap.
  curl_easy_setopt(easy, CURLOPT_MAXFILESIZE_LARGE, curl_off_t(maxAnswer));

  CURLMcode multiCode = curl_multi_add_handle(multi, easy);
  if (multiCode != CURLM_OK) {
    outcome.message = UNetworkErrors::ClientFailure(QString::fromUtf8(curl_multi_strerror(multiCode)));
    return outcome;
  }

  bool finished = false;
  CURLcode code = CURLE_OK;
  curl_off_t lastUploaded = 0;
  curl_off_t lastDownloaded = 0;
  for (;;) {
    if (cancelRequested.load()) {
      outcome.cancelled = true;
      break;
    }
    int running = 0;
    multiCode = curl_multi_perform(multi, &running);
    if (multiCode != CURLM_OK) break;
    if (running == 0) {
      int queued = 0;
      while (CURLMsg *message = curl_multi_info_read(multi, &queued)) {
        if (message->msg == CURLMSG_DONE && message->easy_handle == easy) {
          finished = true;
          code = message->data.result;
        }
      }
      break;
    }
    // The idle bound counts from the moment the connection is up (the
    // connect time-out covers what comes before); a byte sent or received
    // restarts it. Received bytes are counted as they arrive, before
    // decoding: compressed bytes that do not yet make a decoded one still
    // show the server is there.
    int waitMs = 1000;
    if (connected) {
      const qint64 now = clock.elapsed();
      curl_off_t uploaded = 0;
      curl_off_t downloaded = 0;
      curl_easy_getinfo(easy, CURLINFO_SIZE_UPLOAD_T, &uploaded);
      curl_easy_getinfo(easy, CURLINFO_SIZE_DOWNLOAD_T, &downloaded);
      if (uploaded != lastUploaded || downloaded != lastDownloaded) {
        lastUploaded = uploaded;
        lastDownloaded = downloaded;
        lastProgressMs = now;
      }
      const qint64 quiet = now - lastProgressMs;
      if (quiet >= idleMs) {
        outcome.idle = true;
        break;
      }
      waitMs = int(std::min<qint64>(waitMs, idleMs - quiet));
    }
    if (maxMs > 0) {
      const qint64 spent = postClock.elapsed();
      if (spent >= maxMs) {
        outcome.overTime = true;
        break;
      }
      waitMs = int(std::min<qint64>(waitMs, maxMs - spent));
    }
    multiCode = curl_multi_poll(multi, nullptr, 0, waitMs, nullptr);
    if (multiCode != CURLM_OK) break;
  }
  // Removing an unfinished transfer closes its connection, as a failure must.
  curl_multi_remove_handle(multi, easy);
  body = nullptr;
  posted = nullptr;

  if (outcome.cancelled) {
    outcome.message = UNetworkErrors::Cancelled();
  } else if (outcome.idle) {
    outcome.message = UNetworkErrors::NoData(HostName(url), idleMs);
  } else if (outcome.overTime) {
    outcome.message = UNetworkErrors::OverTime(HostName(url), maxMs);
  } else if (multiCode != CURLM_OK) {
    outcome.message = UNetworkErrors::ClientFailure(QString::fromUtf8(curl_multi_strerror(multiCode)));
  } else if (!finished) {
    outcome.message = UNetworkErrors::TransferUnfinished();
  } else if (code != CURLE_OK) {
    outcome.message = FailureText(code, url);
  } else {
    outcome.ok = true;
  }
  return outcome;
}

QString THttpClient::State::FailureText(CURLcode code, const QByteArray &url) const {
  const QString host = HostName(url);
  // The callbacks stop the transfer with a write error; their own reason
  // is the one to give.
  if (tooLarge || code == CURLE_FILESIZE_EXCEEDED) return UNetworkErrors::TooLarge(host, maxAnswer);
  if (outOfMemory || code == CURLE_OUT_OF_MEMORY) return UNetworkErrors::OutOfMemory(host);
  if (resendRefused || code == CURLE_SEND_FAIL_REWIND) return UNetworkErrors::CutAfterSending(host);
  QByteArray text = errorBuffer[0] ? QByteArray(errorBuffer) : QByteArray(curl_easy_strerror(code));
  while (text.endsWith('\n') || text.endsWith('\r')) text.chop(1);
  UNetworkErrors::TCurlFailure failure;
  failure.code = int(code);
  failure.detail = QString::fromLocal8Bit(text);
  failure.answered = status != 0;
  curl_easy_getinfo(easy, CURLINFO_SSL_VERIFYRESULT, &failure.verifyResult);
  failure.connectMs = connectMs;
  failure.caFile = QFile::decodeName(caFile);
  return UNetworkErrors::ForCurl(host, failure);
}

THttpClient::THttpClient() : FState(std::make_unique<State>()) {}

THttpClient::~THttpClient() = default;

void THttpClient::SetTimeouts(int connectMs, int idleMs) {
  FState->connectMs = std::max(1, connectMs);
  FState->idleMs = std::max(1, idleMs);
}

void THttpClient::SetMaxAnswerBytes(qint64 bytes) { FState->maxAnswer = std::max<qint64>(0, bytes); }

void THttpClient::SetMaxTime(int ms) { FState->maxMs = std::max(0, ms); }

void THttpClient::SetCaFile(const QByteArray &path) {
  State &s = *FState;
  s.caFile = path;
  if (!s.easy) return;
  const auto text = [](const QByteArray &bytes) { return bytes.isEmpty() ? nullptr : bytes.constData(); };
  if (path.isEmpty()) {
    curl_easy_setopt(s.easy, CURLOPT_CAINFO, text(s.defaultCaInfo));
    curl_easy_setopt(s.easy, CURLOPT_CAPATH, text(s.defaultCaPath));
    return;
  }
  // One file replaces libcurl's bundle: the system's authorities then come
  // from its folder, which OpenSSL searches as well as the file.
  static const QByteArray kSystemFolder("/etc/ssl/certs");
  curl_easy_setopt(s.easy, CURLOPT_CAINFO, path.constData());
  curl_easy_setopt(s.easy, CURLOPT_CAPATH,
                   (s.defaultCaPath.isEmpty() ? kSystemFolder : s.defaultCaPath).constData());
}

QString THttpClient::RedirectRefusal(const QByteArray &from, const QByteArray &to, bool withForm) {
  const QByteArray scheme = SchemeOf(to);
  if (scheme != "http" && scheme != "https") return UNetworkErrors::RedirectScheme(HostName(from), Text(to));
  // A downgrade would hand the answer (and for a POST, the password) to
  // anyone on the path.
  if (SchemeOf(from) == "https" && scheme == "http")
    return UNetworkErrors::RedirectDowngrade(HostName(from), Text(to));
  // The form carries the password and the statement: it goes to the origin
  // the user named, and to no other, not even another port of the host.
  if (withForm) {
    const QByteArray origin = OriginOf(to);
    if (origin.isEmpty() || origin != OriginOf(from))
      return UNetworkErrors::RedirectOtherOrigin(HostName(from), Text(to));
  }
  return QString();
}

void THttpClient::Cancel() {
  FState->cancelRequested.store(true);
  // Wakes the transfer's wait at once, whatever it waits for.
  if (FState->multi) curl_multi_wakeup(FState->multi);
}

bool THttpClient::OffersCompression(const QByteArray &url) {
  const QByteArray mode = qgetenv("VANTREL_COMPRESSION").trimmed().toLower();
  if (mode == "on") return true;
  if (mode == "off") return false;
  QByteArray host = HostOf(url).toLower();
  if (host.startsWith('[') && host.endsWith(']')) host = host.mid(1, host.size() - 2);
  if (host == "localhost" || host.endsWith(".localhost")) return false;
  in_addr v4{};
  if (::inet_pton(AF_INET, host.constData(), &v4) == 1) return (ntohl(v4.s_addr) >> 24) != 127;
  in6_addr v6{};
  if (::inet_pton(AF_INET6, host.constData(), &v6) == 1) {
    if (IN6_IS_ADDR_LOOPBACK(&v6)) return false;
    if (IN6_IS_ADDR_V4MAPPED(&v6)) return v6.s6_addr[12] != 127;
  }
  return true;
}

bool THttpClient::Cancelled() const { return FState->cancelled; }

bool THttpClient::Post(const QByteArray &url, const QByteArray &form, TAnswerBuffer *answer,
                       QString *failure) {
  FState->cancelled = false;
  FState->postClock.start();
  // A cancel counts for the request it was asked during, and no later one.
  struct TCancelEnd {
    std::atomic<bool> &flag;
    ~TCancelEnd() { flag.store(false); }
  } cancelEnd{FState->cancelRequested};
  try {
    answer->Clear();
    if (!HasHttpScheme(url)) {
      *failure = QStringLiteral("Invalid url '%1' - only supports 'http' and 'https' schemes")
                     .arg(Text(url));
      return false;
    }
    if (!FState->multi || !FState->easy) {
      *failure = QStringLiteral("%1 - URL:%2").arg(UNetworkErrors::ClientNotStarted(), Text(url));
      return false;
    }
    QByteArray current = url;
    bool post = true;
    for (int hop = 0;; ++hop) {
      TAnswerBuffer body;
      const State::Outcome outcome = FState->Perform(current, post ? &form : nullptr, &body);
      if (outcome.cancelled) {
        // The user gave up: no status or half-read answer is worth a word.
        FState->cancelled = true;
        *failure = outcome.message;
        return false;
      }
      const long status = FState->status;
      const bool redirect = IsRedirect(status);
      // A failure status is known before the body; it is what the user needs
      // to read even when the body then broke off.
      if (status >= 300 && !(redirect && outcome.ok)) {
        *failure = QStringLiteral("%1 (%2) - '%3'")
                       .arg(Text(FState->reason), QString::number(status), Text(current));
        return false;
      }
      if (!outcome.ok) {
        *failure = QStringLiteral("%1 - URL:%2").arg(outcome.message, Text(current));
        return false;
      }
      if (!redirect) {
        char *type = nullptr;
        curl_easy_getinfo(FState->easy, CURLINFO_CONTENT_TYPE, &type);
        if (IsWebPage(type, body.Data(), body.Size())) {
          *failure = QStringLiteral("%1 - URL:%2").arg(UNetworkErrors::WebPage(HostName(current)), Text(current));
          return false;
        }
        *answer = std::move(body);
        return true;
      }
      char *location = nullptr;
      curl_easy_getinfo(FState->easy, CURLINFO_REDIRECT_URL, &location);
      if (!location || !*location) {
        *failure = QStringLiteral("%1 (%2) - '%3'")
                       .arg(Text(FState->reason), QString::number(status), Text(current));
        return false;
      }
      const QByteArray target(location);
      if (hop >= MaxRedirects) {
        *failure = QStringLiteral("%1 - URL:%2")
                       .arg(UNetworkErrors::TooManyRedirects(HostName(current), MaxRedirects),
                            Text(current));
        return false;
      }
      // 307 and 308 ask for the same request again; 301, 302 and 303 go on
      // with a GET without the form, as browsers do: the statement is not
      // run a second time, nor is the password sent on.
      if (status != 307 && status != 308) post = false;
      const QString refusal = RedirectRefusal(current, target, post);
      if (!refusal.isEmpty()) {
        *failure = QStringLiteral("%1 - URL:%2").arg(refusal, Text(current));
        return false;
      }
      current = target;
    }
  } catch (...) {
    answer->Clear();
    *failure = QStringLiteral("%1 - URL:%2").arg(UNetworkErrors::OutOfMemory(HostName(url)), Text(url));
    return false;
  }
}

// UNetworkErrors: the texts of the failures of an exchange with the web
// server, in French and all in one place so that their wording is read and
// kept together. Each names the cause and what to check, on one line; the
// HTTP client then adds " - URL:" and the URL. `host` is the web server's
// host as its URL gives it.
#pragma once

#include <QString>

namespace UNetworkErrors {

// A transfer that libcurl ended with an error.
struct TCurlFailure {
  int code = 0;           // the CURLcode
  QString detail;         // libcurl's own words for it
  bool answered = false;  // whether a status line had arrived
  long verifyResult = 0;  // the certificate check's X509 verification code
  int connectMs = 0;      // the bound that a connect time-out reached
  QString caFile;         // the extra certificate authorities' file, if any
};

// The text for a libcurl error: the class's own text where the code has a
// class, libcurl's words after a French lead otherwise.
QString ForCurl(const QString &host, const TCurlFailure &failure);

// One function per failure class.
QString HostNotFound(const QString &host);
QString ProxyNotFound();
QString ProxyFailed(const QString &detail);
QString BadAddress(const QString &detail);
QString ConnectFailed(const QString &host);
QString ConnectTimeout(const QString &host, int ms);
QString NoData(const QString &host, int ms);
// The whole request outlasted the bound that a script set on it.
QString OverTime(const QString &host, int ms);
QString CertificateSelfSigned(const QString &host);
QString CertificateUnknownIssuer(const QString &host);
QString CertificateExpired(const QString &host);
QString CertificateNotYetValid(const QString &host);
QString CertificateRevoked(const QString &host);
QString CertificateRefused(const QString &host, const QString &detail);
// The file of extra certificate authorities given to the program cannot be
// read as such.
QString CaFileUnusable(const QString &file);
QString SecureChannel(const QString &host, const QString &detail);
QString NotHttp(const QString &host);
// The request went out and the connection closed without an answer: the
// statement may have run as well.
QString NoAnswer(const QString &host);
QString CutShort(const QString &host);
QString SendFailed(const QString &host);
// The connection broke after the request had gone out, before any answer:
// the statement may have run, so it is not sent again.
QString CutAfterSending(const QString &host);
QString TooLarge(const QString &host, qint64 maxBytes);
QString OutOfMemory(const QString &host);
QString TooManyRedirects(const QString &host, int most);
QString RedirectScheme(const QString &host, const QString &target);
QString RedirectDowngrade(const QString &host, const QString &target);
QString RedirectOtherOrigin(const QString &host, const QString &target);
// An HTML page (a login or error page of the web server) in place of
// ws.php's text.
QString WebPage(const QString &host);
QString Exchange(const QString &host, const QString &detail);
QString ClientFailure(const QString &detail);
QString TransferUnfinished();
// The user gave up waiting: said as it is, with no URL (he knows).
QString Cancelled();
QString ClientNotStarted();
// Failures of the request outside the exchange.
QString RequestOutOfMemory();
QString Unexpected(const QString &detail);

// "0,3 seconde", "60 secondes": a bound as the texts give it.
QString Seconds(int ms);
// "64 octets", "1 Gio": a size as the texts give it.
QString Bytes(qint64 bytes);

}  // namespace UNetworkErrors

#pragma once

#include <curl/curl.h>

#include <QByteArray>

// A bare request to ws.php, for what TWebService cannot send or does not
// show: the status and headers, odd forms, another client address.
struct HttpAnswer {
  long status = 0;
  QByteArray headers;
  QByteArray body;
};

// The authority of the web server's test certificate, for an https URL;
// empty: the system's alone.
inline QByteArray &HttpCaFile() {
  static QByteArray file;
  return file;
}

inline size_t CollectHttp(char *data, size_t size, size_t count, void *target) {
  static_cast<QByteArray *>(target)->append(data, qsizetype(size * count));
  return size * count;
}

// A GET, or a POST of postBody when it is not null; from the loopback
// address `from` (127.0.0.2...) when one is given, as another client.
inline HttpAnswer HttpRequest(const QByteArray &url, const QByteArray &postBody = {},
                              const QByteArray &from = {}) {
  HttpAnswer answer;
  CURL *curl = curl_easy_init();
  curl_easy_setopt(curl, CURLOPT_URL, url.constData());
  curl_easy_setopt(curl, CURLOPT_PROXY, "");
  curl_easy_setopt(curl, CURLOPT_TIMEOUT, 60L);
  if (!HttpCaFile().isEmpty()) curl_easy_setopt(curl, CURLOPT_CAINFO, HttpCaFile().constData());
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &CollectHttp);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &answer.body);
  curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, &CollectHttp);
  curl_easy_setopt(curl, CURLOPT_HEADERDATA, &answer.headers);
  const QByteArray source = "host!" + from;
  if (!from.isEmpty()) curl_easy_setopt(curl, CURLOPT_INTERFACE, source.constData());
  if (!postBody.isNull()) {
    curl_easy_setopt(curl, CURLOPT_POSTFIELDS, postBody.constData());
    curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE, long(postBody.size()));
  }
  const CURLcode code = curl_easy_perform(curl);
  if (code == CURLE_OK)
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &answer.status);
  else
    answer.body = QByteArray("curl: ") + curl_easy_strerror(code);
  curl_easy_cleanup(curl);
  return answer;
}

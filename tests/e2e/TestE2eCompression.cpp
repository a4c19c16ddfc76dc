// ws.php's compressed answers, through PHP's built-in web server on the
// fixture's MariaDB: compressed only when asked, decoding to the very bytes
// of the plain answer (an error after rows included), streamed, and with
// PHP's memory flat (the fixture's memory_limit is 16M) on a large result.

#include "E2eSettings.h"
#include "NoProxy.h"
#include "TWebService.h"

#include <curl/curl.h>

#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QScopeGuard>
#include <QTest>

#include <zlib.h>

namespace {

struct TRawAnswer {
  long status = 0;
  QByteArray headers;
  QByteArray body;  // as it came on the wire, never decoded
  qint64 firstBodyMs = -1;
  qint64 totalMs = 0;
  QElapsedTimer clock;
};

size_t CollectHeaders(char *data, size_t size, size_t count, void *target) {
  static_cast<TRawAnswer *>(target)->headers.append(data, qsizetype(size * count));
  return size * count;
}

size_t CollectBody(char *data, size_t size, size_t count, void *target) {
  auto *answer = static_cast<TRawAnswer *>(target);
  if (answer->firstBodyMs < 0) answer->firstBodyMs = answer->clock.elapsed();
  answer->body.append(data, qsizetype(size * count));
  return size * count;
}

// A POST with the given Accept-Encoding header (none when empty); libcurl
// is not told to decode, so the body is the bytes ws.php sent. An https
// URL is checked against `caFile` too, when given.
TRawAnswer Post(const QByteArray &url, const QByteArray &form, const QByteArray &acceptEncoding,
                const QByteArray &caFile) {
  TRawAnswer answer;
  CURL *curl = curl_easy_init();
  curl_slist *headers = nullptr;
  if (!acceptEncoding.isEmpty()) headers = curl_slist_append(headers, "Accept-Encoding: " + acceptEncoding);
  curl_easy_setopt(curl, CURLOPT_URL, url.constData());
  curl_easy_setopt(curl, CURLOPT_PROXY, "");
  if (!caFile.isEmpty()) curl_easy_setopt(curl, CURLOPT_CAINFO, caFile.constData());
  curl_easy_setopt(curl, CURLOPT_TIMEOUT, 120L);
  curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
  curl_easy_setopt(curl, CURLOPT_POSTFIELDS, form.constData());
  curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE, long(form.size()));
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &CollectBody);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &answer);
  curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, &CollectHeaders);
  curl_easy_setopt(curl, CURLOPT_HEADERDATA, &answer);
  answer.clock.start();
  const CURLcode code = curl_easy_perform(curl);
  answer.totalMs = answer.clock.elapsed();
  if (code == CURLE_OK)
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &answer.status);
  else
    answer.body = QByteArray("curl: ") + curl_easy_strerror(code);
  curl_easy_cleanup(curl);
  curl_slist_free_all(headers);
  return answer;
}

// The Content-Encoding the answer names, lower case; empty when none.
QByteArray ContentEncoding(const QByteArray &headers) {
  for (const QByteArray &line : headers.split('\n')) {
    if (line.toLower().startsWith("content-encoding:")) return line.mid(17).trimmed().toLower();
  }
  return {};
}

// zlib's own decoding of a whole body, gzip or zlib framed; whether the
// stream ended properly.
bool Inflate(const QByteArray &body, bool gzip, QByteArray *text) {
  z_stream stream{};
  if (inflateInit2(&stream, gzip ? 31 : 15) != Z_OK) return false;
  stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(body.constData()));
  stream.avail_in = uInt(body.size());
  char buffer[65536];
  int code = Z_OK;
  while (code == Z_OK) {
    stream.next_out = reinterpret_cast<Bytef *>(buffer);
    stream.avail_out = sizeof buffer;
    code = inflate(&stream, Z_NO_FLUSH);
    text->append(buffer, qsizetype(sizeof buffer - stream.avail_out));
  }
  const bool ended = code == Z_STREAM_END && stream.avail_in == 0;
  inflateEnd(&stream);
  return ended;
}

}  // namespace

class TestE2eCompression : public QObject {
  Q_OBJECT

  E2eSettings FSettings;

  QByteArray Url() const { return (FSettings.WebServer + QStringLiteral("/ws.php")).toUtf8(); }

  QByteArray Form(const QString &statement) const {
    return "WS_service=SQL&WS_server=" + FSettings.SQLServer.toLocal8Bit().toPercentEncoding() +
           "&WS_database=" + FSettings.Database.toLocal8Bit().toPercentEncoding() +
           "&WS_account=" + FSettings.Account.toLocal8Bit().toPercentEncoding() +
           "&WS_pwd=" + FSettings.Password.toLocal8Bit().toBase64().toPercentEncoding() +
           "&WS_query=" + statement.toLocal8Bit().toPercentEncoding();
  }

 private slots:
  void initTestCase() {
    NoProxy::Unset();
    FSettings = E2eSettings::Load();
    QVERIFY2(FSettings.Problem.isEmpty(), qPrintable(FSettings.Problem));
  }

  // Asked or not, the same bytes: compressed only when the request names
  // an encoding ws.php makes.
  void sameBytes_data() {
    QTest::addColumn<QString>("statement");
    QTest::addColumn<QByteArray>("acceptEncoding");
    QTest::addColumn<QByteArray>("encoding");  // what the answer must be in

    const QString rows = QStringLiteral(
        "SELECT seq AS id, CONCAT('Client ', seq) AS name, IF(seq % 5 = 0, NULL, seq * 1.25) AS amount, "
        "'tab\\there' AS note FROM seq_1_to_20000");
    // Rows first, then MariaDB's error once the subquery finds two rows:
    // ws.php's last line is the error, inside the compressed stream.
    const QString errorAfterRows = QStringLiteral(
        "SELECT s.seq, REPEAT('x', 50) AS pad, (SELECT t.seq FROM seq_1_to_2 t WHERE s.seq >= 15000) AS late "
        "FROM seq_1_to_20000 s");
    QTest::newRow("gzip") << rows << QByteArray("gzip") << QByteArray("gzip");
    QTest::newRow("libcurl's offer") << rows << QByteArray("deflate, gzip, br, zstd") << QByteArray("gzip");
    QTest::newRow("deflate only") << rows << QByteArray("deflate") << QByteArray("deflate");
    QTest::newRow("gzip refused") << rows << QByteArray("gzip;q=0, identity") << QByteArray();
    QTest::newRow("an encoding ws.php does not make") << rows << QByteArray("br") << QByteArray();
    QTest::newRow("error line at once") << QStringLiteral("SELECT * FROM no_such_table") << QByteArray("gzip")
                                        << QByteArray("gzip");
    QTest::newRow("error line after rows") << errorAfterRows << QByteArray("gzip") << QByteArray("gzip");
  }
  void sameBytes() {
    QFETCH(QString, statement);
    QFETCH(QByteArray, acceptEncoding);
    QFETCH(QByteArray, encoding);

    const TRawAnswer plain = Post(Url(), Form(statement), {}, FSettings.CaFile.toLocal8Bit());
    QCOMPARE(plain.status, 200L);
    QCOMPARE(ContentEncoding(plain.headers), QByteArray());
    const TRawAnswer asked = Post(Url(), Form(statement), acceptEncoding, FSettings.CaFile.toLocal8Bit());
    QCOMPARE(asked.status, 200L);
    QCOMPARE(ContentEncoding(asked.headers), encoding);
    QVERIFY2(asked.headers.toLower().contains("vary: accept-encoding"), asked.headers);

    QByteArray decoded;
    if (encoding.isEmpty()) {
      decoded = asked.body;
    } else {
      QVERIFY2(Inflate(asked.body, encoding == "gzip", &decoded), "the compressed stream does not end properly");
      if (plain.body.size() > 100000) QVERIFY(asked.body.size() * 3 < plain.body.size());
    }
    QCOMPARE(decoded.size(), plain.body.size());
    QVERIFY(decoded == plain.body);
    if (QTest::currentDataTag() == QLatin1String("error line after rows")) {
      QVERIFY2(decoded.count('\n') > 10000, "the error came before the rows");
      QVERIFY2(decoded.endsWith("\n$ERR Subquery returns more than 1 row\n"), decoded.right(200).constData());
    }
    if (QTest::currentDataTag() == QLatin1String("error line at once"))
      QVERIFY2(decoded.startsWith("$ERR ") && decoded.count('\n') == 1, decoded.constData());
  }

  // The rows leave as they are read: the first compressed block reaches the
  // client while MariaDB still works on the last row.
  void streamed() {
    const QString statement = QStringLiteral(
        "SELECT seq, REPEAT('abc', 20) AS pad, IF(seq = 100000, SLEEP(3), 0) AS late FROM seq_1_to_100000");
    const TRawAnswer asked = Post(Url(), Form(statement), "gzip", FSettings.CaFile.toLocal8Bit());
    QCOMPARE(ContentEncoding(asked.headers), QByteArray("gzip"));
    QVERIFY2(asked.firstBodyMs >= 0, asked.body.left(200).constData());
    QVERIFY2(asked.totalMs - asked.firstBodyMs >= 2000,
             qPrintable(QStringLiteral("first bytes after %1 ms of %2").arg(asked.firstBodyMs).arg(asked.totalMs)));
    QByteArray decoded;
    QVERIFY(Inflate(asked.body, true, &decoded));
    QVERIFY2(decoded.endsWith("\n100000\t" + QByteArray("abc").repeated(20) + "\t0\n"), decoded.right(200).constData());
  }

  // 200,000 rows, about 30 MB of text, through the program's own client:
  // ws.php under memory_limit 16M could not hold them, nor their
  // compressed form, so every row arriving shows its memory stays flat.
  void largeAnswer() {
    // Compressed although the server is on this machine.
    qputenv("VANTREL_COMPRESSION", "on");
    const auto restore = qScopeGuard([] { qunsetenv("VANTREL_COMPRESSION"); });
    TWebService ws;
    FSettings.Apply(ws);
    ws.Execute(QStringLiteral("SELECT seq AS id, CONCAT('Client ', seq) AS name, REPEAT('Lorem ipsum ', 10) AS note, "
                              "MD5(seq) AS hash FROM seq_1_to_200000"));
    QCOMPARE(ws.ErrorText, QString());
    QCOMPARE(ws.FieldNames(), QStringList({"id", "name", "note", "hash"}));
    QCOMPARE(ws.RecordCount(), 200000);
    ws.RowIndex = 199999;
    QCOMPARE(ws.GetValue("id"), QStringLiteral("200000"));
    QCOMPARE(ws.GetValue("hash"), QString::fromLatin1(QCryptographicHash::hash("200000", QCryptographicHash::Md5).toHex()));
  }
};

QTEST_GUILESS_MAIN(TestE2eCompression)
#include "TestE2eCompression.moc"

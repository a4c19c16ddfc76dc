// Compressed answers: what the client offers, the answer decoded byte for
// byte whatever the framing, the answer cap counted on the decoded bytes,
// against a loopback server that sends compressed bodies made here with
// zlib.

#include "NoProxy.h"
#include "RecordingServer.h"
#include "TAnswerBuffer.h"
#include "THttpClient.h"

#include <QTest>

#include <zlib.h>

using After = RecordingServer::After;

Q_DECLARE_METATYPE(RecordingServer::After)

namespace {

// The bytes compressed as a web server sends them: "gzip" framing, or
// zlib's for "deflate"; a gzip header may carry a comment, which decodes
// to nothing.
QByteArray Compressed(const QByteArray &text, const QByteArray &encoding, const QByteArray &comment = {}) {
  z_stream stream{};
  deflateInit2(&stream, 9, Z_DEFLATED, encoding == "gzip" ? 31 : 15, 9, Z_DEFAULT_STRATEGY);
  QByteArray commentText = comment;
  gz_header header{};
  if (!comment.isEmpty()) {
    header.comment = reinterpret_cast<Bytef *>(commentText.data());
    deflateSetHeader(&stream, &header);
  }
  QByteArray out(qsizetype(deflateBound(&stream, uLong(text.size())) + comment.size() + 64), '\0');
  stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(text.constData()));
  stream.avail_in = uInt(text.size());
  stream.next_out = reinterpret_cast<Bytef *>(out.data());
  stream.avail_out = uInt(out.size());
  deflate(&stream, Z_FINISH);
  out.resize(qsizetype(stream.total_out));
  deflateEnd(&stream);
  return out;
}

enum class Framing { Length, Chunked, Close };

QByteArray Reply(const QByteArray &encoding, const QByteArray &body, Framing framing) {
  QByteArray head = "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\n";
  if (!encoding.isEmpty()) head += "Content-Encoding: " + encoding + "\r\n";
  switch (framing) {
    case Framing::Length:
      return head + "Content-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body;
    case Framing::Close:
      return head + "Connection: close\r\n\r\n" + body;
    case Framing::Chunked: {
      // Odd sizes, so that chunks split the compressed stream anywhere.
      QByteArray reply = head + "Transfer-Encoding: chunked\r\n\r\n";
      for (qsizetype at = 0; at < body.size(); at += 997) {
        const QByteArray piece = body.mid(at, 997);
        reply += QByteArray::number(piece.size(), 16) + "\r\n" + piece + "\r\n";
      }
      return reply + "0\r\n\r\n";
    }
  }
  return {};
}

// An answer with every byte value in it and lines of rows, about `rows`
// lines long; varied enough not to shrink to nothing.
QByteArray Answer(int rows) {
  QByteArray text = "id\tname\tnote\n";
  QByteArray every(256, '\0');
  for (int i = 0; i < 256; ++i) every[i] = char(i);
  text += "0\t" + every + "\t\n";
  quint32 seed = 12345;
  for (int i = 1; i <= rows; ++i) {
    seed = seed * 1103515245u + 12345u;
    text += QByteArray::number(i) + "\tClient " + QByteArray::number(seed % 50000) + "\t" +
            QByteArray::number(seed % 9973 * 1.37, 'f', 2) + "\n";
  }
  return text;
}

QString TooLarge(const QString &cap, const QString &url) {
  return QStringLiteral("La réponse du serveur web « 127.0.0.1 » dépasse %1 et a été refusée : "
                        "limitez les lignes ou les colonnes demandées (WHERE, LIMIT) - URL:%2")
      .arg(cap, url);
}

}  // namespace

class TestHttpCompression : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { NoProxy::Unset(); }
  // The test server is on this machine, where compression is not asked for
  // unless the switch says so.
  void init() { qputenv("VANTREL_COMPRESSION", "on"); }
  void cleanup() { qunsetenv("VANTREL_COMPRESSION"); }

  // Every encoding libcurl decodes is offered, except to this machine; the
  // switch decides for every address, and a server that compresses unasked
  // is still read.
  void offered_data() {
    QTest::addColumn<QByteArray>("mode");
    QTest::addColumn<bool>("plain");
    QTest::newRow("on") << QByteArray("on") << false;
    QTest::newRow("off") << QByteArray("off") << true;
    QTest::newRow("by address: loopback") << QByteArray() << true;
  }
  void offered() {
    QFETCH(QByteArray, mode);
    QFETCH(bool, plain);
    qputenv("VANTREL_COMPRESSION", mode);
    RecordingServer server;
    const QByteArray text = Answer(10);
    server.Enqueue({Reply("gzip", Compressed(text, "gzip"), Framing::Length)});
    THttpClient client;
    TAnswerBuffer answer;
    QString failure;
    QVERIFY2(client.Post(server.Url().toUtf8() + "/ws.php", "WS_query=x", &answer, &failure), qPrintable(failure));
    QCOMPARE(QByteArray(answer.Data(), answer.Size()), text);

    QByteArray offer;
    for (const QByteArray &line : server.Requests().value(0).HeaderLines())
      if (line.toLower().startsWith("accept-encoding:")) offer = line.mid(16).trimmed();
    if (plain) {
      QCOMPARE(offer, QByteArray("identity"));
    } else {
      QVERIFY2(offer.contains("gzip") && offer.contains("deflate"), offer);
    }
  }

  // Which addresses are this machine's, where compression is not asked for.
  void offeredByAddress_data() {
    QTest::addColumn<QByteArray>("url");
    QTest::addColumn<bool>("offered");
    QTest::newRow("127.0.0.1") << QByteArray("http://127.0.0.1:8080/ws.php") << false;
    QTest::newRow("127.5.6.7") << QByteArray("https://127.5.6.7/ws.php") << false;
    QTest::newRow("localhost") << QByteArray("http://LocalHost/ws.php") << false;
    QTest::newRow("::1") << QByteArray("http://[::1]:81/ws.php") << false;
    QTest::newRow("v4-mapped loopback") << QByteArray("http://[::ffff:127.0.0.1]/ws.php") << false;
    QTest::newRow("a name") << QByteArray("https://www.example.com/db/ws.php") << true;
    QTest::newRow("128.0.0.1") << QByteArray("http://128.0.0.1/ws.php") << true;
    QTest::newRow("a name starting with 127") << QByteArray("http://127.example.com/ws.php") << true;
    QTest::newRow("LAN v6") << QByteArray("http://[fd00::5]/ws.php") << true;
  }
  void offeredByAddress() {
    QFETCH(QByteArray, url);
    QFETCH(bool, offered);
    qunsetenv("VANTREL_COMPRESSION");
    QCOMPARE(THttpClient::OffersCompression(url), offered);
    qputenv("VANTREL_COMPRESSION", offered ? "off" : "on");
    QCOMPARE(THttpClient::OffersCompression(url), !offered);
  }

  // The answer arrives decoded, byte for byte, whatever the encoding and
  // framing; a server that ignores the offer is read as it sends.
  void decoded_data() {
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<int>("byteDelayMs");
    QTest::addColumn<QByteArray>("text");

    const QByteArray small = Answer(50);
    const QByteArray large = Answer(60000);  // about 1.5 MB
    QTest::newRow("gzip, with a length") << Reply("gzip", Compressed(small, "gzip"), Framing::Length) << 0 << small;
    QTest::newRow("gzip, chunked, large") << Reply("gzip", Compressed(large, "gzip"), Framing::Chunked) << 0
                                          << large;
    QTest::newRow("gzip, to the close") << Reply("gzip", Compressed(large, "gzip"), Framing::Close) << 0 << large;
    QTest::newRow("deflate, with a length") << Reply("deflate", Compressed(small, "deflate"), Framing::Length) << 0
                                            << small;
    QTest::newRow("deflate, chunked, large") << Reply("deflate", Compressed(large, "deflate"), Framing::Chunked)
                                             << 0 << large;
    QTest::newRow("offer ignored, with a length") << Reply({}, small, Framing::Length) << 0 << small;
    QTest::newRow("offer ignored, chunked, large") << Reply({}, large, Framing::Chunked) << 0 << large;
    QTest::newRow("empty gzip answer") << Reply("gzip", Compressed({}, "gzip"), Framing::Length) << 0
                                       << QByteArray();
    // A gzip header with a comment, trickled: for longer than the idle bound
    // (300 ms) bytes arrive that decode to nothing yet; they still show the
    // server is there.
    QTest::newRow("gzip, trickled header")
        << Reply("gzip", Compressed(small.left(40), "gzip", QByteArray(120, 'c')), Framing::Length) << 5
        << small.left(40);
  }
  void decoded() {
    QFETCH(QByteArray, reply);
    QFETCH(int, byteDelayMs);
    QFETCH(QByteArray, text);

    RecordingServer server;
    // A body that runs to the close needs the close.
    server.Enqueue({reply, reply.contains("Connection: close") ? After::Close : After::Keep, byteDelayMs});
    THttpClient client;
    client.SetTimeouts(2000, 300);
    TAnswerBuffer answer;
    QString failure;
    QVERIFY2(client.Post(server.Url().toUtf8() + "/ws.php", "WS_query=x", &answer, &failure), qPrintable(failure));
    QCOMPARE(answer.Size(), text.size());
    QVERIFY(QByteArray(answer.Data(), answer.Size()) == text);
  }

  // The cap counts decoded bytes: a small compressed answer that decodes
  // past it is refused with the usual message. The bombs are sent in part
  // and then the server stalls: only a client that counts as it decodes,
  // and stops there, gives the cap's message rather than the idle one.
  void cap_data() {
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<After>("after");
    QTest::addColumn<qint64>("cap");
    QTest::addColumn<QString>("failure");  // "-": none; "*": the exchange's; else the cap's, as it names it

    const QByteArray bomb = Compressed(QByteArray(8 << 20, 'x'), "gzip");
    const QByteArray deflateBomb = Compressed(QByteArray(8 << 20, 'x'), "deflate");
    auto partly = [](const QByteArray &encoding, const QByteArray &body) {
      const QByteArray whole = Reply(encoding, body, Framing::Length);
      return whole.left(whole.size() - body.size() / 2);
    };
    const QByteArray at64 = "A\n" + QByteArray(62, 'x');
    QTest::newRow("gzip bomb, cut and stalled") << partly("gzip", bomb) << After::Stall << qint64(64 << 10)
                                                << "64 Kio";
    QTest::newRow("deflate bomb, cut and stalled") << partly("deflate", deflateBomb) << After::Stall
                                                   << qint64(64 << 10) << "64 Kio";
    QTest::newRow("gzip bomb, whole, chunked") << Reply("gzip", bomb, Framing::Chunked) << After::Keep
                                               << qint64(1 << 20) << "1 Mio";
    QTest::newRow("gzip, exactly at the cap") << Reply("gzip", Compressed(at64, "gzip"), Framing::Length)
                                              << After::Keep << qint64(64) << "-";
    QTest::newRow("gzip, one byte past the cap")
        << Reply("gzip", Compressed(at64 + "y", "gzip"), Framing::Length) << After::Keep << qint64(64) << "64 octets";
    // A damaged compressed answer is a failure, never a success.
    QByteArray damaged = Compressed(Answer(200), "gzip");
    for (qsizetype i = 20; i < 60; ++i) damaged[i] = char(~damaged[i]);
    QTest::newRow("damaged gzip") << Reply("gzip", damaged, Framing::Length) << After::Keep << qint64(1 << 20)
                                  << "*";
  }
  void cap() {
    QFETCH(QByteArray, reply);
    QFETCH(After, after);
    QFETCH(qint64, cap);
    QFETCH(QString, failure);

    RecordingServer server;
    server.Enqueue({reply, after});
    server.Enqueue({Reply("gzip", Compressed("A\nafter\n", "gzip"), Framing::Length)});
    THttpClient client;
    client.SetTimeouts(2000, 300);
    client.SetMaxAnswerBytes(cap);
    const QByteArray url = server.Url().toUtf8() + "/ws.php";
    TAnswerBuffer answer;
    QString said;
    const bool ok = client.Post(url, "WS_query=x", &answer, &said);
    if (failure == "-") {
      QVERIFY2(ok, qPrintable(said));
      QCOMPARE(answer.Size(), qsizetype(64));
    } else {
      QVERIFY(!ok);
      QCOMPARE(answer.Size(), qsizetype(0));
      if (failure == "*")
        QVERIFY2(said.startsWith(QStringLiteral("Échec de l'échange avec le serveur web « 127.0.0.1 »")),
                 qPrintable(said));
      else
        QCOMPARE(said, TooLarge(failure, QString::fromUtf8(url)));
    }

    // The client recovers: the next request goes through.
    QVERIFY2(client.Post(url, "WS_query=y", &answer, &said), qPrintable(said));
    QCOMPARE(QByteArray(answer.Data(), answer.Size()), QByteArray("A\nafter\n"));
  }
};

QTEST_GUILESS_MAIN(TestHttpCompression)
#include "TestHttpCompression.moc"

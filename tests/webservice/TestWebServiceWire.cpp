// The request on the wire and the failures of the exchange, against a
// loopback server that records the exact bytes it receives.

#include "NoProxy.h"
#include "RecordingServer.h"
#include "THttpClient.h"
#include "TWebService.h"

#include <QDeadlineTimer>
#include <QLocale>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <vector>

using After = RecordingServer::After;

Q_DECLARE_METATYPE(RecordingServer::After)

namespace {

QDateTime NoonDec31_1899() { return QDateTime(QDate(1899, 12, 31), QTime(12, 0)); }

// A client pointed at the server, with a fixed clock (its stamp reads 1.5
// under the C locale) and short test bounds.
void Aim(TWebService &ws, const QString &webServer) {
  ws.Settings.WebServer = webServer;
  ws.SetClock(&NoonDec31_1899);
  ws.SetTimeouts(2000, 300);
}

QByteArray Body(const QByteArray &text) {
  return "HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(text.size()) + "\r\n\r\n" + text;
}

quint16 ClosedPort() {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  ::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address);
  ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length);
  ::close(fd);
  return ntohs(address.sin_port);
}

// A loopback listener whose queue is full and never taken from: the system
// drops every further connection attempt unanswered, as for a host that is
// not there.
class TFullListener {
 public:
  TFullListener() {
    FListen = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(FListen, reinterpret_cast<sockaddr *>(&address), sizeof address);
    ::listen(FListen, 0);
    ::getsockname(FListen, reinterpret_cast<sockaddr *>(&address), &length);
    FPort = ntohs(address.sin_port);
    // The queue holds one connection more than the backlog; a few more
    // attempts make sure it is full.
    for (int i = 0; i < 3; ++i) {
      const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
      (void)::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address);
      FFillers.push_back(fd);
    }
  }
  ~TFullListener() {
    for (const int fd : FFillers) ::close(fd);
    ::close(FListen);
  }
  TFullListener(const TFullListener &) = delete;
  TFullListener &operator=(const TFullListener &) = delete;
  quint16 Port() const { return FPort; }

 private:
  int FListen = -1;
  quint16 FPort = 0;
  std::vector<int> FFillers;
};

// openssl's test server on loopback, with a certificate made for the test
// and signed by itself.
class TSelfSignedServer {
 public:
  ~TSelfSignedServer() {
    if (FServer.state() != QProcess::NotRunning) {
      FServer.kill();
      FServer.waitForFinished();
    }
  }
  // What went wrong, or an empty text.
  QString Start() {
    const QString key = FDir.filePath(QStringLiteral("key.pem"));
    const QString certificate = FDir.filePath(QStringLiteral("cert.pem"));
    QProcess request;
    request.setProcessChannelMode(QProcess::MergedChannels);
    request.start(QStringLiteral("openssl"),
                  {"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes",
                   "-keyout", key, "-out", certificate, "-days", "2", "-subj", "/CN=127.0.0.1", "-addext",
                   "subjectAltName=IP:127.0.0.1"});
    if (!request.waitForFinished(30000) || request.exitStatus() != QProcess::NormalExit ||
        request.exitCode() != 0)
      return "openssl req: " + request.errorString() + ' ' + QString::fromLocal8Bit(request.readAll());
    FServer.setProcessChannelMode(QProcess::MergedChannels);
    FServer.start(QStringLiteral("openssl"), {"s_server", "-accept", "127.0.0.1:0", "-cert", certificate,
                                              "-key", key, "-www"});
    // It says which port it took: "ACCEPT 127.0.0.1:<port>".
    QByteArray said;
    const QDeadlineTimer deadline(20000);
    while (FServer.waitForReadyRead(int(deadline.remainingTime()))) {
      said += FServer.readAll();
      const qsizetype at = said.indexOf("ACCEPT 127.0.0.1:");
      const qsizetype end = at < 0 ? -1 : said.indexOf('\n', at);
      if (end >= 0) {
        FPort = said.mid(at + 17, end - at - 17).trimmed().toUShort();
        return FPort ? QString() : "openssl s_server: " + QString::fromLocal8Bit(said);
      }
    }
    return "openssl s_server: " + FServer.errorString() + ' ' + QString::fromLocal8Bit(said);
  }
  quint16 Port() const { return FPort; }
  QString CertificateFile() const { return FDir.filePath(QStringLiteral("cert.pem")); }

 private:
  QTemporaryDir FDir;
  QProcess FServer;
  quint16 FPort = 0;
};

// After a failure the answer is the error line alone: no rows of a partial
// body survive.
void CheckOnlyErrorLine(TWebService &ws) {
  QCOMPARE(ws.RecordCount(), 1);
  QVERIFY(!ws.Eof());
  QCOMPARE(ws.RowIndex, 0);
  QVERIFY(ws.FieldNames().isEmpty());
}

}  // namespace

class TestWebServiceWire : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    NoProxy::Unset();
  }

  void formBody_data() {
    QTest::addColumn<QString>("sqlServer");
    QTest::addColumn<QString>("service");
    QTest::addColumn<QString>("database");
    QTest::addColumn<QString>("account");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QByteArray>("body");

    QTest::newRow("service, database, statement") << "" << "SQL" << "shop" << "" << "" << "show tables"
        << QByteArray("WS_service=SQL&WS_database=shop&WS_query=show+tables");
    QTest::newRow("value encoding, CR LF statement")
        << "" << "SQL" << "" << "" << "" << "SELECT * FROM t WHERE a='x & y'\r\nORDER BY 1"
        << QByteArray("WS_service=SQL&WS_query=SELECT+*+FROM+t+WHERE+a%3D'x+%26+y'%0D+ORDER+BY+1");
    QTest::newRow("bare LF statement") << "" << "" << "" << "" << "" << "select a\nfrom t\n"
        << QByteArray("WS_query=select+a+from+t+");
    QTest::newRow("all six, in order") << "db1" << "SQL" << "shop" << "bob" << "abc" << "select 1"
        << QByteArray("WS_server=db1&WS_service=SQL&WS_database=shop&WS_account=bob&WS_pwd=YWJj"
                      "&WS_query=select+1");
    QTest::newRow("no server") << "" << "SQL" << "shop" << "bob" << "abc" << "select 1"
        << QByteArray("WS_service=SQL&WS_database=shop&WS_account=bob&WS_pwd=YWJj&WS_query=select+1");
    QTest::newRow("no service") << "db1" << "" << "shop" << "bob" << "abc" << "select 1"
        << QByteArray("WS_server=db1&WS_database=shop&WS_account=bob&WS_pwd=YWJj&WS_query=select+1");
    QTest::newRow("no database") << "db1" << "SQL" << "" << "bob" << "abc" << "select 1"
        << QByteArray("WS_server=db1&WS_service=SQL&WS_account=bob&WS_pwd=YWJj&WS_query=select+1");
    QTest::newRow("no account") << "db1" << "SQL" << "shop" << "" << "abc" << "select 1"
        << QByteArray("WS_server=db1&WS_service=SQL&WS_database=shop&WS_pwd=YWJj&WS_query=select+1");
    QTest::newRow("no password") << "db1" << "SQL" << "shop" << "bob" << "" << "select 1"
        << QByteArray("WS_server=db1&WS_service=SQL&WS_database=shop&WS_account=bob&WS_query=select+1");
    QTest::newRow("no statement") << "db1" << "SQL" << "shop" << "bob" << "abc" << ""
        << QByteArray("WS_server=db1&WS_service=SQL&WS_database=shop&WS_account=bob&WS_pwd=YWJj");
    QTest::newRow("nothing at all") << "" << "" << "" << "" << "" << "" << QByteArray();
    QTest::newRow("base64 of two bytes") << "" << "" << "" << "" << "ab" << "" << QByteArray("WS_pwd=YWI");
    QTest::newRow("base64 of one byte") << "" << "" << "" << "" << "a" << "" << QByteArray("WS_pwd=YQ");
    QTest::newRow("base64 plus") << "" << "" << "" << "" << "~~~" << "" << QByteArray("WS_pwd=fn5%2B");
    QTest::newRow("base64 slash") << "" << "" << "" << "" << "???" << "" << QByteArray("WS_pwd=Pz8%2F");
    QTest::newRow("bytes copied and escaped") << "" << "" << "" << "" << "" << "*@._-$!'()+/=&%`\t~#"
        << QByteArray("WS_query=*@._-$!'()%2B%2F%3D%26%25%60%09%7E%23");
    QTest::newRow("locale bytes above 0x7F") << "" << "" << "caf\u00e9" << "" << "" << ""
        << QByteArray("WS_database=caf%C3%A9");
    QTest::newRow("settings encoded like the statement") << "h=1&x" << "" << "" << "a b" << "" << ""
        << QByteArray("WS_server=h%3D1%26x&WS_account=a+b");
  }

  void formBody() {
    QFETCH(QString, sqlServer);
    QFETCH(QString, service);
    QFETCH(QString, database);
    QFETCH(QString, account);
    QFETCH(QString, password);
    QFETCH(QString, sql);
    QFETCH(QByteArray, body);

    RecordingServer server;
    TWebService ws;
    Aim(ws, server.Url());
    // A whole stored connection, as the settings cache hands it over: its
    // title and key never reach the wire.
    TConnectionSettings settings{QStringLiteral("Titre & clé"), ws.Settings.WebServer, sqlServer, account, password,
                                 database};
    settings.Key = 42;
    ws.Settings = settings;
    ws.Service = service;
    ws.Execute(sql);

    QCOMPARE(ws.ErrorText, QString());
    const auto requests = server.Requests();
    QCOMPARE(requests.size(), 1);
    QCOMPARE(requests[0].body, body);
    QVERIFY(requests[0].HeaderLines().contains("Content-Length: " + QByteArray::number(body.size())));
  }

  void requestLine_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<QByteArray>("line");

    QTest::newRow("noon, 31 Dec 1899") << "" << NoonDec31_1899() << QByteArray("POST /ws.php?1.5 HTTP/1.1");
    QTest::newRow("midnight, 1 Jan 1900") << "" << QDateTime(QDate(1900, 1, 1), QTime(0, 0))
        << QByteArray("POST /ws.php?2 HTTP/1.1");
    QTest::newRow("milliseconds, 15 digits") << "" << QDateTime(QDate(2024, 3, 15), QTime(8, 30, 15, 250))
        << QByteArray("POST /ws.php?45366.3543431713 HTTP/1.1");
    QTest::newRow("directory") << "/tools/db" << NoonDec31_1899()
        << QByteArray("POST /tools/db/ws.php?1.5 HTTP/1.1");
    QTest::newRow("web server ending with a slash") << "/" << NoonDec31_1899()
        << QByteArray("POST //ws.php?1.5 HTTP/1.1");
    QTest::newRow("directory ending with a slash") << "/db/" << NoonDec31_1899()
        << QByteArray("POST /db//ws.php?1.5 HTTP/1.1");
  }

  void requestLine() {
    QFETCH(QString, path);
    QFETCH(QDateTime, now);
    QFETCH(QByteArray, line);

    RecordingServer server;
    TWebService ws;
    Aim(ws, server.Url() + path);
    ws.SetClock([now] { return now; });
    ws.Execute("select 1");

    QCOMPARE(ws.ErrorText, QString());
    QCOMPARE(server.Requests().value(0).RequestLine(), line);
  }

  void stamp_data() {
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<QByteArray>("stamp");

    const QLocale french(QLocale::French, QLocale::France);
    QTest::newRow("French comma") << french << NoonDec31_1899() << QByteArray("1,5");
    QTest::newRow("C point") << QLocale::c() << NoonDec31_1899() << QByteArray("1.5");
    QTest::newRow("whole day, no separator") << french << QDateTime(QDate(1900, 1, 1), QTime(0, 0))
        << QByteArray("2");
    QTest::newRow("trailing zeros dropped") << french << QDateTime(QDate(1899, 12, 30), QTime(18, 0))
        << QByteArray("0,75");
    QTest::newRow("15 significant digits") << french
        << QDateTime(QDate(2024, 3, 15), QTime(23, 59, 59, 999)) << QByteArray("45366,9999999884");
    QTest::newRow("no thousands separator") << QLocale(QLocale::German, QLocale::Germany)
        << QDateTime(QDate(2024, 3, 15), QTime(12, 0)) << QByteArray("45366,5");
    QTest::newRow("non-ASCII separator escaped") << QLocale(QLocale::Arabic, QLocale::Egypt)
        << NoonDec31_1899() << QByteArray("1%D9%AB5");
  }

  void stamp() {
    QFETCH(QLocale, locale);
    QFETCH(QDateTime, now);
    QFETCH(QByteArray, stamp);
    QCOMPARE(TWebService::UrlStamp(now, locale), stamp);
  }

  // Run once under the test's own locale and once, by CTest, under French.
  void stampFollowsSystemLocale() {
    const QByteArray expected = qEnvironmentVariableIsSet("VANTREL_EXPECT_STAMP")
                                    ? qgetenv("VANTREL_EXPECT_STAMP")
                                    : QByteArray("1.5");
    RecordingServer server;
    TWebService ws;
    Aim(ws, server.Url());
    ws.Execute("select 1");
    QCOMPARE(server.Requests().value(0).RequestLine(), "POST /ws.php?" + expected + " HTTP/1.1");
  }

  void headers() {
    RecordingServer server;
    TWebService ws;
    Aim(ws, server.Url());
    ws.Service = "SQL";
    ws.Execute("show tables");

    QList<QByteArray> lines = server.Requests().value(0).HeaderLines();
    // The encodings offered are libcurl's (TestHttpCompression checks them).
    lines.removeIf([](const QByteArray &line) { return line.startsWith("Accept-Encoding:"); });
    std::sort(lines.begin(), lines.end());
    const QList<QByteArray> expected{
        "Accept: text/html, */*",
        "Content-Length: 35",
        "Content-Type: application/x-www-form-urlencoded",
        "Host: 127.0.0.1:" + QByteArray::number(server.Port()),
        "User-Agent: Mozilla/3.0 (compatible; TALWinInetHTTPClient)",
    };
    QCOMPARE(lines, expected);
  }

  void largeBodyHasNoExpect() {
    RecordingServer server;
    TWebService ws;
    Aim(ws, server.Url());
    ws.Execute(QString(2 * 1024 * 1024, QLatin1Char('x')));
    QCOMPARE(ws.ErrorText, QString());
    const auto requests = server.Requests();
    QCOMPARE(requests.size(), 1);
    QCOMPARE(requests[0].body.size(), 2 * 1024 * 1024 + 9);
    for (const QByteArray &line : requests[0].HeaderLines()) QVERIFY2(!line.startsWith("Expect"), line);
  }

  void keepAlive() {
    RecordingServer server;
    server.Enqueue(RecordingServer::Ok("A\n1\n"));
    server.Enqueue(RecordingServer::Ok("A\n2\n"));
    TWebService ws;
    Aim(ws, server.Url());
    ws.Execute("select 1");
    QCOMPARE(ws.GetValue("A"), QString("1"));
    ws.Execute("select 2");
    QCOMPARE(ws.GetValue("A"), QString("2"));

    const auto requests = server.Requests();
    QCOMPARE(requests.size(), 2);
    QCOMPARE(requests[1].connection, requests[0].connection);
    QCOMPARE(server.Connections(), 1);
  }

  // A connection idle for longer than common servers keep one open is not
  // reused: the server may be closing it just as the request goes out.
  void idleConnectionNotReused() {
    RecordingServer server;
    TWebService ws;
    Aim(ws, server.Url());
    ws.Execute("select 1");
    ws.Execute("select 2");
    QTest::qSleep(4200);
    ws.Execute("select 3");
    QCOMPARE(ws.ErrorText, QString());
    const auto requests = server.Requests();
    QCOMPARE(requests.size(), 3);
    QCOMPARE(requests[1].connection, requests[0].connection);
    QVERIFY(requests[2].connection != requests[1].connection);
  }

  // The server dies after reading the second statement, on the connection
  // kept from the first: libcurl would send it again on a fresh connection
  // and report that one's answer. The statement may have run: it must not
  // run again, and the user must be told.
  void statementNeverSentTwice_data() {
    QTest::addColumn<After>("death");
    QTest::newRow("closed after reading") << After::Close;
    QTest::newRow("reset after reading") << After::Reset;
  }

  void statementNeverSentTwice() {
    QFETCH(After, death);
    RecordingServer server;
    server.Enqueue(RecordingServer::Ok("A\n1\n"));
    server.Enqueue({QByteArray(), death});  // reads the request, answers nothing
    server.Enqueue(RecordingServer::Ok("A\nsent twice\n"));
    server.Enqueue(RecordingServer::Ok("A\n3\n"));
    TWebService ws;
    Aim(ws, server.Url());
    ws.Execute("insert 1");
    QCOMPARE(ws.ErrorText, QString());
    ws.Execute("insert 2");

    QCOMPARE(ws.ErrorText,
             QStringLiteral("La connexion avec le serveur web « 127.0.0.1 » a été coupée après l'envoi "
                            "de la requête, sans réponse : la requête a peut-être été exécutée ; "
                            "vérifiez-le avant de la relancer - URL:") +
                 server.Url() + "/ws.php?1.5");
    CheckOnlyErrorLine(ws);
    QList<QByteArray> statements;
    for (const RecordingServer::Request &request : server.Requests()) statements << request.body;
    QCOMPARE(statements, (QList<QByteArray>{"WS_query=insert+1", "WS_query=insert+2"}));

    // The client goes on, on a fresh connection.
    ws.Execute("insert 3");
    QCOMPARE(ws.ErrorText, QString());
    QCOMPARE(ws.GetValue("A"), QString("sent twice"));
  }

  void proxyFromEnvironment() {
    RecordingServer proxy;
    proxy.Enqueue(RecordingServer::Ok("A\nvia proxy\n"));
    qputenv("http_proxy", proxy.Url().toLatin1());
    TWebService ws;
    Aim(ws, "http://db.vantrel.invalid/app");
    ws.Execute("select 1");
    qunsetenv("http_proxy");

    QCOMPARE(ws.ErrorText, QString());
    QCOMPARE(ws.GetValue(0), QString("via proxy"));
    QCOMPARE(proxy.Requests().value(0).RequestLine(),
             QByteArray("POST http://db.vantrel.invalid/app/ws.php?1.5 HTTP/1.1"));
  }

  // Failures of the exchange: the message, and nothing of a partial answer.
  void failures_data() {
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<After>("after");
    QTest::addColumn<qint64>("maxAnswer");
    QTest::addColumn<QString>("message");  // %1 is the URL

    const QByteArray partial = "HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\nA\tB\n1\t2\n";
    const QByteArray chunked = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n8\r\nA\tB\n1\t2\n\r\n";
    const QString idle = QStringLiteral(
        "Le serveur web « 127.0.0.1 » n'a rien envoyé pendant 0,3 seconde : la requête est "
        "abandonnée ; vérifiez que le serveur web et le serveur MySQL répondent, ou allégez la "
        "requête si elle est longue - URL:%1");
    const QString cut = QStringLiteral(
        "La réponse du serveur web « 127.0.0.1 » a été coupée avant la fin : réessayez, et si "
        "cela se répète, consultez le journal d'erreurs du serveur web et ses limites de temps et "
        "de mémoire pour PHP - URL:%1");
    const QString nothing = QStringLiteral(
        "Le serveur web « 127.0.0.1 » a fermé la connexion sans répondre : la requête a peut-être "
        "été exécutée ; vérifiez-le avant de la relancer, et si cela se répète, consultez le journal "
        "d'erreurs du serveur web - URL:%1");
    const QString notHttp = QStringLiteral(
        "Le serveur « 127.0.0.1 » a répondu autre chose que du HTTP : vérifiez que l'adresse et le "
        "port dans la connexion sont ceux du serveur web - URL:%1");
    const QString tooLarge = QStringLiteral(
        "La réponse du serveur web « 127.0.0.1 » dépasse 64 octets et a été refusée : limitez les "
        "lignes ou les colonnes demandées (WHERE, LIMIT) - URL:%1");

    // The usual statuses with a French sentence before the client's text
    // (UServerErrors), the others with that text alone.
    QTest::newRow("status 404") << RecordingServer::Status(404, "Not Found").bytes << After::Keep
        << qint64(0)
        << QStringLiteral("ws.php est introuvable à cette adresse : vérifiez l'adresse du serveur web dans la "
                          "connexion, qui doit être celle du dossier qui contient ws.php (sans « /ws.php » à la "
                          "fin). Not Found (404) - '%1'");
    QTest::newRow("status 500") << RecordingServer::Status(500, "Internal Server Error").bytes
        << After::Keep << qint64(0)
        << QStringLiteral("Le serveur web a échoué en exécutant ws.php (erreur interne) : consultez le journal "
                          "d'erreurs du serveur web et de PHP. Internal Server Error (500) - '%1'");
    QTest::newRow("status 304, a 3xx that is no redirect") << RecordingServer::Status(304, "Not Modified").bytes
        << After::Keep << qint64(0) << "Not Modified (304) - '%1'";
    QTest::newRow("redirect without a Location") << RecordingServer::Status(302, "Found").bytes
        << After::Keep << qint64(0) << "Found (302) - '%1'";
    QTest::newRow("stall before the headers") << QByteArray() << After::Stall << qint64(0) << idle;
    QTest::newRow("stall in the body") << partial << After::Stall << qint64(0) << idle;
    QTest::newRow("stall in a chunked body") << chunked << After::Stall << qint64(0) << idle;
    QTest::newRow("short body, closed") << partial << After::Close << qint64(0) << cut;
    QTest::newRow("short body, reset") << partial << After::Reset << qint64(0) << cut;
    QTest::newRow("chunked body cut short") << chunked << After::Close << qint64(0) << cut;
    QTest::newRow("chunked body broken") << chunked + "ZZ\r\nxx\r\n" << After::Keep << qint64(0) << cut;
    QTest::newRow("closed without an answer") << QByteArray() << After::Close << qint64(0) << nothing;
    QTest::newRow("reset without an answer") << QByteArray() << After::Reset << qint64(0) << nothing;
    QTest::newRow("not HTTP") << QByteArray("A\tB\n1\t2\n") << After::Close << qint64(0) << notHttp;
    QTest::newRow("garbled status line") << QByteArray("HTTP/1.1 abc\r\n\r\n") << After::Close << qint64(0)
        << notHttp;
    QTest::newRow("too large, announced") << Body(QByteArray(200, 'x')) << After::Keep << qint64(64) << tooLarge;
    QTest::newRow("too large, chunked")
        << QByteArray("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n28\r\n" + QByteArray(40, 'x') +
                      "\r\n28\r\n" + QByteArray(40, 'y') + "\r\n0\r\n\r\n")
        << After::Keep << qint64(64) << tooLarge;
    QTest::newRow("exactly at the bound") << Body(QByteArray("A\n") + QByteArray(62, 'x')) << After::Keep
        << qint64(64) << "-";
  }

  void failures() {
    QFETCH(QByteArray, reply);
    QFETCH(After, after);
    QFETCH(qint64, maxAnswer);
    QFETCH(QString, message);

    RecordingServer server;
    server.Enqueue({reply, after});
    server.Enqueue(RecordingServer::Ok("A\nafter\n"));
    TWebService ws;
    Aim(ws, server.Url());
    if (maxAnswer > 0) ws.SetMaxAnswerBytes(maxAnswer);
    const QString url = server.Url() + "/ws.php?1.5";

    ws.Execute("select 1");
    if (message == "-") {
      QCOMPARE(ws.ErrorText, QString());
      QCOMPARE(ws.GetValue(0), QString(62, QLatin1Char('x')));
    } else {
      QCOMPARE(ws.ErrorText, message.arg(url));
      CheckOnlyErrorLine(ws);
    }

    // The client recovers: the next request goes through.
    ws.Execute("select 2");
    QCOMPARE(ws.ErrorText, QString());
    QCOMPARE(ws.GetValue("A"), QString("after"));
  }

  void closedPort() {
    TWebService ws;
    const QString webServer = QStringLiteral("http://127.0.0.1:%1").arg(ClosedPort());
    Aim(ws, webServer);
    ws.Execute("select 1");
    QCOMPARE(ws.ErrorText,
             QStringLiteral("Le serveur web « 127.0.0.1 » refuse la connexion ou ne peut être atteint : "
                            "vérifiez son adresse et son port dans la connexion, que le serveur web est "
                            "démarré et votre accès au réseau - URL:") +
                 webServer + "/ws.php?1.5");
    CheckOnlyErrorLine(ws);
  }

  // The connect bound covers the TLS handshake too; the bound on silence
  // starts only once the connection is up.
  void connectTimeout_data() {
    QTest::addColumn<bool>("tls");
    QTest::newRow("connection never accepted") << false;
    QTest::newRow("TLS handshake never answered") << true;
  }

  void connectTimeout() {
    QFETCH(bool, tls);
    TFullListener full;
    RecordingServer server;  // takes the connection, then reads no request in the handshake
    const QString webServer = tls ? QStringLiteral("https://127.0.0.1:%1").arg(server.Port())
                                  : QStringLiteral("http://127.0.0.1:%1").arg(full.Port());
    TWebService ws;
    Aim(ws, webServer);
    ws.SetTimeouts(300, 5000);
    ws.Execute("select 1");
    QCOMPARE(ws.ErrorText,
             QStringLiteral("Le serveur web « 127.0.0.1 » n'a pas répondu en 0,3 seconde : vérifiez son "
                            "adresse et son port dans la connexion, votre accès au réseau et qu'aucun "
                            "pare-feu ne bloque la connexion - URL:") +
                 webServer + "/ws.php?1.5");
    CheckOnlyErrorLine(ws);
  }

  // Refused as it is; trusted once its certificate is given as an extra
  // authority (the handshake then passes, and only the server's status
  // page, which is no answer of ws.php, fails the request); a file that
  // is not there is named.
  void selfSignedCertificate_data() {
    QTest::addColumn<QString>("caFile");
    QTest::newRow("no extra authority") << "";
    QTest::newRow("its own certificate") << "server";
    QTest::newRow("no such file") << "/nonexistent/ca.pem";
  }

  void selfSignedCertificate() {
    QFETCH(QString, caFile);
    TSelfSignedServer server;
    const QString problem = server.Start();
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    const QString webServer = QStringLiteral("https://127.0.0.1:%1").arg(server.Port());
    TWebService ws;
    Aim(ws, webServer);
    ws.Settings.Password = "secret";
    ws.SetCaFile(caFile == QLatin1String("server") ? server.CertificateFile() : caFile);
    ws.Execute("select 1");
    if (caFile == QLatin1String("server")) {
      QVERIFY(!ws.ErrorText.isEmpty());
      QVERIFY2(!ws.ErrorText.contains(QLatin1String("certificat")), qPrintable(ws.ErrorText));
      return;
    }
    if (!caFile.isEmpty()) {
      QCOMPARE(ws.ErrorText,
               QStringLiteral("Le fichier d'autorités de certification « /nonexistent/ca.pem » est "
                              "introuvable, illisible ou sans certificat au format PEM : vérifiez le "
                              "fichier indiqué par la variable VANTREL_CA_FILE ou l'option --ca-file - URL:") +
                   webServer + "/ws.php?1.5");
      return;
    }
    QCOMPARE(ws.ErrorText,
             QStringLiteral("Le certificat du serveur web « 127.0.0.1 » est auto-signé, aucune autorité "
                            "reconnue ne le garantit : faites installer sur le serveur un certificat délivré "
                            "par une autorité reconnue, ou, si ce certificat est bien celui de votre "
                            "serveur, indiquez son fichier au programme (variable VANTREL_CA_FILE, "
                            "option --ca-file de vantrel-sql) - URL:") +
                 webServer + "/ws.php?1.5");
    CheckOnlyErrorLine(ws);
  }

  // An address that libcurl cannot read fails before any name is looked up.
  void malformedAddress() {
    TWebService ws;
    Aim(ws, "http://exa mple.org");
    ws.Execute("select 1");
    QVERIFY2(ws.ErrorText.startsWith(QStringLiteral("L'adresse du serveur web est mal formée (")) &&
                 ws.ErrorText.endsWith(QStringLiteral(") : corrigez-la dans la connexion - URL:"
                                                      "http://exa mple.org/ws.php?1.5")),
             qPrintable(ws.ErrorText));
    CheckOnlyErrorLine(ws);
  }

  void invalidUrl_data() {
    QTest::addColumn<QString>("webServer");
    QTest::newRow("no scheme") << "127.0.0.1:%1";
    QTest::newRow("empty") << "";
    QTest::newRow("other scheme") << "ftp://127.0.0.1:%1";
    QTest::newRow("scheme without slashes") << "http:127.0.0.1:%1";
  }

  void invalidUrl() {
    QFETCH(QString, webServer);
    RecordingServer server;
    TWebService ws;
    Aim(ws, webServer.contains("%1") ? webServer.arg(server.Port()) : webServer);
    ws.Execute("select 1");
    QCOMPARE(ws.ErrorText, "Invalid url '" + ws.Settings.WebServer +
                               "/ws.php?1.5' - only supports 'http' and 'https' schemes");
    CheckOnlyErrorLine(ws);
    QCOMPARE(server.Connections(), 0);
  }

  // 307 and 308 send the form again, to the same origin; 301, 302 and 303
  // go on with a GET without it, and a form once dropped stays dropped.
  void redirectFollowed_data() {
    QTest::addColumn<QList<int>>("codes");
    QTest::addColumn<bool>("absolute");
    QTest::addColumn<QByteArray>("method");  // of every request after the first

    QTest::newRow("301") << QList<int>{301} << false << QByteArray("GET");
    QTest::newRow("302") << QList<int>{302} << false << QByteArray("GET");
    QTest::newRow("302, absolute Location") << QList<int>{302} << true << QByteArray("GET");
    QTest::newRow("303") << QList<int>{303} << false << QByteArray("GET");
    QTest::newRow("307") << QList<int>{307} << false << QByteArray("POST");
    QTest::newRow("308, absolute Location") << QList<int>{308} << true << QByteArray("POST");
    QTest::newRow("307 then 308") << QList<int>{307, 308} << false << QByteArray("POST");
    QTest::newRow("302 then 307: no form back") << QList<int>{302, 307} << false << QByteArray("GET");
  }

  void redirectFollowed() {
    QFETCH(QList<int>, codes);
    QFETCH(bool, absolute);
    QFETCH(QByteArray, method);

    RecordingServer server;
    QList<QByteArray> targets;
    for (int i = 0; i < codes.size(); ++i) {
      targets << "/moved" + QByteArray::number(i) + "/ws.php?1.5";
      const QByteArray location = (absolute ? server.Url().toLatin1() : QByteArray()) + targets.last();
      server.Enqueue(RecordingServer::Status(codes[i], "Moved", "Location: " + location + "\r\n"));
    }
    server.Enqueue(RecordingServer::Ok("A\nmoved\n"));
    TWebService ws;
    Aim(ws, server.Url());
    ws.Settings.Password = "secret";
    ws.Execute("select 1");

    QCOMPARE(ws.ErrorText, QString());
    QCOMPARE(ws.GetValue("A"), QString("moved"));
    const auto requests = server.Requests();
    QCOMPARE(requests.size(), codes.size() + 1);
    QVERIFY(requests[0].body.contains("WS_pwd="));
    for (int i = 0; i < codes.size(); ++i) {
      QCOMPARE(requests[i + 1].RequestLine(), method + ' ' + targets[i] + " HTTP/1.1");
      QCOMPARE(requests[i + 1].body, method == "POST" ? requests[0].body : QByteArray());
    }
  }

  // A GET without the form may go to another origin: it carries neither the
  // password nor the statement.
  void redirectToOtherOriginAsGet_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<bool>("otherPort");  // else the same port under another host name
    QTest::newRow("302 to another port") << 302 << true;
    QTest::newRow("301 to another host") << 301 << false;
    QTest::newRow("303 to another port") << 303 << true;
  }

  void redirectToOtherOriginAsGet() {
    QFETCH(int, code);
    QFETCH(bool, otherPort);
    RecordingServer server;
    RecordingServer other;
    RecordingServer &target = otherPort ? other : server;
    const QByteArray location = otherPort ? other.Url().toLatin1() + "/ws.php?1.5"
                                          : "http://localhost:" + QByteArray::number(server.Port()) + "/ws.php?1.5";
    server.Enqueue(RecordingServer::Status(code, "Moved", "Location: " + location + "\r\n"));
    target.Enqueue(RecordingServer::Ok("A\nelsewhere\n"));
    TWebService ws;
    Aim(ws, server.Url());
    ws.Settings.Password = "secret";
    ws.Execute("select 1");

    QCOMPARE(ws.ErrorText, QString());
    QCOMPARE(ws.GetValue("A"), QString("elsewhere"));
    const auto requests = target.Requests();
    const RecordingServer::Request &last = requests.last();
    QCOMPARE(last.RequestLine(), QByteArray("GET /ws.php?1.5 HTTP/1.1"));
    QCOMPARE(last.body, QByteArray());
  }

  void redirectRefused_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<QByteArray>("location");  // %1 is the server's port, %2 another's
    QTest::addColumn<QString>("reason");

    const QString scheme = QStringLiteral(
        "Le serveur web « 127.0.0.1 » renvoie vers « %1 », qui n'est pas une adresse http ou https : "
        "la redirection est refusée ; vérifiez l'adresse du serveur web dans la connexion");
    const QString origin = QStringLiteral(
        "Le serveur web « 127.0.0.1 » renvoie la requête vers « %1 », qui n'a pas le même protocole, "
        "serveur et port : la redirection est refusée pour ne pas y envoyer le mot de passe et la "
        "requête ; mettez dans la connexion l'adresse du serveur web qui répond");
    QTest::newRow("302 to file:") << 302 << QByteArray("file:///etc/passwd") << scheme.arg("file:///etc/passwd");
    QTest::newRow("302 to ftp:") << 302 << QByteArray("ftp://127.0.0.1:%1/ws.php")
        << scheme.arg("ftp://127.0.0.1:%1/ws.php");
    QTest::newRow("307 to another port of the host") << 307 << QByteArray("http://127.0.0.1:%2/ws.php?1.5")
        << origin.arg("http://127.0.0.1:%2/ws.php?1.5");
    QTest::newRow("308 to another host name") << 308 << QByteArray("http://localhost:%1/ws.php?1.5")
        << origin.arg("http://localhost:%1/ws.php?1.5");
    QTest::newRow("307 to https on the port") << 307 << QByteArray("https://127.0.0.1:%1/ws.php?1.5")
        << origin.arg("https://127.0.0.1:%1/ws.php?1.5");
  }

  void redirectRefused() {
    QFETCH(int, code);
    QFETCH(QByteArray, location);
    QFETCH(QString, reason);

    RecordingServer server;
    RecordingServer other;
    const QByteArray port = QByteArray::number(server.Port());
    const QByteArray otherPort = QByteArray::number(other.Port());
    location.replace("%1", port).replace("%2", otherPort);
    server.Enqueue(RecordingServer::Status(code, "Moved", "Location: " + location + "\r\n"));
    TWebService ws;
    Aim(ws, server.Url());
    ws.Settings.Password = "secret";
    ws.Execute("select 1");

    QCOMPARE(ws.ErrorText, reason.replace("%1", QString::fromLatin1(port)).replace("%2", QString::fromLatin1(otherPort)) +
                               " - URL:" + server.Url() + "/ws.php?1.5");
    CheckOnlyErrorLine(ws);
    QCOMPARE(server.Requests().size(), 1);
    QCOMPARE(other.Requests().size(), 0);
  }

  // A web page in place of ws.php's text, told apart conservatively: served
  // as HTML and beginning like an HTML document.
  void webPageAnswer_data() {
    QTest::addColumn<QByteArray>("contentType");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<bool>("page");

    const QByteArray document = "<!DOCTYPE html>\n<html><head><title>Connexion</title></head></html>\n";
    QTest::newRow("login page") << QByteArray("text/html; charset=UTF-8") << document << true;
    QTest::newRow("html tag, upper case, after a BOM and blanks") << QByteArray("Text/HTML")
        << QByteArray("\xEF\xBB\xBF \r\n<HTML lang=\"fr\">\n<body>Erreur</body></HTML>") << true;
    QTest::newRow("old doctype") << QByteArray("text/html")
        << QByteArray("<!doctype HTML PUBLIC \"-//W3C//DTD HTML 4.01//EN\">\n<html>") << true;
    QTest::newRow("ws.php's text served as HTML") << QByteArray("text/html") << QByteArray("A\tB\n1\t2\n") << false;
    QTest::newRow("a document served as plain text") << QByteArray("text/plain") << document << false;
    QTest::newRow("no content type") << QByteArray() << document << false;
    QTest::newRow("a field name that begins with <html") << QByteArray("text/html")
        << QByteArray("<html_id>\tB\n1\t2\n") << false;
    QTest::newRow("a field name that is <html") << QByteArray("text/html") << QByteArray("<html\tB\n1\t2\n")
        << false;
  }

  void webPageAnswer() {
    QFETCH(QByteArray, contentType);
    QFETCH(QByteArray, body);
    QFETCH(bool, page);

    RecordingServer server;
    server.Enqueue(RecordingServer::Typed(contentType, body));
    TWebService ws;
    Aim(ws, server.Url());
    ws.Execute("select 1");
    if (page) {
      QCOMPARE(ws.ErrorText,
               QStringLiteral("Le serveur web « 127.0.0.1 » a répondu par une page web (HTML) et non par "
                              "le texte de ws.php : vérifiez l'adresse du serveur web dans la connexion (le "
                              "dossier qui contient ws.php) ; ce peut être une page de connexion ou d'erreur "
                              "du serveur - URL:") +
                   server.Url() + "/ws.php?1.5");
      CheckOnlyErrorLine(ws);
    } else {
      QCOMPARE(ws.ErrorText, QString());
      QCOMPARE(ws.RecordCount(), 1);
    }
  }

  // A redirect to a login page: fetched without the form, and reported with
  // the page's address rather than shown as rows.
  void redirectToLoginPage() {
    RecordingServer server;
    server.Enqueue(RecordingServer::Status(302, "Found", "Location: /login?back=ws.php\r\n"));
    server.Enqueue(RecordingServer::Typed("text/html; charset=UTF-8",
                                          "<!DOCTYPE html>\n<html><form method=post>...</form></html>\n"));
    TWebService ws;
    Aim(ws, server.Url());
    ws.Settings.Password = "secret";
    ws.Execute("select 1");

    QVERIFY2(ws.ErrorText.startsWith(QStringLiteral("Le serveur web « 127.0.0.1 » a répondu par une page web")),
             qPrintable(ws.ErrorText));
    QVERIFY2(ws.ErrorText.endsWith(" - URL:" + server.Url() + "/login?back=ws.php"), qPrintable(ws.ErrorText));
    CheckOnlyErrorLine(ws);
    const auto requests = server.Requests();
    QCOMPARE(requests.size(), 2);
    QCOMPARE(requests[1].RequestLine(), QByteArray("GET /login?back=ws.php HTTP/1.1"));
    QCOMPARE(requests[1].body, QByteArray());
  }

  void tooManyRedirects() {
    RecordingServer server;
    for (int i = 0; i < 7; ++i)
      server.Enqueue(RecordingServer::Status(302, "Found", "Location: /loop\r\n"));
    TWebService ws;
    Aim(ws, server.Url());
    ws.Execute("select 1");
    QCOMPARE(ws.ErrorText,
             QStringLiteral("Le serveur web « 127.0.0.1 » renvoie vers une autre adresse plus de 5 fois de "
                            "suite : vérifiez l'adresse du serveur web dans la connexion et les redirections "
                            "du serveur - URL:") +
                 server.Url() + "/loop");
    QCOMPARE(server.Requests().size(), 6);
  }

  // The rule each hop passes; Post applies it to every Location.
  void redirectPolicy_data() {
    QTest::addColumn<QByteArray>("from");
    QTest::addColumn<QByteArray>("to");
    QTest::addColumn<bool>("withForm");
    QTest::addColumn<bool>("allowed");

    const QByteArray from = "http://db.example/ws.php?1";
    QTest::newRow("https down to http") << QByteArray("https://db.example/ws.php?1")
        << QByteArray("http://db.example/ws.php?1") << false << false;
    QTest::newRow("https down to http, with the form") << QByteArray("https://db.example/ws.php?1")
        << QByteArray("http://db.example/ws.php?1") << true << false;
    QTest::newRow("same origin, other path, with the form") << from << QByteArray("http://db.example/x/ws.php?2")
        << true << true;
    QTest::newRow("default port written out") << from << QByteArray("http://db.example:80/ws.php?1") << true
        << true;
    QTest::newRow("https default port written out") << QByteArray("https://db.example/ws.php?1")
        << QByteArray("https://db.example:443/ws.php?1") << true << true;
    QTest::newRow("host in other letter case") << from << QByteArray("HTTP://DB.Example/x/ws.php?1") << true
        << true;
    QTest::newRow("http up to https, with the form") << from << QByteArray("https://db.example/ws.php?1")
        << true << false;
    QTest::newRow("http up to https, as a GET") << from << QByteArray("https://db.example/ws.php?1") << false
        << true;
    QTest::newRow("other port, with the form") << QByteArray("https://db.example/ws.php?1")
        << QByteArray("https://db.example:8443/ws.php?1") << true << false;
    QTest::newRow("other port, as a GET") << QByteArray("https://db.example/ws.php?1")
        << QByteArray("https://db.example:8443/ws.php?1") << false << true;
    QTest::newRow("other host, with the form") << QByteArray("https://db.example/ws.php?1")
        << QByteArray("https://evil.example/ws.php?1") << true << false;
    QTest::newRow("other host, as a GET") << QByteArray("https://db.example/ws.php?1")
        << QByteArray("https://login.example/ws.php?1") << false << true;
    QTest::newRow("sub-domain is another host") << QByteArray("http://example.org/ws.php?1")
        << QByteArray("http://db.example.org/ws.php?1") << true << false;
    QTest::newRow("user info before the host") << from << QByteArray("http://db.example@evil.example/ws.php?1")
        << true << false;
    QTest::newRow("data:") << from << QByteArray("data:,hello") << false << false;
    QTest::newRow("scp:") << from << QByteArray("scp://db.example/etc/passwd") << false << false;
  }

  void redirectPolicy() {
    QFETCH(QByteArray, from);
    QFETCH(QByteArray, to);
    QFETCH(bool, withForm);
    QFETCH(bool, allowed);
    const QString refusal = THttpClient::RedirectRefusal(from, to, withForm);
    QCOMPARE(refusal.isEmpty(), allowed);
  }
};

QTEST_GUILESS_MAIN(TestWebServiceWire)
#include "TestWebServiceWire.moc"

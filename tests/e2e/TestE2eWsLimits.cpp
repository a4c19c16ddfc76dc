// ws.php's limits against the real MariaDB: the servers and ports it may
// reach, its time-outs, the failed logins it counts and the empty passwords
// it refuses, and what a faulty ws-config.php answers. ws.php runs here on
// a web server of the test's own, with small settings of its own: the
// fixture's web server serves the other e2e tests from the same client
// address, whose logins these settings would refuse, and a request to a
// silent MySQL server holds PHP's one-process web server while it waits.

#include "E2eHttp.h"
#include "E2eSettings.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#ifdef Q_OS_LINUX
#include <sys/prctl.h>

#include <csignal>
#endif

namespace {

// A loopback TCP port that listens and never accepts: the kernel completes
// each handshake into the backlog, where the connection then waits without
// a byte. It tells whether anyone connected.
class SilentPort {
 public:
  SilentPort() {
    FSocket = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (FSocket < 0 || bind(FSocket, reinterpret_cast<sockaddr *>(&address), length) != 0 ||
        listen(FSocket, 16) != 0 || getsockname(FSocket, reinterpret_cast<sockaddr *>(&address), &length) != 0)
      return;
    FPort = ntohs(address.sin_port);
  }
  ~SilentPort() {
    if (FSocket >= 0) close(FSocket);
  }
  SilentPort(const SilentPort &) = delete;
  SilentPort &operator=(const SilentPort &) = delete;

  quint16 Port() const { return FPort; }

  // Whether a connection came since the last call (it is taken and closed).
  bool Connected() {
    pollfd waiting{FSocket, POLLIN, 0};
    if (poll(&waiting, 1, 200) <= 0) return false;
    const int connection = accept(FSocket, nullptr, nullptr);
    if (connection >= 0) close(connection);
    return true;
  }

 private:
  int FSocket = -1;
  quint16 FPort = 0;
};

// PHP's built-in web server serving a copy of ws.php, in a temporary folder
// that also holds its ws-config.php and PHP's temporary folder.
class WsInstance {
 public:
  ~WsInstance() { Stop(); }

  // Empty when it runs, else why not.
  QString Start(const QString &wsPhp) {
    if (!FDir.isValid() || !QDir(FDir.path()).mkpath("www") || !QDir(FDir.path()).mkpath("tmp"))
      return QStringLiteral("no temporary folder");
    if (!QFile::copy(wsPhp, Www("ws.php"))) return QStringLiteral("cannot copy %1").arg(wsPhp);
    const QString php = QStandardPaths::findExecutable(QStringLiteral("php"));
    if (php.isEmpty()) return QStringLiteral("php is missing; scripts/packages test installs it");
    // Settings rewritten during a test count at the next request: no
    // opcode cache. Every warning shows, so that one in an answer fails.
    const QStringList arguments{
        "-d", "opcache.enable=0", "-d", "display_errors=1", "-d", "html_errors=1", "-d", "error_reporting=-1",
        "-d", "sys_temp_dir=" + Tmp(), "-d", "mysqli.default_socket=" + FDir.filePath("no-mysql.sock")};
    for (int attempt = 0; attempt < 3; ++attempt) {
      quint16 port = 0;
      {
        SilentPort probe;  // a free port, closed again for PHP
        port = probe.Port();
      }
      FUrl = QStringLiteral("http://127.0.0.1:%1/ws.php").arg(port).toUtf8();
      FPhp.setProcessChannelMode(QProcess::MergedChannels);
      FPhp.setStandardOutputFile(FDir.filePath("php.log"), QIODevice::Append);
#ifdef Q_OS_LINUX
      // Gone with the test, even when the test is killed.
      FPhp.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGKILL); });
#endif
      FPhp.start(php, arguments + QStringList{"-S", QStringLiteral("127.0.0.1:%1").arg(port), "-t", Www({})});
      FPhp.waitForStarted(10000);
      for (int wait = 0; wait < 100 && FPhp.state() == QProcess::Running; ++wait) {
        if (HttpRequest(FUrl).body.contains("alive")) return {};
        QThread::msleep(100);
      }
      Stop();
    }
    QFile log(FDir.filePath("php.log"));
    return "PHP's web server did not start: " +
           QString::fromLocal8Bit(log.open(QIODevice::ReadOnly) ? log.readAll() : QByteArray());
  }

  void Stop() {
    if (FPhp.state() == QProcess::NotRunning) return;
    FPhp.terminate();
    if (!FPhp.waitForFinished(5000)) {
      FPhp.kill();
      FPhp.waitForFinished();
    }
  }

  QByteArray Url() const { return FUrl; }

  // ws-config.php: "<?php" and the given code; none when it is null.
  bool WriteSettings(const QByteArray &code) {
    if (code.isNull()) return !QFile::exists(Www("ws-config.php")) || QFile::remove(Www("ws-config.php"));
    QSaveFile file(Www("ws-config.php"));
    return file.open(QIODevice::WriteOnly) && file.write("<?php\n" + code + "\n") >= 0 && file.commit();
  }

  // PHP's temporary folder, where ws.php counts failed logins.
  QString Tmp() const { return FDir.filePath("tmp"); }
  QStringList TmpFiles() const { return QDir(Tmp()).entryList(QDir::Files | QDir::Hidden); }
  void ClearTmp() {
    for (const QString &name : TmpFiles()) QFile::remove(QDir(Tmp()).filePath(name));
  }

 private:
  QString Www(const QString &name) const { return FDir.filePath("www/" + name); }

  QTemporaryDir FDir;
  QProcess FPhp;
  QByteArray FUrl;
};

}  // namespace

class TestE2eWsLimits : public QObject {
  Q_OBJECT

  E2eSettings FSettings;
  WsInstance FWs;
  SilentPort FSilent;    // listed in the settings: a MySQL server that never answers
  SilentPort FRecorder;  // off the list: nobody may connect to it
  static constexpr int kReadTimeout = 3;
  static constexpr int kWindow = 10;
  static constexpr int kMostFailures = 3;

  QByteArray Settings(const QByteArray &more = {}) const {
    return QStringLiteral(
               "return array(\n"
               "  'allowed_servers' => array('%1', '127.0.0.1:%2', '[::1]:%3'),\n"
               "  'connect_timeout' => 2, 'read_timeout' => %4,\n"
               "  'max_failed_logins' => %5, 'failed_logins_window' => %6,\n")
               .arg(FSettings.SQLServer)
               .arg(FSilent.Port())
               .arg(FRecorder.Port())
               .arg(kReadTimeout)
               .arg(kMostFailures)
               .arg(kWindow)
               .toLocal8Bit() +
           more + ");";
  }

  // A POST of the fixture's account and database; the password as given.
  HttpAnswer Post(const QString &server, const QString &password, const QString &statement,
                  const QByteArray &from = {}) const {
    const QByteArray form = "WS_service=SQL&WS_server=" + server.toLocal8Bit().toPercentEncoding() +
                            "&WS_database=" + FSettings.Database.toLocal8Bit().toPercentEncoding() +
                            "&WS_account=" + FSettings.Account.toLocal8Bit().toPercentEncoding() +
                            "&WS_pwd=" + password.toLocal8Bit().toBase64().toPercentEncoding() +
                            "&WS_query=" + statement.toLocal8Bit().toPercentEncoding();
    return HttpRequest(FWs.Url(), form, from);
  }

  HttpAnswer Login(const QByteArray &from = {}) const {
    return Post(FSettings.SQLServer, FSettings.Password, "SELECT 7 AS n", from);
  }

  static QByteArray OffTheList(const QString &server) {
    return "$ERR The MySQL server " + server.toLocal8Bit() +
           " is not in the list of servers allowed by ws.php; no connection was attempted\n";
  }

 private slots:
  void initTestCase() {
    for (const char *name : {"http_proxy", "all_proxy", "ALL_PROXY"}) qunsetenv(name);
    FSettings = E2eSettings::Load();
    QVERIFY2(FSettings.Problem.isEmpty(), qPrintable(FSettings.Problem));
    QVERIFY(FSilent.Port() != 0 && FRecorder.Port() != 0);
    const QString problem = FWs.Start(QString::fromLocal8Bit(qgetenv("VANTREL_WS_PHP")));
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
  }

  void init() {
    QVERIFY(FWs.WriteSettings(Settings()));
    FWs.ClearTmp();
  }

  void cleanupTestCase() { FWs.Stop(); }

  // A server off the list is refused before any connection: the recorder
  // hears nothing, so a port scan through ws.php learns nothing.
  void serversOffTheList_data() {
    QTest::addColumn<bool>("withSettings");
    QTest::addColumn<QString>("server");
    const QString recorder = QString::number(FRecorder.Port());
    QTest::newRow("local port off the list") << true << "127.0.0.1:" + recorder;
    // Allowed as [::1]: names and addresses are compared as written.
    QTest::newRow("listed port under another name") << true << "localhost:" + recorder;
    QTest::newRow("the fixture's MariaDB without ws-config.php") << false << FSettings.SQLServer;
  }

  void serversOffTheList() {
    QFETCH(bool, withSettings);
    QFETCH(QString, server);
    if (!withSettings) QVERIFY(FWs.WriteSettings({}));
    QCOMPARE(Post(server, FSettings.Password, "SELECT 1").body, OffTheList(server));
    QVERIFY(!FRecorder.Connected());
    // The same server listed: a plain answer, so the refusal was the list's.
    if (!withSettings) {
      QVERIFY(FWs.WriteSettings(Settings()));
      QCOMPARE(Post(server, FSettings.Password, "SELECT 7 AS n").body, QByteArray("n\n7\n"));
    }
  }

  // A silent MySQL server or a statement that outlasts the read time-out
  // releases the request (and the web server) after the time-out, not the
  // default minute nor never.
  void silence_data() {
    QTest::addColumn<QString>("server");
    QTest::addColumn<QString>("statement");
    QTest::addColumn<QByteArray>("answer");
    const QString silent = "127.0.0.1:" + QString::number(FSilent.Port());
    QTest::newRow("server that accepts and says nothing")
        << silent << "SELECT 1"
        << "$ERR Cannot connect to the MySQL server " + silent.toLocal8Bit() + ": no answer within 3 seconds\n";
    QTest::newRow("statement longer than the read time-out")
        << FSettings.SQLServer << "SELECT SLEEP(12)"
        << QByteArray("$ERR The MySQL server sent nothing for 3 seconds, the read time-out of ws.php"
                      " (read_timeout in ws-config.php); the statement may still be running there\n");
  }

  void silence() {
    QFETCH(QString, server);
    QFETCH(QString, statement);
    QFETCH(QByteArray, answer);
    QElapsedTimer timer;
    timer.start();
    QCOMPARE(Post(server, FSettings.Password, statement).body, answer);
    QVERIFY2(timer.elapsed() < 10000, qPrintable(QString::number(timer.elapsed())));
    QCOMPARE(Login().body, QByteArray("n\n7\n"));
  }

  // Too many failed logins from one address: its logins, even right ones,
  // are refused without MySQL until the oldest failure leaves the window;
  // other addresses go on; expired counts leave no file behind.
  void failedLogins() {
    for (int i = 0; i < kMostFailures; ++i) {
      const QByteArray body = Post(FSettings.SQLServer, "wrong", "SELECT 1").body;
      QVERIFY2(body.startsWith("$ERR Access denied for user"), body.constData());
    }
    QElapsedTimer sinceLastFailure;
    sinceLastFailure.start();

    const QByteArray refused = Login().body;
    const QRegularExpressionMatch match =
        QRegularExpression("^\\$ERR Too many failed logins from your address: wait (\\d+) seconds?"
                           " before trying again\n$")
            .match(QString::fromLocal8Bit(refused));
    QVERIFY2(match.hasMatch(), refused.constData());
    const int wait = match.captured(1).toInt();
    QVERIFY2(wait >= 1 && wait <= kWindow, refused.constData());
    QCOMPARE(Login("127.0.0.2").body, QByteArray("n\n7\n"));

    QThread::msleep(wait * 1000 + 300);
    QCOMPARE(Login().body, QByteArray("n\n7\n"));

    // Once the failures of 127.0.0.1 are past the window, another
    // address's failure sweeps their file away.
    QCOMPARE(FWs.TmpFiles().size(), 1);
    const qint64 expired = (kWindow + 2) * 1000 - sinceLastFailure.elapsed();
    if (expired > 0) QThread::msleep(expired);
    QVERIFY(Post(FSettings.SQLServer, "wrong", "SELECT 1", "127.0.0.3").body.startsWith("$ERR Access denied"));
    QCOMPARE(FWs.TmpFiles().size(), 1);
  }

  void emptyPasswords_data() {
    QTest::addColumn<QByteArray>("more");
    QTest::addColumn<QByteArray>("answer");
    QTest::newRow("refused by default") << QByteArray()
        << QByteArray("$ERR Empty passwords are refused by ws.php: an account without a password"
                      " must not be reachable from the web\n");
    QTest::newRow("passed to MySQL when allowed") << QByteArray("'allow_empty_password' => true,")
        << QByteArray("$ERR Access denied for user");
  }

  void emptyPasswords() {
    QFETCH(QByteArray, more);
    QFETCH(QByteArray, answer);
    QVERIFY(FWs.WriteSettings(Settings(more)));
    const QByteArray body = Post(FSettings.SQLServer, {}, "SELECT 1").body;
    QVERIFY2(body.startsWith(answer), body.constData());
  }

  // A mistake in ws-config.php answers one line that names it, rather
  // than being ignored (a misspelt read_timeout would leave a minute).
  void faultySettings_data() {
    QTest::addColumn<QByteArray>("code");
    QTest::addColumn<QByteArray>("answer");
    QTest::newRow("unknown setting") << QByteArray("return array('read_timout' => 5);")
        << QByteArray("$ERR ws-config.php: unknown setting \"read_timout\"\n");
    QTest::newRow("time-out as a text") << QByteArray("return array('read_timeout' => '5');")
        << QByteArray("$ERR ws-config.php: read_timeout must be a whole number of at least 1\n");
    QTest::newRow("server with a bad port") << QByteArray("return array('allowed_servers' => array('db.lan:99999'));")
        << QByteArray("$ERR ws-config.php, allowed_servers: Invalid port in the MySQL server db.lan:99999\n");
    QTest::newRow("not PHP") << QByteArray("return array(;")
        << QByteArray("$ERR ws-config.php is not valid PHP (line 2)\n");
    QTest::newRow("prints and returns no array") << QByteArray("echo 'hello'; return true;")
        << QByteArray("$ERR ws-config.php must return an array of settings\n");
  }

  void faultySettings() {
    QFETCH(QByteArray, code);
    QFETCH(QByteArray, answer);
    QVERIFY(FWs.WriteSettings(code));
    QCOMPARE(Login().body, answer);
  }
};

QTEST_GUILESS_MAIN(TestE2eWsLimits)
#include "TestE2eWsLimits.moc"

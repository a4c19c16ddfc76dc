// ws.php's limits against the real MariaDB: the servers and ports it may
// reach, its time-outs, the failed logins it counts and the empty passwords
// it refuses, and what a faulty ws-config.php answers. ws.php runs here on
// a web server of the test's own, with small settings of its own: the
// fixture's web server serves the other e2e tests from the same client
// address, whose logins these settings would refuse, and a request to a
// silent MySQL server holds PHP's one-process web server while it waits.

#include "E2eSettings.h"
#include "E2eWsInstance.h"
#include "NoProxy.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QTest>
#include <QThread>

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
    NoProxy::Unset();
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

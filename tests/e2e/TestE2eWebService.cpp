// TWebService against the real ws.php on a real MariaDB: values that must
// survive the trip, what statements without rows answer, errors, a large
// result, and what the script answers outside the client's path.

#include "E2eHttp.h"
#include "E2eSettings.h"
#include "NoProxy.h"
#include "TWebService.h"

#include <QTest>

namespace {

QByteArray Hex(const QByteArray &bytes) { return bytes.toHex().toUpper(); }

}  // namespace

class TestE2eWebService : public QObject {
  Q_OBJECT

  E2eSettings FSettings;
  TWebService FWs;

  // Runs a statement that must succeed.
  bool Run(const QString &sql) {
    FWs.Execute(sql);
    if (FWs.ErrorText.isEmpty()) return true;
    qWarning("%s: %s", qPrintable(sql), qPrintable(FWs.ErrorText));
    return false;
  }

 private slots:
  void initTestCase() {
    NoProxy::Unset();
    FSettings = E2eSettings::Load();
    QVERIFY2(FSettings.Problem.isEmpty(), qPrintable(FSettings.Problem));
    FSettings.Apply(FWs);
    HttpCaFile() = QFile::encodeName(FSettings.CaFile);
    QVERIFY(Run("DROP TABLE IF EXISTS ws_values, ws_counts"));
    QVERIFY(Run("CREATE TABLE ws_values (id INT PRIMARY KEY, v TEXT NULL) DEFAULT CHARSET=utf8mb4"));
    QVERIFY(Run("CREATE TABLE ws_counts (n INT)"));
  }

  void init() { FSettings.Apply(FWs); }

  // Each value is stored through the web service, checked in MySQL by its
  // bytes, and read back. A carriage return has no escape in the answer, so
  // it comes back as the line break it is; a NUL byte, which would end the
  // answer for the client, comes back as backslash and zero.
  void values_data() {
    QTest::addColumn<QString>("literal");
    QTest::addColumn<QByteArray>("stored");  // null: NULL
    QTest::addColumn<QString>("read");

    QTest::newRow("tab") << "'a\\tb'" << QByteArray("a\tb") << "a\tb";
    QTest::newRow("tab as it is in the statement") << "'a\tb'" << QByteArray("a\tb") << "a\tb";
    QTest::newRow("line feed") << "'one\\ntwo'" << QByteArray("one\ntwo") << "one\ntwo";
    QTest::newRow("tab and line feed at the end") << "'a\\t\\n'" << QByteArray("a\t\n") << "a\t\n";
    QTest::newRow("CR LF") << "'one\\r\\ntwo'" << QByteArray("one\r\ntwo") << "one\ntwo";
    QTest::newRow("lone CR") << "'one\\rtwo'" << QByteArray("one\rtwo") << "one\ntwo";
    QTest::newRow("accents") << QString::fromUtf8("'Élève, crème brûlée, ça'")
        << QByteArray("\xC3\x89l\xC3\xA8ve, cr\xC3\xA8me br\xC3\xBBl\xC3\xA9" "e, \xC3\xA7" "a")
        << QString::fromUtf8("Élève, crème brûlée, ça");
    QTest::newRow("four-byte character") << QString::fromUtf8("'\xF0\x9F\x98\x80'")
        << QByteArray("\xF0\x9F\x98\x80") << QString::fromUtf8("\xF0\x9F\x98\x80");
    QTest::newRow("backslash") << "'C:\\\\dir\\\\'" << QByteArray("C:\\dir\\") << "C:\\dir\\";
    QTest::newRow("empty") << "''" << QByteArray("") << "";
    QTest::newRow("NULL") << "NULL" << QByteArray() << "NULL";
    QTest::newRow("NUL byte") << "'a\\0b'" << QByteArray("a\0b", 3) << "a\\0b";
  }

  void values() {
    QFETCH(QString, literal);
    QFETCH(QByteArray, stored);
    QFETCH(QString, read);
    static int id = 0;
    ++id;
    QVERIFY(Run(QStringLiteral("INSERT INTO ws_values VALUES (%1, %2)").arg(id).arg(literal)));
    QVERIFY(Run(QStringLiteral("SELECT v, HEX(v) AS h, %1 AS after_v FROM ws_values WHERE id = %1").arg(id)));
    QCOMPARE(FWs.FieldNames(), QStringList({"v", "h", "after_v"}));
    QCOMPARE(FWs.RecordCount(), 1);
    QCOMPARE(FWs.GetValue(0), read);
    QCOMPARE(FWs.GetValue(1).toLatin1(), stored.isNull() ? QByteArray("NULL") : Hex(stored));
    // The value did not spill into the next field.
    QCOMPARE(FWs.GetValue(2), QString::number(id));
  }

  // A NULL and an empty string stay apart, in the same row.
  void nullAndEmpty() {
    QVERIFY(Run("SELECT NULL AS a, '' AS b, 'x' AS c"));
    QCOMPARE(FWs.GetValue("A"), QStringLiteral("NULL"));
    QCOMPARE(FWs.GetValue("B"), QString());
    QCOMPARE(FWs.GetValue("C"), QStringLiteral("x"));
  }

  // A statement without a result set answers the rows it changed. The rows
  // run in order, on one table.
  void withoutResultSet_data() {
    QTest::addColumn<QString>("statement");
    QTest::addColumn<QString>("affected");
    QTest::newRow("insert") << "INSERT INTO ws_counts VALUES (1), (2), (3)" << "3";
    QTest::newRow("update") << "UPDATE ws_counts SET n = n + 10 WHERE n > 1" << "2";
    QTest::newRow("update of nothing") << "UPDATE ws_counts SET n = 0 WHERE n > 100" << "0";
    QTest::newRow("delete") << "DELETE FROM ws_counts" << "3";
    QTest::newRow("set") << "SET @x = 1" << "0";
  }

  void withoutResultSet() {
    QFETCH(QString, statement);
    QFETCH(QString, affected);
    QVERIFY(Run(statement));
    QCOMPARE(FWs.FieldNames(), QStringList{"affected_rows"});
    QCOMPARE(FWs.RecordCount(), 1);
    QCOMPARE(FWs.GetValue("affected_rows"), affected);
  }

  void errors_data() {
    QTest::addColumn<QString>("setting");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("statement");
    QTest::addColumn<QString>("fragment");

    QTest::newRow("syntax error") << "" << "" << "SELEC 1" << "SQL syntax";
    // MySQL quotes the statement, CR included; only its first line comes.
    QTest::newRow("syntax error over lines") << "" << "" << "SELEC\r\n1\r\n2" << "SQL syntax";
    QTest::newRow("missing table") << "" << "" << "SELECT * FROM nowhere" << "doesn't exist";
    QTest::newRow("wrong password") << "password" << "wrong" << "SELECT 1" << "Access denied";
    QTest::newRow("no password") << "password" << "" << "SELECT 1" << "Empty passwords are refused";
    QTest::newRow("foreign database") << "database" << "mysql" << "SELECT 1" << "Access denied";
    QTest::newRow("server not allowed") << "server" << "192.0.2.1:3306" << "SELECT 1" << "not in the list";
    QTest::newRow("name not allowed") << "server" << "localhost.example" << "SELECT 1" << "not in the list";
    QTest::newRow("bad port") << "server" << "127.0.0.1:99999" << "SELECT 1" << "Invalid port";
    // The local machine, but not the usual port nor the fixture's.
    QTest::newRow("port off the list") << "server" << "127.0.0.1:1" << "SELECT 1"
        << "not in the list of servers allowed by ws.php; no connection was attempted";
    QTest::newRow("LOAD DATA LOCAL") << "" << ""
        << "LOAD DATA LOCAL INFILE '/etc/passwd' INTO TABLE ws_counts" << "LOAD DATA LOCAL INFILE";
    QTest::newRow("no statement") << "" << "" << "" << "No statement";
    // One value larger than PHP's memory: a fatal error of PHP, which still
    // answers in the client's format and with the status 200.
    QTest::newRow("value larger than memory_limit") << "" << "" << "SELECT REPEAT('x', 9000000)"
        << "ws.php ran out of memory";
    // nginx refuses it itself, as server/README.md advises.
    QTest::newRow("larger than post_max_size") << "" << ""
        << "SELECT '" + QString(1500 * 1024, QLatin1Char('x')) + "'"
        << (FSettings.OversizeStatus ? QStringLiteral("(%1)").arg(FSettings.OversizeStatus)
                                     : QStringLiteral("post_max_size"));
  }

  void errors() {
    QFETCH(QString, setting);
    QFETCH(QString, value);
    QFETCH(QString, statement);
    QFETCH(QString, fragment);
    if (setting == QLatin1String("password")) FWs.Settings.Password = value;
    if (setting == QLatin1String("database")) FWs.Settings.Database = value;
    if (setting == QLatin1String("server")) FWs.Settings.SQLServer = value;
    FWs.Execute(statement);
    QVERIFY2(FWs.ErrorText.contains(fragment), qPrintable(FWs.ErrorText));
    // One line, the error line: nothing PHP printed before or after it.
    QCOMPARE(FWs.RecordCount(), 1);
    QCOMPARE(FWs.FieldCount(), 0);
    QVERIFY(!FWs.ErrorText.contains(QLatin1Char('\r')));
    QVERIFY2(!FWs.ErrorText.contains(QLatin1String("Warning")) &&
                 !FWs.ErrorText.contains(QLatin1String(" on line ")) &&
                 !FWs.ErrorText.contains(QLatin1String("/server/")),
             qPrintable(FWs.ErrorText));
  }

  void loadDataLocalReadsNothing() {
    QVERIFY(Run("DELETE FROM ws_counts"));
    FWs.Execute("LOAD DATA LOCAL INFILE '/etc/passwd' INTO TABLE ws_counts");
    QVERIFY(!FWs.ErrorText.isEmpty());
    QVERIFY(Run("SELECT COUNT(*) FROM ws_counts"));
    QCOMPARE(FWs.GetValue(0), QStringLiteral("0"));
  }

  // About 20 MB of rows through a web server whose PHP may use 16 MB: only
  // an answer streamed row by row gets through.
  void largeResult() {
    QVERIFY(Run("SELECT seq AS n, REPEAT('x', 190) AS pad, seq * 2 AS twice FROM seq_1_to_100000"));
    QCOMPARE(FWs.RecordCount(), 100000);
    int expected = 1;
    for (; !FWs.Eof(); FWs.Next(), ++expected) {
      if (FWs.GetValueBytes(0).toInt() != expected || FWs.GetValueBytes(2).toInt() != 2 * expected ||
          FWs.GetValueBytes(1).size() != 190)
        QFAIL(qPrintable(QStringLiteral("row %1 is wrong").arg(expected)));
    }
    QCOMPARE(expected, 100001);
    QVERIFY(FWs.ErrorText.isEmpty());
  }

  // A GET says the script is alive, as an error line, without MySQL; every
  // answer is plain text that a browser must not sniff.
  void getAndHeaders() {
    const QByteArray url = (FSettings.WebServer + QStringLiteral("/ws.php")).toUtf8();
    const HttpAnswer get = HttpRequest(url);
    QCOMPARE(get.status, 200L);
    QVERIFY2(get.body.startsWith("$ERR ") && get.body.contains("alive"), get.body.constData());
    QCOMPARE(get.body.count('\n'), 1);

    const HttpAnswer post = HttpRequest(url, "WS_server=" + FSettings.SQLServer.toUtf8() + "&WS_query=SELECT+1");
    QCOMPARE(post.status, 200L);
    QVERIFY2(post.body.startsWith("$ERR Empty passwords are refused"), post.body.constData());
    for (const HttpAnswer &answer : {get, post}) {
      const QByteArray headers = answer.headers.toLower();
      QVERIFY2(headers.contains("\ncontent-type: text/plain"), answer.headers.constData());
      QVERIFY2(headers.contains("\nx-content-type-options: nosniff"), answer.headers.constData());
    }
  }

  // Forms no client of ours sends still answer one error line.
  void oddForms_data() {
    QTest::addColumn<QByteArray>("form");
    QTest::addColumn<QByteArray>("answer");
    QTest::newRow("array field") << QByteArray("WS_query[]=SELECT+1")
        << QByteArray("$ERR The field WS_query is not a single value\n");
    QTest::newRow("password not Base64") << QByteArray("WS_pwd=%25%25&WS_query=SELECT+1")
        << QByteArray("$ERR The password (WS_pwd) is not Base64\n");
    QTest::newRow("other service") << QByteArray("WS_service=FTP&WS_query=SELECT+1")
        << QByteArray("$ERR Unknown service \"FTP\"\n");
  }

  void oddForms() {
    QFETCH(QByteArray, form);
    QFETCH(QByteArray, answer);
    const HttpAnswer got = HttpRequest((FSettings.WebServer + QStringLiteral("/ws.php")).toUtf8(), form);
    QCOMPARE(got.body, answer);
  }
};

QTEST_GUILESS_MAIN(TestE2eWebService)
#include "TestE2eWebService.moc"

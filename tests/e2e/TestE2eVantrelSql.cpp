// vantrel-sql against the real ws.php: both formats of a table with awkward
// values, the statement from standard input, and the exit statuses.

#include "E2eSettings.h"
#include "NoProxy.h"
#include "SqlProcess.h"
#include "TWebService.h"

#include <QTest>

class TestE2eVantrelSql : public QObject {
  Q_OBJECT

  E2eSettings FSettings;

  QStringList Connection() const {
    QStringList arguments{"--web-server", FSettings.WebServer, "--sql-server", FSettings.SQLServer,
                          "--database",   FSettings.Database,  "--account",    FSettings.Account,
                          "--password",   FSettings.Password};
    if (!FSettings.CaFile.isEmpty()) arguments << "--ca-file" << FSettings.CaFile;
    return arguments;
  }

 private slots:
  void initTestCase() {
    NoProxy::Unset();
    FSettings = E2eSettings::Load();
    QVERIFY2(FSettings.Problem.isEmpty(), qPrintable(FSettings.Problem));
    TWebService ws;
    FSettings.Apply(ws);
    for (const char *sql :
         {"DROP TABLE IF EXISTS cli_values",
          "CREATE TABLE cli_values (id INT PRIMARY KEY, name TEXT, note TEXT NULL) DEFAULT CHARSET=utf8mb4",
          "INSERT INTO cli_values VALUES (1, 'plain', 'a,b'), (2, 'say \"hi\"', 'one\\ntwo'),"
          " (3, 'tab\\there', NULL), (4, '\xC3\xA9t\xC3\xA9', ''), (5, 'cr\\r\\nlf', 'x\\\\')"}) {
      ws.Execute(QString::fromUtf8(sql));
      QVERIFY2(ws.ErrorText.isEmpty(), qPrintable(ws.ErrorText));
    }
  }

  void formats_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("output");
    const QString select = QStringLiteral("SELECT id, name, note FROM cli_values ORDER BY id");
    const QByteArray tsv =
        "id\tname\tnote\n"
        "1\tplain\ta,b\n"
        "2\tsay \"hi\"\tone\\ntwo\n"
        "3\ttab\\there\tNULL\n"
        "4\t\xC3\xA9t\xC3\xA9\t\n"
        "5\tcr\\nlf\tx\\\n";
    QTest::newRow("tsv by default") << QStringList{select} << QByteArray() << tsv;
    QTest::newRow("tsv") << QStringList{"--format", "tsv", select} << QByteArray() << tsv;
    QTest::newRow("csv") << QStringList{"--format=csv", select} << QByteArray()
        << QByteArray("id,name,note\r\n"
                      "1,plain,\"a,b\"\r\n"
                      "2,\"say \"\"hi\"\"\",\"one\ntwo\"\r\n"
                      "3,tab\there,NULL\r\n"
                      "4,\xC3\xA9t\xC3\xA9,\r\n"
                      "5,\"cr\nlf\",x\\\r\n");
    QTest::newRow("statement from standard input") << QStringList{"-"}
        << QByteArray("SELECT id, name, note\nFROM cli_values\nORDER BY id\n") << tsv;
    QTest::newRow("statement without rows") << QStringList{"UPDATE cli_values SET note = note WHERE id > 99"}
        << QByteArray() << QByteArray("affected_rows\n0\n");
  }

  void formats() {
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, output);
    const SqlRun run = RunSql(Connection() + arguments, input);
    QCOMPARE(run.err, QByteArray());
    QCOMPARE(run.status, 0);
    QCOMPARE(run.out, output);
  }

  void failures_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("error");
    // The client's French sentence first, then the server's text.
    QTest::newRow("syntax error") << QStringList{"SELEC 1"}
        << QStringLiteral("Erreur de syntaxe SQL près de « SELEC 1 » : corrigez la requête à cet endroit ou juste "
                          "avant (mot mal écrit, virgule, guillemet ou parenthèse en trop ou manquant). You have "
                          "an error in your SQL syntax")
               .toUtf8();
    QTest::newRow("wrong password") << QStringList{"--password", "wrong", "SELECT 1"}
        << QStringLiteral("MySQL refuse le compte ou le mot de passe : vérifiez le compte MySQL et son mot de passe "
                          "dans la connexion, et que ce compte a le droit de se connecter depuis le serveur web. "
                          "Access denied for user")
               .toUtf8();
    QTest::newRow("no web server there") << QStringList{"--web-server", "http://127.0.0.1:1", "SELECT 1"}
        << QByteArray();
  }

  void failures() {
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, error);
    const SqlRun run = RunSql(Connection() + arguments);
    QCOMPARE(run.status, 1);
    QCOMPARE(run.out, QByteArray());
    QVERIFY2(run.err.startsWith(error) && run.err.endsWith('\n') && run.err.size() > 1, run.err.constData());
  }
};

QTEST_GUILESS_MAIN(TestE2eVantrelSql)
#include "TestE2eVantrelSql.moc"

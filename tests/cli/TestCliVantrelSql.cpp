// vantrel-sql against the tests' loopback server: what it sends, what it
// prints in each format, and its exit statuses. The real ws.php is in the
// e2e tests.

#include "NoProxy.h"
#include "RecordingServer.h"
#include "SqlProcess.h"
#include "TLocalStore.h"

#include <tuple>

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/types.h>

Q_DECLARE_METATYPE(RecordingServer::Reply)

namespace {

QByteArray Body(const RecordingServer &server) {
  const QList<RecordingServer::Request> requests = server.Requests();
  return requests.isEmpty() ? QByteArray("no request") : requests.last().body;
}

// A store holding the given connections, each "title" -> web server, with
// fixed MySQL settings.
void MakeStore(const QString &path, const QList<std::pair<QString, QString>> &connections) {
  TLocalStore store;
  store.Open(path);
  for (const auto &[title, web] : connections)
    store.Execute(TStoreStatement::qryInsertDataBase,
                  {{"TITRE", title},
                   {"SERVEUR_WEB", web},
                   {"SERVEUR_MYSQL", QStringLiteral("db.lan:3307")},
                   {"COMPTE_MYSQL", QStringLiteral("reader")},
                   {"MDP_MYSQL", QStringLiteral("abc")},
                   {"BASE_DE_DONNEES", QStringLiteral("shop")}});
  store.Close();
}

qint64 ConnectionKey(TLocalStore &store, const QString &title) {
  for (TStoreRows rows = store.Select(TStoreStatement::qrySelectDatabases); !rows.Eof(); rows.Next())
    if (rows.AsString("TITRE") == title) return rows.AsInteger("PK_DATABASE");
  return -1;
}

// A saved query of a connection: its title and its text.
using TSavedQuery = std::pair<QString, QString>;
// A remembered value: connection title, name, value.
using TRemembered = std::tuple<QString, QString, QString>;

// The store of MakeStore ("Boutique" -> web, "Autre" -> nowhere) with
// saved queries of "Boutique" and remembered values.
void MakeQueryStore(const QString &path, const QString &web, const QList<TSavedQuery> &queries,
                    const QList<TRemembered> &remembered = {}) {
  MakeStore(path, {{QStringLiteral("Boutique"), web}, {QStringLiteral("Autre"), QStringLiteral("http://127.0.0.1:1")}});
  TLocalStore store;
  store.Open(path);
  const qint64 shop = ConnectionKey(store, QStringLiteral("Boutique"));
  const QDateTime now = QDateTime::currentDateTime();
  for (const auto &[title, sql] : queries) {
    store.Execute(TStoreStatement::qryInsertQuery, {{"FK_DATABASE", shop}, {"TITRE", title}, {"DATE_CREATION", now}});
    qint64 key = 0;
    for (TStoreRows rows = store.Select(TStoreStatement::qrySelectQueries, {{"FK_DATABASE", shop}}); !rows.Eof();
         rows.Next())
      key = std::max(key, rows.AsInteger("PK_REQUETE"));
    store.Execute(TStoreStatement::qryUpdateQuerySQL, {{"REQUETE", sql}, {"DATE_MODIFICATION", now}, {"PK_REQUETE", key}});
  }
  for (const auto &[connection, name, value] : remembered)
    store.Execute(TStoreStatement::qryInsertParameter,
                  {{"FK_DATABASE", ConnectionKey(store, connection)}, {"NOM", name}, {"VALEUR", value}});
  store.Close();
}

// The values remembered in the store for that connection and name.
QStringList Remembered(const QString &path, const QString &connection, const QString &name) {
  TLocalStore store;
  store.Open(path);
  QStringList values;
  for (TStoreRows rows = store.Select(TStoreStatement::qrySelectParameter,
                                      {{"FK_DATABASE", ConnectionKey(store, connection)}, {"NOM", name}});
       !rows.Eof(); rows.Next())
    values << rows.AsString("VALEUR");
  return values;
}

const QByteArray kWithoutMessage = QStringLiteral(
    "Le serveur a répondu par une erreur sans message (« $ERR » seul) : consultez le journal "
    "d'erreurs du serveur web et de PHP\n").toUtf8();

// A saved query whose parameters cover the rules: a comment line holding a
// reference (asked for, then gone), a tab, LF and CR LF lines, a doubled
// colon (made one), an empty line.
const QString kClients = QStringLiteral(
    "SELECT *, 'a::b'\n"
    "-- note :age\n"
    "FROM clients\tc\r\n"
    "WHERE ville = :ville\n"
    "  AND age > :age AND h = '10::30';\n"
    "\n");

}  // namespace

class TestCliVantrelSql : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    NoProxy::Unset();
    QVERIFY2(QFile::exists(SqlProgram()), qPrintable(SqlProgram()));
  }

  void badCommandLine_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("problem");
    const QString web = QStringLiteral("--web-server=http://127.0.0.1:1");
    QTest::newRow("nothing") << QStringList() << "no statement";
    QTest::newRow("no statement") << QStringList{web} << "no statement";
    QTest::newRow("standard input twice") << QStringList{web, "-", "select 1", "-"}
        << "- (standard input) given twice";
    QTest::newRow("max-time of zero") << QStringList{web, "--max-time", "0", "select 1"}
        << "--max-time needs a number of seconds above 0";
    QTest::newRow("max-time not a number") << QStringList{web, "--max-time=soon", "select 1"}
        << "--max-time needs a number of seconds above 0";
    QTest::newRow("max-time negative") << QStringList{web, "--max-time=-1", "select 1"}
        << "--max-time needs a number of seconds above 0";
    QTest::newRow("max-time without a value") << QStringList{web, "select 1", "--max-time"}
        << "--max-time needs a value";
    QTest::newRow("unknown option") << QStringList{web, "--verbose", "select 1"} << "unknown option --verbose";
    QTest::newRow("unknown format") << QStringList{web, "--format", "xml", "select 1"} << "unknown format xml";
    QTest::newRow("missing value") << QStringList{"select 1", "--account"} << "--account needs a value";
    QTest::newRow("store alone") << QStringList{web, "--store", "x.adb", "select 1"} << "--store goes with --connection";
    QTest::newRow("no web server") << QStringList{"--account", "a", "select 1"}
        << "--web-server or --connection is needed";
    QTest::newRow("query without connection") << QStringList{web, "--query", "Ventes"}
        << "--query goes with --connection";
    QTest::newRow("query and a statement") << QStringList{"--connection", "C", "--query", "Ventes", "select 1"}
        << "--query takes no statement";
    QTest::newRow("query without a title") << QStringList{"--connection", "C", "--query="} << "--query needs a title";
    QTest::newRow("param without a value") << QStringList{web, "--param", "ville", "select :ville"}
        << "--param needs NAME=VALUE";
    QTest::newRow("print-sql with a value") << QStringList{"--print-sql=yes", "select 1"}
        << "--print-sql takes no value";
    QTest::newRow("print-sql without statement") << QStringList{"--print-sql"} << "no statement";
  }

  void badCommandLine() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, problem);
    const SqlRun run = RunSql(arguments);
    QCOMPARE(run.status, 2);
    QVERIFY2(run.err.contains(problem.toUtf8()), run.err.constData());
    QVERIFY2(run.err.contains("usage: vantrel-sql "), run.err.constData());
    QCOMPARE(run.out, QByteArray());
  }

  void help() {
    const SqlRun run = RunSql({"--help"});
    QCOMPARE(run.status, 0);
    QVERIFY(run.out.startsWith("usage: vantrel-sql "));
  }

  // What goes on the wire: the options as the program's own client sends
  // them, with the service "SQL"; "-" reads the statement from standard input.
  void request_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("body");
    QTest::newRow("every option") << QStringList{"--sql-server", "db:3307", "--database=shop", "--account",
                                                 "reader", "--password", "abc", "select 1"}
        << QByteArray() << QByteArray("WS_server=db%3A3307&WS_service=SQL&WS_database=shop&WS_account=reader"
                                      "&WS_pwd=YWJj&WS_query=select+1");
    QTest::newRow("no settings") << QStringList{"show tables"} << QByteArray()
        << QByteArray("WS_service=SQL&WS_query=show+tables");
    QTest::newRow("standard input") << QStringList{"--database", "d", "-"}
        << QByteArray("select a,\nb from t\n") << QByteArray("WS_service=SQL&WS_database=d&WS_query=select+a%2C+b+from+t+");
    QTest::newRow("after --") << QStringList{"--", "-- a comment"} << QByteArray()
        << QByteArray("WS_service=SQL&WS_query=--+a+comment");
  }

  void request() {
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, body);
    RecordingServer server;
    server.Enqueue(RecordingServer::Ok("A\n1\n"));
    const SqlRun run = RunSql(QStringList{"--web-server", server.Url()} + arguments, input);
    QCOMPARE(run.status, 0);
    QCOMPARE(Body(server), body);
    QCOMPARE(run.out, QByteArray("A\n1\n"));
  }

  // A statement of the command line goes through the saved queries'
  // preparation when --param or --print-sql asks for it: printed as it
  // would be sent, CR LF lines, byte for byte; nothing is sent then, so no
  // web server is needed.
  void printStatement_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("output");
    QTest::newRow("no parameter: cleaned only") << QStringList{"--print-sql", "select a::b\n-- x\n\tfrom t\n\n"}
        << QByteArray("select a::b\r\n from t\r\n");
    QTest::newRow("parameters as typed") << QStringList{"--print-sql", "--param", "a='x''", "--param=b=1,5=c",
                                                        "select :a, :b, c::d"}
        << QByteArray("select 'x'', 1,5=c, c:d\r\n");
    QTest::newRow("last value of a name counts") << QStringList{"--print-sql", "--param", "a=1", "--param", "a=2",
                                                                "select :a"}
        << QByteArray("select 2\r\n");
    QTest::newRow("empty value") << QStringList{"--print-sql", "--param", "a=", "select :a;"}
        << QByteArray("select ;\r\n");
    QTest::newRow("UTF-8 name and value") << QStringList{"--print-sql", "--param", "ville=Orléans", "where :ville"}
        << QByteArray("where Orl\xC3\xA9" "ans\r\n");
  }

  void printStatement() {
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, output);
    const SqlRun run = RunSql(arguments);
    QCOMPARE(run.err, QByteArray());
    QCOMPARE(run.status, 0);
    QCOMPARE(run.out, output);
  }

  // --param without --print-sql: the prepared text is what goes out.
  void paramStatementSent() {
    RecordingServer server;
    server.Enqueue(RecordingServer::Ok("A\n1\n"));
    const SqlRun run = RunSql({"--web-server", server.Url(), "--param", "a=1", "select :a\n-- c\nfrom t"});
    QCOMPARE(run.status, 0);
    QCOMPARE(Body(server), QByteArray("WS_service=SQL&WS_query=select+1%0D+from+t%0D+"));
  }

  // A statement given without --param or --print-sql goes out as typed:
  // references, doubled colons and comments included.
  void statementSentUnchanged() {
    RecordingServer server;
    server.Enqueue(RecordingServer::Ok("A\n1\n"));
    const SqlRun run = RunSql({"--web-server", server.Url(), "select :a, b::c\n-- d"});
    QCOMPARE(run.status, 0);
    QCOMPARE(Body(server), QByteArray("WS_service=SQL&WS_query=select+%3Aa%2C+b%3A%3Ac+--+d"));
  }

  // A saved query: every value given, the text printed byte for byte.
  void printSavedQuery() {
    QTemporaryDir dir;
    const QString store = dir.filePath(QStringLiteral("vantrel.adb"));
    MakeQueryStore(store, QStringLiteral("http://127.0.0.1:1"), {{QStringLiteral("Clients"), kClients}});
    const SqlRun run = RunSql({"--connection", "Boutique", "--store", store, "--query", "Clients", "--print-sql",
                               "--param", "ville='Paris'", "--param", "age=30"});
    QCOMPARE(run.err, QByteArray());
    QCOMPARE(run.status, 0);
    QCOMPARE(run.out, QByteArray("SELECT *, 'a::b'\r\n"
                                 "FROM clients c\r\n"
                                 "WHERE ville = 'Paris'\r\n"
                                 "  AND age > 30 AND h = '10::30';\r\n"));
  }

  // A reference without a value given or remembered: its name, status 2,
  // nothing sent.
  void missingParameter() {
    QTemporaryDir dir;
    RecordingServer server;
    const QString store = dir.filePath(QStringLiteral("vantrel.adb"));
    // "age" is remembered for another connection only.
    MakeQueryStore(store, server.Url(), {{QStringLiteral("Clients"), kClients}},
                   {{QStringLiteral("Autre"), QStringLiteral("age"), QStringLiteral("40")}});
    server.Enqueue(RecordingServer::Ok("A\n"));
    const SqlRun run =
        RunSql({"--connection", "Boutique", "--store", store, "--query", "Clients", "--param", "ville=1"});
    QCOMPARE(run.status, 2);
    QCOMPARE(run.err, QByteArray("vantrel-sql: no value for the parameter \"age\": give --param age=VALUE\n"));
    QCOMPARE(run.out, QByteArray());
    QCOMPARE(server.Requests().size(), 0);
  }

  // The value remembered for the connection is used and sent.
  void rememberedValueSent() {
    QTemporaryDir dir;
    RecordingServer server;
    const QString store = dir.filePath(QStringLiteral("vantrel.adb"));
    MakeQueryStore(store, server.Url(), {{QStringLiteral("Ville"), QStringLiteral("SELECT * FROM clients WHERE ville = :ville")}},
                   {{QStringLiteral("Boutique"), QStringLiteral("ville"), QStringLiteral("'Lyon'")},
                    {QStringLiteral("Autre"), QStringLiteral("ville"), QStringLiteral("'Nice'")}});
    server.Enqueue(RecordingServer::Ok("id\n7\n"));
    const SqlRun run = RunSql({"--connection", "Boutique", "--store", store, "--query", "Ville"});
    QCOMPARE(run.err, QByteArray());
    QCOMPARE(run.status, 0);
    QCOMPARE(Body(server), QByteArray("WS_server=db.lan%3A3307&WS_service=SQL&WS_database=shop&WS_account=reader"
                                      "&WS_pwd=YWJj&WS_query=SELECT+*+FROM+clients+WHERE+ville+%3D+'Lyon'%0D+"));
    QCOMPARE(run.out, QByteArray("id\n7\n"));
  }

  // A value given on the command line wins over the remembered one and is
  // not remembered.
  void paramWinsAndIsNotStored() {
    QTemporaryDir dir;
    const QString store = dir.filePath(QStringLiteral("vantrel.adb"));
    MakeQueryStore(store, QStringLiteral("http://127.0.0.1:1"), {{QStringLiteral("Clients"), kClients}},
                   {{QStringLiteral("Boutique"), QStringLiteral("ville"), QStringLiteral("'Lyon'")},
                    {QStringLiteral("Boutique"), QStringLiteral("age"), QStringLiteral("18")}});
    const SqlRun run = RunSql({"--connection", "Boutique", "--store", store, "--query", "Clients", "--print-sql",
                               "--param", "ville='Paris'"});
    QCOMPARE(run.err, QByteArray());
    QCOMPARE(run.status, 0);
    QVERIFY2(run.out.contains("WHERE ville = 'Paris'\r\n  AND age > 18 AND"), run.out.constData());
    QCOMPARE(Remembered(store, QStringLiteral("Boutique"), QStringLiteral("ville")), QStringList{"'Lyon'"});
    QCOMPARE(Remembered(store, QStringLiteral("Boutique"), QStringLiteral("age")), QStringList{"18"});
  }

  void savedQueryFailures_data() {
    QTest::addColumn<QString>("title");
    QTest::addColumn<QByteArray>("error");
    QTest::newRow("unknown title") << "Nulle part" << QByteArray("no query \"Nulle part\" in the connection \"Boutique\"");
    QTest::newRow("title differs in case") << "clients" << QByteArray("no query \"clients\"");
    QTest::newRow("query of another connection") << "Ailleurs" << QByteArray("no query \"Ailleurs\"");
    QTest::newRow("two of that title") << "Double" << QByteArray("2 queries are named \"Double\"");
    QTest::newRow("too many references") << "Longue"
        << QByteArray("La requ\xC3\xAAte contient 192 param\xC3\xA8tres : 191 au plus sont accept\xC3\xA9s.");
  }

  void savedQueryFailures() {
    QFETCH(QString, title);
    QFETCH(QByteArray, error);
    QTemporaryDir dir;
    RecordingServer server;
    const QString store = dir.filePath(QStringLiteral("vantrel.adb"));
    QString longQuery = QStringLiteral("SELECT ");
    for (int k = 0; k < 192; ++k) longQuery += QStringLiteral(":p%1,").arg(k);
    MakeQueryStore(store, server.Url(),
                   {{QStringLiteral("Clients"), kClients}, {QStringLiteral("Double"), QStringLiteral("SELECT 1")},
                    {QStringLiteral("Double"), QStringLiteral("SELECT 2")}, {QStringLiteral("Longue"), longQuery}});
    {
      // A query of the other connection is not found from "Boutique".
      TLocalStore other;
      other.Open(store);
      other.Execute(TStoreStatement::qryInsertQuery, {{"FK_DATABASE", ConnectionKey(other, QStringLiteral("Autre"))},
                                                      {"TITRE", QStringLiteral("Ailleurs")},
                                                      {"DATE_CREATION", QDateTime::currentDateTime()}});
    }
    server.Enqueue(RecordingServer::Ok("A\n"));
    const SqlRun run = RunSql({"--connection", "Boutique", "--store", store, "--query", title});
    QCOMPARE(run.status, 1);
    QVERIFY2(run.err.contains(error), run.err.constData());
    QCOMPARE(run.out, QByteArray());
    QCOMPARE(server.Requests().size(), 0);
  }

  void formats_data() {
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<QString>("format");
    QTest::addColumn<QByteArray>("output");

    // Escapes, an empty value, a short row, an empty row, UTF-8, a backslash.
    const QByteArray answer =
        "id\tname\tnote\r\n"
        "1\ta\\tb\tx\\ny\n"
        "2\t\tcomma, \"quoted\"\n"
        "3\n"
        "\n"
        "4\t\xC3\xA9t\xC3\xA9\tC:\\dir\\\n";
    QTest::newRow("tsv") << answer << "tsv"
        << QByteArray("id\tname\tnote\n"
                      "1\ta\\tb\tx\\ny\n"
                      "2\t\tcomma, \"quoted\"\n"
                      "3\t\t\n"
                      "\t\t\n"
                      "4\t\xC3\xA9t\xC3\xA9\tC:\\dir\\\n");
    QTest::newRow("csv") << answer << "csv"
        << QByteArray("id,name,note\r\n"
                      "1,a\tb,\"x\ny\"\r\n"
                      "2,,\"comma, \"\"quoted\"\"\"\r\n"
                      "3,,\r\n"
                      ",,\r\n"
                      "4,\xC3\xA9t\xC3\xA9,C:\\dir\\\r\n");
    QTest::newRow("tsv, header only") << QByteArray("a\tb\n") << "tsv" << QByteArray("a\tb\n");
    // Rows that are whole lines go out as the answer holds them; the others
    // value by value: the output must not tell the two apart.
    QTest::newRow("tsv, whole rows, no final line feed") << QByteArray("a\tb\n1\tx\\ny\n3\t\\t")
        << "tsv" << QByteArray("a\tb\n1\tx\\ny\n3\t\\t\n");
    QTest::newRow("tsv, CR LF line ends") << QByteArray("a\tb\r\n1\t2\r\n3\r\n") << "tsv"
        << QByteArray("a\tb\n1\t2\n3\t\n");
    QTest::newRow("tsv, NUL ends the answer") << QByteArray("a\tb\n1\t2\n3\t4") + '\0' + "\n5\t6\n"
        << "tsv" << QByteArray("a\tb\n1\t2\n3\t4\n");
    QTest::newRow("tsv, header ending with a tab") << QByteArray("a\tb\t\n1\t2\n3\t\n") << "tsv"
        << QByteArray("a\tb\n1\t2\n3\t\n");
    QTest::newRow("tsv, a row with a piece too many") << QByteArray("a\tb\n1\t2\t3\n4\t5\n") << "tsv"
        << QByteArray("a\tb\n1\t2\n4\t5\n");
    QTest::newRow("tsv, an empty row") << QByteArray("a\n1\n\n2\n") << "tsv" << QByteArray("a\n1\n\n2\n");
    QTest::newRow("csv, names escaped in the header") << QByteArray("a\\tb\tc,d\n") << "csv"
        << QByteArray("a\tb,\"c,d\"\r\n");
    QTest::newRow("tsv, empty answer") << QByteArray() << "tsv" << QByteArray();
    // Names and values of megabytes: written whole, in order, around the
    // short ones.
    const QByteArray big = QByteArray(3 << 20, 'n') + "\\t";
    QTest::newRow("tsv, huge names") << "a\t" + big + "\t" + big + "\tz\n1\n" << "tsv"
        << "a\t" + big + "\t" + big + "\tz\n1\t\t\t\n";
    QTest::newRow("csv, huge name") << "a\t" + big + "\n1\t2\n" << "csv"
        << "a," + QByteArray(3 << 20, 'n') + "\t\r\n1,2\r\n";
    QTest::newRow("tsv, huge row then a full row") << "a\tb\n" + big + "\t2\n3\t4\n" << "tsv"
        << "a\tb\n" + big + "\t2\n3\t4\n";
  }

  void formats() {
    QFETCH(QByteArray, answer);
    QFETCH(QString, format);
    QFETCH(QByteArray, output);
    RecordingServer server;
    server.Enqueue(RecordingServer::Ok(answer));
    const SqlRun run = RunSql({"--web-server", server.Url(), "--format", format, "select"});
    QCOMPARE(run.err, QByteArray());
    QCOMPARE(run.status, 0);
    QCOMPARE(run.out, output);
  }

  void failures_data() {
    QTest::addColumn<RecordingServer::Reply>("reply");
    QTest::addColumn<QByteArray>("output");
    QTest::addColumn<QByteArray>("error");
    QTest::newRow("error answer") << RecordingServer::Ok("$ERR Table 'shop.x' doesn't exist\n")
        << QByteArray() << QByteArray("Table 'shop.x' doesn't exist\n");
    QTest::newRow("HTTP status") << RecordingServer::Status(500, "Internal Server Error") << QByteArray()
        << QStringLiteral("Le serveur web a échoué en exécutant ws.php (erreur interne) : consultez le journal "
                          "d'erreurs du serveur web et de PHP. Internal Server Error (500)")
               .toUtf8();
    // The usual refusals with the client's French sentence before the
    // server's text, whether they lead the answer or end it.
    QTest::newRow("known refusal") << RecordingServer::Ok("$ERR Unknown database 'shop'\n") << QByteArray()
        << QStringLiteral("La base de données « shop » n'existe pas sur ce serveur MySQL : corrigez son nom dans "
                          "la connexion ou dans la requête. Unknown database 'shop'\n")
               .toUtf8();
    QTest::newRow("cut answer, known refusal")
        << RecordingServer::Ok("a\tb\n1\t2\n$ERR The MySQL server sent nothing for 60 seconds, the read time-out "
                               "of ws.php (read_timeout in ws-config.php); the statement may still be running there\n")
        << QByteArray("a\tb\n1\t2\n")
        << QStringLiteral("Le serveur MySQL n'a pas répondu dans le délai de ws.php : la requête s'exécute "
                          "peut-être encore sur le serveur MySQL ; vérifiez-le avant de la relancer, allégez-la, "
                          "ou faites relever read_timeout dans ws-config.php. The MySQL server sent nothing for "
                          "60 seconds, the read time-out of ws.php (read_timeout in ws-config.php); the statement "
                          "may still be running there\n")
               .toUtf8();
    // ws.php's last line when the result broke off after rows were sent.
    QTest::newRow("cut answer") << RecordingServer::Ok("a\tb\n1\t2\n$ERR Lost connection\n")
        << QByteArray("a\tb\n1\t2\n") << QByteArray("Lost connection\n");
    QTest::newRow("cut answer, one field") << RecordingServer::Ok("a\n1\n2\n$ERR Lost connection")
        << QByteArray("a\n1\n2\n") << QByteArray("Lost connection\n");
    QTest::newRow("cut line with every tab") << RecordingServer::Ok("a\tb\tc\n1\t2\t3\n$ERR Lost\t\t\n")
        << QByteArray("a\tb\tc\n1\t2\t3\n") << QByteArray("Lost\n");
    QTest::newRow("cut answer after a huge row")
        << RecordingServer::Ok("a\tb\n" + QByteArray(3 << 20, 'v') + "\t2\n$ERR Lost\n")
        << "a\tb\n" + QByteArray(3 << 20, 'v') + "\t2\n" << QByteArray("Lost\n");
    // An error line without a message is a failure all the same, and says
    // so: not a silent success.
    QTest::newRow("error answer without a message") << RecordingServer::Ok("$ERR ") << QByteArray()
        << kWithoutMessage;
    QTest::newRow("error answer without a message, line feed") << RecordingServer::Ok("$ERR \n") << QByteArray()
        << kWithoutMessage;
    QTest::newRow("error answer of blanks") << RecordingServer::Ok("$ERR  \t \r\n") << QByteArray()
        << kWithoutMessage;
    QTest::newRow("cut answer without a message") << RecordingServer::Ok("a\tb\n1\t2\n$ERR \n")
        << QByteArray("a\tb\n1\t2\n") << kWithoutMessage;
    QTest::newRow("cut answer without a message, short rows") << RecordingServer::Ok("a\tb\n1\n$ERR ")
        << QByteArray("a\tb\n1\t\n") << kWithoutMessage;
  }

  void failures() {
    QFETCH(RecordingServer::Reply, reply);
    QFETCH(QByteArray, output);
    QFETCH(QByteArray, error);
    RecordingServer server;
    server.Enqueue(reply);
    const SqlRun run = RunSql({"--web-server", server.Url(), "select"});
    QCOMPARE(run.status, 1);
    QCOMPARE(run.out, output);
    QVERIFY2(run.err.startsWith(error), run.err.constData());
  }

  // --max-time bounds a whole request, however steadily its bytes come: a
  // server that trickles one byte every 100 ms is never idle long enough for
  // the client's idle bound, and would take 10 s here.
  void maxTime_data() {
    QTest::addColumn<RecordingServer::Reply>("reply");
    QTest::addColumn<QString>("seconds");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("output");
    QTest::addColumn<QByteArray>("error");
    const QByteArray body = "A\n" + QByteArray(96, 'x') + "\n";
    RecordingServer::Reply trickle = RecordingServer::Ok(body);
    trickle.byteDelayMs = 100;
    const QByteArray overTime = QStringLiteral(
        "La requête au serveur web « 127.0.0.1 » n'a pas abouti dans la durée maximale de %1 : elle est "
        "abandonnée ; vérifiez que le serveur web et le serveur MySQL répondent, allégez la requête ou "
        "accordez-lui plus de temps - URL:http://127.0.0.1:").toUtf8();
    QTest::newRow("trickling answer") << trickle << "1" << 1 << QByteArray()
        << QByteArray(overTime).replace("%1", "1 seconde");
    QTest::newRow("silent server") << RecordingServer::Reply{QByteArray(), RecordingServer::After::Stall}
        << "0.5" << 1 << QByteArray() << QByteArray(overTime).replace("%1", "0,5 seconde");
    RecordingServer::Reply quick = RecordingServer::Ok("A\n1\n");
    quick.byteDelayMs = 5;
    QTest::newRow("answer in time") << quick << "30" << 0 << QByteArray("A\n1\n") << QByteArray();
  }

  void maxTime() {
    QFETCH(RecordingServer::Reply, reply);
    QFETCH(QString, seconds);
    QFETCH(int, status);
    QFETCH(QByteArray, output);
    QFETCH(QByteArray, error);
    RecordingServer server;
    server.Enqueue(reply);
    CheckMaxTime(server, seconds, status, output, error);
  }

  // The bound is on the whole request: a redirect and the answer after it,
  // each well within it, are not within it together.
  void maxTimeOverRedirect() {
    RecordingServer server;
    RecordingServer::Reply redirect =
        RecordingServer::Status(307, "Temporary Redirect", "Location: /ws.php?again\r\n");
    redirect.byteDelayMs = 800 / int(redirect.bytes.size()) + 1;
    RecordingServer::Reply answer = RecordingServer::Ok("A\n1\n");
    answer.byteDelayMs = 800 / int(answer.bytes.size()) + 1;
    server.Enqueue(redirect);
    server.Enqueue(answer);
    CheckMaxTime(server, "1.2", 1, QByteArray(),
                 QStringLiteral("La requête au serveur web « 127.0.0.1 » n'a pas abouti dans la durée "
                                "maximale de 1,2 seconde").toUtf8());
    if (QTest::currentTestFailed()) return;
    QCOMPARE(server.Requests().size(), 2);
  }

 private:
  void CheckMaxTime(const RecordingServer &server, const QString &seconds, int status, const QByteArray &output,
                    const QByteArray &error) {
    QElapsedTimer clock;
    clock.start();
    const SqlRun run = RunSql({"--web-server", server.Url(), "--max-time", seconds, "select"});
    QCOMPARE(run.status, status);
    QCOMPARE(run.out, output);
    QVERIFY2(run.err.startsWith(error) && (error.isEmpty() || run.err.count('\n') == 1), run.err.constData());
    // Cut at the bound, long before the answer would have ended.
    QVERIFY2(clock.elapsed() < 8000, qPrintable(QString::number(clock.elapsed())));
  }

 private slots:

  // Several statements go in order through one client, on one kept-alive
  // connection; their outputs follow one another, an empty line between
  // two, also after one that printed nothing.
  void severalStatements_data() {
    QTest::addColumn<QString>("format");
    QTest::addColumn<QByteArray>("output");
    QTest::newRow("tsv") << "tsv" << QByteArray("A\tB\n1\t2\n\n\nC\n3\n");
    QTest::newRow("csv") << "csv" << QByteArray("A,B\r\n1,2\r\n\r\n\r\nC\r\n3\r\n");
  }

  void severalStatements() {
    QFETCH(QString, format);
    QFETCH(QByteArray, output);
    RecordingServer server;
    server.Enqueue(RecordingServer::Ok("A\tB\n1\t2\n"));
    server.Enqueue(RecordingServer::Ok(""));
    server.Enqueue(RecordingServer::Ok("C\n3\n"));
    const SqlRun run = RunSql({"--web-server", server.Url(), "--format", format, "select 1", "-", "select 3"},
                              "delete\nfrom t");
    QCOMPARE(run.err, QByteArray());
    QCOMPARE(run.status, 0);
    QCOMPARE(run.out, output);
    const QList<RecordingServer::Request> requests = server.Requests();
    QCOMPARE(requests.size(), 3);
    QCOMPARE(requests[0].body, QByteArray("WS_service=SQL&WS_query=select+1"));
    QCOMPARE(requests[1].body, QByteArray("WS_service=SQL&WS_query=delete+from+t"));
    QCOMPARE(requests[2].body, QByteArray("WS_service=SQL&WS_query=select+3"));
    QCOMPARE(server.Connections(), 1);
    QCOMPARE(requests[2].connection, requests[0].connection);
  }

  // The first failure ends the run: what came before stays printed, nothing
  // after it is sent.
  void severalStatementsStopAtFailure_data() {
    QTest::addColumn<RecordingServer::Reply>("second");
    QTest::addColumn<QByteArray>("output");
    QTest::addColumn<QByteArray>("error");
    QTest::newRow("error answer") << RecordingServer::Ok("$ERR Unknown table 'y'\n") << QByteArray("A\n1\n")
        << QByteArray("Unknown table 'y'\n");
    QTest::newRow("error without a message") << RecordingServer::Ok("$ERR \n") << QByteArray("A\n1\n")
        << kWithoutMessage;
    QTest::newRow("HTTP status") << RecordingServer::Status(502, "Bad Gateway") << QByteArray("A\n1\n")
        << QStringLiteral("Le serveur web n'a pas obtenu de réponse valable de PHP ou du serveur qu'il relaie : "
                          "vérifiez que PHP (PHP-FPM) est démarré, et consultez le journal d'erreurs du serveur "
                          "web. Bad Gateway (502)")
               .toUtf8();
    QTest::newRow("cut answer") << RecordingServer::Ok("B\n2\n$ERR Lost connection\n")
        << QByteArray("A\n1\n\nB\n2\n") << QByteArray("Lost connection\n");
  }

  void severalStatementsStopAtFailure() {
    QFETCH(RecordingServer::Reply, second);
    QFETCH(QByteArray, output);
    QFETCH(QByteArray, error);
    RecordingServer server;
    server.Enqueue(RecordingServer::Ok("A\n1\n"));
    server.Enqueue(second);
    server.Enqueue(RecordingServer::Ok("C\n3\n"));
    const SqlRun run = RunSql({"--web-server", server.Url(), "select 1", "select 2", "select 3"});
    QCOMPARE(run.status, 1);
    QCOMPARE(run.out, output);
    QVERIFY2(run.err.startsWith(error), run.err.constData());
    QCOMPARE(server.Requests().size(), 2);
  }

  // With --param or --print-sql every statement is prepared before any is
  // sent: a missing value in the last stops the run with nothing sent.
  void severalStatementsPrepared() {
    const SqlRun printed = RunSql({"--print-sql", "--param", "a=1", "select :a", "select 2\n-- c"});
    QCOMPARE(printed.err, QByteArray());
    QCOMPARE(printed.status, 0);
    QCOMPARE(printed.out, QByteArray("select 1\r\n\r\nselect 2\r\n"));

    RecordingServer server;
    const SqlRun missing = RunSql({"--web-server", server.Url(), "--param", "a=1", "select :a", "select :b"});
    QCOMPARE(missing.status, 2);
    QCOMPARE(missing.err, QByteArray("vantrel-sql: no value for the parameter \"b\": give --param b=VALUE\n"));
    QCOMPARE(missing.out, QByteArray());
    QCOMPARE(server.Requests().size(), 0);
  }

  // The client's own French text, whole, on one line.
  void unreachableServer() {
    const SqlRun run = RunSql({"--web-server", "http://127.0.0.1:1", "select 1"});
    QCOMPARE(run.status, 1);
    QCOMPARE(run.out, QByteArray());
    QVERIFY2(run.err.startsWith(QStringLiteral("Le serveur web « 127.0.0.1 » refuse la connexion ou ne peut "
                                               "être atteint : vérifiez son adresse et son port dans la "
                                               "connexion, que le serveur web est démarré et votre accès au "
                                               "réseau - URL:http://127.0.0.1:1/ws.php?")
                                    .toUtf8()) &&
                 run.err.endsWith('\n') && run.err.count('\n') == 1,
             run.err.constData());
  }

  // Ctrl+C, or a kill, while the answer is awaited: the shell's status for
  // the signal at once, and nothing printed, not even rows already received.
  void signalDuringRequest_data() {
    QTest::addColumn<RecordingServer::Reply>("reply");
    QTest::addColumn<int>("signal");
    QTest::addColumn<int>("status");
    const RecordingServer::Reply silent{QByteArray(), RecordingServer::After::Stall};
    const RecordingServer::Reply partial{"HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\nA\tB\n1\t2\n",
                                         RecordingServer::After::Stall};
    QTest::newRow("SIGINT before the answer") << silent << SIGINT << 130;
    QTest::newRow("SIGINT in the middle of the answer") << partial << SIGINT << 130;
    QTest::newRow("SIGTERM in the middle of the answer") << partial << SIGTERM << 143;
  }

  void signalDuringRequest() {
    QFETCH(RecordingServer::Reply, reply);
    QFETCH(int, signal);
    QFETCH(int, status);
    RecordingServer server;
    server.Enqueue(reply);
    QProcess process;
    process.start(SqlProgram(), {"--web-server", server.Url(), "select 1"});
    QVERIFY(process.waitForStarted(10000));
    QTRY_COMPARE_WITH_TIMEOUT(server.Requests().size(), 1, 10000);
    ::kill(pid_t(process.processId()), signal);
    QVERIFY2(process.waitForFinished(1000), "vantrel-sql went on waiting for the server");
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), status);
    QCOMPARE(process.readAllStandardOutput(), QByteArray());
    QCOMPARE(process.readAllStandardError(), QByteArray());
  }

  // A caller that ignores Ctrl+C (a script's background job) is followed:
  // vantrel-sql keeps waiting.
  void ignoredInterruptStaysIgnored() {
    RecordingServer server;
    server.Enqueue({QByteArray(), RecordingServer::After::Stall});
    QProcess process;
    // Dispositions that are ignored survive exec: the child starts with
    // SIGINT ignored.
    const auto previous = std::signal(SIGINT, SIG_IGN);
    process.start(SqlProgram(), {"--web-server", server.Url(), "select 1"});
    const bool started = process.waitForStarted(10000);
    std::signal(SIGINT, previous);
    QVERIFY(started);
    QTRY_COMPARE_WITH_TIMEOUT(server.Requests().size(), 1, 10000);
    ::kill(pid_t(process.processId()), SIGINT);
    QVERIFY(!process.waitForFinished(300));
    ::kill(pid_t(process.processId()), SIGTERM);
    QVERIFY(process.waitForFinished(1000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 143);
    QCOMPARE(process.readAllStandardOutput(), QByteArray());
  }

  // --connection takes every setting from the store; an option given beside
  // it wins over the stored one.
  void connectionFromStore() {
    QTemporaryDir dir;
    RecordingServer server;
    const QString store = dir.filePath(QStringLiteral("connections.adb"));
    MakeStore(store, {{QStringLiteral("Boutique é"), server.Url()},
                      {QStringLiteral("Other"), QStringLiteral("http://127.0.0.1:1")}});
    server.Enqueue(RecordingServer::Ok("A\n"));
    SqlRun run = RunSql({"--connection", "Boutique é", "--store", store, "select 1"});
    QCOMPARE(run.status, 0);
    QCOMPARE(Body(server), QByteArray("WS_server=db.lan%3A3307&WS_service=SQL&WS_database=shop&WS_account=reader"
                                      "&WS_pwd=YWJj&WS_query=select+1"));
    server.Enqueue(RecordingServer::Ok("A\n"));
    run = RunSql({"--connection", "Boutique é", "--store", store, "--database", "other", "--password=",
                  "select 1"});
    QCOMPARE(run.status, 0);
    QCOMPARE(Body(server), QByteArray("WS_server=db.lan%3A3307&WS_service=SQL&WS_database=other&WS_account=reader"
                                      "&WS_query=select+1"));
  }

  // Without --store, the store is the one beside vantrel in vantrel-sql's
  // own folder.
  void storeBesideTheProgram() {
    QTemporaryDir dir;
    const QString copy = dir.filePath(QStringLiteral("vantrel-sql"));
    QVERIFY(QFile::copy(SqlProgram(), copy));
    RecordingServer server;
    MakeStore(dir.filePath(QStringLiteral("vantrel.adb")), {{QStringLiteral("Local"), server.Url()}});
    server.Enqueue(RecordingServer::Ok("A\n7\n"));
    const SqlRun run = RunSql({"--connection", "Local", "select 7"}, {}, copy);
    QCOMPARE(run.err, QByteArray());
    QCOMPARE(run.status, 0);
    QCOMPARE(run.out, QByteArray("A\n7\n"));
  }

  void storeFailures_data() {
    QTest::addColumn<QString>("title");
    QTest::addColumn<bool>("storeExists");
    QTest::addColumn<QByteArray>("error");
    QTest::newRow("missing store") << "Shop" << false << QByteArray("no local store");
    QTest::newRow("unknown title") << "Nowhere" << true << QByteArray("no connection \"Nowhere\"");
    QTest::newRow("title differs in case") << "shop" << true << QByteArray("no connection \"shop\"");
    QTest::newRow("two of that title") << "Twice" << true << QByteArray("2 connections are named \"Twice\"");
  }

  void storeFailures() {
    QFETCH(QString, title);
    QFETCH(bool, storeExists);
    QFETCH(QByteArray, error);
    QTemporaryDir dir;
    RecordingServer server;
    const QString store = dir.filePath(QStringLiteral("connections.adb"));
    if (storeExists)
      MakeStore(store, {{QStringLiteral("Shop"), server.Url()},
                        {QStringLiteral("Twice"), server.Url()},
                        {QStringLiteral("Twice"), server.Url()}});
    const SqlRun run = RunSql({"--connection", title, "--store", store, "select 1"});
    QCOMPARE(run.status, 1);
    QVERIFY2(run.err.contains(error), run.err.constData());
    QCOMPARE(server.Requests().size(), 0);
    // A missing store is not made.
    QCOMPARE(QFile::exists(store), storeExists);
  }
};

QTEST_GUILESS_MAIN(TestCliVantrelSql)
#include "TestCliVantrelSql.moc"

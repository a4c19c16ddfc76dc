// The store's typed rows: what is written is read back, each value lands in
// its own column of the file, and a key that no longer exists reads as no
// row without harm to the others.
#include "TLocalStore.h"
#include "UStoreRecords.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QtTest>

Q_DECLARE_METATYPE(TConnectionSettings)

// How a failed comparison shows a record.
char *toString(const TConnectionSettings &c) {
  return QTest::toString(QStringLiteral("%1: [%2]").arg(c.Key).arg(QStringList{c.Title, c.WebServer, c.SQLServer,
                                                                              c.Account, c.Password, c.Database}
                                                                      .join(QLatin1String("] ["))));
}

namespace {

// The row of T_DATABASE with that key as the file holds it, read beside
// the store's own connection: a value read back through the same mix-up
// that wrote it would pass a round trip alone.
QStringList FileRow(const QString &path, qint64 key) {
  QStringList values;
  {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("raw"));
    db.setDatabaseName(path);
    if (!db.open()) qFatal("cannot open raw file");
    QSqlQuery query(db);
    query.prepare(QStringLiteral("SELECT TITRE, SERVEUR_WEB, SERVEUR_MYSQL, COMPTE_MYSQL, MDP_MYSQL, "
                                 "BASE_DE_DONNEES FROM T_DATABASE WHERE PK_DATABASE = ?"));
    query.addBindValue(key);
    if (!query.exec()) qFatal("raw SQL failed");
    if (query.next())
      for (int i = 0; i < query.record().count(); ++i) values << query.value(i).toString();
  }
  QSqlDatabase::removeDatabase(QStringLiteral("raw"));
  return values;
}

QStringList Columns(const TConnectionSettings &c) {
  return {c.Title, c.WebServer, c.SQLServer, c.Account, c.Password, c.Database};
}

// The key of the connection of that title; fails the test unless there is
// exactly one.
qint64 KeyOf(TLocalStore &store, const QString &title) {
  qint64 key = TConnectionSettings::kNoKey;
  int found = 0;
  for (const TConnectionTitle &line : ReadConnections(store))
    if (line.Title == title) {
      key = line.Key;
      ++found;
    }
  return found == 1 ? key : TConnectionSettings::kNoKey;
}

}  // namespace

class TestStoreRecords : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir FDir;
  QString FPath;
  TLocalStore FStore;

 private slots:
  void init() {
    QVERIFY(FDir.isValid());
    static int counter = 0;
    FPath = FDir.filePath(QStringLiteral("s%1.adb").arg(++counter));
    FStore.Open(FPath);
  }
  void cleanup() { FStore.Close(); }

  void connectionRoundTrip_data() {
    QTest::addColumn<TConnectionSettings>("written");
    QTest::addColumn<TConnectionSettings>("rewritten");
    QTest::newRow("plain") << TConnectionSettings{"Prod", "https://web/ws", "db:3307", "admin", "secret", "shop"}
                           << TConnectionSettings{"Recette", "http://w2", "localhost", "lecteur", "autre", "tests"};
    QTest::newRow("as typed: blanks, accents, quotes")
        << TConnectionSettings{"  Base été  ", " http://h ", "\tsql\t", "l'ami", "mot \"de\" passe ", "  "}
        << TConnectionSettings{"Été", "http://h", "sql", "ami", "p", "b"};
    QTest::newRow("no database, then one") << TConnectionSettings{"A", "http://a", "m", "u", "p", ""}
                                           << TConnectionSettings{"A", "http://a", "m", "u", "p", "ventes"};
  }
  void connectionRoundTrip() {
    QFETCH(TConnectionSettings, written);
    QFETCH(TConnectionSettings, rewritten);
    // A neighbour that no write may touch.
    const TConnectionSettings other{"Z autre", "http://z", "zm", "zu", "zp", "zb"};
    InsertConnection(FStore, other);
    InsertConnection(FStore, written);
    written.Key = KeyOf(FStore, written.Title);
    QVERIFY(written.Key != TConnectionSettings::kNoKey);
    QVERIFY(ReadConnection(FStore, written.Key));
    QCOMPARE(*ReadConnection(FStore, written.Key), written);
    QCOMPARE(FileRow(FPath, written.Key), Columns(written));

    rewritten.Key = written.Key;
    UpdateConnection(FStore, rewritten);
    QVERIFY(ReadConnection(FStore, written.Key));
    QCOMPARE(*ReadConnection(FStore, written.Key), rewritten);
    QCOMPARE(FileRow(FPath, written.Key), Columns(rewritten));
    const qint64 otherKey = KeyOf(FStore, other.Title);
    QCOMPARE(FileRow(FPath, otherKey), Columns(other));
    QCOMPARE(ReadConnections(FStore).size(), std::size_t(2));
  }

  // The list follows the store's order of titles and gives every row its
  // own key, titles alike or not.
  void connectionsList() {
    for (const char *title : {"b", "A", "A"}) InsertConnection(FStore, {title, "http://h", "m", "u", "p", ""});
    const std::vector<TConnectionTitle> list = ReadConnections(FStore);
    QStringList titles;
    for (const TConnectionTitle &line : list) titles << line.Title;
    QCOMPARE(titles, (QStringList{"A", "A", "b"}));
    QVERIFY(list[0].Key != list[1].Key);
    for (const TConnectionTitle &line : list) QCOMPARE(ReadConnection(FStore, line.Key)->Title, line.Title);
  }

  void queriesRoundTrip() {
    InsertConnection(FStore, {"A", "http://a", "m", "u", "p", ""});
    InsertConnection(FStore, {"B", "http://b", "m", "u", "p", ""});
    const qint64 a = KeyOf(FStore, QStringLiteral("A"));
    const qint64 b = KeyOf(FStore, QStringLiteral("B"));
    const QDateTime created(QDate(2026, 12, 10), QTime(9, 30, 15));
    InsertQuery(FStore, a, QStringLiteral("zeta"), created);
    InsertQuery(FStore, a, QStringLiteral("alpha"), created.addSecs(1));
    std::vector<TSavedQuery> queries = ReadQueries(FStore, a);
    QCOMPARE(queries.size(), std::size_t(2));
    QCOMPARE(queries[0].Title, QStringLiteral("alpha"));
    QCOMPARE(queries[0].Created, created.addSecs(1));
    QVERIFY(queries[0].Modified.isNull());  // never renamed nor edited
    QVERIFY(ReadQueries(FStore, b).empty());
    const qint64 query = queries[0].Key;
    // Never edited: a row with an empty text, not a missing one.
    QCOMPARE(ReadQueryText(FStore, query).value_or(QStringLiteral("no row")), QString());

    const QString text = QStringLiteral("SELECT 'é'\r\nFROM t -- ") + QString(100000, QLatin1Char('x'));
    const QDateTime modified = created.addSecs(60);
    UpdateQueryText(FStore, query, text, modified);
    UpdateQueryTitle(FStore, query, QStringLiteral("omega"), modified.addSecs(1));
    QCOMPARE(ReadQueryText(FStore, query).value_or(QStringLiteral("no row")), text);
    queries = ReadQueries(FStore, a);
    QCOMPARE(queries[0].Key, query);
    QCOMPARE(queries[0].Title, QStringLiteral("omega"));
    QCOMPARE(queries[0].Created, created.addSecs(1));
    QCOMPARE(queries[0].Modified, modified.addSecs(1));
    QCOMPARE(queries[1].Title, QStringLiteral("zeta"));
    QVERIFY(queries[1].Modified.isNull());
    QCOMPARE(ReadQueryText(FStore, queries[1].Key).value_or(QStringLiteral("no row")), QString());
  }

  void parameterValues() {
    InsertConnection(FStore, {"A", "http://a", "m", "u", "p", ""});
    InsertConnection(FStore, {"B", "http://b", "m", "u", "p", ""});
    const qint64 a = KeyOf(FStore, QStringLiteral("A"));
    const qint64 b = KeyOf(FStore, QStringLiteral("B"));
    QVERIFY(!ReadParameterValue(FStore, a, QStringLiteral("id")));
    RememberParameterValue(FStore, a, QStringLiteral("id"), QStringLiteral("1"));
    RememberParameterValue(FStore, a, QStringLiteral("id"), QStringLiteral("'deux'"));
    RememberParameterValue(FStore, a, QStringLiteral("ville"), QString());
    QCOMPARE(ReadParameterValue(FStore, a, QStringLiteral("id")).value_or(QStringLiteral("no row")),
             QStringLiteral("'deux'"));
    // Remembered empty is remembered: not the same as never given.
    QCOMPARE(ReadParameterValue(FStore, a, QStringLiteral("ville")).value_or(QStringLiteral("no row")), QString());
    QVERIFY(!ReadParameterValue(FStore, b, QStringLiteral("id")));
  }

  // Rows deleted behind the program's back (a second copy of it): reading
  // gives no row, writing changes nothing, and no other row is affected.
  void vanishedRows() {
    InsertConnection(FStore, {"A", "http://a", "m", "u", "p", ""});
    InsertConnection(FStore, {"B", "http://b", "m", "u", "p", ""});
    const qint64 a = KeyOf(FStore, QStringLiteral("A"));
    const qint64 b = KeyOf(FStore, QStringLiteral("B"));
    InsertQuery(FStore, a, QStringLiteral("q"), QDateTime::currentDateTime());
    const qint64 query = ReadQueries(FStore, a).at(0).Key;

    DeleteConnection(FStore, b);
    DeleteQuery(FStore, query);
    QVERIFY(!ReadConnection(FStore, b));
    QVERIFY(!ReadConnection(FStore, 4242));
    QVERIFY(!ReadQueryText(FStore, query));

    UpdateConnection(FStore, {"B again", "http://b2", "m", "u", "p", "", b});
    UpdateQueryText(FStore, query, QStringLiteral("SELECT 1"), QDateTime::currentDateTime());
    UpdateQueryTitle(FStore, query, QStringLiteral("q2"), QDateTime::currentDateTime());
    DeleteQuery(FStore, query);
    DeleteConnection(FStore, b);
    QVERIFY(!ReadConnection(FStore, b));  // not brought back
    QCOMPARE(ReadConnections(FStore).size(), std::size_t(1));
    QVERIFY(ReadQueries(FStore, a).empty());
    QCOMPARE(ReadConnection(FStore, a)->WebServer, QStringLiteral("http://a"));
  }
};

QTEST_GUILESS_MAIN(TestStoreRecords)
#include "TestStoreRecords.moc"

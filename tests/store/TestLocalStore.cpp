#include "TLocalStore.h"
#include "TStoreError.h"
#include "UTitleOrder.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

#include <stdexcept>

namespace {

using S = TStoreStatement;

// Runs raw SQL on a store file through a separate connection, the way an
// older copy of the program or a test fixture would.
class RawFile {
 public:
  explicit RawFile(const QString &path) : FName(QStringLiteral("raw-%1").arg(++Counter)) {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), FName);
    db.setDatabaseName(path);
    if (!db.open()) qFatal("cannot open raw file");
  }
  ~RawFile() {
    QSqlDatabase::database(FName, false).close();
    QSqlDatabase::removeDatabase(FName);
  }
  QVariantList Column(const QString &sql) {
    QSqlQuery query(QSqlDatabase::database(FName, false));
    if (!query.exec(sql)) qFatal("raw SQL failed: %s", qPrintable(sql));
    QVariantList values;
    while (query.next()) values << query.value(0);
    return values;
  }
  void Exec(const QString &sql) { Column(sql); }

 private:
  static inline int Counter = 0;
  QString FName;
};

qint64 AddConnection(TLocalStore &store, const QString &title) {
  store.Execute(S::qryInsertDataBase, {{"TITRE", title},
                                       {"SERVEUR_WEB", QStringLiteral("http://h")},
                                       {"SERVEUR_MYSQL", QStringLiteral("db")},
                                       {"COMPTE_MYSQL", QStringLiteral("u")},
                                       {"MDP_MYSQL", QStringLiteral("p")},
                                       {"BASE_DE_DONNEES", QStringLiteral("b")}});
  TStoreRows rows = store.Select(S::qrySelectDatabases);
  qint64 key = 0;
  for (; !rows.Eof(); rows.Next()) key = std::max(key, rows.AsInteger("PK_DATABASE"));
  return key;
}

}  // namespace

class TestLocalStore : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir FDir;
  QString Path(const QString &name = QStringLiteral("vantrel.adb")) const { return FDir.filePath(name); }

 private slots:
  // Each write commits to the log at once; the log is folded into the file
  // once the writes pause, not in the middle of one (a fold waits for the
  // disk), and after many writes without a pause, so that it stays small.
  void logFoldedInWhenWritesPause() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("wal.adb"));
    TLocalStore store;
    store.Open(path);
    const qint64 connection = AddConnection(store, QStringLiteral("A"));
    store.Execute(S::qryInsertQuery, {{"FK_DATABASE", connection}, {"TITRE", QStringLiteral("q")},
                                      {"DATE_CREATION", QDateTime::currentDateTime()}});
    store.Checkpoint();
    // What the file itself holds, without the log.
    const auto fileText = [&path] {
      const QString name = QStringLiteral("immutable-%1").arg(QRandomGenerator::global()->generate());
      QString text;
      {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_OPEN_READONLY"));
        db.setDatabaseName(QStringLiteral("file:") + path + QStringLiteral("?immutable=1"));
        if (!db.open()) qFatal("cannot open the file alone");
        QSqlQuery query(db);
        if (query.exec(QStringLiteral("SELECT REQUETE FROM T_REQUETE")) && query.next()) text = query.value(0).toString();
      }
      QSqlDatabase::removeDatabase(name);
      return text;
    };
    const auto save = [&](const QString &text) {
      store.Execute(S::qryUpdateQuerySQL,
                    {{"REQUETE", text}, {"DATE_MODIFICATION", QDateTime::currentDateTime()}, {"PK_REQUETE", qint64(1)}});
    };
    save(QStringLiteral("SELECT 1"));
    QCOMPARE(store.Select(S::qrySelectQuerySQL, {{"PK_REQUETE", qint64(1)}}).AsString("REQUETE"), QStringLiteral("SELECT 1"));
    QCOMPARE(fileText(), QString());  // committed in the log only
    QTRY_COMPARE_WITH_TIMEOUT(fileText(), QStringLiteral("SELECT 1"), 5000);

    // No pause at all: the log is still folded in every so many writes.
    const QString big(100 * 1024, QLatin1Char('x'));
    for (int i = 0; i < 2 * TLocalStore::kMostWritesBeforeCheckpoint + 50; ++i) save(big + QString::number(i));
    QVERIFY2(QFileInfo(path + QStringLiteral("-wal")).size() < 30 * 1024 * 1024,
             qPrintable(QString::number(QFileInfo(path + QStringLiteral("-wal")).size())));
  }

  // Titles as a French reader lists them, from the program's own
  // connection; the file stays readable with SQLite's standard collation.
  void titlesInFrenchOrder() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("order.adb"));
    TLocalStore store;
    store.Open(path);
    const QStringList titles{"Zoo", "École", "banque", "Été", "Ecole", "abricot", "Œuvre", "ete", "Banque", "Oeuvre"};
    qint64 connection = 0;
    for (const QString &title : titles) connection = AddConnection(store, title);
    QStringList listed;
    for (TStoreRows rows = store.Select(S::qrySelectDatabases); !rows.Eof(); rows.Next()) listed << rows.AsString("TITRE");
    const QStringList expected{"abricot", "Banque", "banque", "Ecole", "École", "ete", "Été", "Oeuvre", "Œuvre", "Zoo"};
    QCOMPARE(listed, expected);

    for (const QString &title : titles)
      store.Execute(S::qryInsertQuery, {{"FK_DATABASE", connection}, {"TITRE", title},
                                        {"DATE_CREATION", QDateTime::currentDateTime()}});
    listed.clear();
    for (TStoreRows rows = store.Select(S::qrySelectQueries, {{"FK_DATABASE", connection}}); !rows.Eof(); rows.Next())
      listed << rows.AsString("TITRE");
    QCOMPARE(listed, expected);
    store.Close();

    // Any SQLite tool still reads and sorts the file with its own NOCASE.
    RawFile raw(path);
    QCOMPARE(raw.Column(QStringLiteral("SELECT count(*) FROM T_DATABASE ORDER BY TITRE")).value(0).toInt(), 10);
    QCOMPARE(raw.Column(QStringLiteral("SELECT TITRE FROM T_DATABASE ORDER BY TITRE")).size(), 10);
  }

  void compareTitles_data() {
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<int>("order");
    QTest::newRow("accent after its letter, before the next") << "École" << "Zoo" << -1;
    QTest::newRow("accented letter after the plain word") << "Banque" << "École" << -1;
    QTest::newRow("case ignored for the letters") << "abricot" << "Banque" << -1;
    QTest::newRow("plain before accented") << "ecole" << "école" << -1;
    QTest::newRow("upper case before lower case when all else ties") << "Banque" << "banque" << -1;
    QTest::newRow("ligature as two letters") << "Œuvre" << "Ofni" << -1;
    QTest::newRow("equal only when equal") << "Même" << "Même" << 0;
    QTest::newRow("digits first") << "2026" << "abc" << -1;
  }
  void compareTitles() {
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(int, order);
    QCOMPARE(CompareTitles(a, b), order);
    QCOMPARE(CompareTitles(b, a), -order);
  }

  void init() { QVERIFY(FDir.isValid()); }
  void cleanup() {
    for (const QString &name : QDir(FDir.path()).entryList(QDir::Files)) QFile::remove(FDir.filePath(name));
  }

  void pathIsBesideTheExecutable_data() {
    QTest::addColumn<QString>("exe");
    QTest::addColumn<QString>("store");
    QTest::newRow("plain") << "/opt/v/vantrel" << "/opt/v/vantrel.adb";
    QTest::newRow("extension replaced") << "/opt/v/vantrel.exe" << "/opt/v/vantrel.adb";
    QTest::newRow("dotted folder") << "/opt/v.1/vantrel" << "/opt/v.1/vantrel.adb";
  }
  void pathIsBesideTheExecutable() {
    QFETCH(QString, exe);
    QFETCH(QString, store);
    QCOMPARE(TLocalStore::PathForExecutable(exe), store);
  }

  void createdFromTemplateWhenAbsent() {
    TLocalStore store;
    store.Open(Path());
    store.Upgrade();
    QVERIFY(store.IsOpen());
    QCOMPARE(store.Select(S::qrySelectDatabases).Count(), 0);
    store.Close();

    RawFile raw(Path());
    QCOMPARE(raw.Column("SELECT name FROM sqlite_master WHERE type='table' AND name LIKE 'T\\_%' ESCAPE '\\' ORDER BY name"),
             (QVariantList{"T_DATABASE", "T_PARAMETRE", "T_REQUETE"}));
    QCOMPARE(raw.Column("SELECT type FROM pragma_table_info('T_DATABASE') WHERE name='SERVEUR_MYSQL'"),
             (QVariantList{"TEXT(80)"}));
  }

  void fileAndJournalReadableByOwnerOnly() {
    TLocalStore store;
    store.Open(Path());
    AddConnection(store, QStringLiteral("A"));  // a write leaves a write-ahead log beside the file
    const auto ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    const auto mask = QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ReadOther |
                      QFileDevice::WriteOther | QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    QCOMPARE(QFileInfo(Path()).permissions() & mask, ownerOnly);
    QVERIFY(QFileInfo::exists(Path() + "-wal"));
    QCOMPARE(QFileInfo(Path() + "-wal").permissions() & mask, ownerOnly);
  }

  void existingFileIsUsedUnchanged() {
    {
      TLocalStore store;
      store.Open(Path());
      AddConnection(store, QStringLiteral("Gardée"));
    }
    TLocalStore store;
    store.Open(Path());
    store.Upgrade();
    TStoreRows rows = store.Select(S::qrySelectDatabases);
    QCOMPARE(rows.Count(), 1);
    QCOMPARE(rows.AsString("TITRE"), QStringLiteral("Gardée"));
  }

  void olderFileGainsTheMySqlServerColumn() {
    {
      RawFile raw(Path());
      raw.Exec("CREATE TABLE T_DATABASE (PK_DATABASE INTEGER PRIMARY KEY AUTOINCREMENT, TITRE TEXT, "
               "SERVEUR_WEB TEXT, COMPTE_MYSQL TEXT, MDP_MYSQL TEXT, BASE_DE_DONNEES TEXT)");
      raw.Exec("CREATE TABLE T_REQUETE (PK_REQUETE INTEGER PRIMARY KEY AUTOINCREMENT, FK_DATABASE INTEGER "
               "REFERENCES T_DATABASE (PK_DATABASE), TITRE TEXT, REQUETE TEXT, DATE_CREATION DATETIME, "
               "DATE_MODIFICATION DATETIME)");
      raw.Exec("CREATE TABLE T_PARAMETRE (FK_DATABASE INTEGER, NOM TEXT, VALEUR TEXT)");
      raw.Exec("INSERT INTO T_DATABASE (TITRE, SERVEUR_WEB) VALUES ('old1', 'http://a'), ('old2', 'http://b')");
    }
    for (int start = 0; start < 2; ++start) {  // the second start's first upgrade fails silently
      TLocalStore store;
      store.Open(Path());
      store.Upgrade();
      TStoreRows rows = store.Select(S::qrySelectDatabases);
      QCOMPARE(rows.Count(), 2);
      for (; !rows.Eof(); rows.Next()) {
        TStoreRows settings = store.Select(S::qrySelectDatabase, {{"PK_DATABASE", rows.AsInteger("PK_DATABASE")}});
        QCOMPARE(settings.AsString("SERVEUR_MYSQL"), QStringLiteral("localhost"));
      }
    }
    RawFile raw(Path());
    QCOMPARE(raw.Column("SELECT type FROM pragma_table_info('T_DATABASE') WHERE name='SERVEUR_MYSQL'"),
             (QVariantList{"TEXT(80)"}));
  }

  void upgradeFillsOnlyMissingServers() {
    {
      TLocalStore store;
      store.Open(Path());
      AddConnection(store, QStringLiteral("kept"));
    }
    {
      RawFile raw(Path());
      raw.Exec("INSERT INTO T_DATABASE (TITRE) VALUES ('bare')");
    }
    TLocalStore store;
    store.Open(Path());
    store.Upgrade();
    store.Close();
    RawFile raw(Path());
    QCOMPARE(raw.Column("SELECT SERVEUR_MYSQL FROM T_DATABASE ORDER BY TITRE"),
             (QVariantList{"localhost", "db"}));
  }

  void deletingAConnectionWithQueriesIsRefused() {
    TLocalStore store;
    store.Open(Path());
    const qint64 key = AddConnection(store, QStringLiteral("A"));
    store.Execute(S::qryInsertQuery, {{"FK_DATABASE", key},
                                      {"TITRE", QStringLiteral("q")},
                                      {"DATE_CREATION", QDateTime::currentDateTime()}});
    store.Execute(S::qryInsertParameter, {{"FK_DATABASE", key}, {"NOM", QStringLiteral("id")}, {"VALEUR", QStringLiteral("3")}});
    try {
      store.Execute(S::qryDeleteDataBase, {{"PK_DATABASE", key}});
      QFAIL("the delete went through");
    } catch (const TStoreError &error) {
      QVERIFY2(error.Message().contains(QStringLiteral("connexe")), qPrintable(error.Message()));
    }
    QCOMPARE(store.Select(S::qrySelectDatabases).Count(), 1);

    // Once its queries are gone the connection goes, with its remembered values.
    TStoreRows queries = store.Select(S::qrySelectQueries, {{"FK_DATABASE", key}});
    store.Execute(S::qryDeleteQuery, {{"PK_REQUETE", queries.AsInteger("PK_REQUETE")}});
    store.Execute(S::qryDeleteDataBase, {{"PK_DATABASE", key}});
    QCOMPARE(store.Select(S::qrySelectDatabases).Count(), 0);
    QCOMPARE(store.Select(S::qrySelectParameter, {{"FK_DATABASE", key}, {"NOM", QStringLiteral("id")}}).Count(), 0);
  }

  void queryOfAMissingConnectionIsRefused() {
    TLocalStore store;
    store.Open(Path());
    QVERIFY_THROWS_EXCEPTION(TStoreError, store.Execute(S::qryInsertQuery, {{"FK_DATABASE", qint64(4242)},
                                                                           {"TITRE", QStringLiteral("orphan")},
                                                                           {"DATE_CREATION", QDateTime::currentDateTime()}}));
  }

  void statementTexts_data() {
    QTest::addColumn<int>("statement");
    QTest::addColumn<QString>("text");
    const auto row = [](S id, const char *text) {
      QTest::newRow(StatementDef(id).Name) << int(id) << QString::fromLatin1(text);
    };
    row(S::qrySelectDatabases, "SELECT\n  PK_DATABASE,\n  TITRE\nFROM\n  T_DATABASE\nORDER BY TITRE\n");
    row(S::qrySelectDatabase,
        "SELECT\n  SERVEUR_WEB,\n  SERVEUR_MYSQL,\n  COMPTE_MYSQL, \n  MDP_MYSQL,\n  BASE_DE_DONNEES\nFROM\n"
        "  T_DATABASE\nWHERE\n  PK_DATABASE=:PK_DATABASE\n");
    row(S::qryInsertDataBase,
        "INSERT INTO\n  T_DATABASE\n(\n  TITRE,\n  SERVEUR_WEB,\n  SERVEUR_MYSQL,\n  COMPTE_MYSQL, \n  MDP_MYSQL,\n"
        "  BASE_DE_DONNEES\n)\nVALUES\n(\n  :TITRE,\n  :SERVEUR_WEB,\n  :SERVEUR_MYSQL,\n  :COMPTE_MYSQL,\n"
        "  :MDP_MYSQL,\n  :BASE_DE_DONNEES\n)\n\n");
    row(S::qryDeleteDataBase, "DELETE FROM\n  T_DATABASE\nWHERE\n  PK_DATABASE=:PK_DATABASE\n");
    row(S::qrySelectQueries,
        "SELECT\n  PK_REQUETE,\n  TITRE,\n  DATE_CREATION,\n  DATE_MODIFICATION\nFROM\n  T_REQUETE\nWHERE\n"
        "   FK_DATABASE=:FK_DATABASE\nORDER BY TITRE\n\n");
    row(S::qrySelectQuerySQL, "SELECT\n  REQUETE\nFROM\n  T_REQUETE\nWHERE\n   PK_REQUETE=:PK_REQUETE\n\n");
    row(S::qryInsertQuery,
        "INSERT INTO\n  T_REQUETE\n(\n  FK_DATABASE,\n  TITRE,\n  DATE_CREATION\n)\nVALUES\n(\n  :FK_DATABASE,\n"
        "  :TITRE,\n  :DATE_CREATION\n)\n");
    row(S::qryDeleteQuery, "DELETE FROM\n  T_REQUETE\nWHERE\n   PK_REQUETE=:PK_REQUETE\n");
    row(S::qryUpdateQueryTitle,
        "UPDATE\n  T_REQUETE\nSET\n  TITRE=:TITRE,\n  DATE_MODIFICATION=:DATE_MODIFICATION\nWHERE\n"
        "   PK_REQUETE=:PK_REQUETE\n");
    row(S::qryUpdateQuerySQL,
        "UPDATE\n  T_REQUETE\nSET\n  REQUETE=:REQUETE,\n  DATE_MODIFICATION=:DATE_MODIFICATION\nWHERE\n"
        "   PK_REQUETE=:PK_REQUETE\n");
    row(S::qryUpdateDataBase,
        "UPDATE\n  T_DATABASE\nSET\n  TITRE=:TITRE,\n  SERVEUR_WEB=:SERVEUR_WEB,\n  SERVEUR_MYSQL=:SERVEUR_MYSQL,\n"
        "  COMPTE_MYSQL=:COMPTE_MYSQL,\n  MDP_MYSQL=:MDP_MYSQL,\n  BASE_DE_DONNEES=:BASE_DE_DONNEES\nWHERE\n"
        "  PK_DATABASE=:PK_DATABASE\n\n\n");
    row(S::qryUpgradeDataBase1, "ALTER TABLE T_DATABASE ADD COLUMN  SERVEUR_MYSQL TEXT(80)\n");
    row(S::qryUpgradeDataBase2,
        "UPDATE \n  T_DATABASE \n  SET  SERVEUR_MYSQL='localhost'\nWHERE\n  SERVEUR_MYSQL is NULL\n");
    row(S::qrySelectParameter,
        "SELECT\n  VALEUR\nFROM\n  T_PARAMETRE\nWHERE\n  FK_DATABASE=:FK_DATABASE\nAND\n  NOM=:NOM\n");
    row(S::qryDeleteParameter,
        "DELETE\nFROM\n  T_PARAMETRE\nWHERE\n  FK_DATABASE=:FK_DATABASE\nAND\n  NOM=:NOM\n");
    row(S::qryInsertParameter,
        "INSERT INTO\n  T_PARAMETRE\n(\n FK_DATABASE,\n NOM,\n VALEUR\n)\nVALUES\n(\n :FK_DATABASE,\n :NOM,\n"
        " :VALEUR\n)\n");
  }
  void statementTexts() {
    QFETCH(int, statement);
    QFETCH(QString, text);
    QCOMPARE(StatementText(S(statement)), text);
  }

  // Every statement of the program, run end to end on one store: a
  // connection, a query written, renamed and read, a remembered value.
  void statementsRoundTrip() {
    TLocalStore store;
    store.Open(Path());
    store.Upgrade();
    const qint64 b = AddConnection(store, QStringLiteral("b"));
    const qint64 a = AddConnection(store, QStringLiteral("A"));
    AddConnection(store, QStringLiteral("A"));  // titles need not be unique

    TStoreRows connections = store.Select(S::qrySelectDatabases);
    QStringList titles;
    for (; !connections.Eof(); connections.Next()) titles << connections.AsString("TITRE");
    QCOMPARE(titles, (QStringList{"A", "A", "b"}));  // ascending, letter case aside

    store.Execute(S::qryUpdateDataBase, {{"TITRE", QStringLiteral("Été")},
                                         {"SERVEUR_WEB", QStringLiteral("https://w/x")},
                                         {"SERVEUR_MYSQL", QStringLiteral("m:3307")},
                                         {"COMPTE_MYSQL", QStringLiteral("root")},
                                         {"MDP_MYSQL", QStringLiteral("pa ss")},
                                         {"BASE_DE_DONNEES", QStringLiteral("shop")},
                                         {"PK_DATABASE", b}});
    TStoreRows settings = store.Select(S::qrySelectDatabase, {{"PK_DATABASE", b}});
    QCOMPARE(settings.Count(), 1);
    QCOMPARE(settings.AsString("SERVEUR_WEB"), QStringLiteral("https://w/x"));
    QCOMPARE(settings.AsString("SERVEUR_MYSQL"), QStringLiteral("m:3307"));
    QCOMPARE(settings.AsString("COMPTE_MYSQL"), QStringLiteral("root"));
    QCOMPARE(settings.AsString("MDP_MYSQL"), QStringLiteral("pa ss"));
    QCOMPARE(settings.AsString("BASE_DE_DONNEES"), QStringLiteral("shop"));

    const QDateTime created(QDate(2026, 12, 10), QTime(9, 30, 15));
    store.Execute(S::qryInsertQuery, {{"FK_DATABASE", a}, {"TITRE", QStringLiteral("zeta")}, {"DATE_CREATION", created}});
    store.Execute(S::qryInsertQuery, {{"FK_DATABASE", a}, {"TITRE", QStringLiteral("alpha")}, {"DATE_CREATION", created}});
    TStoreRows queries = store.Select(S::qrySelectQueries, {{"FK_DATABASE", a}});
    QCOMPARE(queries.Count(), 2);
    QCOMPARE(queries.AsString("TITRE"), QStringLiteral("alpha"));
    QCOMPARE(queries.AsDateTime("DATE_CREATION"), created);
    QVERIFY(queries.AsString("DATE_MODIFICATION").isEmpty());  // never edited
    const qint64 query = queries.AsInteger("PK_REQUETE");
    QCOMPARE(store.Select(S::qrySelectQueries, {{"FK_DATABASE", b}}).Count(), 0);

    TStoreRows sql = store.Select(S::qrySelectQuerySQL, {{"PK_REQUETE", query}});
    QCOMPARE(sql.Count(), 1);
    QCOMPARE(sql.AsString("REQUETE"), QString());  // never edited: null reads as empty

    const QString longText = QStringLiteral("SELECT 'é' -- ") + QString(200000, QLatin1Char('x'));
    const QDateTime modified = created.addSecs(60);
    store.Execute(S::qryUpdateQuerySQL, {{"REQUETE", longText}, {"DATE_MODIFICATION", modified}, {"PK_REQUETE", query}});
    store.Execute(S::qryUpdateQueryTitle, {{"TITRE", QStringLiteral("omega")}, {"DATE_MODIFICATION", modified}, {"PK_REQUETE", query}});
    QCOMPARE(store.Select(S::qrySelectQuerySQL, {{"PK_REQUETE", query}}).AsString("REQUETE"), longText);
    queries = store.Select(S::qrySelectQueries, {{"FK_DATABASE", a}});
    QCOMPARE(queries.AsString("TITRE"), QStringLiteral("omega"));
    QCOMPARE(queries.AsDateTime("DATE_MODIFICATION"), modified);

    store.Execute(S::qryDeleteQuery, {{"PK_REQUETE", query}});
    QCOMPARE(store.Select(S::qrySelectQuerySQL, {{"PK_REQUETE", query}}).Count(), 0);
    store.Execute(S::qryDeleteQuery, {{"PK_REQUETE", query}});  // a missing key changes nothing

    // Remembering a value is delete then insert; one row per (connection, name).
    for (const char *value : {"1", "2"}) {
      store.Execute(S::qryDeleteParameter, {{"FK_DATABASE", a}, {"NOM", QStringLiteral("id")}});
      store.Execute(S::qryInsertParameter, {{"FK_DATABASE", a}, {"NOM", QStringLiteral("id")}, {"VALEUR", QString::fromLatin1(value)}});
    }
    TStoreRows value = store.Select(S::qrySelectParameter, {{"FK_DATABASE", a}, {"NOM", QStringLiteral("id")}});
    QCOMPARE(value.Count(), 1);
    QCOMPARE(value.AsString("VALEUR"), QStringLiteral("2"));
    QCOMPARE(store.Select(S::qrySelectParameter, {{"FK_DATABASE", b}, {"NOM", QStringLiteral("id")}}).Count(), 0);
  }

  void wrongBindingsAreProgrammingErrors() {
    TLocalStore store;
    store.Open(Path());
    QVERIFY_THROWS_EXCEPTION(std::logic_error, store.Select(S::qrySelectDatabase));
    QVERIFY_THROWS_EXCEPTION(std::logic_error, store.Select(S::qrySelectDatabase, {{"PK_DATABASE", QStringLiteral("1")}}));
    QVERIFY_THROWS_EXCEPTION(std::logic_error, store.Select(S::qrySelectDatabase, {{"FK_DATABASE", 1}}));
  }

  void unusableFilesGiveAMessage_data() {
    QTest::addColumn<QByteArray>("content");  // what lies at the place of the store
    QTest::addColumn<bool>("parentIsAFile");
    QTest::newRow("folder that cannot hold the file") << QByteArray() << true;
    QTest::newRow("not a database") << QByteArray("this is a text file, not a store\n").repeated(200) << false;
    QTest::newRow("empty database") << QByteArray("create") << false;
  }
  void unusableFilesGiveAMessage() {
    QFETCH(QByteArray, content);
    QFETCH(bool, parentIsAFile);
    QString path = Path();
    if (parentIsAFile) {
      QFile blocker(Path(QStringLiteral("blocker")));
      QVERIFY(blocker.open(QIODevice::WriteOnly));
      path = blocker.fileName() + QStringLiteral("/vantrel.adb");
    } else if (content == "create") {
      RawFile raw(path);
      raw.Exec("CREATE TABLE other (x)");
    } else {
      QFile file(path);
      QVERIFY(file.open(QIODevice::WriteOnly));
      file.write(content);
    }
    const QByteArray before = parentIsAFile ? QByteArray() : [&] { QFile f(path); f.open(QIODevice::ReadOnly); return f.readAll(); }();
    TLocalStore store;
    try {
      store.Open(path);
      QFAIL("opened");
    } catch (const TStoreError &error) {
      QVERIFY2(error.Message().contains(path), qPrintable(error.Message()));
    }
    QVERIFY(!store.IsOpen());
    if (!parentIsAFile) {  // a file that is not ours is never overwritten
      QFile after(path);
      QVERIFY(after.open(QIODevice::ReadOnly));
      QCOMPARE(after.readAll(), before);
    }
  }
};

QTEST_GUILESS_MAIN(TestLocalStore)
#include "TestLocalStore.moc"

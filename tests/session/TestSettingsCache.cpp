// Which connection's settings the client carries: read once per connection
// until invalidated, and never those of another connection when a row is
// gone.
#include "TLocalStore.h"
#include "TSettingsCache.h"
#include "TWebService.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

class TestSettingsCache : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir FDir;
  std::unique_ptr<TLocalStore> FStore;

  qint64 AddConnection(const QString &title, const QString &web, const QString &password) {
    FStore->Execute(TStoreStatement::qryInsertDataBase,
                    {{"TITRE", title}, {"SERVEUR_WEB", web}, {"SERVEUR_MYSQL", QStringLiteral("db")},
                     {"COMPTE_MYSQL", QStringLiteral("u-") + title}, {"MDP_MYSQL", password},
                     {"BASE_DE_DONNEES", QStringLiteral("base-") + title}});
    qint64 key = 0;
    for (TStoreRows rows = FStore->Select(TStoreStatement::qrySelectDatabases); !rows.Eof(); rows.Next())
      if (rows.AsString("TITRE") == title) key = rows.AsInteger("PK_DATABASE");
    return key;
  }
  void SetWebServer(qint64 key, const QString &title, const QString &web) {
    FStore->Execute(TStoreStatement::qryUpdateDataBase,
                    {{"TITRE", title}, {"SERVEUR_WEB", web}, {"SERVEUR_MYSQL", QStringLiteral("db")},
                     {"COMPTE_MYSQL", QStringLiteral("u-") + title}, {"MDP_MYSQL", QStringLiteral("p")},
                     {"BASE_DE_DONNEES", QStringLiteral("base-") + title}, {"PK_DATABASE", key}});
  }

 private slots:
  void init() {
    QVERIFY(FDir.isValid());
    FStore = std::make_unique<TLocalStore>();
    FStore->Open(FDir.filePath(QStringLiteral("s%1.adb").arg(QRandomGenerator::global()->generate())));
  }
  void cleanup() { FStore.reset(); }

  void readOnceUntilInvalidated() {
    const qint64 a = AddConnection(QStringLiteral("A"), QStringLiteral("http://a"), QStringLiteral("pa"));
    TWebService ws;
    TSettingsCache cache(*FStore, ws);
    cache.LoadConnectionSettings(a);
    QCOMPARE(ws.Tag, int(a));
    QCOMPARE(ws.WebServer, QStringLiteral("http://a"));
    QCOMPARE(ws.Account, QStringLiteral("u-A"));
    QCOMPARE(ws.Password, QStringLiteral("pa"));
    QCOMPARE(ws.Database, QStringLiteral("base-A"));
    QCOMPARE(ws.SQLServer, QStringLiteral("db"));
    QCOMPARE(ws.Service, QStringLiteral("SQL"));

    SetWebServer(a, QStringLiteral("A"), QStringLiteral("http://a2"));
    cache.LoadConnectionSettings(a);
    QCOMPARE(ws.WebServer, QStringLiteral("http://a"));  // the same connection: not read again
    cache.Invalidate();
    QCOMPARE(ws.Tag, -1);
    cache.LoadConnectionSettings(a);
    QCOMPARE(ws.WebServer, QStringLiteral("http://a2"));
  }

  // A second copy of the program deleted the connection: the client must
  // not go on to the previous connection's server with its password.
  void vanishedConnectionLeavesNoOtherSettings() {
    const qint64 a = AddConnection(QStringLiteral("A"), QStringLiteral("http://a"), QStringLiteral("pa"));
    const qint64 b = AddConnection(QStringLiteral("B"), QStringLiteral("http://b"), QStringLiteral("pb"));
    TWebService ws;
    TSettingsCache cache(*FStore, ws);
    cache.LoadConnectionSettings(a);
    FStore->Execute(TStoreStatement::qryDeleteDataBase, {{"PK_DATABASE", b}});
    cache.LoadConnectionSettings(b);
    QCOMPARE(ws.Tag, int(b));
    QVERIFY(ws.WebServer.isEmpty());
    QVERIFY(ws.Account.isEmpty());
    QVERIFY(ws.Password.isEmpty());
    QVERIFY(ws.Database.isEmpty());
    QVERIFY(ws.SQLServer.isEmpty());
    // Its request fails with its own message, sent nowhere.
    ws.Execute(QStringLiteral("SELECT 1"));
    QVERIFY(ws.ErrorText.startsWith(QStringLiteral("Invalid url '/ws.php?")));

    // The same when the store itself cannot be read.
    cache.LoadConnectionSettings(a);
    QCOMPARE(ws.Password, QStringLiteral("pa"));
    FStore->Close();
    cache.Invalidate();
    cache.LoadConnectionSettings(a);
    QVERIFY(ws.Password.isEmpty());
    QVERIFY(ws.WebServer.isEmpty());
  }
};

QTEST_GUILESS_MAIN(TestSettingsCache)
#include "TestSettingsCache.moc"

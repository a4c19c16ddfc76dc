// Which connection's settings the client carries: read once per connection
// until invalidated, sent as stored, and never those of another connection
// when a row is gone.
#include "NoProxy.h"
#include "RecordingServer.h"
#include "TLocalStore.h"
#include "TSettingsCache.h"
#include "TWebService.h"
#include "UStoreRecords.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

class TestSettingsCache : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir FDir;
  std::unique_ptr<TLocalStore> FStore;

  TConnectionSettings AddConnection(const QString &title, const QString &web, const QString &password) {
    TConnectionSettings connection{title, web, QStringLiteral("db"), QStringLiteral("u-") + title, password,
                                   QStringLiteral("base-") + title};
    InsertConnection(*FStore, connection);
    for (const TConnectionTitle &line : ReadConnections(*FStore))
      if (line.Title == title) connection.Key = line.Key;
    return connection;
  }

 private slots:
  void initTestCase() { NoProxy::Unset(); }
  void init() {
    QVERIFY(FDir.isValid());
    FStore = std::make_unique<TLocalStore>();
    FStore->Open(FDir.filePath(QStringLiteral("s%1.adb").arg(QRandomGenerator::global()->generate())));
  }
  void cleanup() { FStore.reset(); }

  void readOnceUntilInvalidated() {
    TConnectionSettings a = AddConnection(QStringLiteral("A"), QStringLiteral("http://a"), QStringLiteral("pa"));
    TWebService ws;
    TSettingsCache cache(*FStore, ws);
    cache.LoadConnectionSettings(a.Key);
    QCOMPARE(ws.Settings, a);
    QCOMPARE(ws.Service, QStringLiteral("SQL"));

    const TConnectionSettings before = a;
    a.WebServer = QStringLiteral("http://a2");
    UpdateConnection(*FStore, a);
    cache.LoadConnectionSettings(a.Key);
    QCOMPARE(ws.Settings, before);  // the same connection: not read again
    cache.Invalidate();
    QCOMPARE(ws.Settings.Key, TConnectionSettings::kNoKey);
    QCOMPARE(ws.Settings.WebServer, QStringLiteral("http://a"));  // kept until the next load
    cache.LoadConnectionSettings(a.Key);
    QCOMPARE(ws.Settings, a);
  }

  // What the store holds goes out byte for byte, whatever it holds; the
  // title stays at home.
  void storedSettingsReachTheWire() {
    RecordingServer server;
    const TConnectionSettings stored{QStringLiteral("Clé & titre"), server.Url() + QStringLiteral("/outils"),
                                     QStringLiteral("db=1&x"), QStringLiteral("lecteur été"),
                                     QStringLiteral("p+/ w"), QStringLiteral("ventes")};
    InsertConnection(*FStore, stored);
    const std::vector<TConnectionTitle> list = ReadConnections(*FStore);
    QCOMPARE(list.size(), std::size_t(1));
    TWebService ws;
    ws.SetClock([] { return QDateTime(QDate(1899, 12, 31), QTime(12, 0)); });
    TSettingsCache cache(*FStore, ws);
    cache.LoadConnectionSettings(list[0].Key);
    ws.Execute(QStringLiteral("show tables"));

    QCOMPARE(ws.ErrorText, QString());
    const auto requests = server.Requests();
    QCOMPARE(requests.size(), 1);
    QVERIFY(requests[0].RequestLine().startsWith("POST /outils/ws.php?"));
    QCOMPARE(requests[0].body, QByteArray("WS_server=db%3D1%26x&WS_service=SQL&WS_database=ventes"
                                          "&WS_account=lecteur+%C3%A9t%C3%A9&WS_pwd=cCsvIHc&WS_query=show+tables"));
  }

  // A second copy of the program deleted the connection: the client must
  // not go on to the previous connection's server with its password.
  void vanishedConnectionLeavesNoOtherSettings() {
    const qint64 a = AddConnection(QStringLiteral("A"), QStringLiteral("http://a"), QStringLiteral("pa")).Key;
    const qint64 b = AddConnection(QStringLiteral("B"), QStringLiteral("http://b"), QStringLiteral("pb")).Key;
    TWebService ws;
    TSettingsCache cache(*FStore, ws);
    cache.LoadConnectionSettings(a);
    DeleteConnection(*FStore, b);
    cache.LoadConnectionSettings(b);
    TConnectionSettings empty;
    empty.Key = b;
    QCOMPARE(ws.Settings, empty);
    // Its request fails with its own message, sent nowhere.
    ws.Execute(QStringLiteral("SELECT 1"));
    QVERIFY(ws.ErrorText.startsWith(QStringLiteral("Invalid url '/ws.php?")));

    // The same when the store itself cannot be read.
    cache.LoadConnectionSettings(a);
    QCOMPARE(ws.Settings.Password, QStringLiteral("pa"));
    FStore->Close();
    cache.Invalidate();
    cache.LoadConnectionSettings(a);
    empty.Key = a;
    QCOMPARE(ws.Settings, empty);
  }
};

QTEST_GUILESS_MAIN(TestSettingsCache)
#include "TestSettingsCache.moc"

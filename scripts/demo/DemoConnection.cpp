// Puts a connection into a store, or points the one of that title at the
// given servers again: the demo's servers take new ports after a restart.
// With a query title and a file, the connection also gets a saved query of
// that title holding the file's text (UTF-8), or that query gets the text
// again.
//   vantrel-demo-connection STORE TITLE WEB_SERVER SQL_SERVER ACCOUNT PASSWORD DATABASE [QUERY_TITLE QUERY_FILE]
#include "TLocalStore.h"
#include "TStoreError.h"
#include "UStoreRecords.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>

#include <cstdio>

namespace {

// The key of the first connection of that title, or none.
qint64 ConnectionKey(TLocalStore &store, const QString &title) {
  for (const TConnectionTitle &line : ReadConnections(store))
    if (line.Title == title) return line.Key;
  return TConnectionSettings::kNoKey;
}

qint64 QueryKey(TLocalStore &store, qint64 connection, const QString &title) {
  for (const TSavedQuery &query : ReadQueries(store, connection))
    if (query.Title == title) return query.Key;
  return 0;
}

}  // namespace

int main(int argc, char **argv) {
  QCoreApplication app(argc, argv);
  const QStringList args = QCoreApplication::arguments().mid(1);
  if (args.size() != 7 && args.size() != 9) {
    std::fprintf(stderr,
                 "usage: vantrel-demo-connection STORE TITLE WEB_SERVER SQL_SERVER ACCOUNT PASSWORD DATABASE "
                 "[QUERY_TITLE QUERY_FILE]\n");
    return 2;
  }
  QString queryText;
  if (args.size() == 9) {
    QFile file(args[8]);
    if (!file.open(QIODevice::ReadOnly)) {
      std::fprintf(stderr, "vantrel-demo-connection: %s: %s\n", qPrintable(args[8]), qPrintable(file.errorString()));
      return 1;
    }
    queryText = QString::fromUtf8(file.readAll());
  }
  try {
    TLocalStore store;
    store.Open(args[0]);
    store.Upgrade();
    TConnectionSettings connection{args[1], args[2], args[3], args[4], args[5], args[6]};
    connection.Key = ConnectionKey(store, connection.Title);
    if (connection.Key != TConnectionSettings::kNoKey) {
      UpdateConnection(store, connection);
    } else {
      InsertConnection(store, connection);
      connection.Key = ConnectionKey(store, connection.Title);
    }
    if (args.size() == 9) {
      const QDateTime now = QDateTime::currentDateTime();
      qint64 query = QueryKey(store, connection.Key, args[7]);
      if (query == 0) {
        InsertQuery(store, connection.Key, args[7], now);
        query = QueryKey(store, connection.Key, args[7]);
      }
      UpdateQueryText(store, query, queryText, now);
    }
    return 0;
  } catch (const TStoreError &error) {
    std::fprintf(stderr, "vantrel-demo-connection: %s\n", qPrintable(error.Message()));
    return 1;
  }
}

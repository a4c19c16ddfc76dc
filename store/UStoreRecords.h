#pragma once

#include "TConnectionSettings.h"

#include <QDateTime>
#include <QString>
#include <QtGlobal>

#include <optional>
#include <vector>

class TLocalStore;

// The rows of the local store as typed values, so that only the store
// names its columns. Each function runs the named statements it says and
// throws TStoreError as TLocalStore does. Writing a key that no longer
// exists changes nothing and says nothing, as the statements do; reading
// one gives no value.

// A line of the connections list.
struct TConnectionTitle {
  qint64 Key = TConnectionSettings::kNoKey;
  QString Title;
};

// A line of a connection's saved queries.
struct TSavedQuery {
  qint64 Key = 0;
  QString Title;
  QDateTime Created;
  QDateTime Modified;  // null until the first rename or edit
};

// Every stored connection, in the store's order of titles.
std::vector<TConnectionTitle> ReadConnections(TLocalStore &store);
// The whole row of the connection with that key, or none when no row has
// that key (a second copy of the program may have deleted it).
std::optional<TConnectionSettings> ReadConnection(TLocalStore &store, qint64 key);
// Stores a new connection; its Key is not used (the store gives one).
void InsertConnection(TLocalStore &store, const TConnectionSettings &connection);
// Writes the six values over the row of connection.Key.
void UpdateConnection(TLocalStore &store, const TConnectionSettings &connection);
// Refused while saved queries refer to it: the message then contains
// "connexe".
void DeleteConnection(TLocalStore &store, qint64 key);

// The saved queries of a connection, in the store's order of titles.
std::vector<TSavedQuery> ReadQueries(TLocalStore &store, qint64 connectionKey);
// The SQL text of a saved query (empty until first edited), or none when
// no query has that key.
std::optional<QString> ReadQueryText(TLocalStore &store, qint64 queryKey);
void InsertQuery(TLocalStore &store, qint64 connectionKey, const QString &title, const QDateTime &created);
void DeleteQuery(TLocalStore &store, qint64 queryKey);
void UpdateQueryTitle(TLocalStore &store, qint64 queryKey, const QString &title, const QDateTime &modified);
void UpdateQueryText(TLocalStore &store, qint64 queryKey, const QString &text, const QDateTime &modified);

// The value last given to a query parameter of that name for the
// connection, or none.
std::optional<QString> ReadParameterValue(TLocalStore &store, qint64 connectionKey, const QString &name);
// Keeps one value per connection and name: the old one is deleted first.
void RememberParameterValue(TLocalStore &store, qint64 connectionKey, const QString &name, const QString &value);

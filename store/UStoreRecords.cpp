#include "UStoreRecords.h"

#include "TLocalStore.h"

namespace {

using S = TStoreStatement;

TStoreParams ConnectionParams(const TConnectionSettings &connection) {
  return {{"TITRE", connection.Title},         {"SERVEUR_WEB", connection.WebServer},
          {"SERVEUR_MYSQL", connection.SQLServer}, {"COMPTE_MYSQL", connection.Account},
          {"MDP_MYSQL", connection.Password},   {"BASE_DE_DONNEES", connection.Database}};
}

}  // namespace

std::vector<TConnectionTitle> ReadConnections(TLocalStore &store) {
  std::vector<TConnectionTitle> list;
  for (TStoreRows rows = store.Select(S::qrySelectDatabases); !rows.Eof(); rows.Next())
    list.push_back({rows.AsInteger("PK_DATABASE"), rows.AsString("TITRE")});
  return list;
}

std::optional<TConnectionSettings> ReadConnection(TLocalStore &store, qint64 key) {
  const TStoreRows row = store.Select(S::qrySelectDatabase, {{"PK_DATABASE", key}});
  if (row.Eof()) return std::nullopt;
  TConnectionSettings connection;
  connection.Key = key;
  connection.WebServer = row.AsString("SERVEUR_WEB");
  connection.SQLServer = row.AsString("SERVEUR_MYSQL");
  connection.Account = row.AsString("COMPTE_MYSQL");
  connection.Password = row.AsString("MDP_MYSQL");
  connection.Database = row.AsString("BASE_DE_DONNEES");
  // The settings' statement gives no title; the list does. A row gone in
  // between is gone.
  for (const TConnectionTitle &line : ReadConnections(store)) {
    if (line.Key != key) continue;
    connection.Title = line.Title;
    return connection;
  }
  return std::nullopt;
}

void InsertConnection(TLocalStore &store, const TConnectionSettings &connection) {
  store.Execute(S::qryInsertDataBase, ConnectionParams(connection));
}

void UpdateConnection(TLocalStore &store, const TConnectionSettings &connection) {
  TStoreParams params = ConnectionParams(connection);
  params.emplace_back("PK_DATABASE", connection.Key);
  store.Execute(S::qryUpdateDataBase, params);
}

void DeleteConnection(TLocalStore &store, qint64 key) {
  store.Execute(S::qryDeleteDataBase, {{"PK_DATABASE", key}});
}

std::vector<TSavedQuery> ReadQueries(TLocalStore &store, qint64 connectionKey) {
  std::vector<TSavedQuery> list;
  for (TStoreRows rows = store.Select(S::qrySelectQueries, {{"FK_DATABASE", connectionKey}}); !rows.Eof();
       rows.Next())
    list.push_back({rows.AsInteger("PK_REQUETE"), rows.AsString("TITRE"), rows.AsDateTime("DATE_CREATION"),
                    rows.AsDateTime("DATE_MODIFICATION")});
  return list;
}

std::optional<QString> ReadQueryText(TLocalStore &store, qint64 queryKey) {
  const TStoreRows row = store.Select(S::qrySelectQuerySQL, {{"PK_REQUETE", queryKey}});
  if (row.Eof()) return std::nullopt;
  return row.AsString("REQUETE");
}

void InsertQuery(TLocalStore &store, qint64 connectionKey, const QString &title, const QDateTime &created) {
  store.Execute(S::qryInsertQuery, {{"FK_DATABASE", connectionKey}, {"TITRE", title}, {"DATE_CREATION", created}});
}

void DeleteQuery(TLocalStore &store, qint64 queryKey) {
  store.Execute(S::qryDeleteQuery, {{"PK_REQUETE", queryKey}});
}

void UpdateQueryTitle(TLocalStore &store, qint64 queryKey, const QString &title, const QDateTime &modified) {
  store.Execute(S::qryUpdateQueryTitle,
                {{"TITRE", title}, {"DATE_MODIFICATION", modified}, {"PK_REQUETE", queryKey}});
}

void UpdateQueryText(TLocalStore &store, qint64 queryKey, const QString &text, const QDateTime &modified) {
  store.Execute(S::qryUpdateQuerySQL,
                {{"REQUETE", text}, {"DATE_MODIFICATION", modified}, {"PK_REQUETE", queryKey}});
}

std::optional<QString> ReadParameterValue(TLocalStore &store, qint64 connectionKey, const QString &name) {
  const TStoreRows row = store.Select(S::qrySelectParameter, {{"FK_DATABASE", connectionKey}, {"NOM", name}});
  if (row.Eof()) return std::nullopt;
  return row.AsString("VALEUR");
}

void RememberParameterValue(TLocalStore &store, qint64 connectionKey, const QString &name,
                            const QString &value) {
  store.Execute(S::qryDeleteParameter, {{"FK_DATABASE", connectionKey}, {"NOM", name}});
  store.Execute(S::qryInsertParameter, {{"FK_DATABASE", connectionKey}, {"NOM", name}, {"VALEUR", value}});
}

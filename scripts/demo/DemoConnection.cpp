// Puts a connection into a store, or points the one of that title at the
// given servers again: the demo's servers take new ports after a restart.
//   vantrel-demo-connection STORE TITLE WEB_SERVER SQL_SERVER ACCOUNT PASSWORD DATABASE
#include "TLocalStore.h"
#include "TStoreError.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char **argv) {
  QCoreApplication app(argc, argv);
  const QStringList args = QCoreApplication::arguments().mid(1);
  if (args.size() != 7) {
    std::fprintf(stderr,
                 "usage: vantrel-demo-connection STORE TITLE WEB_SERVER SQL_SERVER ACCOUNT PASSWORD DATABASE\n");
    return 2;
  }
  try {
    TLocalStore store;
    store.Open(args[0]);
    store.Upgrade();
    TStoreParams params{{"TITRE", args[1]},   {"SERVEUR_WEB", args[2]}, {"SERVEUR_MYSQL", args[3]},
                        {"COMPTE_MYSQL", args[4]}, {"MDP_MYSQL", args[5]},   {"BASE_DE_DONNEES", args[6]}};
    for (TStoreRows rows = store.Select(TStoreStatement::qrySelectDatabases); !rows.Eof(); rows.Next()) {
      if (rows.AsString("TITRE") != args[1]) continue;
      params.emplace_back("PK_DATABASE", rows.AsInteger("PK_DATABASE"));
      store.Execute(TStoreStatement::qryUpdateDataBase, params);
      return 0;
    }
    store.Execute(TStoreStatement::qryInsertDataBase, params);
    return 0;
  } catch (const TStoreError &error) {
    std::fprintf(stderr, "vantrel-demo-connection: %s\n", qPrintable(error.Message()));
    return 1;
  }
}
